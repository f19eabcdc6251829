"""The Wayland backend as `make bench` prints it: build/native/lumivex -wayland on a private
headless sway (pixman renderer) with one 1024 x 768 output, at the design settings and at the
heaviest ones, beside sway with no client, each for a fixed wall time.

Per row: CPU seconds per wall second of lumivex and of sway (the scheduler's count from /proc),
lumivex's peak resident memory (VmHWM), the frames it sent per second, and the time from
SIGTERM to the end of the process. A frame is one present: the step's changed cells copied into
a released buffer and committed, sent in one sendmsg; the frames are counted with strace in a
window of their own after the CPU window, so the tracing does not weigh on the CPU figures.
Frames per second can be below the steps per second when the compositor still holds both
buffers (the step's changes then go with the next frame).
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
from sway import Sway  # noqa: E402

OUTPUT_SIZE = (1024, 768)
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


def measure(sway, command, seconds):
    process = subprocess.Popen(command, env=sway.env(), stdin=subprocess.DEVNULL) if command else None
    try:
        time.sleep(SETTLE_SECONDS)
        own = process.pid if process else None
        sway_before, start = cpu_seconds(sway.process.pid), time.monotonic()
        before = cpu_seconds(own) if own else 0.0
        time.sleep(seconds)
        after = cpu_seconds(own) if own else 0.0
        sway_after, end = cpu_seconds(sway.process.pid), time.monotonic()
        wall = end - start
        row = {"cpu": (after - before) / wall, "sway": (sway_after - sway_before) / wall,
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


def print_table(rows, seconds):
    print(f"== Wayland backend (build/native/lumivex -wayland) on headless sway, one "
          f"{OUTPUT_SIZE[0]}x{OUTPUT_SIZE[1]} output, {seconds:g} s each ==")
    print(f"{'program':<36}{'CPU s/s':>9}{'sway':>8}{'frames/s':>10}{'target':>8}{'peak MiB':>10}{'end ms':>8}")
    for name, interval, f in rows:
        def shown(value, form):
            return "-" if value is None else format(value, form)
        print(f"{name:<36}{f['cpu']:>9.3f}{f['sway']:>8.3f}{shown(f['frames'], '.1f'):>10}"
              f"{shown(1000 / interval if interval else None, '.1f'):>8}"
              f"{shown(f['peak_kib'] and f['peak_kib'] / 1024, '.1f'):>10}{shown(f['ended_ms'], '.1f'):>8}")
    print("CPU s/s: lumivex; sway: the compositor, rendering and copying what lumivex shows; target: steps/s"
          " the settings ask for; frames/s: presents sent (strace, a window of its own).")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("native_dir", type=Path, help="native build tree (lumivex)")
    parser.add_argument("--seconds", type=float, default=15.0, help="measured wall time per program")
    options = parser.parse_args()
    lumivex = options.native_dir / "lumivex"
    if not lumivex.is_file():
        sys.exit(f"bench_wayland: missing {lumivex} (build the native tree first)")
    if os.geteuid() != 0:
        sys.exit("bench_wayland: needs root, to start sway as the user nobody")
    sway = Sway(OUTPUT_SIZE)
    try:
        rows = [
            ("lumivex -wayland (design)", DESIGN[1],
             measure(sway, [str(lumivex), "-wayland", *DESIGN[0]], options.seconds)),
            ("lumivex -wayland (heaviest)", HEAVIEST[1],
             measure(sway, [str(lumivex), "-wayland", *HEAVIEST[0]], options.seconds)),
            ("sway alone (no client)", 0, measure(sway, None, options.seconds)),
        ]
    finally:
        sway.stop()
    print_table(rows, options.seconds)


if __name__ == "__main__":
    main()
