"""Counting the rain's steps from what the screen shows, for the benchmarks. A program that
presents at most once per refresh interval shows several steps in one present, so the screen's
changes count presents, not steps. Steps show in the falling heads: each step moves every head one
cell row down, so between two presents the heads of a band of cell rows have moved as many rows
as steps were taken. Heads are the cells in the light colour: at the benchmarks' colours (normal
0x009000, light 0x88FF88, dark 0x006000) only they have any red. Between two reads of the band,
the distance at which most heads of the first read find a head below them in the second is the
number of steps; reads where no head can show one count one step, as the screen changed. An
estimate: a head that a riser darkens or that respawns takes no part, and reads torn between two
presents are merged."""

from PIL import Image

MAX_ROWS = 3          # a band of four cell rows: a head seen twice moved at most three rows
RED_THRESHOLD = 4     # a cell's mean red above this: a head (trail and dark cells have none)


class StepCounter:
    """Fed every read of a band (the pixels that ScreenReader.read gives) in which the screen
    changed, with its moment; counts the steps that the changes show. Changes less than
    `merge_gap` seconds after the first of a run are one present that reached the screen in
    pieces: only the last read of the run counts."""

    def __init__(self, size, bytes_per_line, cell_size, merge_gap):
        self.merge_gap = merge_gap
        self.pending = None    # (moment of the run's first change, the run's last pixels)
        width, height = size
        self.cell_width, self.cell_height = cell_size
        self.columns = width // self.cell_width
        self.rows = height // self.cell_height
        self.size = size
        self.bytes_per_line = bytes_per_line
        self.previous = None
        self.steps = 0

    def heads(self, pixels):
        """Per column, the band rows that hold a head."""
        red = Image.frombuffer("RGB", self.size, pixels, "raw", "BGRX", self.bytes_per_line, 1).getchannel("R")
        cells = red.crop((0, 0, self.columns * self.cell_width, self.rows * self.cell_height)).resize(
            (self.columns, self.rows), Image.BOX).tobytes()
        return [[row for row in range(self.rows) if cells[row * self.columns + column] > RED_THRESHOLD]
                for column in range(self.columns)]

    def add(self, moment, pixels):
        if self.pending and moment - self.pending[0] < self.merge_gap:
            self.pending = (self.pending[0], pixels)
            return
        self.finish()
        self.pending = (moment, pixels)

    def finish(self):
        """Counts the run still pending; call once the reads are over."""
        if not self.pending:
            return
        now = self.heads(self.pending[1])
        self.pending = None
        if self.previous is not None:
            self.steps += steps_between(self.previous, now)
        self.previous = now


def steps_between(before, after):
    """How many rows the heads moved down between two reads: the distance at which the largest
    share of the heads of the first read find a head in the second (a head that another head
    happens to stand just below must not vote for the shorter distance); 1 when no head could
    show any distance."""
    best, best_share = 1, 0.0
    for distance in range(1, MAX_ROWS + 1):
        possible = matched = 0
        for rows_before, rows_after in zip(before, after):
            for row in rows_before:
                if row + distance <= MAX_ROWS:
                    possible += 1
                    matched += (row + distance) in rows_after
        if possible and matched / possible > best_share:
            best, best_share = distance, matched / possible
    return best
