"""How lumivex lives in a window it is handed: a size change rebuilds the field for the new size
(the large glyph sheet above 320 pixels, the small one at or below), an exposed part is painted
black at once, and it ends with exit code 0 on SIGTERM or SIGINT and when its window is destroyed."""

import signal
import time

import pytest

from conftest import wait_for
from rain_cells import (BLACK, LIGHT_COLOR, NORMAL_COLOR, SMALL_CELL_SIZE, SMALL_SHEET, CellReader,
                        load_glyphs, wait_for_reading)

RAIN_TIMEOUT = 60
FAST = ["-speed", "200", "-density", "60"]


def reading_of(desk, box, accept, what, small=False):
    extra = {"glyphs": load_glyphs(SMALL_SHEET, SMALL_CELL_SIZE), "cell_size": SMALL_CELL_SIZE} if small else {}
    reader = CellReader([NORMAL_COLOR, LIGHT_COLOR], box[2:], **extra)
    with desk.reader(box) as region:
        return wait_for_reading(region.shot, reader, accept, RAIN_TIMEOUT, what)


def last_glyph_column_and_row(reading):
    """The largest column and the largest row that hold a glyph (-1 when none does)."""
    cells = [cell for cell, value in reading.cells.items() if value not in (BLACK, None)]
    return max((c for c, _ in cells), default=-1), max((r for _, r in cells), default=-1)


def test_a_size_change_rebuilds_the_field_for_the_new_size(desk):
    left, top = 50, 60
    host = desk.client.make_window((left, top, 330, 225))    # 34 x 16 cells of 10 x 15
    lumivex = desk.start("-window-id", host, *FAST)
    reading_of(desk, (left, top, 330, 225), lambda r: r.glyph_cells() >= 50, "rain in the first size")

    desk.client.resize(host, 640, 480)
    reading = reading_of(
        desk, (left, top, 640, 480),
        lambda r: last_glyph_column_and_row(r)[0] >= 50 and last_glyph_column_and_row(r)[1] >= 24,
        "rain past the first size's last column and row, the rest black")
    assert reading.glyph_cells() > 0

    # 320 pixels wide or less: the small sheet's 4 x 6 cells, 75 x 34 of them.
    desk.client.resize(host, 300, 200)
    reading = reading_of(desk, (left, top, 300, 200),
                         lambda r: r.glyph_cells() >= 100 and last_glyph_column_and_row(r)[0] >= 60,
                         "rain of small glyphs over the whole width", small=True)
    assert lumivex.running


def test_an_exposed_part_is_painted_black(desk):
    box = (50, 60, 400, 300)
    host = desk.client.make_window(box, background=0x808080)
    # No erasers: only the painting of an exposed part can make a cell black again; fallers
    # would in time cover the grey with glyphs, never with black cells.
    lumivex = desk.start("-window-id", host, "-speed", "100", "-density", "0", "-balance", "100", "-noise", "0")
    reading_of(desk, box, lambda r: True, "the window painted black, only glyphs on it")

    cover = desk.client.make_window((50, 150, 400, 90), background=0xFFFFFF)   # cell rows 6 to 11
    desk.client.destroy(cover)      # the strip is exposed: the server paints it grey first
    reading = reading_of(desk, box, lambda r: True, "the exposed strip black or glyphs, not grey")
    strip = [value for (_, row), value in reading.cells.items() if 6 <= row <= 11]
    assert strip.count(BLACK) > len(strip) // 2, reading.summary()
    assert lumivex.running


@pytest.mark.parametrize("ending", [signal.SIGTERM, signal.SIGINT], ids=["SIGTERM", "SIGINT"])
def test_a_signal_ends_it_with_exit_code_0(desk, ending):
    box = (50, 60, 400, 300)
    host = desk.client.make_window(box)
    lumivex = desk.start("-root", *FAST, daemon_window=host)
    reading_of(desk, box, lambda r: r.glyph_cells() >= 20, "rain in the window")

    sent = time.monotonic()
    lumivex.process.send_signal(ending)
    code, errors = lumivex.wait_exit()
    print(f"{ending.name} to exit: {1000 * (time.monotonic() - sent):.1f} ms")
    assert (code, errors) == (0, "")


def test_destroying_its_window_ends_it_with_exit_code_0(desk):
    box = (50, 60, 400, 300)
    host = desk.client.make_window(box)
    lumivex = desk.start("-root", *FAST, daemon_window=host)
    reading_of(desk, box, lambda r: r.glyph_cells() >= 20, "rain in the window")

    desk.client.destroy(host)
    assert lumivex.wait_exit() == (0, "")
    # It painted nothing on the root on its way out.
    wait_for(lambda: desk.screen().getextrema() == ((255, 255),) * 3, timeout=RAIN_TIMEOUT,
             what="the whole screen white again")
