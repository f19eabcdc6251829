"""The test's own X client, in the part a screen-saver daemon or a settings dialog plays: it
makes the windows lumivex draws into, resizes and destroys them, and finds lumivex's own
window. Plain Xlib calls through ctypes."""

import ctypes

_Window = ctypes.c_ulong
_CLIENT_MESSAGE = 33
_GRAB_MODE_ASYNC = 1
_CURRENT_TIME = 0


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", _Window), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5),
                ("pad", ctypes.c_long * 12)]    # to the size of an XEvent


def _load_x11():
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XDefaultRootWindow.restype = _Window
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x11.XCreateSimpleWindow.restype = _Window
    x11.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, _Window, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                        ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_ulong]
    x11.XClearArea.argtypes = [ctypes.c_void_p, _Window, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                               ctypes.c_uint, ctypes.c_int]
    for name in ("XMapWindow", "XUnmapWindow", "XDestroyWindow"):
        getattr(x11, name).argtypes = [ctypes.c_void_p, _Window]
    x11.XResizeWindow.argtypes = [ctypes.c_void_p, _Window, ctypes.c_uint, ctypes.c_uint]
    x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x11.XQueryTree.argtypes = [ctypes.c_void_p, _Window, ctypes.POINTER(_Window), ctypes.POINTER(_Window),
                               ctypes.POINTER(ctypes.POINTER(_Window)), ctypes.POINTER(ctypes.c_uint)]
    x11.XFetchName.argtypes = [ctypes.c_void_p, _Window, ctypes.POINTER(ctypes.c_char_p)]
    x11.XGetGeometry.argtypes = [ctypes.c_void_p, _Window, ctypes.POINTER(_Window),
                                 ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int),
                                 ctypes.POINTER(ctypes.c_uint), ctypes.POINTER(ctypes.c_uint),
                                 ctypes.POINTER(ctypes.c_uint), ctypes.POINTER(ctypes.c_uint)]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, _Window, ctypes.c_int, ctypes.c_long, ctypes.POINTER(_ClientMessage)]
    x11.XFree.argtypes = [ctypes.c_void_p]
    x11.XChangeProperty.argtypes = [ctypes.c_void_p, _Window, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_int,
                                    ctypes.c_int, ctypes.c_char_p, ctypes.c_int]
    x11.XDeleteProperty.argtypes = [ctypes.c_void_p, _Window, ctypes.c_ulong]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x11.XGrabKeyboard.argtypes = [ctypes.c_void_p, _Window, ctypes.c_int, ctypes.c_int, ctypes.c_int, ctypes.c_ulong]
    x11.XGrabPointer.argtypes = [ctypes.c_void_p, _Window, ctypes.c_int, ctypes.c_uint, ctypes.c_int, ctypes.c_int,
                                 _Window, ctypes.c_ulong, ctypes.c_ulong]
    for name in ("XUngrabKeyboard", "XUngrabPointer"):
        getattr(x11, name).argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    return x11


class XClient:
    """One connection to `display`. Every call is synced, so the server has done it on return."""

    def __init__(self, display):
        self.x11 = _load_x11()
        self.display = self.x11.XOpenDisplay(display.encode())
        if not self.display:
            raise RuntimeError(f"cannot open X display {display}")
        self.root = self.x11.XDefaultRootWindow(self.display)
        self.made = []

    def _sync(self):
        self.x11.XSync(self.display, 0)

    def make_window(self, box, background=0x808080):
        """A mapped top-level window over `box` (left, top, width, height); returns its id."""
        left, top, width, height = box
        window = self.x11.XCreateSimpleWindow(self.display, self.root, left, top, width, height, 0, 0, background)
        self.x11.XMapWindow(self.display, window)
        self._sync()
        self.made.append(window)
        return window

    def resize(self, window, width, height):
        self.x11.XResizeWindow(self.display, window, width, height)
        self._sync()

    def unmap(self, window):
        self.x11.XUnmapWindow(self.display, window)
        self._sync()

    def destroy(self, window):
        self.x11.XDestroyWindow(self.display, window)
        self._sync()
        if window in self.made:
            self.made.remove(window)

    def destroy_all(self):
        for window in list(self.made):
            self.destroy(window)

    def clear_root(self):
        """Paints the root window with its background again, after a program drew on it."""
        self.x11.XClearArea(self.display, self.root, 0, 0, 0, 0, 0)
        self._sync()

    def set_resources(self, text):
        """Replaces the server's resource database (RESOURCE_MANAGER on the root, as xrdb sets it);
        None deletes it. A client reads it when it connects."""
        resource_manager, string = 23, 31        # the predefined atoms RESOURCE_MANAGER and STRING
        if text is None:
            self.x11.XDeleteProperty(self.display, self.root, resource_manager)
        else:
            data = text.encode()
            self.x11.XChangeProperty(self.display, self.root, resource_manager, string, 8, 0, data, len(data))
        self._sync()

    def ask_to_close(self, window):
        """What a window manager sends when the user closes a window: WM_DELETE_WINDOW."""
        event = _ClientMessage(type=_CLIENT_MESSAGE, window=window, format=32,
                               message_type=self.x11.XInternAtom(self.display, b"WM_PROTOCOLS", 0))
        event.data[0] = self.x11.XInternAtom(self.display, b"WM_DELETE_WINDOW", 0)
        self.x11.XSendEvent(self.display, window, 0, 0, ctypes.byref(event))
        self._sync()

    def grab_keyboard_and_pointer(self):
        """Grabs the keyboard and the pointer as a screen locker would, and lets them go again;
        returns the two X statuses (0: GrabSuccess, 1: AlreadyGrabbed, another client has it)."""
        keyboard = self.x11.XGrabKeyboard(self.display, self.root, 0, _GRAB_MODE_ASYNC, _GRAB_MODE_ASYNC,
                                          _CURRENT_TIME)
        pointer = self.x11.XGrabPointer(self.display, self.root, 0, 0, _GRAB_MODE_ASYNC, _GRAB_MODE_ASYNC,
                                        0, 0, _CURRENT_TIME)
        self.x11.XUngrabKeyboard(self.display, _CURRENT_TIME)
        self.x11.XUngrabPointer(self.display, _CURRENT_TIME)
        self._sync()
        return keyboard, pointer

    def top_level(self):
        """The root's children as (window, name, (x, y, width, height)), bottom to top."""
        root, parent = _Window(), _Window()
        children, count = ctypes.POINTER(_Window)(), ctypes.c_uint()
        self.x11.XQueryTree(self.display, self.root, ctypes.byref(root), ctypes.byref(parent),
                            ctypes.byref(children), ctypes.byref(count))
        found = []
        try:
            for i in range(count.value):
                window = children[i]
                name = ctypes.c_char_p()
                self.x11.XFetchName(self.display, window, ctypes.byref(name))
                title = name.value.decode(errors="replace") if name.value else None
                if name.value:
                    self.x11.XFree(name)
                found.append((window, title, self.geometry(window)))
        finally:
            if children:
                self.x11.XFree(children)
        return found

    def geometry(self, window):
        root = _Window()
        x, y = ctypes.c_int(), ctypes.c_int()
        width, height, border, depth = (ctypes.c_uint() for _ in range(4))
        self.x11.XGetGeometry(self.display, window, ctypes.byref(root), ctypes.byref(x), ctypes.byref(y),
                              ctypes.byref(width), ctypes.byref(height), ctypes.byref(border), ctypes.byref(depth))
        return x.value, y.value, width.value, height.value

    def close(self):
        if self.display:
            self.x11.XCloseDisplay(self.display)
            self.display = None
