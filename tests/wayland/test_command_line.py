"""What the Wayland backend answers before it draws: the X11 program's bad command lines are
refused the same way with -wayland; -wayland with an X window target is refused; no Wayland
display, or a compositor without the layer shell, ends it with 1 and one line that says which;
and a bare lumivex in a Wayland session without X takes the overlay."""

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


def test_no_display_or_no_layer_shell_ends_it_with_1_saying_which():
    folder = Path(tempfile.mkdtemp(prefix="lumivex-no-shell-"))
    compositor = FakeCompositor(folder, "wayland-9", [(1, "wl_compositor", 4), (2, "wl_shm", 1)])
    try:
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET")}
        env["XDG_RUNTIME_DIR"] = str(folder)
        cases = [
            ({}, "lumivex: no Wayland display: cannot connect to 'wayland-0' (WAYLAND_DISPLAY)"),
            ({"WAYLAND_DISPLAY": "wayland-5"}, "lumivex: no Wayland display: cannot connect to 'wayland-5' "
                                               "(WAYLAND_DISPLAY)"),
            ({"WAYLAND_DISPLAY": "wayland-9"}, "lumivex: the Wayland compositor has no layer shell "
             "(zwlr_layer_shell_v1), which lumivex -wayland needs; sway, Hyprland, river, wayfire, labwc "
             "and KDE Plasma have it, GNOME does not"),
        ]
        for extra, line in cases:
            result = run(["-wayland"], dict(env, **extra))
            assert (result.returncode, result.stderr.strip()) == (1, line), extra
    finally:
        compositor.close()
        shutil.rmtree(folder, ignore_errors=True)


def test_without_options_a_wayland_session_without_x_gets_the_overlay(desk):
    lumivex = Lumivex(LUMIVEX, ["-speed", "200"], desk.sway.env())
    desk.started.append(lumivex)
    desk.reading([NORMAL_COLOR, LIGHT_COLOR], lambda r: r.glyph_cells() >= 50, "rain on the output")
    assert lumivex.running
