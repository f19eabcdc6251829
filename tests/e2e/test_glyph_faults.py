"""A module whose glyph sheets are missing or damaged: the saver shows the exception box with a
clear text, does not crash, still closes on input (or with its host) and ends with code 0. The
programs are lumivex.scr built from such modules (tests/helper/glyph_faults)."""

import pytest

from conftest import APP_TITLE, SAVER_CLASS, WIN_DIR, wait_for, wait_for_windows

HOST_SIZE, HOST_AT = (200, 150), (100, 120)


def wait_for_box(helper):
    # Only once it is shown: a message box gets its text and loses its unused buttons before.
    def box():
        return [d for d in helper.dialogs() if d["caption"] == APP_TITLE and d["visible"]]
    [found] = wait_for(box, timeout=60, what="the exception box")
    return found


@pytest.mark.parametrize("variant, switch, text", [
    ("without_glyphs", "/s", "Resource INDEX not found."),
    ("damaged_glyphs", "/s", "Resource INDEX is damaged."),
    ("damaged_glyphs", "/p", "Resource INDEX_S is too small for 1 x 50 glyphs."),
], ids=["missing, saver", "cut off, saver", "too small, preview"])
def test_a_missing_or_damaged_sheet_is_reported_and_the_saver_still_ends(
        desk, helper, variant, switch, text):
    program = desk.session.install([WIN_DIR / "tests" / variant / "lumivex.scr"], variant)
    path = desk.session.windows_path(program / "lumivex.scr")
    host = helper.host(*HOST_SIZE, *HOST_AT) if switch == "/p" else None
    helper.set_cursor(500, 400)
    saver = desk.start(*([switch, host] if host else [switch]), program=path)

    box = wait_for_box(helper)
    assert box["text"] == text and box["buttons"] == ["OK"]
    helper.click(box["hwnd"], "OK")
    [window] = wait_for_windows(helper, SAVER_CLASS)
    assert desk.answers(saver, window["hwnd"]), "the saver ended (or crashed) after the box"
    if host:
        helper.destroy(host)
    else:
        desk.key("a")
    assert saver.wait_exit() == 0
