"""Each run mode of lumivex.scr starts the right thing and ends with exit code 0: the saver
(/s) and the plain mode, the settings dialog (/c), the password change (/a), the exception box of
a bad preview handle, and a second full-screen instance that ends at once."""

import pytest

from conftest import (APP_TITLE, APPEAR_TIMEOUT, DIALOG_CLASS, EXIT_TIMEOUT, SAVER_CLASS,
                      SETTINGS_CLASS, WS_CAPTION, WS_CHILD, WS_EX_TOPMOST, WS_POPUP,
                      WS_THICKFRAME, of_class, screen, wait_for, wait_for_windows,
                      wait_until_gone)


@pytest.mark.parametrize("switches, running_flag", [
    (("/s",), 1),   # as the system's screen saver: the running flag is on while it runs
    ((), 0),        # plain mode (no switch): the same window, the flag left alone
], ids=["saver", "plain"])
def test_full_screen_mode_covers_the_screen_until_a_key(desk, helper, switches, running_flag):
    saver = desk.start(*switches)
    [window] = wait_for_windows(helper, SAVER_CLASS)
    assert window["style"] & WS_POPUP
    assert not window["style"] & (WS_CHILD | WS_CAPTION | WS_THICKFRAME), "not borderless"
    assert window["exstyle"] & WS_EX_TOPMOST
    assert window["rect"] == [0, 0, *desk.session.screen_size]
    [application] = [w for w in helper.windows() if w["class"] == "TApplication"]
    assert application["caption"] == APP_TITLE and not application["visible"]
    shown = desk.wait_for_covered_screen()
    assert screen.black_fraction(shown) > 0.5, "the saver's background is not black"
    assert desk.running_flag() == running_flag

    desk.key("a")
    assert saver.wait_exit() == 0
    assert desk.running_flag() == 0


@pytest.mark.parametrize("close", ["escape", "cancel"])
def test_settings_dialog_opens_and_closes(desk, helper, close):
    saver = desk.start("/c")
    [dialog] = wait_for_windows(helper, SETTINGS_CLASS, caption="Lumivex Settings")
    if close == "escape":
        desk.key("Escape")
    else:
        helper.click(dialog["hwnd"], "Cancel")
    assert saver.wait_exit() == 0
    assert not of_class(helper.windows(), SAVER_CLASS, visible=True)


def test_password_change_mode_shows_no_window(desk, helper):
    saver = desk.start("/a", "1234")
    seen = []

    def ended():  # looks for windows for as long as the process lives
        seen.extend(w for w in helper.windows() if w["visible"] and w["class"] in
                    (SAVER_CLASS, SETTINGS_CLASS, DIALOG_CLASS))
        return not saver.running

    wait_for(ended, timeout=EXIT_TIMEOUT, interval=0, what="lumivex.scr /a 1234 to end")
    assert saver.wait_exit() == 0
    assert not seen


@pytest.mark.parametrize("copy", [None, ("Program Files/Lumivex Test", "Lumivex Saver.scr")],
                         ids=["installed", "path with blanks"])
def test_bad_preview_handle_shows_the_exception_box(desk, helper, copy):
    # Run from a quoted path with blanks, the program must still find its switch after it.
    program = desk.install_copy(*copy) if copy else None
    saver = desk.start("/p", "x", program=program)
    [box] = wait_for(lambda: [d for d in helper.dialogs() if d["visible"]],
                     timeout=APPEAR_TIMEOUT, what="the exception box")
    assert (box["caption"], box["text"], box["buttons"]) == \
        (APP_TITLE, "'x' is not a valid integer value.", ["OK"])
    assert saver.running, "the process must wait for the box to be dismissed"
    assert not of_class(helper.windows(), SAVER_CLASS)

    helper.click(box["hwnd"], "OK")
    assert saver.wait_exit() == 0
    assert not of_class(helper.windows(), SAVER_CLASS, visible=True)


def test_second_saver_ends_at_once(desk, helper):
    first = desk.start("/s")
    wait_for_windows(helper, SAVER_CLASS)
    second = desk.start("/s")
    assert second.wait_exit() == 0
    assert len(of_class(helper.windows(), SAVER_CLASS)) == 1
    assert first.running

    desk.key("a")
    assert first.wait_exit() == 0
    wait_until_gone(helper, SAVER_CLASS)
