#!/usr/bin/python3
"""Compares builds: lumivex.scr under Wine (bench_saver's measurement: CPU of the Windows process
and of the session's wineserver and Xvfb, presents read off the screen) or, with --x11, the Linux
program's X11 backend (bench_x11's: CPU of `lumivex -root` and of its Xvfb). Each round measures
every build, in a rotating order, and then the idle baseline (the bare idle loop under Wine, the
bare X client on X11), all on one private display.

On a shared machine the idle loop alone moves by half from one minute to the next, so two
`make bench` runs cannot tell a 10 % change from noise. Taking the builds in turn, and dividing
each by the idle loop of its own round, can. Prints every round, then per build the medians of
the per-round ratios, of the CPU (the program's, the display servers', their sum) and of the
presents and steps per second.

    tools/bench_compare.py --settings heaviest --rounds 4 old/lumivex.scr build/win/lumivex.scr
    tools/bench_compare.py --x11 --settings heaviest --screen 2048x1536 old/lumivex build/native/lumivex
"""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "harness"))
sys.path.insert(0, str(ROOT / "tools"))
from winenv import SCREEN_SIZE, WineSession, screen_size_option  # noqa: E402
import bench_saver  # noqa: E402
import bench_x11  # noqa: E402
from xvfb import start_xvfb  # noqa: E402


def wine_rounds(options, names, record):
    interval = bench_saver.HEAVIEST_INTERVAL_MS if options.settings == "heaviest" else bench_saver.DESIGN_INTERVAL_MS
    idle_program = options.idle or ROOT / "build" / "win" / "bench" / "idle_baseline.exe"
    with WineSession(options.screen) as session:
        if options.screen != bench_saver.DESIGN_SCREEN:
            # Scale step 2 on the larger display, as `make bench` measures it there.
            session.reg("add", bench_saver.DESKTOP_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d",
                        str(bench_saver.STEP2_LOGPIXELS), "/f")
        paths = [session.windows_path(session.install([saver], f"build{index + 1}") / saver.name)
                 for index, saver in enumerate(options.programs)]
        idle_path = session.windows_path(session.install([idle_program], "idle") / idle_program.name)
        if options.settings == "heaviest":
            bench_saver.store_settings(session, bench_saver.HEAVIEST_SETTINGS)
        for round_number in range(options.rounds):
            shift = round_number % len(paths)
            order = list(zip(names, paths))[shift:] + list(zip(names, paths))[:shift]
            measured = [(name, bench_saver.measure(session, path, ["/s"], options.seconds, interval))
                        for name, path in order]
            idle = bench_saver.measure(session, idle_path, [], options.seconds, None)
            for name, result in measured:
                record(round_number, name, result["cpu"], sum(result["servers"].values()), result["presents"],
                       result["steps"], idle["cpu"] + sum(idle["servers"].values()))
            record(round_number, "idle baseline", idle["cpu"], sum(idle["servers"].values()), 0, 0, None)


def x11_rounds(options, names, record):
    settings, interval = bench_x11.HEAVIEST if options.settings == "heaviest" else bench_x11.DESIGN
    idle_program = options.idle or ROOT / "build" / "native" / "bench" / "x11" / "idle_client"
    scale = options.screen[0] // bench_x11.SCREEN_SIZE[0]
    scale_args = ["-scale", str(scale)] if scale > 1 else []
    with tempfile.TemporaryDirectory(prefix="lumivex-compare-x11-") as folder:
        def popen(command, log, **popen_args):
            with open(log, "wb") as output:
                return subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=output, stderr=subprocess.STDOUT,
                                        start_new_session=True, **popen_args)
        xvfb, display = start_xvfb(options.screen, Path(folder) / "xvfb.log", popen)
        try:
            for round_number in range(options.rounds):
                shift = round_number % len(names)
                order = list(zip(names, options.programs))[shift:] + list(zip(names, options.programs))[:shift]
                measured = [(name, bench_x11.measure(display, xvfb.pid, [str(program), "-root", *scale_args, *settings],
                                                     interval, options.seconds, options.screen))
                            for name, program in order]
                idle = bench_x11.measure(display, xvfb.pid, [str(idle_program)], 0, options.seconds, options.screen)
                for name, result in measured:
                    record(round_number, name, result["cpu"], result["xvfb"], result["presents"], result["steps"],
                           idle["cpu"] + idle["xvfb"])
                record(round_number, "idle baseline", idle["cpu"], idle["xvfb"], 0, 0, None)
        finally:
            xvfb.terminate()
            xvfb.wait(timeout=30)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("programs", type=Path, nargs="+", help="lumivex.scr files (or lumivex, with --x11) to compare")
    parser.add_argument("--x11", action="store_true", help="compare builds of the Linux program on X11")
    parser.add_argument("--idle", type=Path, help="the idle program (default: the build tree's idle loop or bare X client)")
    parser.add_argument("--settings", choices=("design", "heaviest"), default="design")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--seconds", type=float, default=20.0, help="measured wall time per program")
    parser.add_argument("--screen", type=screen_size_option, default=SCREEN_SIZE, metavar="WxH",
                        help="size of the private display (default %(default)s); on a larger one than 1024x768 "
                             "the programs run at scale step 2")
    options = parser.parse_args()
    missing = [str(p) for p in [*options.programs, *([options.idle] if options.idle else [])] if not p.is_file()]
    if missing:
        sys.exit("bench_compare: missing " + ", ".join(missing))

    # Each file in a folder of its own: the builds may all have one name.
    names = [f"{index + 1}:{program}" for index, program in enumerate(options.programs)]
    figures = {name: [] for name in [*names, "idle baseline"]}
    server = "Xvfb" if options.x11 else "wineserver+Xvfb"

    def record(round_number, name, cpu, servers, presents, steps, idle_total):
        total = cpu + servers
        ratio = total / idle_total if idle_total else 0
        figures[name].append({"cpu": cpu, "servers": servers, "total": total, "presents": presents,
                              "steps": steps, "ratio": ratio})
        rates = f"{presents:>7.1f} presents/s{steps:>7.1f} steps/s{ratio:>7.2f} x idle" if idle_total else ""
        print(f"round {round_number + 1}  {name:<40}{cpu:>8.4f} CPU s/s{servers:>8.4f} {server}{total:>8.4f} total"
              f"{rates}", flush=True)

    (x11_rounds if options.x11 else wine_rounds)(options, names, record)

    print(f"== {'X11' if options.x11 else 'Wine'}, {options.settings} settings, {options.screen[0]}x{options.screen[1]},"
          f" {options.rounds} rounds of {options.seconds:g} s: medians ==")
    print(f"{'program':<44}{'x idle':>7}{'CPU s/s':>9}{server:>16}{'total':>8}{'presents/s':>11}{'steps/s':>9}")
    for name in figures:
        rows = figures[name]
        median = {key: statistics.median(r[key] for r in rows) for key in rows[0]}
        print(f"{name:<44}{median['ratio']:>7.2f}{median['cpu']:>9.4f}{median['servers']:>16.4f}{median['total']:>8.4f}"
              f"{median['presents']:>11.1f}{median['steps']:>9.1f}")
    print("x idle: each round's total (program and display servers) over the idle program's total of the same"
          " round, then the median of the rounds.")


if __name__ == "__main__":
    main()
