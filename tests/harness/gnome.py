"""A private headless GNOME Shell for the Wayland tests: gnome-shell --headless with one virtual
monitor, run as the unprivileged user nobody with its own runtime folder and HOME, on a session
bus and a system bus of its own (this machine has systemd's seat folder, so the shell asks the
system bus too), all three stopped by process id. It starts in the Activities overview, which
holds the keyboard: the harness leaves it with Escape before handing the shell to a test.

Screenshots come from the shell's own screenshot interface, which answers only callers it knows
by well-known name: the harness owns org.gnome.Screenshot on the private bus. Input comes from
the compositor's remote-desktop interface through one long-lived helper (gnome_input.py), since
its virtual devices live only as long as the bus connection that made them."""

import grp
import os
import pwd
import select
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

from PIL import Image

from private_bus import PrivateBus
from stopping import STOP_TIMEOUT, stop_process
from winenv import wait_for

SOCKET = "wayland-gnome"
START_TIMEOUT = 120
USER, GROUP = "nobody", "nogroup"
AS_USER = ["setpriv", f"--reuid={USER}", f"--regid={GROUP}", "--clear-groups"]
INPUT_HELPER = Path(__file__).with_name("gnome_input.py")
KEY_ESC = 1


class GnomeShell:
    """One headless GNOME Shell with a virtual monitor of `size` pixels. `env()` gives the
    variables a client needs to reach it and its session bus."""

    def __init__(self, size=(1024, 768)):
        self.size = size
        self.folder = Path(tempfile.mkdtemp(prefix="lumivex-gnome-"))
        self.buses = []
        self.process = None
        self.input = None
        self.connection = None
        self.shots = 0
        try:
            owner = (pwd.getpwnam(USER).pw_uid, grp.getgrnam(GROUP).gr_gid)
            os.chown(self.folder, *owner)
            os.chmod(self.folder, 0o700)
            self.session_bus = self._bus("session-bus", owner)
            system_bus = self._bus("system-bus", owner)
            self.log = self.folder / "gnome-shell.log"
            env = {"PATH": "/usr/bin:/bin", "HOME": str(self.folder), "XDG_RUNTIME_DIR": str(self.folder),
                   "XDG_SESSION_TYPE": "wayland", "DBUS_SESSION_BUS_ADDRESS": self.session_bus.address,
                   "DBUS_SYSTEM_BUS_ADDRESS": system_bus.address}
            command = ["gnome-shell", "--headless", "--wayland", "--no-x11", f"--wayland-display={SOCKET}",
                       "--virtual-monitor", f"{size[0]}x{size[1]}"]
            with open(self.log, "wb") as log:
                self.process = subprocess.Popen(AS_USER + command, env=env, stdin=subprocess.DEVNULL, stdout=log,
                                                stderr=subprocess.STDOUT, start_new_session=True)
            self.connection = self.session_bus.connect()
            socket = self.folder / SOCKET
            wait_for(lambda: (socket.is_socket() and self._owned("org.gnome.Shell.Screenshot"))
                     or self.process.poll() is not None,
                     timeout=START_TIMEOUT, what="gnome-shell to open its socket and offer screenshots")
            if self.process.poll() is not None:
                raise RuntimeError("gnome-shell did not start: " + self.log.read_text(errors="replace"))
            self.connection.request_name("org.gnome.Screenshot")
            self._start_input()
            # The shell opens the overview at the end of its start-up animation, after it offers
            # screenshots: an Escape before that would leave the overview still to come.
            wait_for(self._overview_active, timeout=START_TIMEOUT, what="the overview to open")
            self.key(KEY_ESC)
            wait_for(lambda: not self._overview_active(), timeout=START_TIMEOUT, what="the overview to close")
            # The seat gains its pointer with the first pointer event: a client started later
            # then has one from its start, as on a desktop with a mouse.
            self.move(1, 0)
            wait_for(lambda: "pointer" in self._seat_capabilities(), timeout=START_TIMEOUT,
                     what="the seat to have a pointer")
        except BaseException:
            self.stop()
            raise

    def _bus(self, name, owner):
        bus = PrivateBus(self.folder, name, owner, AS_USER)
        self.buses.append(bus)
        return bus

    def _owned(self, name):
        try:
            return bool(self.connection.name_has_owner(name))
        except Exception:  # noqa: BLE001 - the bus may still be starting
            return False

    def _overview_active(self):
        import dbus
        shell = self.connection.get_object("org.gnome.Shell", "/org/gnome/Shell")
        return bool(shell.Get("org.gnome.Shell", "OverviewActive", dbus_interface=dbus.PROPERTIES_IFACE))

    def _seat_capabilities(self):
        try:
            found = subprocess.run(["wayland-info"], env=self.env(), capture_output=True, text=True,
                                   timeout=STOP_TIMEOUT, check=False).stdout
        except subprocess.TimeoutExpired:   # a busy machine: asked again
            return ""
        return " ".join(line for line in found.splitlines() if "capabilities:" in line)

    def _start_input(self):
        self.input = subprocess.Popen([sys.executable, str(INPUT_HELPER), self.session_bus.address],
                                      stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                      text=True)
        self._answer("ready")

    def _answer(self, expected):
        ready, _, _ = select.select([self.input.stdout], [], [], START_TIMEOUT)
        if not ready:
            raise TimeoutError(f"the input helper said nothing for {START_TIMEOUT} s")
        line = self.input.stdout.readline().strip()
        if line != expected:
            raise RuntimeError(f"the input helper said {line!r}: {self.input.stderr.read() if not line else ''}")

    def _command(self, *words):
        self.input.stdin.write(" ".join(map(str, words)) + "\n")
        self.input.stdin.flush()
        self._answer("done")

    def key(self, code):
        """A press and release of the key with evdev code `code`."""
        self._command("key", code)

    def move(self, dx, dy):
        self._command("move", dx, dy)

    def button(self):
        self._command("button")

    def env(self, base=None):
        env = dict(os.environ if base is None else base)
        for name in ("DISPLAY", "WAYLAND_SOCKET", "XSCREENSAVER_WINDOW", "SWAYSOCK"):
            env.pop(name, None)
        env.update(XDG_RUNTIME_DIR=str(self.folder), WAYLAND_DISPLAY=SOCKET,
                   DBUS_SESSION_BUS_ADDRESS=self.session_bus.address)
        return env

    def shot(self):
        """A screenshot of the whole screen, as RGB."""
        import dbus
        self.shots += 1
        path = self.folder / f"shot-{self.shots}.png"
        screenshot = dbus.Interface(self.connection.get_object("org.gnome.Shell", "/org/gnome/Shell/Screenshot"),
                                    "org.gnome.Shell.Screenshot")
        done, written = screenshot.Screenshot(False, False, str(path))
        if not done:
            raise RuntimeError("gnome-shell refused the screenshot")
        try:
            with Image.open(str(written)) as image:
                return image.convert("RGB")
        finally:
            Path(str(written)).unlink(missing_ok=True)

    @property
    def running(self):
        return self.process is not None and self.process.poll() is None

    def stop(self):
        """Ends the input helper, the shell and its buses by process id, and removes the folder."""
        if self.input is not None and self.input.poll() is None:
            self.input.stdin.close()
            try:
                self.input.wait(timeout=STOP_TIMEOUT)
            except subprocess.TimeoutExpired:
                self.input.kill()
                self.input.wait()
        if self.connection is not None:
            self.connection.close()
            self.connection = None
        stop_process(self.process)
        for bus in self.buses:
            bus.stop()
        shutil.rmtree(self.folder, ignore_errors=True)


__all__ = ["GnomeShell"]
