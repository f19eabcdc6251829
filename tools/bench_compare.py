#!/usr/bin/python3
"""Compares builds of lumivex.scr under Wine: each round measures every build, in a rotating
order, and then the idle baseline, all on one private display and prefix, with bench_saver's
measurement (CPU of the Windows process, steps read off the screen).

On a shared machine the idle loop alone moves by half from one minute to the next, so two
`make bench` runs cannot tell a 10 % change from noise. Taking the builds in turn, and dividing
each by the idle loop of its own round, can. Prints every round, then per build the median of
the per-round ratios and of the CPU and steps per second.

    tools/bench_compare.py --settings heaviest --rounds 4 old/lumivex.scr build/win/lumivex.scr
"""

import argparse
import statistics
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "harness"))
sys.path.insert(0, str(ROOT / "tools"))
from winenv import SCREEN_SIZE, WineSession, screen_size_option  # noqa: E402
import bench_saver  # noqa: E402


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("savers", type=Path, nargs="+", help="lumivex.scr files to compare")
    parser.add_argument("--idle", type=Path, default=ROOT / "build" / "win" / "bench" / "idle_baseline.exe",
                        help="the idle loop without rain (default: the Windows build tree's)")
    parser.add_argument("--settings", choices=("design", "heaviest"), default="design")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--seconds", type=float, default=20.0, help="measured wall time per program")
    parser.add_argument("--screen", type=screen_size_option, default=SCREEN_SIZE, metavar="WxH",
                        help="size of the private display (default %(default)s)")
    options = parser.parse_args()
    missing = [str(p) for p in [*options.savers, options.idle] if not p.is_file()]
    if missing:
        sys.exit("bench_compare: missing " + ", ".join(missing))
    interval = bench_saver.HEAVIEST_INTERVAL_MS if options.settings == "heaviest" else bench_saver.DESIGN_INTERVAL_MS

    # Each file in a folder of its own: the builds may all be called lumivex.scr.
    names = [f"{index + 1}:{saver}" for index, saver in enumerate(options.savers)]
    figures = {name: [] for name in names}  # per round: (cpu, steps, cpu / idle)
    with WineSession(options.screen) as session:
        paths = [session.windows_path(session.install([saver], f"build{index + 1}") / saver.name)
                 for index, saver in enumerate(options.savers)]
        idle_path = session.windows_path(session.install([options.idle], "idle") / options.idle.name)
        if options.settings == "heaviest":
            bench_saver.store_settings(session, bench_saver.HEAVIEST_SETTINGS)
        for round_number in range(options.rounds):
            shift = round_number % len(paths)
            order = list(zip(names, paths))[shift:] + list(zip(names, paths))[:shift]
            measured = [(name, bench_saver.measure(session, path, ["/s"], options.seconds, interval))
                        for name, path in order]
            idle = bench_saver.measure(session, idle_path, [], options.seconds, None)["cpu"]
            for name, result in measured:
                figures[name].append((result["cpu"], result["steps"], result["cpu"] / idle if idle > 0 else 0))
                print(f"round {round_number + 1}  {name:<40}{result['cpu']:>8.4f} CPU s/s{result['steps']:>7.1f} steps/s"
                      f"{result['cpu'] / idle if idle > 0 else 0:>7.2f} x idle", flush=True)
            print(f"round {round_number + 1}  {'idle baseline':<40}{idle:>8.4f} CPU s/s", flush=True)

    print(f"== {options.settings} settings, {options.screen[0]}x{options.screen[1]}, {options.rounds} rounds of {options.seconds:g} s: medians ==")
    for name in names:
        rows = figures[name]
        print(f"{name:<48}{statistics.median(r[2] for r in rows):>6.2f} x idle"
              f"{statistics.median(r[0] for r in rows):>9.4f} CPU s/s{statistics.median(r[1] for r in rows):>7.1f} steps/s")
    print("x idle: each round's CPU over the idle loop's of the same round, then the median of the rounds.")


if __name__ == "__main__":
    main()
