"""Soak: runs the full-screen saver at its heaviest settings and the settings dialog with a
slider moved every second (so its preview is rebuilt every second), each in a Wine session of
its own, and the Linux program on Wayland (tests/soak/wayland_soak.py), all at the same time,
for --minutes. Every --every seconds it samples each process,
prints one table per run and a verdict: after the warm-up, does every figure stay flat (within
1 % for memory, within a few objects for counts)? Exit code 0 when all runs stay up and flat,
1 when one ends or grows, 2 when the run is too short to judge: the first minute (or fifth)
is a warm-up whose samples are not judged, and a verdict needs a few samples after it. A run
asked for less than that is refused before it starts.

What is sampled, from three sides, since Wine 8 counts only part of what Windows does:
- Windows (lvhelper's GetProcessMemoryInfo, GetProcessHandleCount, GetGuiResources of the
  process): Wine reports the working set, but 0 for private bytes, handles, GDI and USER
  objects of another process; such a figure is shown and judged "not counted".
- Linux (/proc of the Wine process): anonymous resident memory (the process's private heap,
  where leaked GDI bitmaps and brushes end up under Wine) and open file descriptors.
- X (xrestop, the X-Resource extension): the windows, graphics contexts and pixmaps the
  process holds in the X server, where Wine keeps what stands behind USER windows and DCs.

    /usr/bin/python3 tests/soak/soak.py [--minutes 30] [--every 10] [--run saver|dialog]
"""

import argparse
import re
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tests" / "harness"))
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
from winenv import WineSession, wait_for  # noqa: E402
from conftest import HELPER, SAVER, SAVER_CLASS, SETTINGS_CLASS, Helper, of_class  # noqa: E402

sys.path.insert(0, str(Path(__file__).resolve().parent))
import verdict  # noqa: E402
from process_figures import unix_figures  # noqa: E402
from verdict import (FLAT, JUDGED_SAMPLES, NOT_FLAT, TOO_SHORT, print_samples, shortest_run_seconds,  # noqa: E402,F401
                     too_short)

SETTINGS_KEY = r"HKLM\SOFTWARE\Orvanta\Lumivex"
# The most work a step can get: 410 fallers (two cells each), 500 noise runs, 200 risers, every
# 10 ms, and no erasers, so the screen fills and noise and risers always find lit cells.
HEAVIEST = {"Speed": 200, "Density": 200, "Balance": 100, "Noise": 500, "Inversion": 200}
TRACKBAR_CLASS = "msctls_trackbar32"
WM_KEYDOWN, VK_LEFT, VK_RIGHT = 0x0100, 0x25, 0x27

# (name, column heading, is memory in bytes)
FIGURES = (("private", "win private", True), ("working", "win working", True),
           ("handles", "win handles", False), ("gdi", "win gdi", False), ("user", "win user", False),
           ("rss_anon", "rss anon", True), ("fds", "fds", False),
           ("x_windows", "x windows", False), ("x_gcs", "x GCs", False),
           ("x_pixmaps", "x pixmaps", False), ("x_bytes", "x bytes", True))


def parse_resources(answer):
    words = answer.split()
    return {words[i]: int(words[i + 1]) for i in range(0, len(words) - 1, 2)}


def x_figures(session, pid):
    """The X server's count of what the client with that process id holds."""
    figures = {"x_windows": -1, "x_gcs": -1, "x_pixmaps": -1, "x_bytes": -1}
    result = subprocess.run(["xrestop", "-b", "-m", "1"], env=session.env, capture_output=True,
                            text=True, timeout=60, check=False)
    for block in re.split(r"\n(?=\d+ - )", result.stdout):
        if not re.search(rf"\(\s*PID:\s*{pid}\s*\)", block):
            continue
        fields = dict(re.findall(r"^\s*([a-zA-Z ]+?)\s*:\s*~?(\d+)\s*$", block, re.M))
        for key, name in (("x_windows", "windows"), ("x_gcs", "GCs"), ("x_pixmaps", "pixmaps"),
                          ("x_bytes", "total bytes")):
            figures[key] = max(0, figures[key]) + int(fields.get(name, 0))
    return figures


class Run:
    """One program under Wine, sampled from a long-lived helper."""

    def __init__(self, name, session, helper):
        self.name = name
        self.session = session
        self.helper = helper
        self.samples = []   # (seconds since start, {figure: value})
        self.window = None
        self.process = None

    def sample(self, started):
        figures = parse_resources(self.helper.ask("resources", self.window))
        figures.update(unix_figures(self.process.pid))
        figures.update(x_figures(self.session, self.process.pid))
        self.samples.append((time.monotonic() - started, figures))


def start_saver(session, helper, folder):
    for name, value in HEAVIEST.items():
        session.reg("add", SETTINGS_KEY, "/v", name, "/t", "REG_DWORD",
                    "/d", str(value & 0xFFFFFFFF), "/f")
    helper.set_cursor(500, 400)
    process = session.spawn(session.windows_path(folder / SAVER.name), "/s")
    window = wait_for(lambda: [w for w in of_class(helper.windows(), SAVER_CLASS, visible=True)],
                      timeout=120, what="the saver's window")[0]
    return process, window["hwnd"], None


def start_dialog(session, helper, folder):
    process = session.spawn(session.windows_path(folder / SAVER.name), "/c")
    dialog = wait_for(lambda: of_class(helper.windows(), SETTINGS_CLASS, visible=True),
                      timeout=120, what="the settings dialog")[0]
    wait_for(lambda: of_class(helper.windows(), SAVER_CLASS, visible=True), timeout=120,
             what="the dialog's preview")
    sliders = [w for w in of_class(helper.windows(), TRACKBAR_CLASS) if w["pid"] == dialog["pid"]]
    density = sorted(sliders, key=lambda w: w["rect"][1])[1]  # second from the top
    return process, dialog["hwnd"], density["hwnd"]


def soak(kind, minutes, every):
    with WineSession() as session:
        folder = session.install([SAVER, HELPER], "lv")
        helper = Helper(session)
        try:
            run = Run(kind, session, helper)
            starter = start_saver if kind == "saver" else start_dialog
            run.process, run.window, slider = starter(session, helper, folder)
            started = time.monotonic()
            next_sample = started
            moves = 0
            while time.monotonic() - started < minutes * 60:
                if run.process.poll() is not None:
                    print(f"{kind}: the program ended after {time.monotonic() - started:.0f} s "
                          f"with code {run.process.returncode}")
                    break
                if time.monotonic() >= next_sample:
                    run.sample(started)
                    next_sample += every
                if slider:
                    # Right, then left: the position moves every second, so the dialog sees a
                    # change and rebuilds its preview at its next one-second tick.
                    key = VK_RIGHT if moves % 2 == 0 else VK_LEFT
                    helper.post(slider, WM_KEYDOWN, key, 0)
                    moves += 1
                time.sleep(1)
            alive = run.process.poll() is None
            report(run, minutes, alive, moves)
            return outcome(run, alive)
        finally:
            helper.close()


def outcome(run, alive):
    return verdict.outcome(run.samples, alive, FIGURES)


def report(run, minutes, alive, moves):
    title = ("full-screen saver /s at Speed 200, Density 200, Balance 100, Noise 500, Inversion 200"
             if run.name == "saver" else f"settings dialog /c, Density slider moved {moves} times")
    print(f"\n== {title}: {minutes:g} min, {len(run.samples)} samples, "
          f"{'still running' if alive else 'NOT RUNNING'} at the end")
    print_samples(run.samples, FIGURES)
    sys.stdout.flush()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--minutes", type=float, default=30)
    parser.add_argument("--every", type=float, default=10)
    parser.add_argument("--run", choices=("saver", "dialog"))
    args = parser.parse_args()
    refusal = too_short(args.minutes, args.every)
    if refusal:
        print(refusal, file=sys.stderr)
        return TOO_SHORT
    if args.run:
        return soak(args.run, args.minutes, args.every)
    # The three runs at once, each in a process (and Wine session or compositor) of its own.
    wayland = Path(__file__).resolve().parent / "wayland_soak.py"
    runs = [[__file__, "--run", "saver"], [__file__, "--run", "dialog"], [str(wayland)]]
    children = [subprocess.Popen([sys.executable, *run, "--minutes", str(args.minutes), "--every", str(args.every)],
                                 stdout=subprocess.PIPE, text=True)
                for run in runs]
    codes = []
    for child in children:
        output, _ = child.communicate()
        print(output, end="")
        codes.append(child.returncode)
    if any(code not in (FLAT, TOO_SHORT) for code in codes):
        print("\nsoak verdict: NOT FLAT (or a program ended)")
        return NOT_FLAT
    if TOO_SHORT in codes:
        print(f"\nsoak verdict: TOO SHORT TO JUDGE: fewer than {JUDGED_SAMPLES} samples after "
              "the warm-up (the programs took long to start); run longer")
        return TOO_SHORT
    print("\nsoak verdict: flat")
    return FLAT


if __name__ == "__main__":
    sys.exit(main())
