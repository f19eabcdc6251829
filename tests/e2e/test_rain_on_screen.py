"""The rain as it reaches the screen: with no stored settings, lumivex.scr /s covers the
1024 x 768 display with 10 x 15 cells that are each black or exactly one glyph of the large
sheet tinted with a design colour, bright heads no more than the fallers that draw them."""

from conftest import SAVER_CLASS, wait_for_windows
from rain_cells import (BLACK, DARK_COLOR, LIGHT_COLOR, NORMAL_COLOR, CellReader,
                        shoot, wait_for_reading)  # noqa: F401 (shoot: a fixture)

PLENTY = 300               # glyph cells: a few seconds of rain at the design settings
DESIGN_FALLERS = 18        # Density 20, Balance -30
RAIN_TIMEOUT = 90


def glyph_columns(reading):
    return {column for (column, _), value in reading.cells.items() if value not in (BLACK, None)}


def spans_the_width(reading):
    """Glyphs both left of column 40 and right of column 80 of the 102."""
    columns = glyph_columns(reading)
    return bool(columns) and min(columns) < 40 and max(columns) > 80


def test_every_cell_is_black_or_one_glyph_in_a_design_colour(desk, helper, shoot):
    saver = desk.start("/s")
    wait_for_windows(helper, SAVER_CLASS, parent=0)
    reader = CellReader([NORMAL_COLOR, LIGHT_COLOR, DARK_COLOR], desk.session.screen_size)

    # Fallers start in random columns, so plenty of glyphs may still all lie on one side: the
    # spread across the width is waited for, and a rain drawn in part of the screen never has it.
    reading = wait_for_reading(shoot, reader,
                               lambda r: r.glyph_cells() >= PLENTY and spans_the_width(r),
                               RAIN_TIMEOUT,
                               f"{PLENTY} glyph cells across the width and nothing else but black")

    counts = reading.count()
    # Each head is one faller's latest cell; the cell it left has become a trail glyph.
    assert 1 <= counts[LIGHT_COLOR] <= DESIGN_FALLERS, reading.summary()
    assert counts[NORMAL_COLOR] + counts[LIGHT_COLOR] >= PLENTY
    assert counts[DARK_COLOR] == 0, "Inversion 0 means no risers, so nothing turns dark"
    assert counts[BLACK] > 0
    # The rain falls down the whole width, not in one window-sized part of the screen.
    assert spans_the_width(reading), sorted(glyph_columns(reading))
    assert saver.running
