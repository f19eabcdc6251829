"""Shared ground of the Wayland backend's end-to-end tests: one private headless sway per test
module (tests that stop the compositor start their own), lumivex -wayland started as an idle
daemon starts it, outputs read with grim, keys pressed with wtype and the pointer moved with
the pointer helper."""

import io
import os
import signal
import sys
from pathlib import Path

import pytest
from PIL import Image

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tests" / "harness"))
from rain_cells import CellReader, wait_for_reading  # noqa: E402
from sway import Sway  # noqa: E402
from lumivex_process import EXIT_TIMEOUT, Lumivex  # noqa: E402
from winenv import wait_for  # noqa: E402

LUMIVEX = Path(os.environ.get("LUMIVEX_PROGRAM", ROOT / "build" / "native" / "lumivex"))
POINTER_HELPER = Path(os.environ.get("LUMIVEX_POINTER_HELPER",
                                     ROOT / "build" / "native" / "tests" / "wayland" / "pointer_helper"))
OUTPUT_SIZE = (800, 600)
RAIN_TIMEOUT = 60
# Lasting long enough to tell "not ended" from "not ended yet": what ends lumivex is handled
# within milliseconds of its coming.
STILL_RUNNING_SECONDS = 2
# How long a new input device is left on the seat before its first event, so the client can
# bind the keyboard or pointer the device gives the seat (else the event can go to nobody).
DEVICE_PAUSE_MS = 600


class Desk:
    """The test's view of its compositor."""

    def __init__(self, sway):
        self.sway = sway
        self.started = []

    def start(self, *args):
        process = Lumivex(LUMIVEX, ["-wayland", *map(str, args)], self.sway.env())
        self.started.append(process)
        return process

    def shot(self, output="HEADLESS-1"):
        """A screenshot of one output, in its pixels."""
        return Image.open(io.BytesIO(self.sway.run("grim", "-o", output, "-t", "ppm", "-"))).convert("RGB")

    def reading(self, colors, accept, what, output="HEADLESS-1", size=OUTPUT_SIZE, **reader_args):
        """Waits for a shot of `output` that shows only cells the rain can draw and that `accept`
        takes; returns its CellMap."""
        reader = CellReader(colors, size, **reader_args)
        return wait_for_reading(lambda: self.shot(output), reader, accept, RAIN_TIMEOUT, what)

    def press_key(self, key="Escape"):
        self.sway.run("wtype", "-s", str(DEVICE_PAUSE_MS), "-k", key)

    def pointer(self, *events):
        """Pointer events through a new virtual pointer: "move", dx, dy; "button"; "scroll"."""
        self.sway.run(str(POINTER_HELPER), str(DEVICE_PAUSE_MS), *map(str, events))


def still_running(lumivex, seconds=STILL_RUNNING_SECONDS):
    """True when `lumivex` is still running `seconds` from now."""
    try:
        lumivex.process.wait(timeout=seconds)
    except Exception:  # noqa: BLE001 - the time-out is the outcome wanted
        return True
    return False


def stop_all(desk):
    for process in desk.started:
        process.stop()
    desk.started.clear()


@pytest.fixture(scope="module")
def sway():
    for needed in (LUMIVEX, POINTER_HELPER):
        if not needed.is_file():
            pytest.fail(f"missing build output (run `make native`): {needed}")
    compositor = Sway(OUTPUT_SIZE)
    try:
        yield compositor
    finally:
        compositor.stop()


@pytest.fixture
def desk(sway):
    """A desk on the module's compositor; every lumivex a test started is ended after it."""
    desk = Desk(sway)
    try:
        yield desk
    finally:
        stop_all(desk)


__all__ = ["Desk", "EXIT_TIMEOUT", "LUMIVEX", "OUTPUT_SIZE", "RAIN_TIMEOUT", "ROOT", "Sway", "signal",
           "still_running", "stop_all", "wait_for"]
