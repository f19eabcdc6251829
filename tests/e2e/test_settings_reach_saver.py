"""Stored settings reach a running saver: lumivex.scr /s draws in the colours stored under
HKLM\\SOFTWARE\\Orvanta\\Lumivex with as many heads as the stored Density and Balance allow, and
after the colours in the store change, a second preview's "LumivexInit" broadcast makes the running
saver draw in the new ones."""

from conftest import SAVER_CLASS, wait_for, wait_for_windows
from rain_cells import CellReader, shoot, wait_for_reading  # noqa: F401 (shoot: a fixture)

KEY = r"HKLM\SOFTWARE\Orvanta\Lumivex"
# Fast steps and few actors: Density 0 and Balance 0 make 5 fallers and 5 erasers, where the
# design settings make 18 fallers; Inversion 40 makes risers, so the dark colour shows too.
NUMBERS = {"Speed": 190, "Density": 0, "Balance": 0, "Noise": 250, "Inversion": 40}
FALLERS = 5
# Normal, light and dark; far from the design greens and from each other. A colour's top byte
# is not part of it: the first dark colour carries one that must not reach the screen.
FIRST = (0x000050E0, 0x00C0F0FF, 0xFF002080)
SECOND = (0x00E06000, 0x00FFE0C0, 0x00803000)
COLOR_NAMES = ("Normal Color", "Light Color", "Dark Color")
RAIN_TIMEOUT = 90


def store(desk, values):
    for name, value in values.items():
        desk.registry("add", KEY, "/v", name, "/t", "REG_DWORD", "/d", f"0x{value & 0xFFFFFFFF:08x}", "/f")


def screen_colors(colors):
    return [color & 0x00FFFFFF for color in colors]


def changed_cells(earlier, later):
    return sum(1 for cell, pixels in later.contents.items() if earlier.contents[cell] != pixels)


def test_stored_colours_reach_the_saver_and_a_broadcast_reloads_them(desk, helper, shoot):
    store(desk, {**NUMBERS, **dict(zip(COLOR_NAMES, FIRST))})
    # Host windows for the two previews, made before the saver, so that no new window appears
    # while it runs (one that took the activation would rightly close it).
    preview_host = helper.host(200, 150, 40, 40)
    second_host = helper.host(200, 150, 300, 40)
    saver = desk.start("/s")
    wait_for_windows(helper, SAVER_CLASS, parent=0)
    first_light = screen_colors(FIRST)[1]
    new_colors = screen_colors(SECOND)

    reader = CellReader(screen_colors(FIRST), desk.session.screen_size)
    before = wait_for_reading(shoot, reader, lambda r: all(r.count()[c] for c in screen_colors(FIRST)),
                              RAIN_TIMEOUT, "cells in each of the stored colours, and nothing else")
    assert before.count()[first_light] <= FALLERS, before.summary()

    store(desk, dict(zip(COLOR_NAMES, SECOND)))
    preview = desk.start("/p", preview_host)
    wait_for_windows(helper, SAVER_CLASS, parent=preview_host)
    second = desk.start("/p", second_host)
    assert second.wait_exit() == 0
    wait_for(lambda: helper.heard(second_host) > 0, timeout=30, what='the "LumivexInit" broadcast')
    assert saver.running and preview.running

    # The saver's rain now draws only in the new colours; what it drew before stays on screen
    # until an eraser or a faller passes, and nothing redraws it.
    reader = CellReader(screen_colors(FIRST) + new_colors, desk.session.screen_size)
    after = wait_for_reading(shoot, reader, lambda r: all(r.count()[c] for c in new_colors),
                             RAIN_TIMEOUT, "cells in each of the new colours")
    old_cells = after.of_color(screen_colors(FIRST))
    later = wait_for_reading(shoot, reader, lambda r: changed_cells(after, r) >= 300,
                             RAIN_TIMEOUT, "300 cells to change")
    left_over = later.of_color(screen_colors(FIRST))
    changed = [cell for cell, pixels in left_over.items() if old_cells.get(cell) != pixels]
    assert not changed, f"cells drawn in the old colours after the reload: {changed[:10]}"
    new_heads = later.count()[new_colors[1]]
    assert new_heads <= FALLERS, later.summary()
    assert saver.running
