"""Soak of the Wayland program: lumivex -wayland at its heaviest settings on a private headless
sway for --minutes, the first output's scale switched between 2 and 1 every 30 s and a new
output added every few minutes (the first soon after the start; sway cannot unplug a headless
output, so outputs only come). Every --every seconds it samples, between two of those changes:

- the program (/proc): anonymous resident memory (its heap: pictures, sheets), shared resident
  memory (the buffers it shares with sway) and open file descriptors;
- the compositor's objects for it, read from the program's own protocol log (WAYLAND_DEBUG,
  filtered by grep): an object lives in the compositor from the request that makes it until
  the compositor confirms its end (delete_id), so a buffer, surface or output the program
  drops without telling the compositor stays counted;
- sway (/proc/PID/maps): how many of the program's buffer memories sway keeps mapped.

The samples are judged as the Windows soak judges them (tests/soak/verdict.py), each against
those taken in the same state of the outputs (the same scale and number of outputs) on a later
visit to it, since a state of more pixels rightly holds more, and the heap keeps what the
largest state so far has needed. Exit code 0 when the program stays up and every figure
stays flat, 1 when it ends or a figure grows, 2 when too few samples follow the warm-up.

    /usr/bin/python3 tests/soak/wayland_soak.py [--minutes 30] [--every 10]
"""

import argparse
import os
import re
import subprocess
import sys
import threading
import time
from collections import Counter, defaultdict
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tests" / "harness"))
sys.path.insert(0, str(Path(__file__).resolve().parent))
from process_figures import unix_figures  # noqa: E402
from sway import Sway  # noqa: E402
from verdict import (FLAT, JUDGED_SAMPLES, NOT_FLAT, TOO_SHORT, after_warm_up, judged_flat,  # noqa: E402
                     print_table, print_verdicts, too_short, warm_up_seconds)
from winenv import wait_for  # noqa: E402

LUMIVEX = Path(os.environ.get("LUMIVEX_PROGRAM", ROOT / "build" / "native" / "lumivex"))
HEAVIEST = ["-speed", "200", "-density", "200", "-balance", "100", "-noise", "500", "-inversion", "200"]
OUTPUT_SIZE = (800, 600)
SWITCHED_OUTPUT = "HEADLESS-1"
CHANGE_SECONDS = 30
CHANGE_OFFSET = 5             # changes fall between samples, not on them
NEW_OUTPUT_EVERY = 8          # changes: a new output every 4 minutes, the first with the first change
BUFFER_MEMORY = "memfd:lumivex-buffer"
FIRST_SERVER_ID = 0xFF000000  # ids from here on are made by the compositor

# (name, column heading, is memory in bytes)
FIGURES = (("rss_anon", "rss anon", True), ("rss_shmem", "rss shm", True), ("fds", "fds", False),
           ("objects", "objects", False), ("buffers", "wl_buffer", False), ("surfaces", "wl_surface", False),
           ("outputs", "wl_output", False), ("callbacks", "wl_callback", False),
           ("sway_maps", "sway maps", False))

NEW_ID = re.compile(r"(?:\.(\w+)\((?:\d+, \"(\w+)\".*?)?)?new id ([\w\[\]]+)[@#](\d+)")
DELETED = re.compile(r"wl_display[@#]1\.delete_id\((\d+)\)")


class LiveObjects:
    """The program's objects that the compositor holds, kept from its protocol log."""

    def __init__(self, log):
        self.log = log
        self.lock = threading.Lock()
        self.live = {}
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        for line in self.log:
            deleted = DELETED.search(line)
            if deleted:
                with self.lock:
                    self.live.pop(int(deleted.group(1)), None)
                continue
            made = NEW_ID.search(line)
            if not made or int(made.group(4)) >= FIRST_SERVER_ID:
                continue
            request, bound, interface, number = made.groups()
            with self.lock:
                self.live[int(number)] = bound if request == "bind" and bound else interface

    def counts(self):
        with self.lock:
            by_interface = Counter(self.live.values())
        return {"objects": sum(by_interface.values()), "buffers": by_interface["wl_buffer"],
                "surfaces": by_interface["wl_surface"], "outputs": by_interface["wl_output"],
                "callbacks": by_interface["wl_callback"]}


def sway_maps(pid):
    try:
        return Path(f"/proc/{pid}/maps").read_text().count(BUFFER_MEMORY)
    except OSError:
        return -1


class Outputs:
    """The changes the soak makes to sway's outputs, and the state they leave."""

    def __init__(self, sway):
        self.sway = sway
        self.scale = 1
        self.count = 1
        self.changes = 0

    def change(self):
        self.scale = 2 if self.scale == 1 else 1
        self.sway.swaymsg("output", SWITCHED_OUTPUT, "scale", str(self.scale))
        if self.changes % NEW_OUTPUT_EVERY == 0:
            self.sway.swaymsg("create_output")
            self.count += 1
            wait_for(lambda: len(self.sway.outputs()) == self.count, timeout=60, what="the new output")
        self.changes += 1

    @property
    def state(self):
        return f"scale {self.scale}, {self.count} output{'s' if self.count > 1 else ''}"


def soak(minutes, every):
    sway = Sway(OUTPUT_SIZE)
    program = grep = None
    try:
        # The log goes through grep, which keeps only the lines that make or end objects.
        program = subprocess.Popen([str(LUMIVEX), "-wayland", *HEAVIEST], env={**sway.env(), "WAYLAND_DEBUG": "client"},
                                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        grep = subprocess.Popen(["grep", "--line-buffered", "-E", "new id|delete_id"], stdin=program.stderr,
                                stdout=subprocess.PIPE, text=True)
        program.stderr.close()
        objects = LiveObjects(grep.stdout)
        outputs = Outputs(sway)
        samples, states = [], []
        started = time.monotonic()
        next_sample, next_change = started, started + CHANGE_OFFSET
        while time.monotonic() - started < minutes * 60 and program.poll() is None:
            now = time.monotonic()
            if now >= next_sample:
                figures = {**unix_figures(program.pid), **objects.counts(), "sway_maps": sway_maps(sway.process.pid)}
                samples.append((now - started, figures))
                states.append(outputs.state)
                next_sample += every
            if now >= next_change:
                outputs.change()
                next_change += CHANGE_SECONDS
            time.sleep(max(0.0, min(next_sample, next_change) - time.monotonic()))
        alive = program.poll() is None
        report(minutes, samples, states, alive, outputs)
        return outcome(samples, states, alive)
    finally:
        for process in (program, grep):
            if process is not None and process.poll() is None:
                process.kill()
                process.wait()
        sway.stop()


def groups_after_warm_up(samples, states):
    """The samples after the warm-up, by the state of the outputs they were taken in, leaving
    out each state's first visit: the heap grows to what a state needs the first time it comes
    (and keeps freed memory for the next), so only later visits can show a leak. Only states
    with at least two such samples can show a change."""
    visits, seen, previous = [], Counter(), None
    for state in states:
        if state != previous:
            seen[state] += 1
            previous = state
        visits.append(seen[state])
    kept = after_warm_up(samples)
    groups = defaultdict(list)
    first_kept = len(samples) - len(kept)
    for values, state, visit in zip(kept, states[first_kept:], visits[first_kept:]):
        if visit > 1:
            groups[state].append(values)
    return {state: values for state, values in groups.items() if len(values) >= 2}


def outcome(samples, states, alive):
    if not alive:
        return NOT_FLAT
    groups = groups_after_warm_up(samples, states)
    if sum(len(values) for values in groups.values()) < JUDGED_SAMPLES:
        return TOO_SHORT
    return FLAT if all(judged_flat(values, FIGURES) for values in groups.values()) else NOT_FLAT


def report(minutes, samples, states, alive, outputs):
    print(f"\n== lumivex -wayland at Speed 200, Density 200, Balance 100, Noise 500, Inversion 200 on headless sway, "
          f"{SWITCHED_OUTPUT}'s scale switched every {CHANGE_SECONDS} s, {outputs.count - 1} output(s) added: "
          f"{minutes:g} min, {len(samples)} samples, {'still running' if alive else 'NOT RUNNING'} at the end")
    print_table(samples, FIGURES, states)
    print(f"after the warm-up of {warm_up_seconds(samples[-1][0] if samples else 0):.0f} s, "
          "each state of the outputs on its own:")
    for state, values in groups_after_warm_up(samples, states).items():
        print(f"  {state} ({len(values)} samples):")
        print_verdicts(values, FIGURES, indent="    ")
    sys.stdout.flush()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--minutes", type=float, default=30)
    parser.add_argument("--every", type=float, default=10)
    args = parser.parse_args()
    refusal = too_short(args.minutes, args.every)
    if refusal:
        print(refusal, file=sys.stderr)
        return TOO_SHORT
    return soak(args.minutes, args.every)


if __name__ == "__main__":
    sys.exit(main())
