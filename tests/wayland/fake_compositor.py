"""A stand-in Wayland compositor on a socket of its own, for what a headless sway cannot show: it
offers the globals it is given, answers the registry request and every sync, sends an output's
done event when a client binds the output, and records every request. It never configures a
surface, so nothing is drawn; a test can then take a global away, as when a monitor is
unplugged, and see what the client asks for."""

import socket
import struct
import threading

from winenv import wait_for

WL_DISPLAY = 1


class FakeCompositor:
    def __init__(self, folder, name, globals_):
        """`globals_`: (name number, interface, version) of each global on offer."""
        self.globals = list(globals_)
        self.requests = []             # (object id, opcode, argument bytes), in order
        self.bound = {}                # interface -> the client's object id for it
        self.registry = None
        self.connection = None
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

    def remove_global(self, name):
        """Takes the global `name` away, as a compositor does when an output goes."""
        self.send(self.message(self.registry, 1, struct.pack("<I", name)))

    def requests_to(self, object_id, opcode):
        return [args for target, op, args in list(self.requests) if target == object_id and op == opcode]

    def wait_for_request(self, object_id, opcode, what, timeout=30):
        return wait_for(lambda: self.requests_to(object_id, opcode), timeout=timeout, what=what)

    def serve(self):
        self.connection, _ = self.listener.accept()
        pending = b""
        while True:
            chunk = self.connection.recv(4096)
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
        if target == WL_DISPLAY and opcode == 1:           # get_registry
            self.registry, = struct.unpack("<I", args[:4])
            for name, interface, version in self.globals:
                self.send(self.message(self.registry, 0, struct.pack("<I", name) + self.text(interface)
                                       + struct.pack("<I", version)))
        elif target == WL_DISPLAY and opcode == 0:         # sync: done, then the id is free again
            callback, = struct.unpack("<I", args[:4])
            self.send(self.message(callback, 0, struct.pack("<I", 1))
                      + self.message(WL_DISPLAY, 1, struct.pack("<I", callback)))
        elif target == self.registry and opcode == 0:      # bind(name, interface, version, id)
            interface, at = self.read_text(args, 4)
            _, new_id = struct.unpack_from("<II", args, at)
            self.bound.setdefault(interface, []).append(new_id)
            if interface == "wl_output":                    # scale 1, then done
                self.send(self.message(new_id, 3, struct.pack("<i", 1)) + self.message(new_id, 2, b""))

    def close(self):
        self.listener.close()
        if self.connection:
            self.connection.close()
