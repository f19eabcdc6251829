"""Shared ground of the X11 host's end-to-end tests: one private Xvfb per test module, on which
the test plays the screen-saver daemon: it makes the windows lumivex draws into, starts lumivex
the way daemons start a module (-root with XSCREENSAVER_WINDOW, or -window-id), ends it with a
signal, and reads the screen in one X request per shot."""

import os
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tests" / "harness"))
from lumivex_process import EXIT_TIMEOUT, Lumivex  # noqa: E402
from stopping import stop_process  # noqa: E402
from winenv import wait_for  # noqa: E402
from xscreen import ScreenReader  # noqa: E402
from xvfb import start_xvfb  # noqa: E402
from xclient import XClient  # noqa: E402

LUMIVEX = Path(os.environ.get("LUMIVEX_X11", ROOT / "build" / "native" / "lumivex"))
SCREEN_SIZE = (1024, 768)
WHITE = (255, 255, 255)     # the root window's colour (Xvfb -wr)


class Desk:
    """The test's view of its module's display."""

    def __init__(self, display):
        self.display = display
        self.client = XClient(display)
        self.started = []

    def start(self, *args, daemon_window=None):
        """Starts lumivex with `args`; with `daemon_window`, as a daemon hands it a window."""
        env = dict(os.environ, DISPLAY=self.display)
        env.pop("XSCREENSAVER_WINDOW", None)
        if daemon_window is not None:
            env["XSCREENSAVER_WINDOW"] = hex(daemon_window)
        process = Lumivex(LUMIVEX, [str(a) for a in args], env)
        self.started.append(process)
        return process

    def reader(self, box):
        """A ScreenReader of `box` (left, top, width, height) of the screen."""
        return ScreenReader(self.display, box)

    def screen(self):
        with self.reader((0, 0, *SCREEN_SIZE)) as whole:
            return whole.shot()


def _popen(command, log, **popen_args):
    with open(log, "wb") as output:
        return subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=output, stderr=subprocess.STDOUT,
                                start_new_session=True, **popen_args)


@pytest.fixture(scope="module")
def desk():
    if not LUMIVEX.is_file():
        pytest.fail(f"missing build output (run `make native`): {LUMIVEX}")
    folder = Path(tempfile.mkdtemp(prefix="lumivex-x11-"))
    xvfb, display = start_xvfb(SCREEN_SIZE, folder / "xvfb.log", _popen)
    desk = None
    try:
        desk = Desk(display)
        yield desk
    finally:
        if desk is not None:
            desk.client.close()
        stop_process(xvfb, EXIT_TIMEOUT)
        shutil.rmtree(folder, ignore_errors=True)


@pytest.fixture(autouse=True)
def clean_desk(request):
    """After each test: every lumivex it started is ended and every window it made destroyed,
    so the next test starts from the bare white root (repainted, should one have drawn on it)."""
    yield
    if "desk" not in request.fixturenames:
        return
    desk = request.getfixturevalue("desk")
    for process in desk.started:
        process.stop()
    desk.started.clear()
    desk.client.destroy_all()
    desk.client.clear_root()


def outside_is_white(image, box):
    """True when every pixel of the screenshot `image` outside `box` is the root's white."""
    left, top, width, height = box
    rest = image.copy()
    rest.paste(WHITE, (left, top, left + width, top + height))
    return all(low == 255 for low, _ in rest.getextrema())


__all__ = ["Desk", "EXIT_TIMEOUT", "LUMIVEX", "ROOT", "SCREEN_SIZE", "wait_for", "outside_is_white"]
