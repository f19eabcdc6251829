"""The benchmarks' step counter (tools/rain_steps.py) on bands drawn here: heads in the light
colour on trail cells, moved between reads as steps move them."""

import struct
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools"))
from rain_steps import StepCounter, steps_between  # noqa: E402

CELL = (10, 15)
COLUMNS, ROWS = 8, 4
LIGHT = (0x88, 0xFF, 0x88)
NORMAL = (0x00, 0x90, 0x00)


def band(heads, trails=()):
    """The band's pixels (BGRX rows) with head cells at `heads` and trail cells at `trails`, each
    (column, row), the glyph a block in the middle of its cell."""
    width = COLUMNS * CELL[0]
    pixels = bytearray(width * ROWS * CELL[1] * 4)
    for cells, (red, green, blue) in ((trails, NORMAL), (heads, LIGHT)):
        for column, row in cells:
            for y in range(row * CELL[1] + 3, row * CELL[1] + 12):
                for x in range(column * CELL[0] + 2, column * CELL[0] + 8):
                    struct.pack_into("BBBB", pixels, (y * width + x) * 4, blue, green, red, 0)
    return bytes(pixels)


def counter():
    return StepCounter((COLUMNS * CELL[0], ROWS * CELL[1]), COLUMNS * CELL[0] * 4, CELL, 0.008)


def test_heads_moved_two_rows_count_two_steps_though_another_head_stands_one_row_below():
    # Columns 0 and 1: a head at row 0 moves to row 2; the heads now at row 1 came from above.
    before = [[0], [0], [1], [], [], [], [], []]
    after = [[1, 2], [1, 2], [3], [], [], [], [], []]
    assert steps_between(before, after) == 2


def test_reads_count_the_rows_the_heads_moved_and_a_present_torn_in_two_counts_once():
    steps = counter()
    trails = [(5, 0), (5, 1)]
    steps.add(0.000, band([(0, 0), (3, 0), (6, 1)], trails))
    steps.add(0.017, band([(0, 1), (3, 1), (6, 2)], trails))            # one step
    steps.add(0.034, band([(0, 1), (3, 3), (6, 2)], trails))            # torn: part of the next present
    steps.add(0.036, band([(0, 3), (3, 3), (6, 3), (7, 0)], trails))    # ... and the rest: two steps
    steps.add(0.051, band([(2, 0)], trails))                            # no head can show a distance
    steps.finish()
    assert steps.steps == 1 + 2 + 1


def test_trail_cells_are_not_heads():
    assert counter().heads(band([(1, 2)], [(1, 0), (4, 3)])) == [[], [2], [], [], [], [], [], []]
