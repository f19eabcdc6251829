"""Reads and writes the 8-bit grey Windows bitmaps that hold Lumivex's glyph sheets.

The layout is fixed so that, once windres drops the 14-byte file header, the resource is
exactly: 40-byte info header, 256-entry grey palette, bottom-up rows padded to 4 bytes,
then two zero bytes. Everything is computed from the pixels, so equal pixels give equal bytes.
"""

import struct

from PIL import Image

FILE_HEADER_SIZE = 14
INFO_HEADER_SIZE = 40
PALETTE_SIZE = 256 * 4
PIXELS_PER_METRE = 2834  # 72 dpi, as the resource compilers and paint programs write it
TRAILER = b"\0\0"


def row_stride(width):
    return (width + 3) // 4 * 4


def encode(image):
    """Returns the whole .bmp file for an 'L' image: file header plus resource data."""
    if image.mode != "L":
        raise ValueError("glyph sheets are 8-bit grey images")
    width, height = image.size
    stride = row_stride(width)
    pixels = image.tobytes()
    rows = bytearray()
    for y in reversed(range(height)):  # bottom-up: the first stored row is the image's last
        row = pixels[y * width:(y + 1) * width]
        rows += row + b"\0" * (stride - width)
    info = struct.pack("<IiiHHIIiiII", INFO_HEADER_SIZE, width, height, 1, 8, 0, 0,
                       PIXELS_PER_METRE, PIXELS_PER_METRE, 0, 0)
    palette = b"".join(bytes((i, i, i, 0)) for i in range(256))
    data = info + palette + bytes(rows) + TRAILER
    offset = FILE_HEADER_SIZE + INFO_HEADER_SIZE + PALETTE_SIZE
    header = struct.pack("<2sIHHI", b"BM", FILE_HEADER_SIZE + len(data), 0, 0, offset)
    return header + data


def write(path, image):
    with open(path, "wb") as f:
        f.write(encode(image))


def read(path):
    """Reads a sheet written by encode() back into an 'L' image; refuses anything else."""
    with open(path, "rb") as f:
        blob = f.read()
    magic, _, _, _, offset = struct.unpack_from("<2sIHHI", blob, 0)
    (size, width, height, planes, bits, compression, _, _, _, used, important) = \
        struct.unpack_from("<IiiHHIIiiII", blob, FILE_HEADER_SIZE)
    if (magic != b"BM" or size != INFO_HEADER_SIZE or width <= 0 or height <= 0 or planes != 1
            or bits != 8 or compression != 0 or used != 0 or important != 0
            or offset != FILE_HEADER_SIZE + INFO_HEADER_SIZE + PALETTE_SIZE):
        raise ValueError(f"{path}: not an 8-bit grey glyph sheet")
    stride = row_stride(width)
    if len(blob) != offset + stride * height + len(TRAILER):
        raise ValueError(f"{path}: wrong size for a {width} x {height} sheet")
    top_down = b"".join(blob[offset + y * stride:offset + y * stride + width]
                        for y in reversed(range(height)))
    return Image.frombytes("L", (width, height), top_down)
