"""A stand-in Wayland compositor on a socket of its own, for what a headless sway cannot show: it
offers the globals it is given, answers the registry request and every sync, describes an
output (its mode, scale and done event) when a client binds it, and records every request. It
configures a layer surface at its first commit only when told a size to send (0 x 0 leaves the
size to the client), so with none nothing is drawn. A test can then take a global away, as when
a monitor is unplugged, close a surface, move the keyboard or change a surface's preferred
scale, and see what the client asks for."""

import contextlib
import os
import shutil
import socket
import struct
import tempfile
import threading
from pathlib import Path

from lumivex_process import Lumivex
from winenv import wait_for

WL_DISPLAY = 1
# Requests, by interface: opcode.
CREATE_POOL = 0           # wl_shm
CREATE_BUFFER = 0         # wl_shm_pool
GET_LAYER_SURFACE = 0     # zwlr_layer_shell_v1
LAYER_SURFACE_DESTROY = 7  # zwlr_layer_surface_v1
SURFACE_COMMIT = 6        # wl_surface
SET_BUFFER_SCALE = 8      # wl_surface
OUTPUT_RELEASE = 0        # wl_output
GET_KEYBOARD = 1          # wl_seat
GET_FRACTIONAL_SCALE = 1  # wp_fractional_scale_manager_v1
GET_VIEWPORT = 1          # wp_viewporter
SET_DESTINATION = 2       # wp_viewport
# Events.
LAYER_CONFIGURE, LAYER_CLOSED = 0, 1                        # zwlr_layer_surface_v1
OUTPUT_MODE, OUTPUT_DONE, OUTPUT_SCALE = 1, 2, 3            # wl_output
KEYBOARD_ENTER, KEYBOARD_LEAVE = 1, 2                       # wl_keyboard
PREFERRED_SCALE = 0                                         # wp_fractional_scale_v1
SEAT_KEYBOARD = 2                                           # wl_seat capability


class FakeCompositor:
    def __init__(self, folder, name, globals_, mode=(1024, 768), scale=1, configure_size=None,
                 preferred_scale=None):
        """`globals_`: (name number, interface, version) of each global on offer. Each output
        has `mode` and `scale`; a layer surface is configured at `configure_size`, if given, and
        a fractional-scale object gets `preferred_scale` (in 120ths), if given, at once."""
        self.globals = list(globals_)
        self.mode = mode
        self.scale = scale
        self.configure_size = configure_size
        self.preferred_scale = preferred_scale
        self.requests = []             # (object id, opcode, argument bytes), in order
        self.bound = {}                # interface -> the client's object ids for it
        self.layer_surfaces = {}       # layer surface id -> (wl_surface id, wl_output id)
        self.configured = set()        # wl_surface ids configured
        self.scales = {}               # wl_surface id -> its wp_fractional_scale_v1 id
        self.pools = set()
        self.viewports = set()
        self.registry = None
        self.connection = None
        self.serial = 0
        self.lock = threading.Lock()
        self.listener = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.listener.bind(str(folder / name))
        self.listener.listen(1)
        self.thread = threading.Thread(target=self.serve, daemon=True)
        self.thread.start()

    @staticmethod
    def message(target, opcode, payload):
        return struct.pack("<II", target, (8 + len(payload)) << 16 | opcode) + payload

    @staticmethod
    def text(value):
        data = value.encode() + b"\0"
        return struct.pack("<I", len(data)) + data + b"\0" * (-len(data) % 4)

    @staticmethod
    def read_text(args, at):
        """The string at byte `at` of `args`, and the offset after it."""
        length, = struct.unpack_from("<I", args, at)
        return args[at + 4:at + 4 + length - 1].decode(), at + 4 + length + (-length % 4)

    def send(self, data):
        with self.lock:
            self.connection.sendall(data)

    def next_serial(self):
        self.serial += 1
        return self.serial

    def remove_global(self, name):
        """Takes the global `name` away, as a compositor does when an output goes."""
        self.send(self.message(self.registry, 1, struct.pack("<I", name)))

    def describe_output(self, output, scale, mode, done=True):
        self.send(self.message(output, OUTPUT_MODE, struct.pack("<Iiii", 3, *mode, 60000))
                  + self.message(output, OUTPUT_SCALE, struct.pack("<i", scale))
                  + (self.message(output, OUTPUT_DONE, b"") if done else b""))

    def configure(self, layer_surface, size):
        self.send(self.message(layer_surface, LAYER_CONFIGURE, struct.pack("<III", self.next_serial(), *size)))

    def close_surface(self, layer_surface):
        self.send(self.message(layer_surface, LAYER_CLOSED, b""))

    def keyboard_enter(self, surface):
        keyboard = self.bound_ids("wl_keyboard")[0]
        self.send(self.message(keyboard, KEYBOARD_ENTER, struct.pack("<III", self.next_serial(), surface, 0)))

    def keyboard_leave(self, surface, then_enter=None):
        """The keyboard leaves `surface`, and in the same batch enters `then_enter` if given."""
        keyboard = self.bound_ids("wl_keyboard")[0]
        data = self.message(keyboard, KEYBOARD_LEAVE, struct.pack("<II", self.next_serial(), surface))
        if then_enter is not None:
            data += self.message(keyboard, KEYBOARD_ENTER, struct.pack("<III", self.next_serial(), then_enter, 0))
        self.send(data)

    def prefer_scale(self, surface, scale120ths):
        self.send(self.message(self.scales[surface], PREFERRED_SCALE, struct.pack("<I", scale120ths)))

    def bound_ids(self, interface):
        return self.bound.get(interface, [])

    def requests_to(self, object_id, opcode):
        return [args for target, op, args in list(self.requests) if target == object_id and op == opcode]

    def wait_for_request(self, object_id, opcode, what, timeout=30):
        return wait_for(lambda: self.requests_to(object_id, opcode), timeout=timeout, what=what)

    def buffers(self):
        """(width, height) of every buffer made, in order."""
        return [struct.unpack_from("<IiiiiI", args)[2:4] for target, op, args in list(self.requests)
                if target in self.pools and op == CREATE_BUFFER]

    def viewport_destinations(self):
        """(width, height) of every viewport destination set, in order."""
        return [struct.unpack("<ii", args) for target, op, args in list(self.requests)
                if target in self.viewports and op == SET_DESTINATION]

    def surfaces_on(self, output):
        """(layer surface id, wl_surface id) of every layer surface made on `output`, in order."""
        return [(layer, surface) for layer, (surface, on) in list(self.layer_surfaces.items()) if on == output]

    def serve(self):
        self.connection, _ = self.listener.accept()
        pending = b""
        while True:
            try:
                chunk = self.connection.recv(4096)
            except OSError:
                return
            if not chunk:
                return
            pending += chunk
            while len(pending) >= 8:
                target, word = struct.unpack("<II", pending[:8])
                size, opcode = word >> 16, word & 0xFFFF
                if len(pending) < size:
                    break
                args, pending = pending[8:size], pending[size:]
                self.requests.append((target, opcode, args))
                self.answer(target, opcode, args)

    def answer(self, target, opcode, args):
        first = struct.unpack_from("<I", args)[0] if len(args) >= 4 else None
        if target == WL_DISPLAY and opcode == 1:           # get_registry
            self.registry = first
            for name, interface, version in self.globals:
                self.send(self.message(self.registry, 0, struct.pack("<I", name) + self.text(interface)
                                       + struct.pack("<I", version)))
        elif target == WL_DISPLAY and opcode == 0:         # sync: done, then the id is free again
            self.send(self.message(first, 0, struct.pack("<I", 1))
                      + self.message(WL_DISPLAY, 1, struct.pack("<I", first)))
        elif target == self.registry and opcode == 0:      # bind(name, interface, version, id)
            interface, at = self.read_text(args, 4)
            _, new_id = struct.unpack_from("<II", args, at)
            self.bound.setdefault(interface, []).append(new_id)
            if interface == "wl_output":
                self.describe_output(new_id, self.scale, self.mode)
            elif interface == "wl_seat":
                self.send(self.message(new_id, 0, struct.pack("<I", SEAT_KEYBOARD)))
        elif target in self.bound_ids("wl_seat") and opcode == GET_KEYBOARD:
            self.bound.setdefault("wl_keyboard", []).append(first)
        elif target in self.bound_ids("wl_shm") and opcode == CREATE_POOL:
            self.pools.add(first)
        elif target in self.bound_ids("zwlr_layer_shell_v1") and opcode == GET_LAYER_SURFACE:
            self.layer_surfaces[first] = struct.unpack_from("<II", args, 4)
        elif target in self.bound_ids("wp_fractional_scale_manager_v1") and opcode == GET_FRACTIONAL_SCALE:
            surface = struct.unpack_from("<I", args, 4)[0]
            self.scales[surface] = first
            if self.preferred_scale:
                self.prefer_scale(surface, self.preferred_scale)
        elif target in self.bound_ids("wp_viewporter") and opcode == GET_VIEWPORT:
            self.viewports.add(first)
        elif opcode == SURFACE_COMMIT and self.configure_size is not None and target not in self.configured:
            for layer, (surface, _) in list(self.layer_surfaces.items()):
                if surface == target:                       # a layer surface's first commit
                    self.configured.add(target)
                    self.configure(layer, self.configure_size)

    def close(self):
        self.listener.close()
        if self.connection:
            self.connection.close()


BASE_GLOBALS = [(1, "wl_compositor", 4), (2, "wl_shm", 1), (3, "zwlr_layer_shell_v1", 4)]


@contextlib.contextmanager
def lumivex_on_fake(program, globals_, args=("-wayland",), **fake_options):
    """A stand-in compositor offering `globals_` and lumivex `args` connected to it; both are
    stopped afterwards."""
    folder = Path(tempfile.mkdtemp(prefix="lumivex-fake-"))
    fake = FakeCompositor(folder, "wayland-8", globals_, **fake_options)
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_SOCKET")}
    env.update(XDG_RUNTIME_DIR=str(folder), WAYLAND_DISPLAY="wayland-8")
    lumivex = Lumivex(program, list(args), env)
    try:
        yield fake, lumivex
    finally:
        lumivex.stop()
        fake.close()
        shutil.rmtree(folder, ignore_errors=True)
