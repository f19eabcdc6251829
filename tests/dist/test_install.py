"""The installer and uninstaller on a fresh Windows machine each (Wine): where the saver goes,
what Apps & Features shows, which saver the user has before, during and after Lumivex, and that
the settings outlive an uninstall. Wine runs everything as an administrator, so the refusal
for a standard user cannot be shown here."""

import json
import subprocess
import zipfile

import pytest

from conftest import (DESKTOP, INSTALL_DIR, INSTALLED_SAVER, LINK_MAP, ROOT, SAVER, SETTINGS,
                      UNINSTALL, UNINSTALLER, WIN_DIR)
from notice_check import notice_faults
from pe_facts import identity_faults
from rain_cells import DARK_COLOR, LIGHT_COLOR, NORMAL_COLOR, CellReader, wait_for_reading
from winenv import wait_for, wine
from xscreen import ScreenReader

OTHER_SAVER = r"C:\windows\system32\Ribbons.scr"
LATER_SAVER = r"C:\windows\system32\Bubbles.scr"
SPEED = 170  # a stored setting that is not the design value
RAIN_CELLS = 100
APPEAR_TIMEOUT = 90
EXIT_TIMEOUT = 30
HELPER = WIN_DIR / "tests" / "lvhelper.exe"


def store_a_setting(machine):
    machine.set_value(SETTINGS, "Speed", str(SPEED), "REG_DWORD")


def test_silent_install_puts_the_saver_where_windows_looks_and_it_runs(machine, release):
    assert machine.install("/S") == 0

    installed = machine.file(INSTALLED_SAVER)
    assert installed.read_bytes() == SAVER.read_bytes()
    assert not machine.file(r"C:\windows\syswow64\lumivex.scr").exists()
    assert machine.value(DESKTOP, "SCRNSAVE.EXE").lower() == INSTALLED_SAVER.lower()
    assert machine.value(DESKTOP, "ScreenSaveActive") == "1"

    product = release.product
    entry = {name: machine.value(UNINSTALL, name) for name in (
        "DisplayName", "DisplayVersion", "Publisher", "DisplayIcon", "InstallLocation",
        "UninstallString", "QuietUninstallString", "NoModify", "NoRepair")}
    assert entry == {
        "DisplayName": product.name, "DisplayVersion": product.version,
        "Publisher": product.publisher, "DisplayIcon": UNINSTALLER,
        "InstallLocation": INSTALL_DIR, "UninstallString": f'"{UNINSTALLER}"',
        "QuietUninstallString": f'"{UNINSTALLER}" /S', "NoModify": 1, "NoRepair": 1}
    folder = machine.file(INSTALL_DIR)
    installed_bytes = installed.stat().st_size + sum(f.stat().st_size for f in folder.iterdir())
    assert abs(machine.value(UNINSTALL, "EstimatedSize") - installed_bytes // 1024) <= 2
    assert identity_faults(folder / "uninstall.exe", product, ROOT / "res" / "lumivex.ico") == []
    notices = (folder / "THIRD-PARTY-NOTICES.txt").read_bytes()
    assert notice_faults(notices, LINK_MAP) == []
    with zipfile.ZipFile(release.zip) as archive:
        assert notices == archive.read("THIRD-PARTY-NOTICES.txt")

    saver = machine.session.spawn(INSTALLED_SAVER, "/s")
    reader = CellReader([NORMAL_COLOR, LIGHT_COLOR, DARK_COLOR], machine.session.screen_size)
    with ScreenReader(machine.session.display, (0, 0, *machine.session.screen_size)) as screen:
        wait_for_reading(screen.shot, reader, lambda r: r.glyph_cells() >= RAIN_CELLS,
                         APPEAR_TIMEOUT, f"{RAIN_CELLS} cells of rain from the installed saver")
    machine.session.xdotool("key", "space")
    assert saver.wait(timeout=EXIT_TIMEOUT) == 0


# The saver the user has: before the install, after it, after they choose one themselves
# (None: they do not), and after the uninstall. None in a saver column: no SCRNSAVE.EXE.
SAVER_CHOICES = {
    "a saver set before comes back": (("/S",), OTHER_SAVER, INSTALLED_SAVER, None, OTHER_SAVER),
    "no saver before: the value goes": (("/S",), None, INSTALLED_SAVER, None, None),
    "a saver chosen after stays": (("/S",), OTHER_SAVER, INSTALLED_SAVER, LATER_SAVER, LATER_SAVER),
    "/KEEPSAVER leaves the choice alone": (("/S", "/KEEPSAVER"), OTHER_SAVER, OTHER_SAVER, None,
                                           OTHER_SAVER),
}


@pytest.mark.parametrize("switches, before, installed, chosen, after", SAVER_CHOICES.values(),
                         ids=SAVER_CHOICES.keys())
def test_uninstall_gives_back_the_users_saver_and_keeps_the_settings(
        machine, switches, before, installed, chosen, after):
    store_a_setting(machine)
    if before:
        machine.set_value(DESKTOP, "SCRNSAVE.EXE", before)
    assert machine.install(*switches) == 0
    assert (machine.value(DESKTOP, "SCRNSAVE.EXE") or "").lower() == (installed or "").lower()
    if chosen:
        machine.set_value(DESKTOP, "SCRNSAVE.EXE", chosen)

    assert machine.uninstall() == 0

    assert machine.value(DESKTOP, "SCRNSAVE.EXE") == after
    assert not machine.file(INSTALLED_SAVER).exists()
    assert not machine.file(INSTALL_DIR).exists()
    assert machine.value(SETTINGS, "Speed") == SPEED
    assert machine.value(r"HKCU\Software\Orvanta\Lumivex Setup", "PreviousScreenSaver") is None


def test_installing_twice_keeps_the_first_previous_saver_and_the_settings(machine):
    machine.set_value(DESKTOP, "SCRNSAVE.EXE", OTHER_SAVER)
    assert machine.install("/S") == 0
    store_a_setting(machine)
    machine.file(INSTALLED_SAVER).write_bytes(b"an older lumivex.scr")

    assert machine.install("/S") == 0

    assert machine.file(INSTALLED_SAVER).read_bytes() == SAVER.read_bytes()
    assert machine.value(SETTINGS, "Speed") == SPEED
    assert machine.uninstall() == 0
    assert machine.value(DESKTOP, "SCRNSAVE.EXE") == OTHER_SAVER
    assert machine.value(SETTINGS, "Speed") == SPEED


def test_install_that_cannot_write_the_saver_fails_and_changes_nothing(machine):
    machine.set_value(DESKTOP, "SCRNSAVE.EXE", OTHER_SAVER)
    machine.file(INSTALLED_SAVER).mkdir()  # stands where the file must go

    assert machine.install("/S") != 0

    assert machine.value(UNINSTALL, "DisplayName") is None
    assert machine.value(DESKTOP, "SCRNSAVE.EXE") == OTHER_SAVER


def ask_helper(machine, *words):
    result = subprocess.run(wine(HELPER, *words), env=machine.session.env,
                            stdin=subprocess.DEVNULL, capture_output=True, timeout=60)
    answer = result.stdout.decode(errors="replace").strip()
    assert result.returncode == 0, f"lvhelper {' '.join(map(str, words))}: {answer}"
    return answer


def wait_for_dialog(machine, accept, what):
    def found():
        return next((d for d in json.loads(ask_helper(machine, "dialogs"))
                     if d["visible"] and accept(d)), None)
    return wait_for(found, timeout=APPEAR_TIMEOUT, interval=0.5, what=what)


def test_uninstall_while_the_saver_runs_removes_it_at_restart_and_says_so(machine):
    """The uninstaller as a user sees it: its page says the settings stay, and a running
    saver, which Windows will not delete, is left for the next restart with a word to the user.
    The saver runs as its settings dialog: the full-screen saver ends as soon as another
    program's window (the uninstaller's) takes the foreground, and the dialog keeps the file
    in use just the same."""
    assert machine.install("/S") == 0
    saver = machine.session.spawn(INSTALLED_SAVER, "/c")
    wait_for(lambda: any(w["class"] == "TVellixForm" and w["visible"]
                         for w in json.loads(ask_helper(machine, "windows"))),
             timeout=APPEAR_TIMEOUT, interval=0.5, what="the installed saver's window")
    machine.session.spawn(UNINSTALLER)

    # The window comes before the page in it: wait for the page's words.
    page = wait_for_dialog(machine, lambda d: "Uninstall" in d["buttons"]
                           and "settings are kept" in d["text"],
                           "the uninstaller's page saying that the settings are kept")
    ask_helper(machine, "click", page["hwnd"], "Uninstall")
    told = wait_for_dialog(machine, lambda d: "restart" in d["text"], "the restart message")
    assert r"system32\lumivex.scr will be removed when Windows restarts" in told["text"]
    ask_helper(machine, "click", told["hwnd"], "OK")

    wait_for(lambda: machine.value(UNINSTALL, "DisplayName") is None, timeout=APPEAR_TIMEOUT,
             interval=0.5, what="the Apps & Features entry to go")
    pending = machine.value(r"HKLM\System\CurrentControlSet\Control\Session Manager",
                            "PendingFileRenameOperations")
    assert "lumivex.scr" in (pending or "").lower()
    assert not machine.file(INSTALL_DIR).exists()
    assert saver.poll() is None, "the saver was to run on through the uninstall"
