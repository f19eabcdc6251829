"""The settings dialog of the real lumivex.scr (/c): "Lumivex Settings" opens; Ok stores the eight
REG_DWORD values under HKLM\\SOFTWARE\\Orvanta\\Lumivex, as the dialog loaded them (clamped sliders,
colours unchanged to the top byte) or built in; Esc stores nothing; and the dialog opens beside a
running full-screen saver, which ends as the dialog takes the foreground. Opened for a window of
another program (/c:N), it belongs to that window, which takes no input while it is open; without
such a window it opens on its own. Every test starts and ends without the settings keys; the
registry is read back with `wine reg query`."""

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


def window_of(helper, hwnd):
    [window] = [w for w in helper.windows() if w["hwnd"] == hwnd]
    return window


def centre(rect):
    return (rect[0] + rect[2]) / 2, (rect[1] + rect[3]) / 2


@pytest.mark.parametrize("separator", [":", " "], ids=["/c:N", "/c N"])
@pytest.mark.parametrize("place", [(300, 200), (880, 640)], ids=["mid-screen", "by the corner"])
def test_dialog_opened_for_a_window_belongs_to_it_until_it_closes(desk, helper, separator, place):
    """/c:N, as the system's Screen Saver Settings opens it: the dialog is owned by window N, which
    takes no input while the dialog is open and takes it again once it closes; the dialog opens
    centred over N, moved only as far as it must to lie wholly on N's monitor."""
    host = helper.host(400, 300, *place)
    process = desk.start(*(["/c", host] if separator == " " else [f"/c:{host}"]))
    [dialog] = wait_for_windows(helper, SETTINGS_CLASS, caption="Lumivex Settings")
    assert dialog["owner"] == host
    assert not window_of(helper, host)["enabled"]

    width, height = desk.session.screen_size
    left, top, right, bottom = dialog["rect"]
    assert 0 <= left and 0 <= top and right <= width and bottom <= height, dialog["rect"]
    host_rect = window_of(helper, host)["rect"]
    want = [min(max(c - size / 2, 0), limit - size) + size / 2
            for c, size, limit in zip(centre(host_rect), (right - left, bottom - top), (width, height))]
    assert centre(dialog["rect"]) == pytest.approx(want, abs=1)

    helper.click(dialog["hwnd"], "Cancel")
    assert process.wait_exit() == 0
    assert window_of(helper, host)["enabled"]
    assert stored(desk) is None


@pytest.mark.parametrize("number", ["", ":", ":12x", ":gone"], ids=["no number", "empty", "not a number",
                                                                     "no such window"])
def test_dialog_without_a_window_opens_on_its_own_centred_on_the_screen(desk, helper, number):
    """Without a number, or with one that is no window, the dialog opens as on its own: centred on
    the screen, owned by the program's own window. The number is never an error."""
    if number == ":gone":
        gone = helper.host(100, 100, 10, 10)
        helper.destroy(gone)
        number = f":{gone}"
    process = desk.start(f"/c{number}")
    [dialog] = wait_for_windows(helper, SETTINGS_CLASS, caption="Lumivex Settings")
    assert window_of(helper, dialog["owner"])["pid"] == dialog["pid"]
    width, height = desk.session.screen_size
    assert centre(dialog["rect"]) == pytest.approx((width / 2, height / 2), abs=1)
    assert not helper.dialogs(), "a box opened beside the dialog"
    desk.key("Escape")
    assert process.wait_exit() == 0
