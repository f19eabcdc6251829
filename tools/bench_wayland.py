"""The Wayland backend as `make bench` prints it: build/native/lumivex -wayland on a private
headless sway (pixman renderer) with one 1024 x 768 output, at the design settings and at the
heaviest ones, beside sway with no client, each for a fixed wall time; then on a private headless
KWin (software GL) with one 1920 x 1200 output at scale 1 and at scale 1.5, beside KWin alone.

Per row: CPU seconds per wall second of lumivex and of sway (the scheduler's count from /proc),
lumivex's peak resident memory (VmHWM), the frames it sent per second, and the time from
SIGTERM to the end of the process. A frame is one present: the step's changed cells copied into
a released buffer and committed, sent in one sendmsg; the frames are counted with strace in a
window of their own after the CPU window, so the tracing does not weigh on the CPU figures.
Frames per second can be below the steps per second when the compositor still holds both
buffers (the step's changes then go with the next frame).

On KWin a row also gives the client's buffer pixels per output device pixel (1.0 when each
pixel drawn is one pixel shown; more when the compositor shrinks a larger picture): the size of
the last buffer lumivex made, read from its own protocol log (WAYLAND_DEBUG) in a short run of
its own before the measured one.
"""

import argparse
import os
import re
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "harness"))
sys.path.insert(0, str(ROOT / "tools"))
from bench_saver import cpu_seconds, peak_memory_kib  # noqa: E402
from kwin import KWin  # noqa: E402
from sway import Sway  # noqa: E402

OUTPUT_SIZE = (1024, 768)
KWIN_OUTPUT_SIZE = (1920, 1200)
KWIN_SCALES = (1.0, 1.5)
BUFFER_LOG_SECONDS = 4
SETTLE_SECONDS = 2
TRACE_SECONDS = 3

DESIGN = ([], 60)                # options, step interval in ms (210 - Speed)
HEAVIEST = (["-speed", "200", "-density", "200", "-balance", "100", "-noise", "500", "-inversion", "200"], 10)


def frames_per_second(pid, seconds):
    """sendmsg calls of `pid` per second, counted by strace for `seconds`."""
    with tempfile.NamedTemporaryFile(prefix="lumivex-trace-", mode="r") as summary:
        tracer = subprocess.Popen(["strace", "-c", "-e", "trace=sendmsg", "-o", summary.name, "-p", str(pid)],
                                  stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(seconds)
        tracer.send_signal(signal.SIGINT)
        tracer.wait(timeout=30)
        found = re.search(r"^\s*[\d.]+\s+[\d.]+\s+\d+\s+(\d+)\s+(?:\d+\s+)?sendmsg", summary.read(), re.M)
        return int(found.group(1)) / seconds if found else 0.0


def last_buffer_size(compositor, command):
    """(width, height) of the last wl_buffer `command` makes in its first seconds on
    `compositor`, from its protocol log."""
    with tempfile.TemporaryFile() as log:
        process = subprocess.Popen(command, env={**compositor.env(), "WAYLAND_DEBUG": "client"},
                                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=log)
        try:
            time.sleep(BUFFER_LOG_SECONDS)
        finally:
            process.send_signal(signal.SIGTERM)
            process.wait(timeout=30)
        log.seek(0)
        made = re.findall(rb"create_buffer\(new id wl_buffer@\d+, -?\d+, (\d+), (\d+),", log.read())
    return tuple(map(int, made[-1])) if made else None


def measure(compositor, command, seconds):
    process = subprocess.Popen(command, env=compositor.env(), stdin=subprocess.DEVNULL) if command else None
    try:
        time.sleep(SETTLE_SECONDS)
        own = process.pid if process else None
        host_before, start = cpu_seconds(compositor.process.pid), time.monotonic()
        before = cpu_seconds(own) if own else 0.0
        time.sleep(seconds)
        after = cpu_seconds(own) if own else 0.0
        host_after, end = cpu_seconds(compositor.process.pid), time.monotonic()
        wall = end - start
        # A compositor's threads come and go; one that ended takes its count with it, so an idle
        # one can read a hair below 0.
        row = {"cpu": (after - before) / wall, "host": max(0.0, (host_after - host_before) / wall),
               "frames": None, "peak_kib": None, "ended_ms": None}
        if process:
            row["frames"] = frames_per_second(process.pid, TRACE_SECONDS)
            row["peak_kib"] = peak_memory_kib(process.pid)
            sent = time.monotonic()
            process.send_signal(signal.SIGTERM)
            process.wait(timeout=30)
            row["ended_ms"] = 1000 * (time.monotonic() - sent)
        return row
    finally:
        if process and process.poll() is None:
            process.kill()
            process.wait()


def shown(value, form):
    return "-" if value is None else format(value, form)


def print_table(rows, seconds):
    print(f"== Wayland backend (build/native/lumivex -wayland) on headless sway, one "
          f"{OUTPUT_SIZE[0]}x{OUTPUT_SIZE[1]} output, {seconds:g} s each ==")
    print(f"{'program':<36}{'CPU s/s':>9}{'sway':>8}{'frames/s':>10}{'target':>8}{'peak MiB':>10}{'end ms':>8}")
    for name, interval, f in rows:
        print(f"{name:<36}{f['cpu']:>9.3f}{f['host']:>8.3f}{shown(f['frames'], '.1f'):>10}"
              f"{shown(1000 / interval if interval else None, '.1f'):>8}"
              f"{shown(f['peak_kib'] and f['peak_kib'] / 1024, '.1f'):>10}{shown(f['ended_ms'], '.1f'):>8}")
    print("CPU s/s: lumivex; sway: the compositor, rendering and copying what lumivex shows; target: steps/s"
          " the settings ask for; frames/s: presents sent (strace, a window of its own).")


def kwin_rows(lumivex, seconds):
    """Per scale: lumivex at the design settings, with its buffer pixels per output pixel,
    and KWin alone."""
    rows = []
    for scale in KWIN_SCALES:
        kwin = KWin(KWIN_OUTPUT_SIZE, scale)
        try:
            command = [str(lumivex), "-wayland", *DESIGN[0]]
            buffer = last_buffer_size(kwin, command)
            row = measure(kwin, command, seconds)
            row["pixels"] = buffer and buffer[0] * buffer[1] / (KWIN_OUTPUT_SIZE[0] * KWIN_OUTPUT_SIZE[1])
            row["buffer"] = buffer
            rows.append((f"lumivex -wayland (design), scale {scale:g}", DESIGN[1], row))
            alone = measure(kwin, None, seconds)
            alone.update(pixels=None, buffer=None)
            rows.append((f"KWin alone, scale {scale:g}", 0, alone))
        finally:
            kwin.stop()
    return rows


def print_kwin_table(rows, seconds):
    print(f"\n== The same on headless KWin (software GL), one {KWIN_OUTPUT_SIZE[0]}x{KWIN_OUTPUT_SIZE[1]} output, "
          f"{seconds:g} s each ==")
    print(f"{'program':<40}{'CPU s/s':>9}{'KWin':>8}{'frames/s':>10}{'target':>8}{'peak MiB':>10}"
          f"{'buffer':>11}{'px/px':>7}")
    for name, interval, f in rows:
        buffer = f"{f['buffer'][0]}x{f['buffer'][1]}" if f["buffer"] else "-"
        print(f"{name:<40}{f['cpu']:>9.3f}{f['host']:>8.3f}{shown(f['frames'], '.1f'):>10}"
              f"{shown(1000 / interval if interval else None, '.1f'):>8}"
              f"{shown(f['peak_kib'] and f['peak_kib'] / 1024, '.1f'):>10}{buffer:>11}{shown(f['pixels'], '.2f'):>7}")
    print("KWin: the compositor's CPU s/s; buffer: the last buffer lumivex made; px/px: its pixels per device"
          " pixel of the output (1.00: drawn at the output's own size).")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("native_dir", type=Path, help="native build tree (lumivex)")
    parser.add_argument("--seconds", type=float, default=15.0, help="measured wall time per program")
    parser.add_argument("--compositors", default="sway,kwin", help="which of sway and kwin to measure on")
    options = parser.parse_args()
    lumivex = options.native_dir / "lumivex"
    if not lumivex.is_file():
        sys.exit(f"bench_wayland: missing {lumivex} (build the native tree first)")
    if os.geteuid() != 0:
        sys.exit("bench_wayland: needs root, to start the compositors as the user nobody")
    chosen = options.compositors.split(",")
    if "sway" in chosen:
        print_table(sway_rows(lumivex, options.seconds), options.seconds)
        sys.stdout.flush()
    if "kwin" in chosen:
        print_kwin_table(kwin_rows(lumivex, options.seconds), options.seconds)


def sway_rows(lumivex, seconds):
    sway = Sway(OUTPUT_SIZE)
    try:
        return [
            ("lumivex -wayland (design)", DESIGN[1],
             measure(sway, [str(lumivex), "-wayland", *DESIGN[0]], seconds)),
            ("lumivex -wayland (heaviest)", HEAVIEST[1],
             measure(sway, [str(lumivex), "-wayland", *HEAVIEST[0]], seconds)),
            ("sway alone (no client)", 0, measure(sway, None, seconds)),
        ]
    finally:
        sway.stop()


if __name__ == "__main__":
    main()
