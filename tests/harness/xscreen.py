"""Reading the screen of a session's display in one X request. `import -window root` reads the
screen in several pieces, so while a saver keeps drawing, one of its shots can show a cell half
before and half after a step; a single GetImage request is served whole between two of Wine's
updates of the window. Used by the rain tests and the whole-saver benchmark."""

import ctypes
import zlib

from PIL import Image

_Z_PIXMAP = 2
_ALL_PLANES = ctypes.c_ulong(-1).value


class _ImageFunctions(ctypes.Structure):
    _fields_ = [(name, ctypes.c_void_p) for name in
                ("create_image", "destroy_image", "get_pixel", "put_pixel", "sub_image", "add_pixel")]


class _XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
                ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong),
                ("blue_mask", ctypes.c_ulong), ("obdata", ctypes.c_void_p), ("f", _ImageFunctions)]


def _load_x11():
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x11.XGetImage.restype = ctypes.POINTER(_XImage)
    x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                              ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    x11.XGetSubImage.restype = ctypes.POINTER(_XImage)
    x11.XGetSubImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                 ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int,
                                 ctypes.POINTER(_XImage), ctypes.c_int, ctypes.c_int]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    return x11


class ScreenReader:
    """Reads one rectangle (left, top, width, height) of the root window of `display`, again and
    again into the same client-side image. Use as a context manager, or call close()."""

    def __init__(self, display, box):
        self.x11 = _load_x11()
        self.display = self.x11.XOpenDisplay(display.encode())
        if not self.display:
            raise RuntimeError(f"cannot open X display {display}")
        self.root = self.x11.XDefaultRootWindow(self.display)
        self.box = tuple(box)
        self.image = self.x11.XGetImage(self.display, self.root, *self.box, _ALL_PLANES, _Z_PIXMAP)
        if not self.image:
            self.x11.XCloseDisplay(self.display)
            raise RuntimeError(f"cannot read {self.box} of the screen of {display}")
        layout = self.image.contents
        if (layout.bits_per_pixel, layout.byte_order, layout.red_mask, layout.blue_mask) != \
                (32, 0, 0xFF0000, 0x0000FF):
            self.close()
            raise RuntimeError("the display is not 24-bit colour in 32-bit little-endian pixels")
        self.size = layout.bytes_per_line * layout.height

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def read(self):
        """The rectangle's pixels as they are now: rows of `bytes_per_line` bytes, each pixel
        blue, green, red and one unused byte."""
        self.x11.XGetSubImage(self.display, self.root, *self.box, _ALL_PLANES, _Z_PIXMAP,
                              self.image, 0, 0)
        return ctypes.string_at(self.image.contents.data, self.size)

    @property
    def bytes_per_line(self):
        return self.image.contents.bytes_per_line

    def checksum(self):
        """A checksum of the rectangle's pixels as they are now."""
        return zlib.crc32(self.read())

    def shot(self):
        """The rectangle as it is now, as an RGB image."""
        width, height = self.box[2:]
        return Image.frombuffer("RGB", (width, height), self.read(), "raw", "BGRX",
                                self.image.contents.bytes_per_line, 1).copy()

    def close(self):
        if self.image:
            destroy = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.POINTER(_XImage))(
                self.image.contents.f.destroy_image)
            destroy(self.image)
            self.image = None
        if self.display:
            self.x11.XCloseDisplay(self.display)
            self.display = None
