"""Only system DLLs: lumivex.scr imports at link time only DLLs that Windows takes from its
known-DLL list or the side-by-side store, and a PASSWORD.CPL and an MPR.DLL planted beside it
(and in the current folder), as a downloads folder might hold them, are never loaded: not in
/s with the password option set, not in /a."""

import subprocess

import pytest

from conftest import SAVER, SAVER_CLASS, WIN_DIR, wait_for_windows
from test_password import Provider, set_password_option
from winenv import wine

PLANTED = [WIN_DIR / "tests" / "planted" / name for name in ("PASSWORD.CPL", "MPR.DLL")]

# Loaded by Windows from the system folder whatever the search path says: the known DLLs (and
# ntdll, always loaded first), and COMCTL32 version 6, which the manifest takes from the
# side-by-side store.
KNOWN_DLLS = {"ntdll.dll", "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll",
              "comdlg32.dll", "shell32.dll", "shlwapi.dll", "ole32.dll", "oleaut32.dll",
              "msvcrt.dll", "imm32.dll", "psapi.dll", "rpcrt4.dll", "sechost.dll",
              "setupapi.dll", "shcore.dll", "ws2_32.dll", "combase.dll", "imagehlp.dll"}
SIDE_BY_SIDE = {"comctl32.dll"}


def imported_dlls(program):
    """The DLL names of the import table proper (delay-loaded DLLs are listed apart)."""
    dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", str(program)], capture_output=True,
                          text=True, check=True).stdout
    names, in_imports = [], False
    for line in dump.splitlines():
        if line.startswith("The Import Tables"):
            in_imports = True
        elif line.startswith(("The ", "There is", "PE File")):
            in_imports = False
        elif in_imports and "DLL Name:" in line:
            names.append(line.split("DLL Name:")[1].strip().lower())
    return names


def test_imports_only_dlls_windows_loads_from_its_own_folders():
    names = imported_dlls(SAVER)
    assert "kernel32.dll" in names  # so that an empty reading cannot pass
    assert [n for n in names if n not in KNOWN_DLLS | SIDE_BY_SIDE] == []
    if "comctl32.dll" in names:
        assert b"Microsoft.Windows.Common-Controls" in SAVER.read_bytes(), \
            "COMCTL32 is imported without the manifest that takes it from the side-by-side store"


@pytest.fixture
def downloads(desk):
    """lumivex.scr in C:\\dl with the planted DLLs beside it; returns (folder, saver path)."""
    folder = desk.session.install([SAVER, *PLANTED], "dl")
    (folder / "planted.log").unlink(missing_ok=True)
    return folder, desk.session.windows_path(folder / SAVER.name)


@pytest.fixture
def provider(desk):
    provider = Provider(desk.system_folder)
    provider.log.unlink(missing_ok=True)
    yield provider
    set_password_option(desk, None)


def planted_log(folder):
    log = folder / "planted.log"
    return log.read_text().splitlines() if log.exists() else []


def test_saver_with_a_password_loads_the_provider_from_the_system_folder_only(
        desk, helper, downloads, provider):
    folder, saver_path = downloads
    set_password_option(desk, ("REG_DWORD", "1"))
    provider.answer("yes")
    helper.set_cursor(500, 400)
    saver = desk.start("/s", program=saver_path, cwd=folder)
    wait_for_windows(helper, SAVER_CLASS)
    desk.key("a")
    assert saver.wait_exit() == 0
    assert planted_log(folder) == []
    assert provider.questions(), "the system folder's provider was not asked"


def test_password_change_never_loads_a_planted_mpr(desk, downloads):
    folder, saver_path = downloads
    # Wine loads its own built-in MPR.DLL before any file of that name; Windows takes the
    # file it finds first. Native first here, as on Windows, or the test could not fail.
    env = dict(desk.session.env)
    env["WINEDLLOVERRIDES"] += ";mpr=n,b"
    run = subprocess.run(wine(saver_path, "/a", "0"), env=env, cwd=folder,
                         stdin=subprocess.DEVNULL, capture_output=True, timeout=60, check=False)
    assert run.returncode == 0
    assert planted_log(folder) == []
