"""How the overlay ends on KWin: a key, a pointer button and a pointer move of more than 5 pixels
end it with 0, as does SIGTERM; and a plain window that opens over the rain, which KWin gives the
keyboard, ends it with 0 before that window can receive a single key typed at the rain."""

import signal

import pytest

from conftest import ESCAPE, KEY_A


@pytest.mark.parametrize("events", [("key", ESCAPE), ("button",), ("move", 6, 0)],
                         ids=["key", "button", "move 6 across"])
def test_input_ends_it_with_0(desk, events):
    lumivex = desk.start("-speed", "200")
    desk.rain_shows()
    desk.input(*events)
    assert lumivex.wait_exit() == (0, "")


def test_sigterm_ends_it_with_0(desk):
    lumivex = desk.start("-speed", "200", "-density", "200", "-noise", "500")
    desk.rain_shows()
    lumivex.process.send_signal(signal.SIGTERM)
    assert lumivex.wait_exit() == (0, "")


def test_a_window_opening_over_the_rain_ends_it_before_it_gets_a_key(desk):
    lumivex = desk.start("-speed", "200")
    desk.rain_shows()
    window = desk.open_window()
    window.wait_for_line("mapped", "the plain window's first picture")
    # Taking the keyboard from the rain is what ends it: nothing is typed here.
    assert lumivex.wait_exit() == (0, "")
    assert window.keys() == [], "the window got keys while the rain was up"
    # The window has the keyboard now, and reports what is typed: its silence above was real.
    desk.input("key", KEY_A)
    window.wait_for_line(f"key {KEY_A} 1", "the window to report a key typed after the rain")
