"""Which user input closes the full-screen saver: a key (with or without Alt), any of the three
mouse buttons, a move of 6 pixels from where the cursor stood at the start; not a jitter of up to
5 pixels, a key or button release, a character, a double-click or the wheel. After it closes the
cursor is back where it started."""

import pytest

from conftest import SAVER_CLASS, wait_for_windows

START = (500, 400)

WM_KEYDOWN, WM_KEYUP, WM_CHAR, WM_SYSKEYUP = 0x0100, 0x0101, 0x0102, 0x0105
WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONUP, WM_MBUTTONUP = 0x0202, 0x0203, 0x0205, 0x0208
VK_A, VK_MENU = 0x41, 0x12
KEY_RELEASE_BITS = 0xC0000001  # lParam of a key-up: repeat count 1, previous state down, released


def moves(*offsets):
    return lambda desk, window: [desk.move_to(START[0] + dx, START[1] + dy) for dx, dy in offsets]


def posts(*messages):
    return lambda desk, window: [desk.helper.post(window, *message) for message in messages]


CLOSING = {
    "key": lambda desk, window: desk.key("a"),
    "alt+key": lambda desk, window: desk.key("alt+x"),
    "left button": lambda desk, window: desk.click(1),
    "middle button": lambda desk, window: desk.click(2),
    "right button": lambda desk, window: desk.click(3),
    "6 px right": moves((6, 0)),
    "6 px left": moves((-6, 0)),
    "6 px down": moves((0, 6)),
    "6 px up": moves((0, -6)),
    # Shows that a posted message reaches the saver, which the releases below rely on.
    "posted key press": posts((WM_KEYDOWN, VK_A, 1)),
}

NOT_CLOSING = {
    "5 px jitter": moves((5, 5), (-5, -5), (5, -5), (-5, 5), (0, 0)),
    "wheel": lambda desk, window: [desk.click(4), desk.click(5)],
    "key release": posts((WM_KEYUP, VK_A, KEY_RELEASE_BITS),
                         (WM_SYSKEYUP, VK_MENU, KEY_RELEASE_BITS)),
    "button release": posts((WM_LBUTTONUP,), (WM_RBUTTONUP,), (WM_MBUTTONUP,)),
    "character and double-click": posts((WM_CHAR, ord("a"), 1), (WM_LBUTTONDBLCLK,)),
}


@pytest.fixture
def saver(desk, helper):
    """A full-screen saver started with the cursor at START, and its window."""
    helper.set_cursor(*START)
    assert helper.cursor() == START
    process = desk.start("/s")
    [window] = wait_for_windows(helper, SAVER_CLASS)
    return process, window["hwnd"]


@pytest.mark.parametrize("action", CLOSING.values(), ids=CLOSING.keys())
def test_input_closes_the_saver_and_the_cursor_returns(desk, helper, saver, action):
    process, window = saver
    action(desk, window)
    assert process.wait_exit() == 0
    assert helper.cursor() == START


@pytest.mark.parametrize("action", NOT_CLOSING.values(), ids=NOT_CLOSING.keys())
def test_input_leaves_the_saver_running(desk, helper, saver, action):
    process, window = saver
    action(desk, window)
    assert process.keeps_running(), "the saver closed"
    # Still measuring from the start: a real move closes it and puts the cursor back there.
    desk.move_to(START[0] + 6, START[1] + 6)
    assert process.wait_exit() == 0
    assert helper.cursor() == START
