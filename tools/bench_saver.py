"""The whole saver under Wine, as `make bench` prints it: lumivex.scr /s at the design-time
settings (a fresh prefix has no stored settings) and at the heaviest settings (every slider at the
end that costs most), beside idle_baseline.exe, a full-screen black window with no rain whose
loop wakes every 5 ms (the saver's loop before it slept until its next step, kept as the
yardstick), each for a fixed wall time on one private display and prefix.

Per program: CPU seconds per wall second of its Windows process (run time of every thread, from
/proc), its peak resident memory (VmHWM), the CPU of the session's wineserver and Xvfb, and
the presents and rain steps per second read off the screen. The saver shows what its steps drew
at most once per refresh interval, in one present, and Wine hands the window's change to the X
server in that pass, in one piece: a present reaches the screen as one change. A probe reads a
full-width band of the screen from the X server every 4 ms, each in one request, and counts the
changes; changes closer together than half a 60 Hz interval are counted once. The band holds 4
of the 52 cell rows, where a design step re-rolls or draws about ten cells on average, so a
present that leaves it unchanged is vanishingly rare. The steps are counted from how far the
falling heads in the band moved between two presents (tools/rain_steps.py).

Each saver row ends with its ratio to the idle baseline's CPU: what the rain costs as a multiple
of a window that only waits.

A second table measures the same three programs at scale step 2: the prefix's DPI at 192
(LogPixels, read by each process at its start) on a 2048 x 1536 display, four times the pixels
of the first. The saver then draws 20 x 30 cells over the grid of the 1024 x 768 display, so its
rain has the same cells and counts and every changed cell has four times the pixels.
"""

import argparse
import os
import statistics
import sys
import time
import zlib
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "harness"))
from winenv import WineSession, wait_for  # noqa: E402
import screen  # noqa: E402
from xscreen import ScreenReader  # noqa: E402
from rain_steps import StepCounter  # noqa: E402

DESIGN_INTERVAL_MS = 60          # 210 - Speed 150
HEAVIEST_INTERVAL_MS = 10        # 210 - Speed 200
SETTINGS_KEY = r"HKLM\SOFTWARE\Orvanta\Lumivex"
# Fastest, densest, all fallers, most noise and most risers (410 fallers, 200 risers, 500 noise
# runs, a step every 10 ms); the colours stay at their design values. All eight are written,
# since loading stops at the first value it cannot read.
HEAVIEST_SETTINGS = {
    "Speed": 200, "Density": 200, "Balance": 100, "Noise": 500, "Inversion": 200,
    "Normal Color": 0x00009000, "Light Color": 0x0088FF88, "Dark Color": 0x00006000,
}
PROBE_PERIOD = 0.004             # seconds between two reads of the band
PRESENT_MERGE_MS = 8             # changes closer than this are one present (half of 60 Hz)
CELL = (10, 15)                  # cell size at 1024 x 768, in pixels
BAND = (0, 360, 1024, 60)        # x, y, width, height at 1024 x 768: cell rows 24 to 27
DESIGN_SCREEN = (1024, 768)
STEP2_SCREEN = (2048, 1536)
STEP2_LOGPIXELS = 192
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
SETTLE_SECONDS = 3               # after the screen is covered, before measuring
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


# ---- process figures --------------------------------------------------------------------------

def cpu_seconds(pid):
    """Run time of all the process's threads, in seconds: the scheduler's own count in
    nanoseconds (schedstat) where the kernel keeps it, else utime + stime in clock ticks. A
    process that wakes every 5 ms for a few microseconds gets only a handful of ticks in a
    measurement, so the tick count alone would make the ratios jump by several per cent."""
    try:
        total = 0
        for task in os.listdir(f"/proc/{pid}/task"):
            with open(f"/proc/{pid}/task/{task}/schedstat") as schedstat:
                total += int(schedstat.read().split()[0])
        return total / 1e9
    except (OSError, ValueError, IndexError):
        pass
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS


def peak_memory_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    raise RuntimeError(f"no VmHWM for process {pid}")


def windows_process(session, command_start):
    """The process id of the Windows process whose command line starts with `command_start`
    (Wine's loader puts the Windows command line there), among this session's processes."""
    marker = f"WINEPREFIX={session.prefix}".encode()

    def find():
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open(f"/proc/{entry}/cmdline", "rb") as cmdline:
                    command = cmdline.read().replace(b"\0", b" ").decode(errors="replace")
                with open(f"/proc/{entry}/environ", "rb") as environ:
                    ours = marker in environ.read().split(b"\0")
            except OSError:
                continue
            if ours and command.startswith(command_start):
                return int(entry)
        return None

    return wait_for(find, timeout=60, interval=0.1, what=f"the Windows process {command_start}")


def server_pids():
    """The session's Xvfb and wineserver: this process started them."""
    found = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/status") as status:
                fields = dict(line.split(":\t", 1) for line in status if ":\t" in line)
        except OSError:
            continue
        name = fields.get("Name", "").strip()
        if int(fields.get("PPid", "0")) == os.getpid() and name.startswith(("Xvfb", "wineserver")):
            found["Xvfb" if name.startswith("Xvfb") else "wineserver"] = int(entry)
    if set(found) != {"Xvfb", "wineserver"}:
        raise RuntimeError(f"the session's servers are not all found: {found}")
    return found


# ---- one measurement ---------------------------------------------------------------------------

def steps_from_changes(changes, merge_gap):
    """Screen changes merged into steps: a change less than `merge_gap` after the previous one
    belongs to the same step."""
    steps = []
    for moment in changes:
        if not steps or moment - steps[-1] >= merge_gap:
            steps.append(moment)
    return steps


def screen_changes(probe, seconds, period=PROBE_PERIOD, on_change=None):
    """Moments (time.monotonic) at which the probe's band differed from its previous read;
    `on_change`, when given, gets each of them and the band's pixels then."""
    start = time.monotonic()
    changes, last = [], probe.checksum()
    next_read = start + period
    while time.monotonic() < start + seconds:
        delay = next_read - time.monotonic()
        if delay > 0:
            time.sleep(delay)
        next_read += period
        pixels = probe.read()
        value = zlib.crc32(pixels)
        if value != last:
            changes.append(time.monotonic())
            last = value
            if on_change:
                on_change(changes[-1], pixels)
    return changes


def present_merge_gap(interval_ms):
    """Changes closer together than this (seconds) are one present: half a 60 Hz interval, or
    half a step interval for faster rain, since no program presents faster than it steps."""
    return min(interval_ms or DESIGN_INTERVAL_MS, PRESENT_MERGE_MS * 2) / 2000


def presents_and_steps(changes, counter, seconds, interval_ms):
    """Presents and steps per second from a band's changes and the step counter fed them."""
    counter.finish()
    return len(steps_from_changes(changes, present_merge_gap(interval_ms))) / seconds, counter.steps / seconds


def store_settings(session, values):
    for name, value in values.items():
        session.reg("add", SETTINGS_KEY, "/v", name, "/t", "REG_DWORD", "/d", str(value), "/f")


def band_of(screen_size):
    """The probe's band on a display of `screen_size`: the same cell rows as BAND on 1024 x 768,
    whatever the scale, since the grid is the same."""
    sx, sy = screen_size[0] / DESIGN_SCREEN[0], screen_size[1] / DESIGN_SCREEN[1]
    x, y, width, height = BAND
    return (round(x * sx), round(y * sy), round(width * sx), round(height * sy))


def measure(session, windows_path, args, seconds, interval_ms):
    process = session.spawn(windows_path, *args)
    try:
        pid = windows_process(session, " ".join([windows_path, *args]))
        with ScreenReader(session.display, (0, 0, *session.screen_size)) as whole:
            wait_for(lambda: not screen.uncovered_tiles(whole.shot()), timeout=120, interval=0.5,
                     what=f"{windows_path} to cover the screen")
        time.sleep(SETTLE_SECONDS)
        servers = server_pids()
        band = band_of(session.screen_size)
        scale = session.screen_size[0] // DESIGN_SCREEN[0]
        with ScreenReader(session.display, band) as probe:
            counter = StepCounter(band[2:], probe.bytes_per_line, (CELL[0] * scale, CELL[1] * scale),
                                  present_merge_gap(interval_ms))
            own_before = time.process_time()
            server_before = {name: cpu_seconds(p) for name, p in servers.items()}
            before, start = cpu_seconds(pid), time.monotonic()
            changes = screen_changes(probe, seconds, on_change=counter.add)
            after, end = cpu_seconds(pid), time.monotonic()
            server_after = {name: cpu_seconds(p) for name, p in servers.items()}
            own = time.process_time() - own_before
        wall = end - start
        peak = peak_memory_kib(pid)
    finally:
        process.kill()
        process.wait(timeout=30)
    presents_per_second, steps_per_second = presents_and_steps(changes, counter, wall, interval_ms)
    presents = steps_from_changes(changes, present_merge_gap(interval_ms))
    gaps = [b - a for a, b in zip(presents, presents[1:])]
    return {
        "cpu": (after - before) / wall,
        "servers": {name: (server_after[name] - server_before[name]) / wall for name in servers},
        "probe": own / wall,
        "changes": len(changes),
        "presents": presents_per_second,
        "steps": steps_per_second,
        "median_gap_ms": 1000 * statistics.median(gaps) if gaps else None,
        "peak_kib": peak,
        "wall": wall,
        "target": 1000 / interval_ms if interval_ms else None,
    }


# ---- the table ---------------------------------------------------------------------------------

def print_table(rows, seconds, size, title):
    print(f"== Whole saver under Wine on Xvfb {size[0]}x{size[1]}{title}, {seconds:g} s each ==")
    header = (f"{'program':<30}{'CPU s/s':>9}{'x idle':>8}{'presents/s':>11}{'steps/s':>9}{'target':>8}"
              f"{'present ms':>11}{'peak MiB':>10}{'wineserver':>12}{'Xvfb':>8}")
    print(header)
    idle = rows[-1][1]
    for name, figures in rows:
        presents = f"{figures['presents']:.1f}" if figures["target"] else "-"
        steps = f"{figures['steps']:.1f}" if figures["target"] else "-"
        wanted = f"{figures['target']:.1f}" if figures["target"] else "-"
        gap = f"{figures['median_gap_ms']:.1f}" if figures["target"] and figures["median_gap_ms"] else "-"
        ratio = f"{figures['cpu'] / idle['cpu']:.2f}" if idle["cpu"] > 0 else "-"
        print(f"{name:<30}{figures['cpu']:>9.3f}{ratio:>8}{presents:>11}{steps:>9}{wanted:>8}{gap:>11}"
              f"{figures['peak_kib'] / 1024:>10.1f}{figures['servers']['wineserver']:>12.3f}"
              f"{figures['servers']['Xvfb']:>8.3f}")
    for name, saver in rows[:-1]:
        print(f"{'less idle, ' + name.split(',')[-1].strip():<30}{saver['cpu'] - idle['cpu']:>9.3f}{'':>47}"
              f"{(saver['peak_kib'] - idle['peak_kib']) / 1024:>10.1f}"
              f"{saver['servers']['wineserver'] - idle['servers']['wineserver']:>12.3f}"
              f"{saver['servers']['Xvfb'] - idle['servers']['Xvfb']:>8.3f}")
    print("CPU s/s: the Windows process, all threads; x idle: that CPU over the idle baseline's;"
          " wineserver and Xvfb: the session's servers.")
    print("less idle: the saver's row less the idle baseline's; below zero where the saver, which sleeps"
          " until its next step, wakes less than a loop that looks every 5 ms.")
    band = band_of(size)
    print(f"presents/s: changes of a {band[2]}x{band[3]} screen band read every {PROBE_PERIOD * 1000:g} ms"
          f" ({', '.join(str(f['changes']) for _, f in rows)} in row order), those less than"
          f" {PRESENT_MERGE_MS} ms apart counted once; present ms: median time between presents;"
          " steps/s: as far as the heads in the band moved (tools/rain_steps.py).")
    probes = ", ".join(f"{f['probe']:.3f}" for _, f in rows)
    print(f"Xvfb includes the probe's reads, alike in every row; the probe itself used {probes} CPU s/s.")


def measure_table(saver, baseline, seconds, screen_size, logpixels, title):
    """The design, heaviest and idle rows on a private display of `screen_size`, with the
    prefix's DPI at `logpixels` (None: the prefix's own, 96)."""
    with WineSession(screen_size=screen_size) as session:
        if logpixels:
            session.reg("add", DESKTOP_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(logpixels), "/f")
        folder = session.install([saver, baseline], "lv")
        saver_path = session.windows_path(folder / saver.name)
        rows = [("lumivex.scr /s, design", measure(session, saver_path, ["/s"], seconds, DESIGN_INTERVAL_MS))]
        store_settings(session, HEAVIEST_SETTINGS)
        rows.append(("lumivex.scr /s, heaviest", measure(session, saver_path, ["/s"], seconds,
                                                         HEAVIEST_INTERVAL_MS)))
        rows.append(("idle baseline (no rain)", measure(session, session.windows_path(folder / baseline.name),
                                                        [], seconds, None)))
        print_table(rows, seconds, session.screen_size, title)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("win_dir", type=Path, help="Windows build tree (lumivex.scr, bench/idle_baseline.exe)")
    parser.add_argument("--seconds", type=float, default=20.0, help="measured wall time per program")
    parser.add_argument("--tables", choices=("both", "design", "step2"), default="both",
                        help="the 1024 x 768 table at 96 DPI, the 2048 x 1536 one at 192 DPI, or both")
    options = parser.parse_args()
    saver = options.win_dir / "lumivex.scr"
    baseline = options.win_dir / "bench" / "idle_baseline.exe"
    missing = [str(p) for p in (saver, baseline) if not p.is_file()]
    if missing:
        sys.exit("bench_saver: missing " + ", ".join(missing) + " (build the Windows tree first)")
    if options.tables in ("both", "design"):
        measure_table(saver, baseline, options.seconds, DESIGN_SCREEN, None, "")
    if options.tables == "both":
        print()
    if options.tables in ("both", "step2"):
        measure_table(saver, baseline, options.seconds, STEP2_SCREEN, STEP2_LOGPIXELS,
                      f" at {STEP2_LOGPIXELS} DPI (scale step 2, cells 20 x 30)")


if __name__ == "__main__":
    main()
