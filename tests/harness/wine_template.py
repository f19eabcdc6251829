#!/usr/bin/python3
"""The one Wine prefix a test run boots: `make` boots it in a session of its own, ends the
session's wineserver (which writes the registry out as it ends) and keeps the prefix; every
session of the run then starts from a copy (LUMIVEX_WINE_TEMPLATE, see winenv.py). `remove`
deletes it at the end of the run.

    wine_template.py make <folder>
    wine_template.py remove <folder>

The folder holds prefix/ and, written last, `ready`; a folder without `ready` (an interrupted
making) is never used and is replaced by the next `make`.
"""

import os
import shutil
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from winenv import WineSession  # noqa: E402


def make(folder):
    remove(folder)
    folder.mkdir(parents=True)
    with WineSession(template=None) as wine:
        wine.stop_server()
        # Same file system as a rule (build tree and /tmp); a copy otherwise. The prefix's
        # wineserver folder is named after the prefix folder's inode, and the copies each
        # session makes get inodes of their own, so nothing of this server is reused.
        shutil.move(str(wine.prefix), str(folder / "prefix"))
    (folder / "ready").write_text(f"{os.getpid()}\n")


def remove(folder):
    if folder.exists():
        (folder / "ready").unlink(missing_ok=True)
        shutil.rmtree(folder)


def main(argv):
    if len(argv) != 3 or argv[1] not in ("make", "remove"):
        print(__doc__.strip(), file=sys.stderr)
        return 2
    folder = Path(argv[2]).resolve()
    (make if argv[1] == "make" else remove)(folder)
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv))
    except KeyboardInterrupt:  # the session has been stopped on the way out
        sys.exit(130)
