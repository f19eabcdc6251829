"""How the overlay ends: a key press, a pointer button or scroll, or a pointer move of more than
5 pixels from where the pointer entered end it with 0, a smaller move does not, nor does a key
that was already held when it started; SIGTERM, SIGINT
and SIGHUP end it with 0; the compositor going away ends it with 1."""

import json
import signal
import subprocess
import time

import pytest

from conftest import EXIT_TIMEOUT, OUTPUT_SIZE, Desk, Sway, still_running, stop_all, wait_for
from rain_cells import LIGHT_COLOR, NORMAL_COLOR

DESIGN = [NORMAL_COLOR, LIGHT_COLOR]


def rain_shows(desk):
    desk.reading(DESIGN, lambda r: r.glyph_cells() >= 20, "rain on the output")


@pytest.mark.parametrize("events, ends", [
    (("key",), True),
    (("move", 3, 4), False),
    (("move", 3, -2, "move", -4, 3), False),   # wandering within 5 pixels of the entry
    (("move", 6, 0), True),
    (("move", 0, 7), True),
    (("button",), True),
    (("scroll",), True),
], ids=["key", "move 3,4", "wander", "move 6 across", "move 7 down", "button", "scroll"])
def test_input(desk, events, ends):
    lumivex = desk.start("-speed", "200")
    rain_shows(desk)
    if events == ("key",):
        desk.press_key()
    else:
        desk.pointer(*events)
    if ends:
        assert lumivex.wait_exit() == (0, "")
    else:
        assert still_running(lumivex), lumivex.wait_exit()


@pytest.mark.parametrize("ending", [signal.SIGTERM, signal.SIGINT, signal.SIGHUP], ids=lambda s: s.name)
def test_a_signal_ends_it_with_0(desk, ending):
    lumivex = desk.start("-speed", "200", "-density", "200", "-noise", "500")
    rain_shows(desk)
    sent = time.monotonic()
    lumivex.process.send_signal(ending)
    assert lumivex.wait_exit() == (0, "")
    print(f"{ending.name} to exit: {1000 * (time.monotonic() - sent):.1f} ms")


def test_the_compositor_going_away_ends_it_with_1():
    sway = Sway(OUTPUT_SIZE)
    desk = Desk(sway)
    try:
        lumivex = desk.start("-speed", "200")
        rain_shows(desk)
        sway.stop()
        code, errors = lumivex.wait_exit()
        assert (code, errors.strip()) == (1, "lumivex: the Wayland compositor closed the connection")
    finally:
        stop_all(desk)
        sway.stop()


def test_a_key_held_before_it_starts_ends_nothing_when_released(desk):
    # wtype adds a keyboard to the seat and presses x before lumivex starts; lumivex's surface
    # then gets the keyboard with x already down, and x comes up while it runs.
    holder = subprocess.Popen(["wtype", "-P", "x", "-s", "3000", "-p", "x"], env=desk.sway.env(),
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        wait_for(lambda: any(device["type"] == "keyboard" for device in
                             json.loads(desk.sway.swaymsg("-r", "-t", "get_inputs"))),
                 timeout=EXIT_TIMEOUT, what="wtype's keyboard on the seat")
        lumivex = desk.start("-speed", "200")
        rain_shows(desk)
        holder.wait(timeout=EXIT_TIMEOUT)     # x released, the keyboard gone
        assert still_running(lumivex), lumivex.wait_exit()
    finally:
        if holder.poll() is None:
            holder.kill()
        holder.wait()
