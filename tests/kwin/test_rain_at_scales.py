"""The rain on KWin at the output scales people run: at 1, 1.5 and 2 the screen shows whole cells
of the sheet made at that scale (10 x 15, 15 x 23 and 20 x 30 device pixels), each glyph tinted
and never stretched: at 1.5 only the compositor's preferred fractional scale gives that, since
KWin's wl_output says 2 there and would shrink a doubled picture."""

import pytest

from conftest import DESIGN, ROOT, Desk, start_kwin
from rain_cells import BLACK, load_glyphs

SCALES = {
    1.0: ("index.bmp", (10, 15)),
    1.5: ("index_150.bmp", (15, 23)),
    2.0: ("index_200.bmp", (20, 30)),
}


@pytest.fixture(scope="module", params=list(SCALES), ids=lambda scale: f"scale {scale:g}")
def scaled(request):
    """A KWin at one scale, for all of this module's cases at that scale."""
    compositor = start_kwin(request.param)
    try:
        yield compositor
    finally:
        compositor.stop()


def test_whole_cells_of_the_sheet_made_at_the_output_scale(scaled):
    sheet, cell_size = SCALES[scaled.scale]
    desk = Desk(scaled)
    try:
        lumivex = desk.start("-speed", "200")
        glyphs = load_glyphs(ROOT / "res" / sheet, cell_size)
        reading = desk.reading(DESIGN, lambda r: r.glyph_cells() >= 60,
                               f"rain in whole {cell_size[0]} x {cell_size[1]} cells at scale {scaled.scale:g}",
                               glyphs=glyphs, cell_size=cell_size)
        # Over the whole width of the output, not a corner of it.
        columns = {column for (column, _), value in reading.cells.items() if value not in (BLACK, None)}
        last_column = (scaled.size[0] - 1) // cell_size[0]
        assert max(columns) >= 0.75 * last_column, (sorted(columns), reading.summary())
        assert lumivex.running
    finally:
        desk.stop_all()
