"""lumivex -wayland -idle on sway, whose idle time comes from KDE's older idle protocol
(org_kde_kwin_idle, the only one Debian 12's sway offers): nothing drawn for the first seconds,
the rain after 3 s without input, hidden again by a key while the program goes on, and SIGTERM
ending it with 0."""

import signal
import time

from conftest import wait_for
from rain_cells import LIGHT_COLOR, NORMAL_COLOR

IDLE_SECONDS = 3
# The idle time counts from when lumivex asks for it, a moment after it starts.
QUIET_SECONDS = IDLE_SECONDS - 0.5


def test_idle_3_shows_the_rain_after_3_seconds_and_a_key_hides_it(desk):
    desktop = desk.shot().tobytes()
    started = time.monotonic()
    lumivex = desk.start("-idle", IDLE_SECONDS, "-speed", "200")
    while time.monotonic() - started < QUIET_SECONDS:
        assert desk.shot().tobytes() == desktop, f"something drawn {time.monotonic() - started:.1f} s after the start"
    desk.reading([NORMAL_COLOR, LIGHT_COLOR], lambda r: r.glyph_cells() >= 20, "the rain after 3 s idle")

    desk.press_key()
    wait_for(lambda: desk.shot().tobytes() == desktop, timeout=30, what="the output as it was, after a key")
    assert lumivex.running
    lumivex.process.send_signal(signal.SIGTERM)
    assert lumivex.wait_exit() == (0, "")
