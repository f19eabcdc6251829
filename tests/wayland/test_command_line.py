"""What the Wayland backend answers before it draws: the X11 program's bad command lines are
refused the same way with -wayland; -wayland with an X window target is refused; no Wayland
display, or a compositor without the layer shell, ends it with 1 and one line that says which;
and a bare lumivex in a Wayland session without X takes the overlay."""

import os
import shutil
import socket
import struct
import subprocess
import tempfile
import threading
from pathlib import Path

import pytest

from conftest import EXIT_TIMEOUT, LUMIVEX
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
]


def run(args, env):
    return subprocess.run([str(LUMIVEX), *args], env=env, stdin=subprocess.DEVNULL, capture_output=True,
                          text=True, timeout=EXIT_TIMEOUT)


@pytest.mark.parametrize("args, first_line", BAD_LINES, ids=[" ".join(line[0]) for line in BAD_LINES])
def test_a_bad_command_line_ends_it_with_2_and_the_usage(sway, args, first_line):
    result = run(["-wayland", *args], sway.env())
    assert (result.returncode, result.stderr.splitlines()[0]) == (2, first_line), result.stderr
    assert "usage: lumivex" in result.stderr


class Compositor:
    """A stand-in compositor on a socket of its own that offers only wl_compositor and wl_shm:
    it answers the registry request with those two globals and every sync with its done event."""

    def __init__(self, folder):
        self.listener = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.listener.bind(str(folder / "wayland-9"))
        self.listener.listen(1)
        self.thread = threading.Thread(target=self.serve, daemon=True)
        self.thread.start()

    @staticmethod
    def event(target, opcode, payload):
        return struct.pack("<II", target, (8 + len(payload)) << 16 | opcode) + payload

    @staticmethod
    def text(value):
        data = value.encode() + b"\0"
        return struct.pack("<I", len(data)) + data + b"\0" * (-len(data) % 4)

    def serve(self):
        connection, _ = self.listener.accept()
        with connection:
            pending = b""
            while True:
                chunk = connection.recv(4096)
                if not chunk:
                    return
                pending += chunk
                while len(pending) >= 8:
                    target, word = struct.unpack("<II", pending[:8])
                    size, opcode = word >> 16, word & 0xFFFF
                    if len(pending) < size:
                        break
                    args, pending = pending[8:size], pending[size:]
                    if target != 1:
                        continue                   # binds: nothing to answer
                    new_id, = struct.unpack("<I", args[:4])
                    if opcode == 1:                # get_registry
                        for name, interface, version in ((1, "wl_compositor", 4), (2, "wl_shm", 1)):
                            connection.sendall(self.event(new_id, 0, struct.pack("<I", name) + self.text(interface)
                                                          + struct.pack("<I", version)))
                    elif opcode == 0:              # sync
                        connection.sendall(self.event(new_id, 0, struct.pack("<I", 1))
                                           + self.event(1, 1, struct.pack("<I", new_id)))

    def close(self):
        self.listener.close()


def test_no_display_or_no_layer_shell_ends_it_with_1_saying_which():
    folder = Path(tempfile.mkdtemp(prefix="lumivex-no-shell-"))
    compositor = Compositor(folder)
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
