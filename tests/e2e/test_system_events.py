"""What Windows does to a running saver beside the keys and the three mouse buttons: another
program taking the foreground (WM_ACTIVATEAPP, sent here straight to the window procedure as
the system does), with and without a password, the side buttons of a mouse, the saver's own
password prompt taking the activation, and a preview host with a border that changes its size."""

import pytest

from conftest import SAVER_CLASS, wait_for, wait_for_windows
from test_password import Provider, set_password_option

START = (500, 400)
WM_ACTIVATEAPP = 0x001C
OTHER_THREAD = 1234  # the thread that takes the foreground; the saver does not look at it


@pytest.fixture
def saver(desk, helper):
    """A full-screen saver started with the cursor at START, and its window."""
    helper.set_cursor(*START)
    assert helper.cursor() == START
    process = desk.start("/s")
    [window] = wait_for_windows(helper, SAVER_CLASS)
    return process, window["hwnd"]


def test_another_program_taking_the_foreground_closes_the_saver(desk, helper, saver):
    process, window = saver
    desk.move_to(START[0] + 3, START[1] + 3)  # a tremble: the cursor goes back from here
    helper.ask("send", window, WM_ACTIVATEAPP, 1, OTHER_THREAD)
    assert process.keeps_running(), "the saver closed when its own program was activated"
    helper.ask("send", window, WM_ACTIVATEAPP, 0, OTHER_THREAD)
    assert process.wait_exit() == 0
    assert helper.cursor() == START


@pytest.mark.parametrize("button", [8, 9], ids=["first side button", "second side button"])
def test_a_side_button_closes_the_saver(desk, helper, saver, button):
    process, _ = saver
    desk.click(button)
    assert process.wait_exit() == 0
    assert helper.cursor() == START


@pytest.fixture
def provider(desk):
    provider = Provider(desk.system_folder)
    provider.log.unlink(missing_ok=True)
    provider.answer("no")
    yield provider
    provider.modal_file.unlink(missing_ok=True)
    set_password_option(desk, None)


def test_losing_the_foreground_asks_the_password_and_its_prompt_does_not_close_the_saver(
        desk, helper, provider):
    """Losing the foreground closes the saver as input does, through the password check. The
    prompt is a window of the saver's own thread: taking the activation from the saver's window
    while it asks is no other program taking the foreground, and asks nothing more."""
    set_password_option(desk, ("REG_DWORD", "1"))
    provider.show_prompt_for(3000)
    helper.set_cursor(*START)
    saver = desk.start("/s")
    [window] = wait_for_windows(helper, SAVER_CLASS)

    helper.ask("send", window["hwnd"], WM_ACTIVATEAPP, 0, OTHER_THREAD)
    wait_for(lambda: "answered no" in provider.lines(), timeout=30, what="the provider to refuse")
    assert saver.keeps_running(), "the saver closed although the provider said no"
    assert len(provider.questions()) == 1, provider.lines()

    provider.modal_file.unlink()
    provider.answer("yes")
    desk.key("a")
    assert saver.wait_exit() == 0


def test_preview_fills_the_client_area_of_a_framed_host_and_follows_its_size(desk, helper):
    host = int(helper.ask("framedhost", 333, 222, 100, 120))
    desk.start("/p", host)
    for size in [None, (451, 317), (199, 151)]:
        if size:
            helper.ask("resize", host, *size)

        def filled():
            windows = helper.windows()
            [framed] = [w for w in windows if w["hwnd"] == host]
            previews = [w for w in windows if w["class"] == SAVER_CLASS and w["parent"] == host]
            return previews and previews[0]["client"] == framed["client"] and (framed, previews[0])

        framed, preview = wait_for(filled, timeout=30, interval=0.2,
                                   what=f"the preview to fill the host's client area ({size or 'at start'})")
        left, top, right, bottom = framed["rect"]
        border = (right - left - framed["client"][0]) // 2
        assert border > 0, "the host has no border"
        # Inside the border, not over it.
        assert preview["rect"] == [left + border, top + border, right - border, bottom - border]
