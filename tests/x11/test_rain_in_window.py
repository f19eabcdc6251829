"""The rain where a daemon or a settings dialog puts it: into the window named by -window-id, into
the daemon's window (-root with XSCREENSAVER_WINDOW), or onto the root window; each cell black
or one glyph of the large sheet tinted with a colour given on the command line, and nothing
drawn outside the window."""

import pytest

from conftest import ROOT, SCREEN_SIZE, outside_is_white, wait_for
from rain_cells import (BLACK, DARK_COLOR, LIGHT_COLOR, NORMAL_COLOR, CellReader, load_glyphs,
                        wait_for_reading)

HOST_BOX = (50, 60, 400, 300)   # wider than 320: the large sheet, 41 x 21 cells, the last clipped
RAIN_TIMEOUT = 60

# Colours of our own (0x00BBGGRR) and busy settings: every cell kind shows within seconds.
OWN_COLORS = {"normal": 0x00C06020, "light": 0x00FFE0A0, "dark": 0x00402008}
BUSY = ["-speed", "200", "-density", "60", "-inversion", "100",
        "-normal-color", "#2060C0", "-light-color", "#A0E0FF", "-dark-color", "#082040"]
BUSY_FALLERS = 46               # Density 60, Balance -30: a = 65, b = -19, so 46 fallers


def rain_cells(desk, box, colors, accept, what):
    reader = CellReader(colors, box[2:])
    with desk.reader(box) as region:
        return wait_for_reading(region.shot, reader, accept, RAIN_TIMEOUT, what)


@pytest.mark.parametrize("how", ["-window-id", "XSCREENSAVER_WINDOW"])
def test_the_rain_fills_the_named_window_in_the_given_colours_and_nothing_else(desk, how):
    host = desk.client.make_window(HOST_BOX)
    if how == "-window-id":
        lumivex = desk.start("-window-id", host, *BUSY)
    else:
        lumivex = desk.start("-root", *BUSY, daemon_window=host)

    colors = list(OWN_COLORS.values())
    reading = rain_cells(desk, HOST_BOX, colors,
                         lambda r: all(r.count()[c] > 0 for c in colors) and r.glyph_cells() >= 150,
                         "glyphs in all three colours, and only black or glyph cells")

    counts = reading.count()
    assert counts[OWN_COLORS["light"]] <= BUSY_FALLERS, reading.summary()   # a head per faller at most
    assert counts[BLACK] > 0
    columns = {column for (column, _), value in reading.cells.items() if value not in (BLACK, None)}
    assert min(columns) < 10 and max(columns) > 30, sorted(columns)
    assert outside_is_white(desk.screen(), HOST_BOX), "lumivex drew outside its window"
    assert lumivex.running


def test_root_without_a_daemon_window_rains_on_the_whole_screen_in_the_design_colours(desk):
    lumivex = desk.start("-root")
    reading = rain_cells(desk, (0, 0, *SCREEN_SIZE), [NORMAL_COLOR, LIGHT_COLOR, DARK_COLOR],
                         lambda r: r.glyph_cells() >= 300, "300 glyph cells on a black screen")
    counts = reading.count()
    assert 1 <= counts[LIGHT_COLOR] <= 18, reading.summary()   # the design settings: 18 fallers
    assert counts[DARK_COLOR] == 0, "Inversion 0 means no risers"
    columns = {column for (column, _), value in reading.cells.items() if value not in (BLACK, None)}
    assert min(columns) < 40 and max(columns) > 80, sorted(columns)
    assert lumivex.running


def test_without_options_it_rains_in_a_window_of_its_own_until_that_is_closed(desk):
    lumivex = desk.start("-speed", "200")

    def own_window():
        return next(((window, geometry) for window, name, geometry in desk.client.top_level()
                     if name == "Lumivex"), None)

    window, box = wait_for(own_window, timeout=RAIN_TIMEOUT, what="a window titled Lumivex")
    assert box[2:] == (800, 600)
    rain_cells(desk, box, [NORMAL_COLOR, LIGHT_COLOR], lambda r: r.glyph_cells() >= 100,
               "100 glyph cells in the window")

    desk.client.ask_to_close(window)
    assert lumivex.wait_exit() == (0, "")
    assert own_window() is None


@pytest.mark.parametrize("args, resources, sheet, cell_size", [
    (["-scale", "2"], None, "index_200.bmp", (20, 30)),
    ([], "Xft.antialias:\t1\nXft.dpi:\t192\n", "index_200.bmp", (20, 30)),
    ([], "Xft.dpi:\t144\n", "index_150.bmp", (15, 23)),
    (["-scale", "1"], "Xft.dpi:\t192\n", "index.bmp", (10, 15)),    # the option wins
], ids=["-scale 2", "Xft.dpi 192", "Xft.dpi 144", "-scale 1 over Xft.dpi 192"])
def test_the_scale_picks_the_sheet_made_at_that_scale(desk, args, resources, sheet, cell_size):
    desk.client.set_resources(resources)
    try:
        lumivex = desk.start("-root", "-speed", "200", *args)
        reader = CellReader([NORMAL_COLOR, LIGHT_COLOR], SCREEN_SIZE,
                            glyphs=load_glyphs(ROOT / "res" / sheet, cell_size), cell_size=cell_size)
        with desk.reader((0, 0, *SCREEN_SIZE)) as screen:
            reading = wait_for_reading(screen.shot, reader, lambda r: r.glyph_cells() >= 60, RAIN_TIMEOUT,
                                       f"rain of {cell_size[0]} x {cell_size[1]} glyphs")
        columns = {column for (column, _), value in reading.cells.items() if value not in (BLACK, None)}
        assert max(columns) > SCREEN_SIZE[0] // cell_size[0] * 3 // 4, sorted(columns)
        assert lumivex.running
    finally:
        desk.client.set_resources(None)
