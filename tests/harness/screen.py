"""Reading screenshots of a Wine session. The session's display has a white root window, so a
part of the screen that no window covers stays pure white; these helpers tell covered from
uncovered and describe a screen in a line for failure reports."""

from PIL import Image

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)


def load(path):
    with Image.open(path) as image:
        return image.convert("RGB")


def _fraction(image, colour, box=None):
    region = image.crop(box) if box else image
    width, height = region.size
    count = next((n for n, c in region.getcolors(width * height) if c == colour), 0)
    return count / (width * height)


def covered_fraction(image, box=None):
    """Share of the pixels (in `box`, else everywhere) that some window covers."""
    return 1.0 - _fraction(image, WHITE, box)


def black_fraction(image, box=None):
    return _fraction(image, BLACK, box)


def uncovered_tiles(image, box=None, tile=32):
    """The tiles of `box` (left, top, right, bottom; default the whole screen) that are entirely
    white: parts no window covers. A small bright detail drawn by a window never fills a tile."""
    left, top, right, bottom = box or (0, 0, *image.size)
    tiles = []
    for y in range(top, bottom, tile):
        for x in range(left, right, tile):
            cell = (x, y, min(x + tile, right), min(y + tile, bottom))
            if _fraction(image, WHITE, cell) == 1.0:
                tiles.append(cell)
    return tiles


def describe(image):
    """One line on what the screen shows, for a failure report."""
    non_white = Image.eval(image.convert("L"), lambda v: 255 if v < 255 else 0).getbbox()
    return (f"{image.size[0]}x{image.size[1]}: {covered_fraction(image):.1%} covered by windows, "
            f"{black_fraction(image):.1%} black; covered area's bounding box {non_white}")
