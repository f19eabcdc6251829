"""A private D-Bus daemon for a headless compositor under test: it listens on a socket in the
compositor's folder, runs as the compositor's unprivileged user and lets any local user in (the
tests ask the compositor for screenshots as whoever runs them). We start it ourselves, rather
than through dbus-launch, to hold its process id and stop it by that."""

import os
import subprocess

from stopping import stop_process

CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path={path}</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""


class PrivateBus:
    """One dbus-daemon on `folder`/`name`, run through `as_user` (a command prefix) by the user
    `owner` (uid, gid). `address` is what DBUS_*_BUS_ADDRESS takes."""

    def __init__(self, folder, name, owner, as_user):
        config = folder / f"{name}.conf"
        config.write_text(CONFIG.format(path=folder / name))
        os.chown(config, *owner)
        self.process = subprocess.Popen(
            as_user + ["dbus-daemon", f"--config-file={config}", "--print-address", "--nofork", "--nopidfile"],
            env={"PATH": "/usr/bin:/bin", "HOME": str(folder)}, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
            stderr=subprocess.DEVNULL, start_new_session=True)
        self.address = self.process.stdout.readline().decode().strip()
        if not self.address:
            self.stop()
            raise RuntimeError(f"the private bus {name} did not start")

    def connect(self):
        import dbus
        return dbus.bus.BusConnection(self.address)

    @property
    def running(self):
        return self.process.poll() is None

    def stop(self):
        """Ends the daemon by its process id (SIGTERM, then SIGKILL after a while)."""
        stop_process(self.process)
        if self.process.stdout:
            self.process.stdout.close()


__all__ = ["PrivateBus"]
