#!/usr/bin/python3
"""Makes the README's picture: an animated GIF of the real lumivex.scr /s under Wine, on a
private display and prefix, cut from screenshots at the screen's own pixels (no scaling, so
each glyph looks as it does on a monitor).

    tools/readme_picture.py [--saver build/win/lumivex.scr] [--out docs/rain.gif]
"""

import argparse
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "harness"))
from PIL import Image  # noqa: E402
from screen import uncovered_tiles  # noqa: E402
from winenv import WineSession, wait_for  # noqa: E402
from xscreen import ScreenReader  # noqa: E402

AREA = (262, 200, 500, 300)   # left, top, width, height of the screen part shown
FRAMES = 45
FRAME_SECONDS = 0.08
FILL_SECONDS = 8              # the rain starts at the top; let it reach the bottom first
MAX_BYTES = 2 * 1024 * 1024


def capture(saver):
    frames = []
    with WineSession() as wine:
        installed = wine.install([saver], "lumivex") / saver.name
        wine.xdotool("mousemove", 512, 384)
        process = wine.spawn(wine.windows_path(installed), "/s")
        with ScreenReader(wine.display, (0, 0, *wine.screen_size)) as screen:
            wait_for(lambda: not uncovered_tiles(screen.shot()), timeout=90, interval=0.5,
                     what="the saver to cover the screen")
            time.sleep(FILL_SECONDS)
            if process.poll() is not None:
                raise RuntimeError(f"lumivex.scr ended early with code {process.returncode}")
        with ScreenReader(wine.display, AREA) as area:
            next_shot = time.monotonic()
            for _ in range(FRAMES):
                frames.append(area.shot().convert("RGB"))
                next_shot += FRAME_SECONDS
                time.sleep(max(0.0, next_shot - time.monotonic()))
    return frames


def write_gif(frames, out):
    # One palette for all frames: the rain has few colours, and a shared palette keeps them
    # from flickering between frames.
    palette = frames[len(frames) // 2].quantize(colors=64, method=Image.Quantize.MEDIANCUT)
    indexed = [frame.quantize(palette=palette, dither=Image.Dither.NONE) for frame in frames]
    out.parent.mkdir(parents=True, exist_ok=True)
    indexed[0].save(out, save_all=True, append_images=indexed[1:], loop=0,
                    duration=int(FRAME_SECONDS * 1000), optimize=True)
    return out.stat().st_size


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.strip().splitlines()[0])
    parser.add_argument("--saver", type=Path, default=ROOT / "build" / "win" / "lumivex.scr")
    parser.add_argument("--out", type=Path, default=ROOT / "docs" / "rain.gif")
    args = parser.parse_args(argv[1:])
    if not args.saver.is_file():
        print(f"readme_picture: {args.saver} is missing; build it with 'make win'", file=sys.stderr)
        return 1
    size = write_gif(capture(args.saver.resolve()), args.out)
    if size > MAX_BYTES:
        print(f"readme_picture: {args.out} is {size} bytes, more than {MAX_BYTES}",
              file=sys.stderr)
        return 1
    print(f"{args.out}: {FRAMES} frames, {size} bytes")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
