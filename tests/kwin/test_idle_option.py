"""lumivex -wayland -idle on KWin, whose idle time comes from the standard idle notification
(ext_idle_notifier_v1): nothing drawn for the first seconds, the rain after 3 s without input,
hidden again by a key while the program goes on, and SIGTERM ending it with 0."""

import signal
import time

from conftest import DESIGN, KEY_A
from winenv import wait_for

IDLE_SECONDS = 3
# The idle time counts from when lumivex asks for it, a moment after it starts.
QUIET_SECONDS = IDLE_SECONDS - 0.5


def test_idle_3_shows_the_rain_after_3_seconds_and_a_key_hides_it(desk):
    desktop = desk.kwin.shot().tobytes()
    started = time.monotonic()
    lumivex = desk.start("-idle", IDLE_SECONDS, "-speed", "200")
    while time.monotonic() - started < QUIET_SECONDS:
        assert desk.kwin.shot().tobytes() == desktop, \
            f"something drawn {time.monotonic() - started:.1f} s after the start"
    desk.reading(DESIGN, lambda r: r.glyph_cells() >= 20, "the rain after 3 s idle")

    desk.input("key", KEY_A)
    wait_for(lambda: desk.kwin.shot().tobytes() == desktop, timeout=30, what="the output as it was, after a key")
    assert lumivex.running
    lumivex.process.send_signal(signal.SIGTERM)
    assert lumivex.wait_exit() == (0, "")
