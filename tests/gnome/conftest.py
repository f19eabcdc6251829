"""Shared ground of the GNOME tests: one private headless GNOME Shell per test module (a test that
breaks its shell starts its own), lumivex -wayland started on it, whole-screen shots read cell
by cell, and input through the shell's remote desktop."""

import os
import sys
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tests" / "harness"))
from gnome import GnomeShell  # noqa: E402
from lumivex_process import EXIT_TIMEOUT, Lumivex  # noqa: E402
from rain_cells import LIGHT_COLOR, NORMAL_COLOR, CellReader, wait_for_reading  # noqa: E402
from winenv import wait_for  # noqa: E402

LUMIVEX = Path(os.environ.get("LUMIVEX_PROGRAM", ROOT / "build" / "native" / "lumivex"))
KEY_WINDOW = Path(os.environ.get("LUMIVEX_KEY_WINDOW", ROOT / "build" / "native" / "tests" / "kwin" / "key_window"))
SCREEN_SIZE = (1024, 768)
DESIGN = [NORMAL_COLOR, LIGHT_COLOR]
RAIN_TIMEOUT = 60
KEY_A = 30   # evdev codes
# Lasting long enough to tell "not ended" from "not ended yet": input that ends the rain is
# handled as soon as the compositor passes it on, within milliseconds.
STILL_RUNNING_SECONDS = 2
# Where the shell changes the screen by itself: the clock at the middle of the top bar, and the
# notification banner below it (a headless shell starts with one saying that screen locking needs
# GNOME's display manager, and keeps it while nobody uses the seat).
NEWS_BOX = (SCREEN_SIZE[0] // 2 - 280, 0, SCREEN_SIZE[0] // 2 + 280, 140)


class Desk:
    """The test's view of its shell."""

    def __init__(self, shell):
        self.shell = shell
        self.started = []

    def start(self, *args):
        process = Lumivex(LUMIVEX, ["-wayland", *map(str, args)], self.shell.env())
        self.started.append(process)
        return process

    def reading(self):
        """The CellMap of a shot of the whole screen."""
        return CellReader(DESIGN, SCREEN_SIZE).read(self.shell.shot())

    def rain_shows(self, what="rain in whole cells over the whole screen, top bar included"):
        """Waits for a shot in which every cell of the screen is one the rain draws."""
        return wait_for_reading(self.shell.shot, CellReader(DESIGN, SCREEN_SIZE),
                                lambda r: r.glyph_cells() >= 100, RAIN_TIMEOUT, what)

    def desktop(self):
        """A shot of the screen with the part the shell changes by itself blacked out."""
        shot = self.shell.shot()
        shot.paste((0, 0, 0), NEWS_BOX)
        return shot

    def shows(self, desktop):
        """True when a shot shows the desktop `desktop` (from Desk.desktop) and nothing else."""
        return self.desktop().tobytes() == desktop.tobytes()


def still_running_after(lumivex, seconds=STILL_RUNNING_SECONDS):
    try:
        lumivex.process.wait(timeout=seconds)
    except Exception:  # noqa: BLE001 - the time-out is the outcome wanted
        return True
    return False


@pytest.fixture(scope="module")
def gnome():
    for needed in (LUMIVEX, KEY_WINDOW):
        if not needed.is_file():
            pytest.fail(f"missing build output (run `make native`): {needed}")
    shell = GnomeShell(SCREEN_SIZE)
    try:
        yield shell
    finally:
        shell.stop()


@pytest.fixture
def desk(gnome):
    """A desk on the module's shell; every lumivex a test started is ended after it."""
    desk = Desk(gnome)
    try:
        yield desk
    finally:
        for process in desk.started:
            process.stop()


__all__ = ["Desk", "EXIT_TIMEOUT", "KEY_A", "KEY_WINDOW", "STILL_RUNNING_SECONDS", "still_running_after",
           "wait_for"]
