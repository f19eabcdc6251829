#!/usr/bin/python3
"""The headless half of `make run`: runs the saver with the given switches on a private display
and prefix for a few seconds, saves screenshots of it and says where they are, then stops
everything, so that someone without a screen still sees what the saver shows.

    demo.py <lumivex.scr> <screenshot folder> [switches...]
"""

import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from winenv import WineSession, wait_for  # noqa: E402
from screen import covered_fraction, load  # noqa: E402

SHOTS = 3
SHOT_SPACING = 1.5  # seconds between screenshots, so that a moving picture shows its motion


def main(argv):
    if len(argv) < 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    saver, folder, switches = Path(argv[1]).resolve(), Path(argv[2]), argv[3:]
    folder.mkdir(parents=True, exist_ok=True)
    for old in folder.glob("lumivex-*.png"):
        old.unlink()
    print("Starting a private display and Wine prefix (about 10 s) for: lumivex.scr",
          *switches)
    with WineSession() as wine:
        installed = wine.install([saver], "lumivex") / saver.name
        wine.xdotool("mousemove", 512, 384)
        process = wine.spawn(wine.windows_path(installed), *switches)
        probe = folder / "lumivex-probe.png"

        def something_shown():
            if process.poll() is not None:
                return True
            return covered_fraction(load(wine.screenshot(probe))) > 0.01

        try:
            wait_for(something_shown, timeout=60, interval=0.5, what="the saver to show something")
        except TimeoutError:
            print("The screen stayed empty for 60 s.")
        probe.unlink(missing_ok=True)
        shots = []
        for number in range(1, SHOTS + 1):
            if number > 1:
                time.sleep(SHOT_SPACING)
            shots.append(wine.screenshot(folder / f"lumivex-{number}.png"))
        ended = process.poll()
        if ended is None:
            wine.xdotool("mousemove", 100, 100)  # a real move closes a full-screen saver
            try:
                ended = process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                ended = None
    print("Screenshots:")
    for shot in shots:
        print(f"  {shot.resolve()}")
    if ended is not None:
        print(f"lumivex.scr ended with exit code {ended}.")
    else:
        print("lumivex.scr was still running; it was stopped with the private session.")
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv))
    except KeyboardInterrupt:  # the session has been stopped on the way out
        sys.exit(130)
