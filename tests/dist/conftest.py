"""Shared ground of the release tests: where `make dist` put the release files, the product they
are for, and a fresh Wine machine per test on which the installer runs as a user would run it."""

import os
import subprocess
import sys
from contextlib import contextmanager
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tests" / "harness"))
sys.path.insert(0, str(ROOT / "tools" / "dist"))
from winenv import WineSession, log_tail, wait_for  # noqa: E402
from product import read_product  # noqa: E402


def _folder(variable, default):
    folder = Path(os.environ.get(variable, default))
    return folder if folder.is_absolute() else ROOT / folder


WIN_DIR = _folder("LUMIVEX_WIN_DIR", ROOT / "build" / "win")
DIST_DIR = _folder("LUMIVEX_DIST_DIR", ROOT / "build" / "dist")
SAVER = WIN_DIR / "lumivex.scr"
LINK_MAP = WIN_DIR / "lumivex.map"  # the linker's account of what went into SAVER

DESKTOP = r"HKCU\Control Panel\Desktop"
UNINSTALL = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumivex"
SETTINGS = r"HKLM\SOFTWARE\Orvanta\Lumivex"
INSTALLED_SAVER = r"C:\windows\system32\lumivex.scr"
INSTALL_DIR = r"C:\Program Files\Lumivex"
UNINSTALLER = INSTALL_DIR + r"\uninstall.exe"

# Generous: the machine may be busy; a wait ends as soon as its condition holds.
UNINSTALL_TIMEOUT = 120


class Release:
    """The files of build/dist, for the build/win lumivex.scr they were made from."""

    def __init__(self, folder, saver):
        self.folder = folder
        self.product = read_product(saver)
        self.setup = folder / self.product.setup_name
        self.zip = folder / self.product.zip_name
        self.sums = folder / "SHA256SUMS"


@pytest.fixture(scope="session")
def release():
    if not SAVER.is_file():
        pytest.fail(f"missing {SAVER} (run `make win`)")
    found = Release(DIST_DIR, SAVER)
    missing = [str(p) for p in (found.setup, found.zip, found.sums) if not p.is_file()]
    if missing:
        pytest.fail("missing release files (run `make dist`): " + ", ".join(missing))
    return found


class Machine:
    """A fresh Windows machine (Wine prefix and display) with the installer in C:\\dl."""

    def __init__(self, session, setup):
        self.session = session
        folder = session.install([setup], "dl")
        self.setup = session.windows_path(folder / Path(setup).name)

    def install(self, *switches):
        """Runs the installer to its end and returns its exit code."""
        return self.session.run(self.setup, *switches)

    def uninstall(self):
        """Runs the registered quiet uninstall and waits for it to finish: the uninstaller hands
        over to a copy of itself in the temporary folder, and removes the Apps & Features entry
        last. When it does not, the error names the processes still running and what Wine
        reported about them."""
        process, log = self.session.spawn_logged("uninstall", UNINSTALLER, "/S")
        try:
            process.wait(timeout=UNINSTALL_TIMEOUT)
            wait_for(lambda: self.value(UNINSTALL, "DisplayName") is None,
                     timeout=UNINSTALL_TIMEOUT, interval=0.2,
                     what="the uninstaller to remove the Apps & Features entry")
        except (subprocess.TimeoutExpired, TimeoutError) as error:
            running = ["  " + line for line in self.session.processes()]
            report = ["processes of the machine:", *running, "Wine's errors:", *log_tail(log)]
            raise TimeoutError("\n".join([str(error), *report])) from None
        return process.returncode

    def file(self, windows_path):
        """The unix path of a C:\\ path of this machine."""
        assert windows_path[:3].upper() == "C:\\", windows_path
        return self.session.drive_c.joinpath(*windows_path[3:].split("\\"))

    def value(self, key, name):
        """A registry value (in the 64-bit view) as `reg query` shows it, or None when it or
        its key does not exist. REG_DWORD values come back as ints."""
        output = self.session.reg_query(key, "/v", name, "/reg:64")
        if output is None:
            return None
        for line in output.splitlines():
            parts = line.strip().split("    ", 2)
            if len(parts) >= 2 and parts[0].lower() == name.lower() and parts[1].startswith("REG_"):
                text = parts[2] if len(parts) == 3 else ""
                return int(text, 16) if parts[1] == "REG_DWORD" else text
        return None

    def set_value(self, key, name, data, kind="REG_SZ"):
        self.session.reg("add", key, "/v", name, "/t", kind, "/d", data, "/f", "/reg:64")

    def delete_value(self, key, name):
        self.session.reg("delete", key, "/v", name, "/f", "/reg:64")


@contextmanager
def fresh_machine(setup):
    """A Machine on a new prefix and display, stopped and removed afterwards."""
    with WineSession() as session:
        yield Machine(session, setup)


@pytest.fixture
def machine(release):
    with fresh_machine(release.setup) as fresh:
        yield fresh
