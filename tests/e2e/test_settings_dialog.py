"""The settings dialog of the real lumivex.scr (/c): "Lumivex Settings" opens; Ok stores the eight
REG_DWORD values under HKLM\\SOFTWARE\\Orvanta\\Lumivex, as the dialog loaded them (clamped sliders,
colours unchanged to the top byte) or built in; Esc stores nothing; and the dialog opens beside a
running full-screen saver, which ends as the dialog takes the foreground. Every test starts and
ends without the settings keys; the registry is read back with `wine reg query`."""

import re

import pytest

from conftest import SAVER_CLASS, SETTINGS_CLASS, WS_EX_TOPMOST, WS_POPUP, wait_for_windows

KEY = r"HKLM\SOFTWARE\Orvanta\Lumivex"
USER_KEY = r"HKCU\SOFTWARE\Orvanta\Lumivex"
# In a fresh prefix nothing else lives under these; removing them leaves the prefix as it was.
PARENT_KEYS = (r"HKLM\SOFTWARE\Orvanta", r"HKCU\SOFTWARE\Orvanta")

DESIGN = {"Speed": 150, "Density": 20, "Balance": 0xFFFFFFE2, "Noise": 250, "Inversion": 0,
          "Normal Color": 0x00009000, "Light Color": 0x0088FF88, "Dark Color": 0x00006000}
# Every value the dialog loads, out of range or odd, and no "Inversion", which loads last:
# the sliders clamp, a colour keeps its top byte, Inversion keeps its built-in 0.
ODD = {"Speed": 300, "Density": 0, "Balance": 0xFFFFFFB3, "Noise": 900,
       "Dark Color": 0x00400000, "Light Color": 0x00FFFFFF, "Normal Color": 0x01234567}
ODD_AFTER_OK = {**ODD, "Speed": 200, "Noise": 500, "Inversion": 0}

VALUE_LINE = re.compile(r"^\s{4}(.+?)\s{4}(REG_\w+)\s{4}(.*)$")


def stored(desk, key=KEY):
    """The values of `key` as {name: (type, value)}, dwords as numbers; None when it is absent."""
    output = desk.session.reg_query(key)
    if output is None:
        return None
    values = {}
    for line in output.splitlines():
        match = VALUE_LINE.match(line)
        if match:
            name, kind, data = match.groups()
            values[name] = (kind, int(data, 16) if kind == "REG_DWORD" else data)
    return values


def as_dwords(values):
    return {name: ("REG_DWORD", value) for name, value in values.items()}


def store(desk, values):
    for name, value in values.items():
        desk.registry("add", KEY, "/v", name, "/t", "REG_DWORD", "/d", f"0x{value:08x}", "/f")


@pytest.fixture(autouse=True)
def no_settings_keys(desk):
    def remove():
        for key in PARENT_KEYS:
            desk.session.reg("delete", key, "/f", absent=True)
        assert stored(desk) is None and stored(desk, USER_KEY) is None
    remove()
    yield
    remove()


def open_dialog(desk, helper):
    """Starts lumivex.scr /c and returns the process and its dialog window."""
    process = desk.start("/c")
    [dialog] = wait_for_windows(helper, SETTINGS_CLASS, caption="Lumivex Settings")
    assert dialog["client"] == [524, 280]
    assert dialog["exstyle"] & WS_EX_TOPMOST
    return process, dialog


@pytest.mark.parametrize("before, after", [(None, DESIGN), (ODD, ODD_AFTER_OK)],
                         ids=["nothing stored", "odd values stored"])
def test_ok_stores_the_eight_values(desk, helper, before, after):
    if before:
        store(desk, before)
    process, dialog = open_dialog(desk, helper)
    helper.click(dialog["hwnd"], "Ok")
    assert process.wait_exit() == 0
    assert stored(desk) == as_dwords(after)
    assert stored(desk, USER_KEY) is None


@pytest.mark.parametrize("before", [None, ODD], ids=["nothing stored", "odd values stored"])
def test_escape_stores_nothing(desk, helper, before):
    if before:
        store(desk, before)
    process, _ = open_dialog(desk, helper)
    desk.key("Escape")
    assert process.wait_exit() == 0
    assert stored(desk) == (as_dwords(before) if before else None)
    assert stored(desk, USER_KEY) is None


def test_dialog_opened_over_a_running_saver_takes_the_foreground_and_ends_it(desk, helper):
    """The dialog is another program: it starts beside a full-screen saver (the two take
    different mutexes), and taking the foreground from it ends the saver as input would."""
    helper.set_cursor(500, 400)
    saver = desk.start("/s")
    [full_screen] = wait_for_windows(helper, SAVER_CLASS, parent=0)
    assert full_screen["style"] & WS_POPUP
    settings, _ = open_dialog(desk, helper)

    assert saver.wait_exit() == 0
    assert settings.running
    desk.key("Escape")
    assert settings.wait_exit() == 0
    assert stored(desk) is None
