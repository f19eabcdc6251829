"""lumivex -wayland -idle on GNOME Shell, whose idle time only its idle monitor on the session bus
tells: nothing drawn until 3 seconds without input, the rain after, hidden on a key while the
program goes on, the rain again after 3 more seconds, and SIGTERM ending it with 0. The session
bus going away ends it with 1 and one line."""

import signal
import time

from conftest import KEY_A, SCREEN_SIZE, Desk, wait_for
from gnome import GnomeShell

IDLE_SECONDS = 3
DESKTOP_TIMEOUT = 30


# Shots until this long after the last input must show the desktop: the idle time counts from
# the input, which the remote desktop has passed on by the time its call returns.
QUIET_SECONDS = IDLE_SECONDS - 0.5


def desktop_then_rain(desk, desktop, input_at):
    """Checks that every shot shows `desktop` unchanged until shortly before the idle time has
    passed since `input_at`, then waits for the rain."""
    while time.monotonic() - input_at < QUIET_SECONDS:
        assert desk.shows(desktop), f"something drawn {time.monotonic() - input_at:.1f} s after the last input"
    desk.rain_shows(f"the rain after {IDLE_SECONDS} s without input")


def test_the_rain_comes_after_the_idle_time_goes_on_input_and_comes_again(desk):
    desktop = desk.desktop()
    desk.shell.move(1, 0)   # the seat's last input, from which the idle time counts
    input_at = time.monotonic()
    lumivex = desk.start("-idle", IDLE_SECONDS, "-speed", "200")
    desktop_then_rain(desk, desktop, input_at)

    desk.shell.key(KEY_A)
    input_at = time.monotonic()
    wait_for(lambda: desk.shows(desktop), timeout=DESKTOP_TIMEOUT, what="the desktop as it was, after a key")
    assert lumivex.running
    desktop_then_rain(desk, desktop, input_at)

    lumivex.process.send_signal(signal.SIGTERM)
    assert lumivex.wait_exit() == (0, "")


def test_the_session_bus_going_away_ends_it_with_1():
    shell = GnomeShell(SCREEN_SIZE)
    desk = Desk(shell)
    try:
        lumivex = desk.start("-idle", 1)
        desk.rain_shows("the rain, once the idle monitor's watch has fired")
        shell.session_bus.stop()
        code, errors = lumivex.wait_exit()
        assert (code, errors.strip()) == (1, "lumivex: the session bus closed the connection, and with it "
                                             "GNOME's idle monitor")
    finally:
        for process in desk.started:
            process.stop()
        shell.stop()
