"""Reading the rain off a screenshot. The saver draws each 10 x 15 cell of its window either black
or as one glyph of the grey sheet res/index.bmp tinted with one colour (channel x grey / 255), the
last partial column and row clipped; this module reads a screen back cell by cell in those terms
and names every cell that the rain could not have drawn."""

from collections import Counter
from dataclasses import dataclass, field
from pathlib import Path

import pytest
from PIL import Image

from winenv import wait_for
from xscreen import ScreenReader

ROOT = Path(__file__).resolve().parents[2]
LARGE_SHEET = ROOT / "res" / "index.bmp"
CELL_SIZE = (10, 15)
SMALL_SHEET = ROOT / "res" / "index_s.bmp"   # for surfaces 320 pixels wide or narrower
SMALL_CELL_SIZE = (4, 6)
BLACK = "black"

# The design-time colours, 0x00BBGGRR.
NORMAL_COLOR = 0x00009000
LIGHT_COLOR = 0x0088FF88
DARK_COLOR = 0x00006000


def channels(color):
    """(red, green, blue) of a 0x00BBGGRR colour."""
    return color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF


def load_glyphs(path=LARGE_SHEET, cell_size=CELL_SIZE):
    """The sheet's glyphs, top to bottom, each as rows of grey levels."""
    width, height = cell_size
    with Image.open(path) as image:
        if image.mode == "P":  # a grey palette: entry i is (i, i, i), so the red byte is the level
            red = image.getpalette()[0::3]
            levels = [red[index] for index in image.getdata()]
        else:
            levels = list(image.convert("L").getdata())
        sheet_width, sheet_height = image.size
    if sheet_width != width or sheet_height % height:
        raise ValueError(f"{path}: {sheet_width}x{sheet_height} is not a column of {width}x{height} cells")
    return [[levels[(glyph * height + y) * width:(glyph * height + y + 1) * width]
             for y in range(height)]
            for glyph in range(sheet_height // height)]


def tinted_cell(glyph, color, width, height):
    """The RGB bytes the saver puts on screen for `glyph` tinted with `color`, clipped to the
    top-left `width` x `height` pixels."""
    red, green, blue = channels(color)
    out = bytearray()
    for row in glyph[:height]:
        for grey in row[:width]:
            out += bytes((red * grey // 255, green * grey // 255, blue * grey // 255))
    return bytes(out)


@dataclass
class CellMap:
    """What one screenshot shows, cell by cell."""
    cells: dict                                   # (column, row) -> colour, BLACK, or None
    foreign: list = field(default_factory=list)   # cells the rain could not have drawn
    contents: dict = field(default_factory=dict)  # (column, row) -> the cell's pixel bytes

    @property
    def perfect(self):
        return not self.foreign

    def count(self):
        """Cells per colour (and BLACK)."""
        return Counter(value for value in self.cells.values() if value is not None)

    def glyph_cells(self):
        return sum(1 for value in self.cells.values() if value not in (BLACK, None))

    def of_color(self, colors):
        """The cells showing one of `colors`, with their pixels."""
        return {cell: self.contents[cell] for cell, value in self.cells.items() if value in colors}

    def summary(self):
        counts = ", ".join(f"{name if name == BLACK else f'0x{name:08X}'}: {n}"
                           for name, n in sorted(self.count().items(), key=str))
        return (f"{counts}; {len(self.foreign)} cells the rain cannot draw"
                + (f", e.g. {self.foreign[:5]}" if self.foreign else ""))


class CellReader:
    """Knows every cell the rain can draw in the given colours at every clipped size that
    occurs on a screen of `screen_size`, and classifies a screenshot's cells by them. The small
    sheet's cells are read with glyphs=load_glyphs(SMALL_SHEET, SMALL_CELL_SIZE) and
    cell_size=SMALL_CELL_SIZE."""

    def __init__(self, colors, screen_size, glyphs=None, cell_size=CELL_SIZE):
        self.colors = list(colors)
        self.screen_size = screen_size
        self.cell_size = cell_size
        self.glyphs = glyphs if glyphs is not None else load_glyphs()
        width, height = cell_size
        screen_width, screen_height = screen_size
        widths = {width, screen_width % width or width}
        heights = {height, screen_height % height or height}
        self.known = {}
        for w in widths:
            for h in heights:
                self.known[bytes(3 * w * h)] = BLACK
                for color in self.colors:
                    for glyph in self.glyphs:
                        self.known.setdefault(tinted_cell(glyph, color, w, h), color)

    def read(self, image):
        """The CellMap of an RGB screenshot."""
        if image.size != tuple(self.screen_size):
            raise ValueError(f"screenshot is {image.size}, expected {self.screen_size}")
        data = image.convert("RGB").tobytes()
        screen_width, screen_height = self.screen_size
        width, height = self.cell_size
        result = CellMap(cells={})
        for top in range(0, screen_height, height):
            h = min(height, screen_height - top)
            for left in range(0, screen_width, width):
                w = min(width, screen_width - left)
                pixels = b"".join(data[((top + y) * screen_width + left) * 3:
                                       ((top + y) * screen_width + left + w) * 3]
                                  for y in range(h))
                cell = (left // width, top // height)
                value = self.known.get(pixels)
                result.cells[cell] = value
                result.contents[cell] = pixels
                if value is None:
                    result.foreign.append(cell)
        return result


@pytest.fixture
def shoot(desk):
    """For the end-to-end tests: takes whole-screen shots of the test's session, each in one
    read of the screen."""
    session = desk.session
    with ScreenReader(session.display, (0, 0, *session.screen_size)) as reader:
        yield reader.shot


# Once a shot has shown only cells the rain can draw, at most this share of the later ones may
# show others (and one is always forgiven): a shot may catch a cell half redrawn, but a drawing
# fault that shows only now and then must not pass for that.
IMPERFECT_SHARE = 0.05


def wait_for_reading(shoot, reader, accept, timeout, what):
    """Polls screenshots (`shoot` returns one) until one shows only cells the rain can draw and
    `accept` holds for its CellMap, and returns that CellMap. Take the shots in one X request
    (xscreen.ScreenReader): then each shows the screen between two steps, and none was seen torn
    in hundreds of shots of 10 ms steps. Shots before the first perfect one may show a window not
    yet drawn; after it, more than a few imperfect ones fail the wait, and a fault in the drawing
    that shows in every shot ends in the time-out."""
    last = []
    shots = {"since perfect": 0, "imperfect": 0}
    first_imperfect = []

    def ready():
        reading = reader.read(shoot())
        last[:] = [reading]
        if reading.perfect:
            shots["since perfect"] += 1
        elif shots["since perfect"]:
            shots["since perfect"] += 1
            shots["imperfect"] += 1
            first_imperfect[:] = first_imperfect or [reading]
        return reading if reading.perfect and accept(reading) else None

    def check_imperfect_share():
        imperfect, total = shots["imperfect"], shots["since perfect"]
        if imperfect > 1 and imperfect > IMPERFECT_SHARE * total:
            raise AssertionError(f"{imperfect} of {total} shots since the first perfect one show cells the "
                                 f"rain cannot draw; the first: {first_imperfect[0].summary()}")

    try:
        reading = wait_for(ready, timeout=timeout, interval=0.2, what=what)
    except TimeoutError as error:
        check_imperfect_share()
        shown = last[0].summary() if last else "no screenshot"
        raise AssertionError(f"{error}; the last screenshot shows {shown}") from None
    check_imperfect_share()
    return reading
