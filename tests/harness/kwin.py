"""A private headless KWin (kwin_wayland --virtual, software GL) for the Wayland tests and
benchmarks. It runs as the unprivileged user nobody with its own runtime folder and HOME, on a
session bus of its own (a dbus-daemon we start, so we hold its process id), and is stopped by
process id with that bus.

Debian's /usr/bin/kwin_wayland carries a file capability that a container cannot grant, so it
does not start; a plain copy of the binary in the private folder does. Screenshots come from
KWin's org.kde.KWin.ScreenShot2 interface over that bus, and input from the fake-input protocol,
which KWin offers only to clients of its own user: `as_user` runs the input helper as nobody."""

import grp
import os
import pwd
import select
import shutil
import subprocess
import tempfile
import time
from pathlib import Path

import dbus
from PIL import Image

from private_bus import PrivateBus
from stopping import STOP_TIMEOUT, stop_process
from winenv import wait_for

KWIN = Path("/usr/bin/kwin_wayland")
SOCKET = "wayland-kwin"
SHOT_TIMEOUT = 60
START_TIMEOUT = 120
USER, GROUP = "nobody", "nogroup"

# QImage formats KWin hands out: 32-bit words, blue in the lowest byte.
QIMAGE_32_BIT = {4: "RGB32", 5: "ARGB32", 6: "ARGB32_Premultiplied"}


def _as_user():
    return ["setpriv", f"--reuid={USER}", f"--regid={GROUP}", "--clear-groups"]


class KWin:
    """One headless KWin with `outputs` outputs of `size` device pixels at `scale` (KWin is told
    the size in logical pixels: `size` / `scale`). `env()` gives the variables a client needs to
    reach it."""

    def __init__(self, size=(1024, 768), scale=1.0, outputs=1):
        self.size = size
        self.scale = scale
        self.folder = Path(tempfile.mkdtemp(prefix="lumivex-kwin-"))
        self.bus = None
        self.process = None
        self._bus_connection = None
        try:
            owner = (pwd.getpwnam(USER).pw_uid, grp.getgrnam(GROUP).gr_gid)
            os.chown(self.folder, *owner)
            os.chmod(self.folder, 0o700)
            program = self.folder / "kwin_wayland"
            shutil.copyfile(KWIN, program)     # the copy carries no file capability
            os.chmod(program, 0o755)
            self.bus = PrivateBus(self.folder, "bus", owner, _as_user())
            self.bus_address = self.bus.address
            self.log = self.folder / "kwin.log"
            env = {"PATH": "/usr/bin:/bin", "HOME": str(self.folder), "XDG_RUNTIME_DIR": str(self.folder),
                   "DBUS_SESSION_BUS_ADDRESS": self.bus_address, "XDG_SESSION_TYPE": "wayland",
                   "KWIN_SCREENSHOT_NO_PERMISSION_CHECKS": "1", "KWIN_WAYLAND_NO_PERMISSION_CHECKS": "1",
                   "LIBGL_ALWAYS_SOFTWARE": "1", "QT_QPA_PLATFORM": "offscreen"}
            logical = [round(side / scale) for side in size]
            command = [str(program), "--virtual", "--width", str(logical[0]), "--height", str(logical[1]),
                       "--scale", f"{scale:g}", "--output-count", str(outputs), "--socket", SOCKET,
                       "--no-lockscreen", "--no-global-shortcuts", "--no-kactivities"]
            with open(self.log, "wb") as log:
                self.process = subprocess.Popen(_as_user() + command, env=env, stdin=subprocess.DEVNULL,
                                                stdout=log, stderr=subprocess.STDOUT, start_new_session=True)
            socket = self.folder / SOCKET
            wait_for(lambda: (socket.is_socket() and self._kwin_on_bus()) or self.process.poll() is not None,
                     timeout=START_TIMEOUT, what="KWin to open its socket and its screenshot interface")
            if self.process.poll() is not None:
                raise RuntimeError("KWin did not start: " + self.log.read_text(errors="replace"))
        except BaseException:
            self.stop()
            raise

    def _connection(self):
        if self._bus_connection is None:
            self._bus_connection = dbus.bus.BusConnection(self.bus_address)
        return self._bus_connection

    def _kwin_on_bus(self):
        """KWin owns its name and its screenshot interface answers (the effect behind it loads
        after the name is taken)."""
        try:
            shots = self._connection().get_object("org.kde.KWin", "/org/kde/KWin/ScreenShot2", introspect=False)
            described = dbus.Interface(shots, "org.freedesktop.DBus.Introspectable").Introspect()
        except dbus.exceptions.DBusException:
            return False
        return "org.kde.KWin.ScreenShot2" in described

    def env(self, base=None):
        env = dict(os.environ if base is None else base)
        for name in ("DISPLAY", "WAYLAND_SOCKET", "XSCREENSAVER_WINDOW", "SWAYSOCK"):
            env.pop(name, None)
        env.update(XDG_RUNTIME_DIR=str(self.folder), WAYLAND_DISPLAY=SOCKET)
        return env

    def as_user(self, *command, timeout=STOP_TIMEOUT):
        """Runs a client as KWin's own user to its end (the fake-input helper); raises on
        failure, returns its stdout."""
        result = subprocess.run(_as_user() + [str(part) for part in command],
                                env=self.env({"PATH": "/usr/bin:/bin", "HOME": str(self.folder)}),
                                stdin=subprocess.DEVNULL, capture_output=True, timeout=timeout)
        if result.returncode != 0:
            raise RuntimeError(f"{' '.join(map(str, command))} ended with {result.returncode}: "
                               + result.stderr.decode(errors="replace"))
        return result.stdout

    def shot(self, output=None):
        """A screenshot of one output (the first when None) in its device pixels, as RGB."""
        screenshot = dbus.Interface(self._connection().get_object("org.kde.KWin", "/org/kde/KWin/ScreenShot2"),
                                    "org.kde.KWin.ScreenShot2")
        read_end, write_end = os.pipe()
        try:
            # D-Bus passes KWin a copy of the write end; ours goes at once. KWin answers first and
            # writes the pixels after, from a thread of its own.
            passed = dbus.types.UnixFd(write_end)
            os.close(write_end)
            options = dbus.Dictionary({"native-resolution": True}, signature="sv")
            try:
                if output is None:
                    facts = screenshot.CaptureActiveScreen(options, passed, timeout=SHOT_TIMEOUT)
                else:
                    facts = screenshot.CaptureScreen(output, options, passed, timeout=SHOT_TIMEOUT)
            finally:
                os.close(passed.take())
            width, height, stride = int(facts["width"]), int(facts["height"]), int(facts["stride"])
            data = _read_exactly(read_end, stride * height, SHOT_TIMEOUT)
        finally:
            os.close(read_end)
        if int(facts["format"]) not in QIMAGE_32_BIT:
            raise RuntimeError(f"KWin's screenshot has the unexpected image format {int(facts['format'])}")
        return Image.frombuffer("RGBX", (width, height), data, "raw", "BGRX", stride, 1).convert("RGB")

    @property
    def running(self):
        return self.process is not None and self.process.poll() is None

    def stop(self):
        """Ends KWin and its bus (SIGTERM, then SIGKILL after a while) and removes the folder."""
        if self._bus_connection is not None:
            self._bus_connection.close()
            self._bus_connection = None
        stop_process(self.process)
        if self.bus is not None:
            self.bus.stop()
        shutil.rmtree(self.folder, ignore_errors=True)


def _read_exactly(fd, size, timeout):
    """`size` bytes from the pipe `fd`, waiting at most `timeout` seconds for them."""
    chunks, got = [], 0
    deadline = time.monotonic() + timeout
    while got < size:
        ready, _, _ = select.select([fd], [], [], max(0.0, deadline - time.monotonic()))
        chunk = os.read(fd, min(1 << 20, size - got)) if ready else b""
        if not chunk:
            raise RuntimeError(f"KWin's screenshot ended after {got} of {size} bytes")
        chunks.append(chunk)
        got += len(chunk)
    return b"".join(chunks)


__all__ = ["KWin"]
