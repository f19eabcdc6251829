"""lumivex never grabs the keyboard or the pointer: ending the saver on input, and locking the
screen, are the daemon's business, and a daemon or locker that grabs them while lumivex draws
must get them. Another client's grabs succeed while it draws in each of its places."""

import pytest

from conftest import SCREEN_SIZE, wait_for

HOST_BOX = (50, 60, 400, 300)
GRAB_SUCCESS = 0
DRAW_TIMEOUT = 60


def own_window(desk):
    return next((geometry for _, name, geometry in desk.client.top_level() if name == "Lumivex"), None)


def wait_for_steps(desk, box, steps=3):
    """Waits until `box` of the screen has changed `steps` times: lumivex is past its start and
    drawing step after step."""
    with desk.reader(box) as region:
        seen = {"last": region.checksum(), "changes": 0}

        def stepped():
            now = region.checksum()
            if now != seen["last"]:
                seen["last"], seen["changes"] = now, seen["changes"] + 1
            return seen["changes"] >= steps

        wait_for(stepped, timeout=DRAW_TIMEOUT, interval=0.05, what=f"{steps} steps drawn in {box}")


@pytest.mark.parametrize("place", ["a window of its own", "the daemon's window", "the root window"])
def test_another_clients_grabs_succeed_while_it_draws(desk, place):
    if place == "a window of its own":
        lumivex = desk.start("-speed", "200")
        box = wait_for(lambda: own_window(desk), timeout=DRAW_TIMEOUT, what="a window titled Lumivex")
    elif place == "the daemon's window":
        lumivex = desk.start("-root", "-speed", "200", daemon_window=desk.client.make_window(HOST_BOX))
        box = HOST_BOX
    else:
        lumivex = desk.start("-root", "-speed", "200")
        box = (0, 0, *SCREEN_SIZE)
    wait_for_steps(desk, box)

    assert desk.client.grab_keyboard_and_pointer() == (GRAB_SUCCESS, GRAB_SUCCESS)
    assert lumivex.running
