"""What the Wayland backend answers before it draws: the X11 program's bad command lines are
refused the same way with -wayland; -wayland with an X window target is refused; no Wayland
display, a compositor with neither a layer shell nor xdg-shell, or -idle where nothing tells the
idle time, ends it with 1 and one line that says which; and a bare lumivex in a Wayland session
without X takes the overlay."""

import os
import shutil
import subprocess
import tempfile
from pathlib import Path

import pytest

from conftest import EXIT_TIMEOUT, LUMIVEX
from fake_compositor import FakeCompositor
from lumivex_process import Lumivex
from rain_cells import LIGHT_COLOR, NORMAL_COLOR

BAD_LINES = [
    # args, first line of stderr; each also as the X11 program refuses it
    (["-bogus"], "lumivex: unknown option '-bogus'"),
    (["-speed", "fast"], "lumivex: -speed: 'fast' is not a whole number"),
    (["-normal-color", "green"], "lumivex: -normal-color: 'green' is not a colour #RRGGBB"),
    (["-scale", "big"], "lumivex: -scale: 'big' is not a scale (a number such as 1.5)"),
    (["-root"], "lumivex: -wayland cannot go with -root"),
    (["-window-id", "0x400007"], "lumivex: -wayland cannot go with -window-id"),
    (["-idle", "0"], "lumivex: -idle: '0' is not a number of seconds from 1 to 86400"),
    (["-background", "-root"], "lumivex: -background cannot go with -root"),
]


def run(args, env):
    return subprocess.run([str(LUMIVEX), *args], env=env, stdin=subprocess.DEVNULL, capture_output=True,
                          text=True, timeout=EXIT_TIMEOUT)


@pytest.mark.parametrize("args, first_line", BAD_LINES, ids=[" ".join(line[0]) for line in BAD_LINES])
def test_a_bad_command_line_ends_it_with_2_and_the_usage(sway, args, first_line):
    result = run(["-wayland", *args], sway.env())
    assert (result.returncode, result.stderr.splitlines()[0]) == (2, first_line), result.stderr
    assert "usage: lumivex" in result.stderr


NO_IDLE_SOURCE = ("lumivex: -idle: the Wayland compositor offers no idle notification (ext_idle_notifier_v1 or "
                  "org_kde_kwin_idle) and GNOME's idle monitor (org.gnome.Mutter.IdleMonitor) is not on the "
                  "session bus; on this desktop let an idle daemon such as swayidle or hypridle start "
                  "lumivex -wayland")


def test_no_display_no_shell_or_no_idle_source_ends_it_with_1_saying_which():
    folder = Path(tempfile.mkdtemp(prefix="lumivex-no-shell-"))
    # Stand-in compositors: one with neither shell, one with a layer shell, a seat and no idle
    # protocol; and no session bus (the runtime folder has none), so no GNOME idle monitor.
    bare = FakeCompositor(folder, "wayland-9", [(1, "wl_compositor", 4), (2, "wl_shm", 1)])
    shell = FakeCompositor(folder, "wayland-8", [(1, "wl_compositor", 4), (2, "wl_shm", 1),
                                                 (3, "zwlr_layer_shell_v1", 1), (4, "wl_seat", 5)])
    try:
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "DBUS_SESSION_BUS_ADDRESS")}
        env["XDG_RUNTIME_DIR"] = str(folder)
        cases = [
            ([], {}, "lumivex: no Wayland display: cannot connect to 'wayland-0' (WAYLAND_DISPLAY)"),
            ([], {"WAYLAND_DISPLAY": "wayland-5"}, "lumivex: no Wayland display: cannot connect to 'wayland-5' "
                                                   "(WAYLAND_DISPLAY)"),
            ([], {"WAYLAND_DISPLAY": "wayland-9"}, "lumivex: the Wayland compositor has neither a layer shell "
             "(zwlr_layer_shell_v1) nor xdg-shell (xdg_wm_base), one of which lumivex -wayland needs"),
            (["-idle", "300"], {"WAYLAND_DISPLAY": "wayland-8"}, NO_IDLE_SOURCE),
        ]
        for args, extra, line in cases:
            result = run(["-wayland", *args], dict(env, **extra))
            assert (result.returncode, result.stderr.strip()) == (1, line), extra
        # Nothing was made to draw on before it ended.
        assert not shell.requests_to(shell.bound["wl_compositor"][0], 0), "a surface was made"
    finally:
        bare.close()
        shell.close()
        shutil.rmtree(folder, ignore_errors=True)


def test_without_options_a_wayland_session_without_x_gets_the_overlay(desk):
    lumivex = Lumivex(LUMIVEX, ["-speed", "200"], desk.sway.env())
    desk.started.append(lumivex)
    desk.reading([NORMAL_COLOR, LIGHT_COLOR], lambda r: r.glyph_cells() >= 50, "rain on the output")
    assert lumivex.running
