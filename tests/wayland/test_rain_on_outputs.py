"""The rain as the overlay shows it: on every output, in cells of the glyph sheet tinted with the
colours given on the command line (the very cells and tints the X11 backend draws), changing
from shot to shot; on an output created while it runs as well, also when there was none at the
start; and at an output's scale 2 in the cells of the sheet made at that scale, rebuilt once
when the scale changes."""

import re
import subprocess

from conftest import LUMIVEX, OUTPUT_SIZE, ROOT, Desk, Sway, stop_all, wait_for
from rain_cells import BLACK, DARK_COLOR, LIGHT_COLOR, NORMAL_COLOR, load_glyphs

# Colours of our own (0x00BBGGRR) and busy settings: every cell kind shows within seconds.
OWN_COLORS = {"normal": 0x00C06020, "light": 0x00FFE0A0, "dark": 0x00402008}
BUSY = ["-speed", "200", "-density", "60", "-inversion", "100",
        "-normal-color", "#2060C0", "-light-color", "#A0E0FF", "-dark-color", "#082040"]
BUSY_FALLERS = 46               # Density 60, Balance -30: a = 65, b = -19, so 46 fallers


def test_the_rain_covers_the_output_in_the_given_colours_and_moves(desk):
    lumivex = desk.start(*BUSY)
    colors = list(OWN_COLORS.values())
    first = desk.reading(colors, lambda r: all(r.count()[c] > 0 for c in colors) and r.glyph_cells() >= 300,
                         "glyphs in all three colours over the output, and only black or glyph cells")
    counts = first.count()
    assert counts[OWN_COLORS["light"]] <= BUSY_FALLERS, first.summary()   # a head per faller at most
    assert counts[BLACK] > 0
    columns = {column for (column, _), value in first.cells.items() if value not in (BLACK, None)}
    assert min(columns) < 10 and max(columns) > 70, sorted(columns)
    desk.reading(colors, lambda r: r.contents != first.contents, "a later shot that differs")
    assert lumivex.running


def test_an_output_created_while_it_runs_gets_rain_too(desk):
    lumivex = desk.start("-speed", "200")
    design = [NORMAL_COLOR, LIGHT_COLOR, DARK_COLOR]
    desk.reading(design, lambda r: r.glyph_cells() >= 100, "rain on the first output")

    before = set(desk.sway.outputs())
    desk.sway.swaymsg("create_output")
    added = wait_for(lambda: set(desk.sway.outputs()) - before, timeout=60, what="a new output")
    reading = desk.reading(design, lambda r: r.glyph_cells() >= 100, "rain on the new output",
                           output=added.pop())
    assert reading.count()[DARK_COLOR] == 0, "the design settings have no risers"
    assert lumivex.running


def test_an_output_at_scale_2_shows_the_cells_of_the_sheet_made_at_that_scale(desk):
    lumivex = desk.start("-speed", "200")
    before = set(desk.sway.outputs())
    desk.sway.swaymsg("create_output")
    name = wait_for(lambda: set(desk.sway.outputs()) - before, timeout=60, what="a new output").pop()
    desk.sway.swaymsg("output", name, "mode", "1024x768", "scale", "2")
    # 1024 x 768 pixels, 512 x 384 in the output's coordinates: the large sheet of step 200.
    reading = desk.reading([NORMAL_COLOR, LIGHT_COLOR], lambda r: r.glyph_cells() >= 60,
                           "rain of 20 x 30 glyphs over the output at scale 2", output=name, size=(1024, 768),
                           glyphs=load_glyphs(ROOT / "res" / "index_200.bmp", (20, 30)), cell_size=(20, 30))
    columns = {column for (column, _), value in reading.cells.items() if value not in (BLACK, None)}
    assert max(columns) > 40, sorted(columns)   # the whole width: 52 columns of 20 pixels
    assert lumivex.running


def test_without_an_output_it_waits_for_one():
    sway = Sway(OUTPUT_SIZE, outputs=0)
    desk = Desk(sway)
    try:
        lumivex = desk.start("-speed", "200")
        # Nothing to draw on is not an error: it is still there when the first output comes.
        sway.swaymsg("create_output")
        name = wait_for(sway.outputs, timeout=60, what="an output")[0]
        desk.reading([NORMAL_COLOR, LIGHT_COLOR], lambda r: r.glyph_cells() >= 50, "rain on the first output",
                     output=name)
        assert lumivex.running
    finally:
        stop_all(desk)
        sway.stop()


def test_a_scale_change_rebuilds_the_rain_once(desk, tmp_path):
    # sway tells a new scale in several events, the surface's configure among them: the rain is
    # rebuilt once they are all in, in two new buffers, not first at the old scale as well. The
    # client's requests are read from libwayland's log of them.
    log_path = tmp_path / "requests.log"
    before = set(desk.sway.outputs())
    desk.sway.swaymsg("create_output")
    name = wait_for(lambda: set(desk.sway.outputs()) - before, timeout=60, what="a new output").pop()
    with open(log_path, "wb") as log:
        process = subprocess.Popen([str(LUMIVEX), "-wayland", "-speed", "200"],
                                   env=dict(desk.sway.env(), WAYLAND_DEBUG="client"),
                                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=log)
    try:
        desk.reading([NORMAL_COLOR, LIGHT_COLOR], lambda r: r.glyph_cells() >= 50, "rain at scale 1", output=name)
        mark = log_path.stat().st_size
        desk.sway.swaymsg("output", name, "scale", "2")
        desk.reading([NORMAL_COLOR, LIGHT_COLOR], lambda r: r.glyph_cells() >= 20, "rain at scale 2", output=name,
                     glyphs=load_glyphs(ROOT / "res" / "index_200.bmp", (20, 30)), cell_size=(20, 30))
        with open(log_path, "rb") as log:
            log.seek(mark)
            requests = log.read().decode(errors="replace")
        buffers = re.findall(r"create_buffer\(new id wl_buffer@\d+, 0, (\d+), (\d+),", requests)
        assert buffers == [("800", "600")] * 2, buffers
        assert re.findall(r"set_buffer_scale\((\d+)\)", requests) == ["2"]
        assert process.poll() is None
    finally:
        process.kill()
        process.wait(timeout=30)
