"""A private headless sway for the Wayland tests and benchmarks: its own runtime folder, socket
and configuration, the pixman renderer and no input devices, started as the unprivileged user
nobody (sway refuses to run as root; a client running as root still connects to its socket)
and stopped by its process id."""

import grp
import os
import pwd
import shutil
import subprocess
import tempfile
from pathlib import Path

from stopping import STOP_TIMEOUT, stop_process
from winenv import wait_for

CONFIG = "xwayland disable\noutput * mode {width}x{height}\n"


class Sway:
    """One headless sway. `env()` gives the variables a client needs to reach it."""

    def __init__(self, size=(800, 600), outputs=1):
        self.folder = Path(tempfile.mkdtemp(prefix="lumivex-sway-"))
        self.process = None
        try:
            nobody = (pwd.getpwnam("nobody").pw_uid, grp.getgrnam("nogroup").gr_gid)
            os.chown(self.folder, *nobody)
            os.chmod(self.folder, 0o700)
            config = self.folder / "config"
            config.write_text(CONFIG.format(width=size[0], height=size[1]))
            os.chown(config, *nobody)
            self.log = self.folder / "sway.log"
            env = {"PATH": "/usr/bin:/bin", "HOME": str(self.folder), "XDG_RUNTIME_DIR": str(self.folder),
                   "SWAYSOCK": str(self.folder / "sway.sock"), "WLR_BACKENDS": "headless",
                   "WLR_RENDERER": "pixman", "WLR_LIBINPUT_NO_DEVICES": "1",
                   "WLR_HEADLESS_OUTPUTS": str(outputs)}
            with open(self.log, "wb") as log:
                self.process = subprocess.Popen(
                    ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "sway", "-c", str(config)],
                    env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT, start_new_session=True)
            socket = self.folder / "wayland-1"
            wait_for(lambda: (socket.is_socket() and (self.folder / "sway.sock").is_socket())
                     or self.process.poll() is not None, timeout=60, what="sway to open its sockets")
            if self.process.poll() is not None:
                raise RuntimeError("sway did not start: " + self.log.read_text(errors="replace"))
            wait_for(lambda: len(self.outputs()) == outputs and self.answers(), timeout=60,
                     what=f"sway with {outputs} output(s)")
        except BaseException:
            self.stop()
            raise

    def env(self, base=None):
        env = dict(os.environ if base is None else base)
        for name in ("DISPLAY", "WAYLAND_SOCKET", "XSCREENSAVER_WINDOW"):
            env.pop(name, None)
        env.update(XDG_RUNTIME_DIR=str(self.folder), WAYLAND_DISPLAY="wayland-1",
                   SWAYSOCK=str(self.folder / "sway.sock"))
        return env

    def run(self, *command, timeout=STOP_TIMEOUT):
        """Runs a client of this sway (swaymsg, grim, wtype ...) to its end; raises on failure."""
        result = subprocess.run(list(command), env=self.env(), stdin=subprocess.DEVNULL, capture_output=True,
                                timeout=timeout)
        if result.returncode != 0:
            raise RuntimeError(f"{' '.join(map(str, command))} ended with {result.returncode}: "
                               + result.stderr.decode(errors="replace"))
        return result.stdout

    def swaymsg(self, *args):
        return self.run("swaymsg", *args)

    def answers(self):
        try:
            self.swaymsg("-t", "get_version")
        except RuntimeError:
            return False
        return True

    def outputs(self):
        """The names of the active outputs."""
        import json
        try:
            found = json.loads(self.swaymsg("-r", "-t", "get_outputs"))
        except (RuntimeError, ValueError):
            return []
        return [output["name"] for output in found if output.get("active")]

    @property
    def running(self):
        return self.process is not None and self.process.poll() is None

    def stop(self):
        """Ends sway (SIGTERM, then SIGKILL after a while) and removes its folder."""
        stop_process(self.process)
        shutil.rmtree(self.folder, ignore_errors=True)


__all__ = ["Sway"]
