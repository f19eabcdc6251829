"""The rain at the scale of the display: with the prefix's DPI at 144 and at 192 (LogPixels, read by
each new process at its start), lumivex.scr /s covers the 1024 x 768 display with cells of 15 x 23
and 20 x 30 pixels, each black or exactly one glyph of the sheet drawn at that size tinted with a
design colour, so nothing was stretched; and the settings dialog at 192 DPI shows its preview in
the small sheet's 8 x 12 cells. The DPI is put back to 96 after each test."""

import pytest

from conftest import SAVER_CLASS, SETTINGS_CLASS, wait_for_windows
from rain_cells import (BLACK, DARK_COLOR, LIGHT_COLOR, NORMAL_COLOR, ROOT, CellReader, load_glyphs,
                        shoot, wait_for_reading)  # noqa: F401 (shoot: a fixture)

PLENTY = 150          # glyph cells: the grid has a half or a quarter of the 96-DPI cells
RAIN_TIMEOUT = 90
DESIGN_FALLERS = 18
COLORS = [NORMAL_COLOR, LIGHT_COLOR, DARK_COLOR]


def sheet_reader(name, cell_size, screen_size):
    return CellReader(COLORS, screen_size, glyphs=load_glyphs(ROOT / "res" / name, cell_size),
                      cell_size=cell_size)


@pytest.mark.parametrize("logpixels, sheet, cell", [(144, "index_150.bmp", (15, 23)),
                                                    (192, "index_200.bmp", (20, 30))],
                         ids=["150%", "200%"])
def test_full_screen_rain_takes_the_sheet_drawn_at_the_scale(desk, helper, shoot, dpi, logpixels, sheet, cell):
    dpi(logpixels)
    saver = desk.start("/s")
    wait_for_windows(helper, SAVER_CLASS, parent=0)
    width, height = desk.session.screen_size
    reader = sheet_reader(sheet, cell, (width, height))
    columns = -(-width // cell[0])

    # Every cell of the screen, read in this cell size, is black or one tinted glyph of this
    # sheet; glyphs spread across the width show the grid runs over the whole screen.
    def spread(reading):
        lit = {column for (column, _), value in reading.cells.items() if value not in (BLACK, None)}
        return bool(lit) and min(lit) < columns // 3 and max(lit) > 2 * columns // 3

    reading = wait_for_reading(shoot, reader, lambda r: r.glyph_cells() >= PLENTY and spread(r), RAIN_TIMEOUT,
                               f"{PLENTY} glyph cells of {cell[0]} x {cell[1]} across the width")
    counts = reading.count()
    assert 1 <= counts[LIGHT_COLOR] <= DESIGN_FALLERS, reading.summary()
    assert counts[DARK_COLOR] == 0
    assert saver.running


def test_dialog_preview_at_200_percent_takes_the_small_sheet_drawn_at_that_scale(desk, helper, shoot, dpi):
    dpi(192)
    desk.start("/c")
    [dialog] = wait_for_windows(helper, SETTINGS_CLASS, caption="Lumivex Settings")
    assert dialog["client"] == [1048, 560]
    [preview] = [w for w in wait_for_windows(helper, SAVER_CLASS) if w["parent"] != 0]
    left, top, right, bottom = preview["rect"]
    assert (right - left, bottom - top) == (440, 330), "the 220 x 165 panel at 200 %"
    reader = sheet_reader("index_s_200.bmp", (8, 12), (right - left, bottom - top))

    def preview_shot():
        return shoot().crop((left, top, right, bottom))

    reading = wait_for_reading(preview_shot, reader, lambda r: r.glyph_cells() >= 60, RAIN_TIMEOUT,
                               "60 glyph cells of 8 x 12 in the preview")
    assert reading.count()[NORMAL_COLOR] > 0
