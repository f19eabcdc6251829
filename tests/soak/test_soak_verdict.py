"""The soak's verdict: a run too short to judge says so and never reads as a leak, and a run
asked for less than the shortest useful length is refused before any Wine session starts; the
Wayland soak judges each state of the outputs by its later visits."""

import subprocess
import sys
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parent))
import soak  # noqa: E402
import wayland_soak  # noqa: E402

STEADY = {name: 1000 for name, _, _ in soak.FIGURES}


class FakeRun:
    def __init__(self, samples):
        self.samples = samples


def samples(seconds, every=10, grow=0):
    """Samples from 0 to `seconds`, each figure growing by `grow` per sample."""
    return [(at, {name: value + grow * i for name, value in STEADY.items()})
            for i, at in enumerate(range(0, seconds + 1, every))]


CASES = {
    "a minute's samples all fall in the warm-up": (samples(50), True, soak.TOO_SHORT),
    "steady after the warm-up": (samples(300), True, soak.FLAT),
    "growing after the warm-up": (samples(300, grow=20), True, soak.NOT_FLAT),
    "the program ended": (samples(300), False, soak.NOT_FLAT),
    "ended before the warm-up was over": (samples(30), False, soak.NOT_FLAT),
}


@pytest.mark.parametrize("taken, alive, expected", CASES.values(), ids=CASES.keys())
def test_outcome(taken, alive, expected):
    assert soak.outcome(FakeRun(taken), alive) == expected


def test_a_run_shorter_than_the_warm_up_and_a_few_samples_is_refused_up_front():
    result = subprocess.run([sys.executable, soak.__file__, "--minutes", "1"], capture_output=True,
                            text=True, timeout=120, stdin=subprocess.DEVNULL)
    assert result.returncode == soak.TOO_SHORT
    message = result.stderr
    assert "too short to judge" in message and "60 s are a warm-up" in message
    assert "SOAK_MINUTES=1.5" in message
    assert "NOT FLAT" not in result.stdout + message


def test_the_shortest_useful_run_is_accepted_and_leaves_enough_samples():
    for every in (10, 60):
        shortest = soak.shortest_run_seconds(every)
        assert soak.too_short(shortest / 60, every) is None
        assert soak.too_short(shortest / 60 - 0.1, every) is not None
        run = FakeRun(samples(int(shortest - every), every))  # the loop's last sample
        assert soak.outcome(run, True) == soak.FLAT



def wayland_samples(seconds, grow_per_visit=0, heap_step=0, new_output_at=None, every=10):
    """Samples of the Wayland soak and their states: the scale alternates every 30 s and an
    output may come at `new_output_at`; the heap keeps `heap_step` more from the first visit to
    the largest state (scale 2 with the most outputs) on, and may grow on every visit (a leak)."""
    taken, states, largest_seen = [], [], False
    for at in range(0, seconds + 1, every):
        visit = at // 30
        outputs = 2 if new_output_at is not None and at >= new_output_at else 1
        state = f"scale {2 if visit % 2 else 1}, {outputs} outputs"
        largest_seen = largest_seen or (visit % 2 == 1 and outputs == (1 if new_output_at is None else 2))
        rss = 1_000_000 + (heap_step if largest_seen else 0) + grow_per_visit * visit
        taken.append((at, {**{name: 1000 for name, _, _ in wayland_soak.FIGURES}, "rss_anon": rss}))
        states.append(state)
    return taken, states


WAYLAND_CASES = {
    "steady": (wayland_samples(300), soak.FLAT),
    "the heap keeps what a new largest state needed": (
        wayland_samples(400, heap_step=500_000, new_output_at=120), soak.FLAT),
    "memory grows on every visit": (wayland_samples(300, grow_per_visit=50_000), soak.NOT_FLAT),
    "too few later visits": (wayland_samples(70), soak.TOO_SHORT),
}


@pytest.mark.parametrize("taken, expected", WAYLAND_CASES.values(), ids=WAYLAND_CASES.keys())
def test_the_wayland_soak_judges_each_state_of_the_outputs_on_its_later_visits(taken, expected):
    samples_taken, states = taken
    assert wayland_soak.outcome(samples_taken, states, True) == expected
