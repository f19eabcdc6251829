"""What the program answers before it draws anything: exit code 2 with a one-line reason and the
usage for a bad command line, 0 and the usage for -help, 1 with a reason when there is no
display or no such window."""

import os
import subprocess

import pytest

from conftest import EXIT_TIMEOUT, LUMIVEX

NO_DISPLAY = object()   # run with DISPLAY unset

CASES = [
    # args, display, XSCREENSAVER_WINDOW, exit code, first line of stderr (or of stdout for 0)
    (["-bogus"], None, None, 2, "lumivex: unknown option '-bogus'"),
    (["-speed", "fast"], None, None, 2, "lumivex: -speed: 'fast' is not a whole number"),
    (["-normal-color", "green"], None, None, 2, "lumivex: -normal-color: 'green' is not a colour #RRGGBB"),
    (["-window-id", "0"], None, None, 2, "lumivex: -window-id: '0' is not a window id (decimal or 0x hex)"),
    (["-root"], None, "junk", 2, "lumivex: XSCREENSAVER_WINDOW: 'junk' is not a window id"),
    (["-help"], None, None, 0,
     "usage: lumivex [-wayland [-background | -idle SECONDS] | -root | -window-id ID] [-display NAME] [-scale S] "
     "[options]"),
    ([], NO_DISPLAY, None, 1, "lumivex: no X display: DISPLAY is not set and no -display was given"),
    (["-root"], NO_DISPLAY, "0x400007", 1, "lumivex: no X display: DISPLAY is not set and no -display was given"),
    (["-root", "-display", ":987"], NO_DISPLAY, None, 1, "lumivex: cannot open the X display ':987'"),
    (["-window-id", "0x7ffffff"], None, None, 1, "lumivex: there is no window 0x7ffffff to draw into"),
    (["-root"], None, "0x7ffffff", 1, "lumivex: there is no window 0x7ffffff to draw into"),
]


@pytest.mark.parametrize("args, display, daemon_window, code, first_line", CASES,
                         ids=[" ".join(case[0]) or "no options" for case in CASES])
def test_exit_code_and_reason(desk, args, display, daemon_window, code, first_line):
    env = dict(os.environ)
    env.pop("XSCREENSAVER_WINDOW", None)
    env.pop("DISPLAY", None)
    if display is not NO_DISPLAY:
        env["DISPLAY"] = desk.display
    if daemon_window is not None:
        env["XSCREENSAVER_WINDOW"] = daemon_window
    result = subprocess.run([str(LUMIVEX), *args], env=env, stdin=subprocess.DEVNULL, capture_output=True,
                            text=True, timeout=EXIT_TIMEOUT)
    shown = result.stdout if code == 0 else result.stderr
    assert (result.returncode, shown.splitlines()[0]) == (code, first_line), result.stderr
    if code == 2:
        assert "usage: lumivex" in result.stderr, "a bad command line is followed by the usage"
