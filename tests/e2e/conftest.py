"""Shared ground of the end-to-end tests: one Wine session per test module with lumivex.scr
installed in C:\\lv and our fake password provider in the system folder, the helper that
creates host windows and reads window facts, the saver processes a test starts (stopped after
it), and, when a test fails, a report of the windows that existed and of what the screen showed."""

import json
import os
import re
import select
import shutil
import subprocess
import sys
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tests" / "harness"))
from winenv import WineSession, log_tail, wait_for, wine  # noqa: E402
from xscreen import ScreenReader  # noqa: E402
import screen  # noqa: E402

WIN_DIR = Path(os.environ.get("LUMIVEX_WIN_DIR", ROOT / "build" / "win"))
if not WIN_DIR.is_absolute():
    WIN_DIR = ROOT / WIN_DIR
SAVER = WIN_DIR / "lumivex.scr"
HELPER = WIN_DIR / "tests" / "lvhelper.exe"
PROVIDER = WIN_DIR / "tests" / "PASSWORD.CPL"
FAILURES = ROOT / "build" / "e2e-failures"

APP_TITLE = "Lumivex Screensaver"
SAVER_CLASS = "TVellixForm"
SETTINGS_CLASS = "TSetupFrm"
DIALOG_CLASS = "#32770"

WS_POPUP = 0x80000000
WS_CHILD = 0x40000000
WS_CAPTION = 0x00C00000
WS_THICKFRAME = 0x00040000
WS_EX_TOPMOST = 0x00000008

# Generous: the machine may be busy; a wait ends as soon as its condition holds.
APPEAR_TIMEOUT = 60
EXIT_TIMEOUT = 30
# A saver that must not close has run on once it has drawn this many steps after what the test
# did: it draws a step only after taking every message that came before, and Wine reads the X
# server's input only when the queue is empty, so by the last of them the test's input has been
# read and judged, however late the busy machine let it arrive.
STEPS_AFTER = 3


class HelperError(RuntimeError):
    pass


class Helper:
    """A long-lived lvhelper.exe: its host windows live until the test ends. What Wine
    reports about it goes to `log`."""

    def __init__(self, session):
        self.process, self.log = session.spawn_logged("lvhelper", HELPER, stdin=subprocess.PIPE,
                                                      stdout=subprocess.PIPE)
        self.pending = b""

    def ask(self, *words, timeout=60):
        line = " ".join(map(str, words))
        try:
            self.process.stdin.write(line.encode() + b"\n")
            self.process.stdin.flush()
        except BrokenPipeError:
            code = self.process.wait(timeout=10)
            raise HelperError(f"lvhelper had ended (exit code {code:#x}) before '{line}'") from None
        answer = self._read_line(timeout, line)
        if answer.startswith("error:"):
            raise HelperError(f"lvhelper {line}: {answer}")
        return answer

    def _read_line(self, timeout, line):
        stream = self.process.stdout.fileno()

        def line_ready():
            if b"\n" in self.pending:
                return True
            ready, _, _ = select.select([stream], [], [], 0.1)
            if ready:
                chunk = os.read(stream, 65536)
                if not chunk:
                    raise HelperError(f"lvhelper ended while answering '{line}'")
                self.pending += chunk
            return b"\n" in self.pending

        wait_for(line_ready, timeout=timeout, interval=0, what=f"lvhelper to answer '{line}'")
        answer, self.pending = self.pending.split(b"\n", 1)
        return answer.decode("utf-8", errors="replace").rstrip("\r")

    def windows(self):
        return json.loads(self.ask("windows"))

    def dialogs(self):
        return json.loads(self.ask("dialogs"))

    def host(self, width, height, x, y):
        return int(self.ask("host", width, height, x, y))

    def destroy(self, window):
        self.ask("destroy", window)

    def heard(self, window):
        return int(self.ask("heard", window))

    def click(self, window, caption):
        self.ask("click", window, caption)

    def cursor(self):
        x, y = self.ask("cursor").split()
        return int(x), int(y)

    def set_cursor(self, x, y):
        self.ask("setcursor", x, y)

    def post(self, window, message, wparam=0, lparam=0):
        self.ask("post", window, message, wparam, lparam)

    def close(self):
        if self.process.poll() is None:
            try:
                self.process.stdin.write(b"quit\n")
                self.process.stdin.close()
                self.process.wait(timeout=15)
            except (OSError, subprocess.TimeoutExpired):
                self.process.kill()
                self.process.wait()


class Saver:
    """One lumivex.scr process started by a test; what Wine reports about it goes to `log`."""

    def __init__(self, process, switches, log, desk):
        self.process = process
        self.switches = switches
        self.log = log
        self.desk = desk

    @property
    def running(self):
        return self.process.poll() is None

    def wait_exit(self, timeout=EXIT_TIMEOUT):
        """Waits for the process to end and returns its exit code."""
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise TimeoutError(f"lumivex.scr {' '.join(map(str, self.switches))} still running after "
                               f"{timeout} s") from None

    def keeps_running(self, box=None):
        """Whether it still runs after what the test just did, seen by the steps it draws on
        screen (see Desk.runs_on)."""
        return self.desk.runs_on(self, box)


class Desk:
    """The test's view of its module's Wine session."""

    def __init__(self, session):
        self.session = session
        self.folder = session.install([SAVER], "lv")
        # The saver loads its password provider from the system folder only.
        self.system_folder = session.install([PROVIDER], "windows/system32")
        self.saver_path = session.windows_path(self.folder / SAVER.name)
        self.savers = []
        self.helper = None

    def install_copy(self, folder, name):
        """Another copy of lumivex.scr, as C:\\<folder>\\<name>; returns its C:\\ path."""
        target = self.session.drive_c / folder
        target.mkdir(parents=True, exist_ok=True)
        shutil.copy2(SAVER, target / name)
        return self.session.windows_path(target / name)

    def start(self, *switches, program=None, **popen_args):
        """Starts lumivex.scr (or the copy `program`) with `switches`. Wine's error messages
        about it go to a log of its own, which the failure report shows: a saver that ends
        early under Wine says nothing otherwise."""
        process, log = self.session.spawn_logged("saver", program or self.saver_path,
                                                 *switches, **popen_args)
        saver = Saver(process, switches, log, self)
        self.savers.append(saver)
        return saver

    def ask_fresh(self, *words):
        """One command from a fresh helper process (the running flag must be read so)."""
        result = subprocess.run(wine(HELPER, *words), env=self.session.env,
                                stdin=subprocess.DEVNULL, capture_output=True, timeout=60)
        answer = result.stdout.decode(errors="replace").strip()
        if result.returncode != 0:
            raise HelperError(f"lvhelper {' '.join(map(str, words))}: {answer}")
        return answer

    def running_flag(self):
        return int(self.ask_fresh("running"))

    def key(self, *keys):
        self.session.xdotool("key", *keys)

    def click(self, button):
        self.session.xdotool("click", button)

    def move_to(self, x, y):
        self.session.xdotool("mousemove", x, y)

    def screenshot(self, name):
        return screen.load(self.session.screenshot(self.session.root / f"{name}.png"))

    def wait_for_covered_screen(self):
        """Waits until windows cover the whole screen (a window is mapped before it is drawn)
        and returns that screenshot."""
        with ScreenReader(self.session.display, (0, 0, *self.session.screen_size)) as reader:
            def covered():
                image = reader.shot()
                return None if screen.uncovered_tiles(image) else image
            return wait_for(covered, timeout=APPEAR_TIMEOUT, interval=0.1,
                            what="windows to cover the whole screen")

    def runs_on(self, saver, box=None):
        """Whether `saver` still runs after what the test just did: waits until the part of the
        screen it draws on (`box`: left, top, width, height; default the whole screen) has
        changed STEPS_AFTER times, each a later step, or until the process has ended. Nothing
        else may change in `box` meanwhile."""
        box = box or (0, 0, *self.session.screen_size)
        with ScreenReader(self.session.display, box) as reader:
            seen = {"last": reader.checksum(), "changes": 0}

            def stepped_or_ended():
                if not saver.running:
                    return True
                now = reader.checksum()
                if now != seen["last"]:
                    seen["last"] = now
                    seen["changes"] += 1
                return seen["changes"] >= STEPS_AFTER

            wait_for(stepped_or_ended, timeout=APPEAR_TIMEOUT, interval=0.05,
                     what=f"lumivex.scr to draw {STEPS_AFTER} more steps in {box}")
        return saver.running

    def answers(self, saver, window, probes=STEPS_AFTER):
        """Whether `saver` still runs after what the test just did, for a saver that draws
        nothing: its window answers `probes` probes in turn, each only once the saver takes its
        queue again, and the process is still there."""
        try:
            for _ in range(probes):
                self.helper.ask("probe", window)
        except HelperError:
            return False
        return saver.running

    def registry(self, *args):
        self.session.reg(*args)


# ---- window facts -------------------------------------------------------------------------

def of_class(windows, name, visible=None):
    return [w for w in windows
            if w["class"] == name and (visible is None or w["visible"] == visible)]


def size_of(rect):
    return rect[2] - rect[0], rect[3] - rect[1]


def wait_for_windows(helper, name, count=1, timeout=APPEAR_TIMEOUT, **match):
    """Waits until at least `count` visible windows of class `name` (with the given field
    values) exist, and returns them."""
    def found():
        windows = [w for w in of_class(helper.windows(), name, visible=True)
                   if all(w[k] == v for k, v in match.items())]
        return windows if len(windows) >= count else None
    return wait_for(found, timeout=timeout, interval=0.2,
                    what=f"{count} visible {name} window(s) {match or ''}".strip())


def wait_until_gone(helper, name, timeout=EXIT_TIMEOUT):
    wait_for(lambda: not of_class(helper.windows(), name, visible=True), timeout=timeout,
             interval=0.2, what=f"every {name} window to go")


# ---- fixtures -----------------------------------------------------------------------------

@pytest.fixture(scope="module")
def desk():
    missing = [str(p) for p in (SAVER, HELPER, PROVIDER) if not p.is_file()]
    if missing:
        pytest.fail("missing build output (run `make win`): " + ", ".join(missing))
    with WineSession() as session:
        yield Desk(session)


@pytest.fixture(autouse=True)
def helper(desk):
    """A fresh long-lived helper per test; after the test, every saver it started is ended,
    so that the next test starts from an empty screen and free mutexes."""
    desk.helper = Helper(desk.session)
    yield desk.helper
    for saver in desk.savers:
        if saver.running:
            saver.process.kill()
            saver.process.wait(timeout=30)
    desk.savers.clear()
    desk.helper.close()
    desk.helper = None


@pytest.fixture
def dpi(desk):
    """Sets the prefix's DPI (LogPixels, read by each new process at its start) for the processes
    the test starts; back to 96 afterwards."""
    def set_dpi(value):
        desk.registry("add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                      "/d", str(value), "/f")
    yield set_dpi
    set_dpi(96)


# ---- failure report -----------------------------------------------------------------------

@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    outcome = yield
    report = outcome.get_result()
    desk = item.funcargs.get("desk") if hasattr(item, "funcargs") else None
    if report.failed and report.when == "call" and desk is not None and desk.helper is not None:
        report.sections.append(("windows and screen at failure", _describe_session(item, desk)))


def _describe_session(item, desk):
    lines = []
    try:
        windows = desk.helper.windows()
        interesting = [w for w in windows if w["visible"] or w["class"] in
                       (SAVER_CLASS, SETTINGS_CLASS, DIALOG_CLASS, "TApplication")]
        lines.append(f"{len(windows)} windows, of which visible or ours:")
        lines += ["  " + json.dumps(w) for w in interesting]
        dialogs = desk.helper.dialogs()
        if dialogs:
            lines.append("dialogs: " + json.dumps(dialogs))
    except Exception as error:  # the report must not hide the failure it reports
        lines.append(f"window list unavailable: {error}")
    if desk.helper.process.poll() is not None:
        lines.append(f"lvhelper: ended with {desk.helper.process.returncode}")
        lines += log_tail(desk.helper.log)
    try:
        name = re.sub(r"[^\w.-]+", "_", item.nodeid)
        path = desk.session.screenshot(FAILURES / f"{name}.png")
        lines.append(f"screen: {screen.describe(screen.load(path))}; saved as {path}")
    except Exception as error:
        lines.append(f"screenshot unavailable: {error}")
    for saver in desk.savers:
        state = "running" if saver.running else f"ended with {saver.process.returncode}"
        lines.append(f"lumivex.scr {' '.join(map(str, saver.switches))}: {state}")
        lines += log_tail(saver.log)
    return "\n".join(lines)
