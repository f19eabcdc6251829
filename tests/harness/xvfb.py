"""Starting a private Xvfb: the display number is the one Xvfb picks itself (-displayfd), so
parallel sessions never race for a number. Shared by the Wine sessions and the X11 host's tests."""

import os
import select
import time


def start_xvfb(screen_size, log, popen):
    """Starts Xvfb with a 24-bit screen of `screen_size` and a white root (-wr: any part of the
    screen nobody draws on stands out), its output in `log`, through `popen(command, log,
    pass_fds=...)`. Returns (process, display name)."""
    read_end, write_end = os.pipe()
    width, height = screen_size
    process = None
    try:
        process = popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24",
                         "-nolisten", "tcp", "-wr", "-noreset"], log, pass_fds=(write_end,))
        os.close(write_end)
        write_end = None
        number = b""
        deadline = time.monotonic() + 60
        while not number.endswith(b"\n"):
            left = max(0.0, deadline - time.monotonic())
            ready, _, _ = select.select([read_end], [], [], left)
            chunk = os.read(read_end, 16) if ready else b""
            if not chunk:
                raise RuntimeError("Xvfb did not report a display: " + log.read_text(errors="replace"))
            number += chunk
        return process, ":" + number.decode().strip()
    except BaseException:
        if process is not None:
            process.kill()
            process.wait()
        raise
    finally:
        os.close(read_end)
        if write_end is not None:
            os.close(write_end)
