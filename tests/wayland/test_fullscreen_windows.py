"""The rain as full-screen windows, the way it runs where the compositor has no layer shell
(GNOME), forced here on sway with the test-only variable LUMIVEX_TEST_FULLSCREEN_WINDOWS so the
path is covered on a compositor that has both: one window per output, titled "Lumivex" with app
id "lumivex", full screen on its own output, drawing the same whole cells; a key ends it, and so
does the compositor's request to close a window."""

import json

from conftest import LUMIVEX, wait_for
from lumivex_process import Lumivex
from rain_cells import LIGHT_COLOR, NORMAL_COLOR

DESIGN = [NORMAL_COLOR, LIGHT_COLOR]
FORCE = "LUMIVEX_TEST_FULLSCREEN_WINDOWS"


def start_windows(desk, *args):
    lumivex = Lumivex(LUMIVEX, ["-wayland", "-speed", "200", *args], dict(desk.sway.env(), **{FORCE: "1"}))
    desk.started.append(lumivex)
    return lumivex


def our_windows(sway):
    """(output, title, full screen) of every window with app id lumivex, as sway's tree has them."""
    found = []

    def walk(node, output):
        if node.get("type") == "output":
            output = node["name"]
        if node.get("app_id") == "lumivex":
            found.append((output, node.get("name"), node.get("fullscreen_mode") == 1))
        for child in node.get("nodes", []) + node.get("floating_nodes", []):
            walk(child, output)

    walk(json.loads(sway.swaymsg("-r", "-t", "get_tree")), None)
    return sorted(found)


def test_one_full_screen_window_per_output_draws_the_rain_and_a_key_ends_it(desk):
    lumivex = start_windows(desk)
    desk.reading(DESIGN, lambda r: r.glyph_cells() >= 100, "rain in whole cells over the first output")
    before = set(desk.sway.outputs())
    desk.sway.swaymsg("create_output")
    added = wait_for(lambda: set(desk.sway.outputs()) - before, timeout=60, what="a new output").pop()
    desk.reading(DESIGN, lambda r: r.glyph_cells() >= 100, "rain on the new output", output=added)
    assert our_windows(desk.sway) == sorted([("HEADLESS-1", "Lumivex", True), (added, "Lumivex", True)])

    desk.press_key()
    assert lumivex.wait_exit() == (0, "")


def test_the_compositors_close_request_ends_it_with_0(desk):
    lumivex = start_windows(desk)
    desk.reading(DESIGN, lambda r: r.glyph_cells() >= 100, "rain in whole cells over the output")
    desk.sway.swaymsg("[app_id=lumivex] kill")     # xdg_toplevel.close to every window of ours
    assert lumivex.wait_exit() == (0, "")
