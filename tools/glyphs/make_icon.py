#!/usr/bin/python3
"""Draws the program icon res/lumivex.ico (16, 32 and 48 px): a few columns of our own glyphs
falling in green on black, cut from res/index.bmp (the 16 px one from res/index_s.bmp).
Each size is composed for its own pixel grid rather than scaled; the same sheets give the
same bytes.

    /usr/bin/python3 tools/glyphs/make_icon.py [--res DIR] [--preview PNG]
"""

import argparse
import os
import sys

from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import greybmp  # noqa: E402

# The saver's design-time colours, as (red, green, blue): heads, trails, and the dark end of a trail.
HEAD = (0x88, 0xFF, 0x88)
TRAIL = (0x00, 0x90, 0x00)
FADED = (0x00, 0x60, 0x00)

# Per icon size: which sheet, the column pitch, and its columns as
# (left x, y of the head cell's top edge, cells in full trail colour, glyph numbers from the head
# up; the cells beyond the full trail are faded).
LAYOUTS = {
    16: ("index_s.bmp", (4, 6), [(1, 8, 1, (19, 4, 25)), (6, 10, 1, (1, 28, 6)), (11, 3, 0, (23, 10))]),
    32: ("index.bmp", (10, 15), [(0, 13, 1, (4, 25, 10)), (11, 17, 1, (28, 6, 17)), (22, 5, 0, (1, 23))]),
    48: ("index.bmp", (10, 15), [(1, 22, 2, (4, 25, 10, 19)), (13, 31, 1, (28, 6, 17)),
                                 (25, 12, 0, (1, 23)), (37, 27, 1, (21, 13, 8))]),
}


def tint(cell, colour):
    """Scales colour by the cell's grey, as the saver tints its sheets."""
    channels = [cell.point(lambda v, c=c: c * v // 255) for c in colour]
    return Image.merge("RGB", channels)


def compose(size, sheet, cell_size, columns):
    width, height = cell_size
    icon = Image.new("RGB", (size, size), (0, 0, 0))
    for left, head_top, trail, glyphs in columns:
        for step, glyph in enumerate(glyphs):
            if step == 0:
                colour = HEAD
            elif step <= trail:
                colour = TRAIL
            else:
                colour = FADED
            cell = sheet.crop((0, glyph * height, width, (glyph + 1) * height))
            icon.paste(tint(cell, colour), (left, head_top - step * height))
    return icon


def main(argv=None):
    repo = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--res", default=os.path.join(repo, "res"), help="folder with the sheets and the icon")
    parser.add_argument("--preview", help="also write an enlarged PNG of the three sizes here")
    args = parser.parse_args(argv)

    images = []
    for size, (sheet_name, cell_size, columns) in sorted(LAYOUTS.items()):
        sheet = greybmp.read(os.path.join(args.res, sheet_name))
        images.append(compose(size, sheet, cell_size, columns))
    largest = images[-1]
    largest.save(os.path.join(args.res, "lumivex.ico"), format="ICO", bitmap_format="bmp",
                 sizes=[im.size for im in images], append_images=images[:-1])

    if args.preview:
        scale = 8
        out = Image.new("RGB", (sum(im.width + 4 for im in images) * scale, largest.height * scale),
                        (48, 48, 48))
        x = 0
        for im in images:
            out.paste(im.resize((im.width * scale, im.height * scale), Image.NEAREST), (x, 0))
            x += (im.width + 4) * scale
        out.save(args.preview)


if __name__ == "__main__":
    main()
