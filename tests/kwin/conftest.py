"""Shared ground of the Wayland backend's tests on KDE's KWin: a private headless KWin per test
module (or per scale, where a module asks for several; KWin cannot change an output's scale
while it runs headless), lumivex -wayland started on it, outputs read over KWin's screenshot
interface, input made with the fake-input helper, and a plain window that reports its keys."""

import os
import subprocess
import sys
import threading
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tests" / "harness"))
from kwin import KWin  # noqa: E402
from lumivex_process import EXIT_TIMEOUT, Lumivex  # noqa: E402
from rain_cells import LIGHT_COLOR, NORMAL_COLOR, CellReader, wait_for_reading  # noqa: E402
from winenv import wait_for  # noqa: E402

NATIVE = ROOT / "build" / "native"
LUMIVEX = Path(os.environ.get("LUMIVEX_PROGRAM", NATIVE / "lumivex"))
FAKE_INPUT = Path(os.environ.get("LUMIVEX_FAKE_INPUT", NATIVE / "tests" / "kwin" / "fake_input_helper"))
KEY_WINDOW = Path(os.environ.get("LUMIVEX_KEY_WINDOW", NATIVE / "tests" / "kwin" / "key_window"))
# Device pixels; at 1.5 and 2 a whole number of logical pixels too (640 x 480, 480 x 360).
OUTPUT_SIZE = (960, 720)
DESIGN = [NORMAL_COLOR, LIGHT_COLOR]
# KWin renders on the CPU: the first frames may take a while on a busy machine.
RAIN_TIMEOUT = 90
# How long a new input device is left on the seat before its first event, so the client can
# bind the keyboard or pointer the device gives the seat.
DEVICE_PAUSE_MS = 600
ESCAPE, KEY_A = 1, 30   # evdev key codes


class KeyWindow:
    """The plain window (key_window) on the desk: its report lines as they come."""

    def __init__(self, env):
        self.lines = []
        self.process = subprocess.Popen([str(KEY_WINDOW)], env=env, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()

    def _read(self):
        for line in self.process.stdout:
            self.lines.append(line.strip())

    def keys(self):
        return [line for line in self.lines if line.startswith("key ")]

    def wait_for_line(self, line, what):
        wait_for(lambda: line in self.lines or self.process.poll() is not None, timeout=RAIN_TIMEOUT, what=what)
        if line not in self.lines:
            raise AssertionError(f"the window ended with {self.process.returncode} before '{line}': {self.lines}")

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(timeout=EXIT_TIMEOUT)
        self.process.stdout.close()
        self._reader.join(timeout=EXIT_TIMEOUT)


class Desk:
    """The test's view of its KWin; what a test starts on it is ended after the test."""

    def __init__(self, kwin):
        self.kwin = kwin
        self.started = []

    def start(self, *args):
        process = Lumivex(LUMIVEX, ["-wayland", *map(str, args)], self.kwin.env())
        self.started.append(process)
        return process

    def open_window(self):
        window = KeyWindow(self.kwin.env())
        self.started.append(window)
        return window

    def reading(self, colors, accept, what, **reader_args):
        """Waits for a shot of the output that shows only cells the rain can draw and that
        `accept` takes; returns its CellMap."""
        reader = CellReader(colors, OUTPUT_SIZE, **reader_args)
        return wait_for_reading(self.kwin.shot, reader, accept, RAIN_TIMEOUT, what)

    def rain_shows(self):
        self.reading(DESIGN, lambda r: r.glyph_cells() >= 20, "rain on the output")

    def input(self, *events):
        """Input through a new fake-input device: "key", CODE; "move", DX, DY; "button"; "scroll"."""
        self.kwin.as_user(FAKE_INPUT, DEVICE_PAUSE_MS, *events)

    def stop_all(self):
        for started in reversed(self.started):
            started.stop()
        self.started.clear()


def start_kwin(scale=1.0):
    for needed in (LUMIVEX, FAKE_INPUT, KEY_WINDOW):
        if not needed.is_file():
            pytest.fail(f"missing build output (run `make native`): {needed}")
    return KWin(OUTPUT_SIZE, scale)


@pytest.fixture(scope="module")
def kwin():
    compositor = start_kwin()
    try:
        yield compositor
    finally:
        compositor.stop()


@pytest.fixture
def desk(kwin):
    desk = Desk(kwin)
    try:
        yield desk
    finally:
        desk.stop_all()


__all__ = ["DESIGN", "ESCAPE", "KEY_A", "OUTPUT_SIZE", "ROOT", "Desk", "start_kwin"]
