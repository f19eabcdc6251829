#!/usr/bin/python3
"""Draws Lumivex's glyph sheets: a large and a small one for each display scale step.

At scale 1, res/index.bmp (cells 10 x 15) and res/index_s.bmp (4 x 6); at the other steps
res/index_<percent>.bmp and res/index_s_<percent>.bmp, whose cells are the scale-1 cells times
the step, rounded half up (13 x 19 and 5 x 8 at 125 %, up to 30 x 45 and 12 x 18 at 300 %).

Glyphs come from the IPA Gothic font, mirrored left to right and fitted to the cell edge to
edge, so a column of them nearly joins. Every sheet is rendered from the font at its own cell
size, so strokes land on whole pixels at each size, except the 4 x 6 one, which is the exact
area average of the 10 x 15 one. Nothing depends on time or chance: running it again writes
the same bytes.

    /usr/bin/python3 tools/glyphs/make_glyphs.py [--out DIR] [--steps 100,200] [--preview PNG]
"""

import argparse
import math
import os
import sys

from PIL import Image, ImageDraw, ImageFilter, ImageFont, ImageOps

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import greybmp  # noqa: E402

FONT = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"
CELL_W, CELL_H = 10, 15
SMALL_W, SMALL_H = 4, 6
FULL = (0, 0, CELL_W, CELL_H)
# Display scale steps in percent; the engine's scale table (src/engine/display_scale.h) holds the
# same steps and names the resources after the files written here.
STEPS = (100, 125, 150, 175, 200, 250, 300)

# Working resolution: every cell pixel is drawn as SUPER x SUPER sub-pixels and then averaged.
SUPER = 8
RENDER_SIZE = 480
# Strokes of IPA Gothic come out about 2 px wide at this size, which reads heavy in a 10 px
# cell; shaving THIN sub-pixels off each side leaves crisp 1 to 1.5 px strokes.
THIN = 2
# How far (in sub-pixels) the fitter may move each edge of a glyph's box either way, looking for
# the placement whose strokes land on whole pixels (font hinting done by search).
NUDGE = 2


class Glyph:
    """One character and how it sits in its cell.

    region: the part of the cell (left, top, right, bottom in pixels of the 10 x 15 cell, scaled
    with the cell at other sizes) it is fitted into;
    stretch: the most one axis may be scaled over the other (None: fill the region regardless),
    so that narrow characters like "1" keep their shape; thin: sub-pixels shaved off each side
    of every stroke (long shallow diagonals stay brighter with less).
    """

    def __init__(self, char, region=FULL, stretch=1.6, thin=THIN):
        self.char, self.region, self.stretch, self.thin = char, region, stretch, thin


# Mirrored half-width katakana and digits filling the cell, then the punctuation. Regions with an
# odd width (9) put a centred vertical stroke on a pixel instead of between two.
KANA = "ｦｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾃﾅﾇﾈﾊﾋﾎﾏﾐﾑﾓﾗﾙ"
DIGITS = "0123456789"
GLYPHS = (
    [Glyph(ch) for ch in KANA]
    + [Glyph(ch) for ch in DIGITS]
    + [
        Glyph(".", (4, 5, 6, 7), None),
        Glyph("-", (0, 6, 10, 7.25), None),
        Glyph("<", thin=1),
        Glyph(">", thin=1),
        Glyph("*", (0, 2, 9, 13), 1.2, thin=1),
        Glyph(":", (4, 3, 6, 12), None),
        Glyph("+", (0, 3, 9, 12), None, thin=0),
        Glyph("=", (0, 3, 10, 9), None),
        Glyph("≡", (0, 1, 10, 12), None),
    ]
)
assert len(GLYPHS) == 50, "the rain field cuts each sheet into exactly 50 cells"


def render(ch, font):
    """The character's ink, mirrored, cropped to its bounding box."""
    canvas = Image.new("L", (RENDER_SIZE * 3, RENDER_SIZE * 3), 0)
    ImageDraw.Draw(canvas).text((RENDER_SIZE, RENDER_SIZE // 2), ch, font=font, fill=255)
    box = canvas.getbbox()
    if box is None:
        raise ValueError(f"the font has no ink for {ch!r}")
    return ImageOps.mirror(canvas.crop(box))


def natural_box(ink, region, stretch):
    """The largest box inside region whose aspect departs from the ink's by at most stretch."""
    left, top, right, bottom = region
    width, height = right - left, bottom - top
    if stretch is not None:
        scale_x, scale_y = width / ink.width, height / ink.height
        if scale_x > stretch * scale_y:
            width = stretch * scale_y * ink.width
        elif scale_y > stretch * scale_x:
            height = stretch * scale_x * ink.height
    x = left + ((right - left) - width) / 2
    y = top + ((bottom - top) - height) / 2
    return (x, y, x + width, y + height)


def round_half_up(value):
    return math.floor(value + 0.5)


def cell_size(design, percent):
    """A design cell (width, height) at a scale step: each side times the step, halves up."""
    return tuple(round_half_up(side * percent / 100) for side in design)


def draw_cell(ink, box, thin, size):
    """Paints the ink into box (cell pixels, may touch the edges) and returns the cell of size."""
    cell_w, cell_h = size
    margin = 1
    grow = thin / SUPER  # drawn this much larger so that thinning ends on the box again
    left, top, right, bottom = (round((v + margin) * SUPER) for v in
                                (box[0] - grow, box[1] - grow, box[2] + grow, box[3] + grow))
    canvas = Image.new("L", ((cell_w + 2 * margin) * SUPER, (cell_h + 2 * margin) * SUPER), 0)
    canvas.paste(ink.resize((right - left, bottom - top), Image.LANCZOS), (left, top))
    canvas = canvas.filter(ImageFilter.MinFilter(2 * thin + 1))
    inner = (margin * SUPER, margin * SUPER, (margin + cell_w) * SUPER, (margin + cell_h) * SUPER)
    return canvas.crop(inner).reduce(SUPER)


def crispness(cell):
    """1.0 when all ink sits in full-white pixels; lower the more it is smeared over greys."""
    values = cell.tobytes()
    total = sum(values)
    return sum(v * v for v in values) / (255 * total) if total else 0.0


def edge_choices(edge):
    """Positions to try for one edge of the box. An edge on the cell border may also move out a
    little: clipping a stroke tip by a quarter pixel costs less than leaving the border row dim,
    which would open a gap between glyphs stacked in a column."""
    return [edge + k / SUPER for k in range(-NUDGE, NUDGE + 1)]


def fit(ink, box, thin, size):
    """Nudges the box edges, one axis at a time (x again once y has settled), to the placement
    with the crispest strokes."""
    best = tuple(box)
    for axis in (0, 1, 0):
        candidates = []
        for a in edge_choices(box[axis]):
            for b in edge_choices(box[axis + 2]):
                trial = list(best)
                trial[axis], trial[axis + 2] = a, b
                # Ties go to the box that moved least, then to the first tried.
                moved = abs(a - box[axis]) + abs(b - box[axis + 2])
                candidates.append((-crispness(draw_cell(ink, trial, thin, size)), moved, len(candidates), trial))
        best = tuple(min(candidates)[3])
    return draw_cell(ink, best, thin, size)


def glyph_cell(glyph, ink, size):
    """One glyph rendered at a cell size: its region scales with the cell, and so does the
    shaving of its strokes, since the font's strokes grow with the glyph."""
    fx, fy = size[0] / CELL_W, size[1] / CELL_H
    left, top, right, bottom = glyph.region
    region = (left * fx, top * fy, right * fx, bottom * fy)
    thin = round_half_up(glyph.thin * fy)
    return fit(ink, natural_box(ink, region, glyph.stretch), thin, size)


def sheet_file(percent, small):
    """The file of a sheet; its resource name is the same in capitals without ".bmp"."""
    base = "index_s" if small else "index"
    return f"{base}.bmp" if percent == 100 else f"{base}_{percent}.bmp"


def area_average(cell):
    """Shrinks a 10 x 15 cell to 4 x 6: each small pixel is the mean over its 2.5 x 2.5 pixel
    patch, rounded half up. Counted on a half-pixel grid, so the arithmetic is exact."""
    src = cell.load()
    small = Image.new("L", (SMALL_W, SMALL_H), 0)
    out = small.load()
    fx, fy = 2 * CELL_W // SMALL_W, 2 * CELL_H // SMALL_H  # half-pixels per small pixel: 5 x 5
    for sy in range(SMALL_H):
        for sx in range(SMALL_W):
            total = sum(src[hx // 2, hy // 2]
                        for hy in range(sy * fy, (sy + 1) * fy)
                        for hx in range(sx * fx, (sx + 1) * fx))
            out[sx, sy] = (2 * total + fx * fy) // (2 * fx * fy)
    return small


def stack(cells, width, height):
    sheet = Image.new("L", (width, height * len(cells)), 0)
    for row, cell in enumerate(cells):
        sheet.paste(cell, (0, row * height))
    return sheet


def save_preview(path, cells, small_cells, scale=8, per_row=10):
    """An enlarged look for a person to judge, not part of the build: the large cells apart,
    the small cells apart at the same size, then the sheet as rain (columns side by side)."""
    gap = 2 * scale
    rows = (len(cells) + per_row - 1) // per_row
    big_w, big_h = CELL_W * scale, CELL_H * scale
    panel_w, panel_h = per_row * (big_w + gap), rows * (big_h + gap)
    rain = Image.new("L", (rows * CELL_W, per_row * CELL_H), 0)
    for i, cell in enumerate(cells):
        rain.paste(cell, ((i // per_row) * CELL_W, (i % per_row) * CELL_H))
    rain = rain.resize((rain.width * scale, rain.height * scale), Image.NEAREST)
    out = Image.new("L", (2 * panel_w + rain.width + gap, max(panel_h, rain.height)), 48)
    for i, (cell, small) in enumerate(zip(cells, small_cells)):
        x, y = (i % per_row) * (big_w + gap), (i // per_row) * (big_h + gap)
        out.paste(cell.resize((big_w, big_h), Image.NEAREST), (x, y))
        out.paste(small.resize((big_w, big_h), Image.NEAREST), (panel_w + x, y))
    out.paste(rain, (2 * panel_w, 0))
    out.save(path)


def main(argv=None):
    repo = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(repo, "res"), help="folder for the .bmp files")
    parser.add_argument("--steps", default=",".join(map(str, STEPS)),
                        help="scale steps in percent to draw (default: all)")
    parser.add_argument("--preview", help="also write an enlarged PNG of the scale-1 sheets here")
    args = parser.parse_args(argv)
    steps = [int(step) for step in args.steps.split(",")]
    unknown = sorted(set(steps) - set(STEPS))
    if unknown:
        parser.error(f"no such scale step: {unknown}; the steps are {STEPS}")

    os.makedirs(args.out, exist_ok=True)
    font = ImageFont.truetype(FONT, RENDER_SIZE)
    inks = [render(glyph.char, font) for glyph in GLYPHS]
    for percent in steps:
        large = cell_size((CELL_W, CELL_H), percent)
        small = cell_size((SMALL_W, SMALL_H), percent)
        cells = [glyph_cell(glyph, ink, large) for glyph, ink in zip(GLYPHS, inks)]
        if percent == 100:
            small_cells = [area_average(cell) for cell in cells]
        else:
            small_cells = [glyph_cell(glyph, ink, small) for glyph, ink in zip(GLYPHS, inks)]
        greybmp.write(os.path.join(args.out, sheet_file(percent, False)), stack(cells, *large))
        greybmp.write(os.path.join(args.out, sheet_file(percent, True)), stack(small_cells, *small))
        if args.preview and percent == 100:
            save_preview(args.preview, cells, small_cells)


if __name__ == "__main__":
    main()
