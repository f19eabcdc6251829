"""The X11 host as `make bench` prints it: build/native/lumivex -root on a private Xvfb at the
design settings and at the heaviest ones, beside a bare X client that only waits on its
connection, each for a fixed wall time; then the same at -scale 2 on a screen of four times the
pixels (2048 x 1536: the grid of the 1024 x 768 rows, in cells of 20 x 30).

Per program: CPU seconds per wall second of the process (utime + stime, from /proc), its peak
resident memory (VmHWM), the CPU of the Xvfb serving it, the presents and rain steps per second
read off the screen, and the time from SIGTERM to the process's end. lumivex flushes each
present's requests in one go and Xvfb serves them before it answers the probe, so a present
reaches the screen as one change: a probe reads a full-width band of the screen every 2 ms in one
request each and counts the changes, those closer together than half a 60 Hz interval counted
once; the steps are counted from how far the falling heads in the band moved between presents
(tools/rain_steps.py).
"""

import argparse
import os
import signal
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "harness"))
sys.path.insert(0, str(ROOT / "tools"))
from bench_saver import (CELL, PRESENT_MERGE_MS, cpu_seconds, peak_memory_kib, present_merge_gap,  # noqa: E402
                         presents_and_steps, screen_changes, steps_from_changes)
from rain_steps import StepCounter  # noqa: E402
from winenv import wait_for  # noqa: E402
import screen  # noqa: E402
from xscreen import ScreenReader  # noqa: E402
from xvfb import start_xvfb  # noqa: E402

SCREEN_SIZE = (1024, 768)
SCALED_SCREEN_SIZE = (2048, 1536)  # at -scale 2: the same grid as SCREEN_SIZE at scale 1
PROBE_PERIOD = 0.002
BAND = (0, 360, 1024, 60)        # x, y, width, height: cell rows 24 to 27 (of either screen)
SETTLE_SECONDS = 2

DESIGN = ([], 60)                # options, step interval in ms (210 - Speed)
HEAVIEST = (["-speed", "200", "-density", "200", "-balance", "100", "-noise", "500", "-inversion", "200"], 10)


def _popen(command, log, **popen_args):
    with open(log, "wb") as output:
        return subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=output, stderr=subprocess.STDOUT,
                                start_new_session=True, **popen_args)


def measure(display, xvfb_pid, command, interval_ms, seconds, size=SCREEN_SIZE):
    env = dict(os.environ, DISPLAY=display)
    env.pop("XSCREENSAVER_WINDOW", None)
    process = subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL)
    ended_ms = None
    try:
        if interval_ms:
            with ScreenReader(display, (0, 0, *size)) as whole:
                wait_for(lambda: not screen.uncovered_tiles(whole.shot()), timeout=60, interval=0.2,
                         what=f"{command[0]} to cover the screen")
        time.sleep(SETTLE_SECONDS)
        scale = size[0] // SCREEN_SIZE[0]
        band = tuple(scale * v for v in BAND)
        with ScreenReader(display, band) as probe:
            counter = StepCounter(band[2:], probe.bytes_per_line, (CELL[0] * scale, CELL[1] * scale),
                                  present_merge_gap(interval_ms))
            own_before = time.process_time()
            server_before = cpu_seconds(xvfb_pid)
            before, start = cpu_seconds(process.pid), time.monotonic()
            changes = screen_changes(probe, seconds, PROBE_PERIOD, on_change=counter.add)
            after, end = cpu_seconds(process.pid), time.monotonic()
            server_after = cpu_seconds(xvfb_pid)
            own = time.process_time() - own_before
        peak = peak_memory_kib(process.pid)
        sent = time.monotonic()
        process.send_signal(signal.SIGTERM)
        process.wait(timeout=30)
        ended_ms = 1000 * (time.monotonic() - sent)
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()
    wall = end - start
    presents_per_second, steps_per_second = presents_and_steps(changes, counter, wall, interval_ms)
    presents = steps_from_changes(changes, present_merge_gap(interval_ms)) if interval_ms else []
    gaps = [b - a for a, b in zip(presents, presents[1:])]
    return {"cpu": (after - before) / wall, "xvfb": (server_after - server_before) / wall,
            "probe": own / wall, "presents": presents_per_second if interval_ms else 0,
            "steps": steps_per_second if interval_ms else 0, "interval": interval_ms,
            "median_gap_ms": 1000 * statistics.median(gaps) if gaps else None,
            "peak_kib": peak, "ended_ms": ended_ms, "changes": len(changes)}


def print_table(rows, seconds, size=SCREEN_SIZE):
    print(f"== X11 host (build/native/lumivex -root) on Xvfb {size[0]}x{size[1]}, "
          f"{seconds:g} s each ==")
    print(f"{'program':<34}{'CPU s/s':>9}{'presents/s':>11}{'steps/s':>9}{'target':>8}{'present ms':>11}"
          f"{'peak MiB':>10}{'Xvfb':>8}{'end ms':>8}")
    for name, f in rows:
        presents = f"{f['presents']:.1f}" if f["interval"] else "-"
        steps = f"{f['steps']:.1f}" if f["interval"] else "-"
        target = f"{1000 / f['interval']:.1f}" if f["interval"] else "-"
        gap = f"{f['median_gap_ms']:.1f}" if f["median_gap_ms"] else "-"
        print(f"{name:<34}{f['cpu']:>9.3f}{presents:>11}{steps:>9}{target:>8}{gap:>11}{f['peak_kib'] / 1024:>10.1f}"
              f"{f['xvfb']:>8.3f}{f['ended_ms']:>8.1f}")
    print("CPU s/s: the process; Xvfb: the server, including the probe's reads (alike in every row);"
          f" the probe itself used about {rows[0][1]['probe']:.3f} CPU s/s.")
    scale = size[0] // SCREEN_SIZE[0]
    print(f"presents/s: changes of a {scale * BAND[2]}x{scale * BAND[3]} screen band read every "
          f"{PROBE_PERIOD * 1000:g} ms, those less than {PRESENT_MERGE_MS} ms apart counted once; steps/s: as far as"
          " the heads in the band moved; present ms: median time between presents; end ms: SIGTERM to the end"
          " of the process.")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("native_dir", type=Path, help="native build tree (lumivex, bench/x11/idle_client)")
    parser.add_argument("--seconds", type=float, default=15.0, help="measured wall time per program")
    options = parser.parse_args()
    lumivex = options.native_dir / "lumivex"
    idle = options.native_dir / "bench" / "x11" / "idle_client"
    missing = [str(p) for p in (lumivex, idle) if not p.is_file()]
    if missing:
        sys.exit("bench_x11: missing " + ", ".join(missing) + " (build the native tree first)")
    for size, scale_args in ((SCREEN_SIZE, []), (SCALED_SCREEN_SIZE, ["-scale", "2"])):
        folder = Path(tempfile.mkdtemp(prefix="lumivex-bench-x11-"))
        xvfb, display = start_xvfb(size, folder / "xvfb.log", _popen)
        named = " ".join(["lumivex -root", *scale_args])
        try:
            rows = [
                (f"{named} (design)", measure(display, xvfb.pid, [str(lumivex), "-root", *scale_args, *DESIGN[0]],
                                              DESIGN[1], options.seconds, size)),
                (f"{named} (heaviest)", measure(display, xvfb.pid,
                                                [str(lumivex), "-root", *scale_args, *HEAVIEST[0]],
                                                HEAVIEST[1], options.seconds, size)),
                ("bare X client (waits only)", measure(display, xvfb.pid, [str(idle)], 0, options.seconds, size)),
            ]
        finally:
            xvfb.terminate()
            xvfb.wait(timeout=30)
            for leftover in folder.iterdir():
                leftover.unlink()
            folder.rmdir()
        print_table(rows, options.seconds, size)
        print()


if __name__ == "__main__":
    main()
