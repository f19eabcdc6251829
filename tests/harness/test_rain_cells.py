"""How long the rain tests wait for a good reading of the screen, on scripted shots: a torn shot
now and then is passed over, shots of a window not yet drawn do not count, and a drawing fault
that shows in more than a few shots fails the wait instead of passing for tearing."""

import pytest

import rain_cells
import winenv
from rain_cells import CellMap, wait_for_reading

GOOD, TORN, DONE = "good", "torn", "done"  # a perfect shot, an imperfect one, the accepted one
COLOUR = {GOOD: 0x00009000, DONE: 0x0088FF88, TORN: None}


class ScriptedScreen:
    """Shots that are the script's words in turn; a reader that turns each into a CellMap."""

    def __init__(self, script):
        self.script = iter(script)

    def shoot(self):
        return next(self.script)

    @staticmethod
    def read(word):
        return CellMap(cells={(0, 0): COLOUR[word]}, foreign=[(0, 0)] if word == TORN else [])


@pytest.fixture(autouse=True)
def no_pause(monkeypatch):
    monkeypatch.setattr(rain_cells, "wait_for",
                        lambda condition, **kw: winenv.wait_for(condition, **{**kw, "interval": 0}))


def wait(script):
    screen = ScriptedScreen(script)
    return wait_for_reading(screen.shoot, screen, lambda r: r.cells[(0, 0)] == COLOUR[DONE], 5, "the scripted shot")


@pytest.mark.parametrize("script", [
    [GOOD] * 30 + [TORN] + [GOOD] * 10 + [DONE],          # one torn shot among many
    [TORN] * 20 + [GOOD] * 5 + [DONE],                    # a window not yet drawn
    [GOOD] * 20 + [TORN] + [GOOD] * 20 + [TORN] + [DONE],  # two in forty-odd: under the share
], ids=["one torn shot", "before the first perfect shot", "a small share"])
def test_a_few_imperfect_shots_are_passed_over(script):
    assert wait(script).cells[(0, 0)] == COLOUR[DONE]


@pytest.mark.parametrize("script", [
    [GOOD, TORN, GOOD] * 10 + [DONE],   # a fault that shows in every third shot
    [GOOD, TORN, TORN, DONE],           # shows twice, soon after the start
], ids=["every third shot", "twice in four"])
def test_a_fault_that_shows_now_and_then_fails_the_wait(script):
    with pytest.raises(AssertionError, match="show cells the rain cannot draw"):
        wait(script)
