"""lumivex -wayland -background: the rain on the background layer, under the windows; a window
opened over it stays on top with the rain around it, and neither keys, pointer moves nor
buttons end it (it takes no input); SIGTERM ends it with 0. The window is zenity's, floated in
the middle of the output."""

import json
import signal
import subprocess

from conftest import EXIT_TIMEOUT, RAIN_TIMEOUT, still_running, wait_for
from rain_cells import LIGHT_COLOR, NORMAL_COLOR, CellReader, wait_for_reading

DESIGN = [NORMAL_COLOR, LIGHT_COLOR]
WINDOW = "zenity"
WINDOW_SIZE = (300, 200)
STRIP = (800, 150)   # the output's top rows: above the window in its middle


def windows(sway, app_id):
    found = []

    def walk(node):
        if node.get("app_id") == app_id:
            found.append(node)
        for child in node.get("nodes", []) + node.get("floating_nodes", []):
            walk(child)
    walk(json.loads(sway.swaymsg("-t", "get_tree")))
    return found


def test_the_background_rain_shows_around_a_window_and_ends_only_by_a_signal(desk):
    lumivex = desk.start("-background", "-speed", "200")
    desk.reading(DESIGN, lambda r: r.glyph_cells() >= 100, "rain over the whole output before any window")

    env = dict(desk.sway.env(), GDK_BACKEND="wayland", NO_AT_BRIDGE="1")
    window = subprocess.Popen([WINDOW, "--info", "--text", "a window over the rain"], env=env,
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        wait_for(lambda: windows(desk.sway, WINDOW), timeout=60, what="the window")
        desk.sway.swaymsg(f'[app_id="{WINDOW}"] floating enable, resize set {WINDOW_SIZE[0]} {WINDOW_SIZE[1]}, '
                          "move position center")

        def window_on_top():
            shot = desk.shot()
            return all(channel > 150 for channel in shot.getpixel((400, 300))) and shot
        wait_for(window_on_top, timeout=RAIN_TIMEOUT, what="the window, light, in the middle of the output")
        strip = wait_for_reading(lambda: desk.shot().crop((0, 0, *STRIP)), CellReader(DESIGN, STRIP),
                                 lambda r: r.glyph_cells() >= 20, RAIN_TIMEOUT, "rain above the window")
        assert strip.glyph_cells() >= 20

        # Input: a key (the window has the keyboard), then the pointer, away from the window over
        # the rain, moving far and pressing a button there.
        desk.press_key("a")
        desk.pointer("move", -350, -250, "move", 30, 20, "button")
        assert still_running(lumivex), "input ended the background rain"
        assert windows(desk.sway, WINDOW), "the window is still there"
    finally:
        window.kill()
        window.wait(timeout=EXIT_TIMEOUT)

    lumivex.process.send_signal(signal.SIGTERM)
    code, err = lumivex.wait_exit(EXIT_TIMEOUT)
    assert code == 0, err
