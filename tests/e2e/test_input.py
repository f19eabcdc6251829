"""Which input from the real devices closes the full-screen saver: a key (with or without Alt),
any of the three mouse buttons, a move of 6 pixels from where the cursor stood at the start; not
a jitter of up to 5 pixels or the wheel. At 200 % (the prefix's DPI at 192) the same distance is
10 pixels. After it closes the cursor is back where it started. (Which window messages close it
is the input rule's own table; here the devices go through the X server and Wine as a user's
would. Wine hands a per-monitor-aware program the X server's pixels as they are, in the cursor
position and in the mouse messages alike, whatever the prefix's DPI.)"""

import pytest

from conftest import SAVER_CLASS, wait_for_windows

START = (500, 400)


def moves(*offsets):
    return lambda desk: [desk.move_to(START[0] + dx, START[1] + dy) for dx, dy in offsets]


CLOSING = {
    "key": lambda desk: desk.key("a"),
    "alt+key": lambda desk: desk.key("alt+x"),
    "left button": lambda desk: desk.click(1),
    "middle button": lambda desk: desk.click(2),
    "right button": lambda desk: desk.click(3),
    "6 px right": moves((6, 0)),
    "6 px left": moves((-6, 0)),
    "6 px down": moves((0, 6)),
    "6 px up": moves((0, -6)),
}

NOT_CLOSING = {
    "5 px jitter": moves((5, 5), (-5, -5), (5, -5), (-5, 5), (0, 0)),
    "wheel": lambda desk: [desk.click(4), desk.click(5)],
}


def start_saver(desk, helper):
    """A full-screen saver started with the cursor at START, once the X server shows it: input
    sent before then would reach no window of the saver's and be lost."""
    helper.set_cursor(*START)
    assert helper.cursor() == START
    process = desk.start("/s")
    wait_for_windows(helper, SAVER_CLASS)
    desk.wait_for_covered_screen()
    return process


@pytest.fixture
def saver(desk, helper):
    return start_saver(desk, helper)


@pytest.mark.parametrize("action", CLOSING.values(), ids=CLOSING.keys())
def test_input_closes_the_saver_and_the_cursor_returns(desk, helper, saver, action):
    action(desk)
    assert saver.wait_exit() == 0
    assert helper.cursor() == START


@pytest.mark.parametrize("action", NOT_CLOSING.values(), ids=NOT_CLOSING.keys())
def test_input_leaves_the_saver_running(desk, helper, saver, action):
    action(desk)
    assert saver.keeps_running(), "the saver closed"
    # Still measuring from the start: a real move closes it and puts the cursor back there.
    desk.move_to(START[0] + 6, START[1] + 6)
    assert saver.wait_exit() == 0
    assert helper.cursor() == START


@pytest.mark.parametrize("offset", [(11, 0), (0, -11)], ids=["11 px right", "11 px up"])
def test_at_200_percent_a_jitter_of_10_pixels_leaves_the_saver_running_and_11_close_it(desk, helper, dpi,
                                                                                      offset):
    dpi(192)
    saver = start_saver(desk, helper)
    moves((10, 10), (-10, -10), (10, -10), (-10, 10), (0, 0))(desk)
    assert saver.keeps_running(), "a jitter of 10 pixels closed the saver at 200 %"
    moves(offset)(desk)
    assert saver.wait_exit() == 0
    assert helper.cursor() == START
