#!/usr/bin/python3
"""Runs one Windows test program (a GoogleTest executable) in a fresh Wine session: a private
display and prefix that live exactly as long as the run. Streams the program's output and exits
with its exit code, so that ctest sees a Windows test like any other.

    run_in_wine.py [--screen WxH] <program.exe> [arguments...]

--screen sets the private display's size (default 1024x768), for benchmarks of larger screens.
"""

import subprocess
import sys
import threading
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from winenv import SCREEN_SIZE, WineSession, screen_size_option  # noqa: E402

RUN_TIMEOUT = 480  # inside ctest's own limit, so that the session is still stopped by us


class OutputWatch(threading.Thread):
    """Copies the program's output to ours as it comes, and notes whether GoogleTest began
    and finished its report."""

    def __init__(self, stream):
        super().__init__(daemon=True)
        self.stream = stream
        self.started = False
        self.summarised = False
        self.start()

    def run(self):
        for raw in self.stream:
            line = raw.decode(errors="replace").replace("\r\n", "\n")
            sys.stdout.write(line)
            sys.stdout.flush()
            self.started = self.started or line.startswith("[==========] Running")
            self.summarised = self.summarised or (
                line.startswith("[==========]") and " ran." in line)


def main(argv):
    screen_size = SCREEN_SIZE
    if len(argv) > 2 and argv[1] == "--screen":
        try:
            screen_size = screen_size_option(argv[2])
        except ValueError as error:
            print(f"run_in_wine: {error}", file=sys.stderr)
            return 2
        argv = argv[:1] + argv[3:]
    if len(argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    program = Path(argv[1]).resolve()
    if not program.is_file():
        print(f"run_in_wine: {program} does not exist; build the Windows tree first "
              "(make win)", file=sys.stderr)
        return 1
    with WineSession(screen_size) as wine:
        process = wine.spawn(program, *argv[2:], cwd=program.parent, stdout=subprocess.PIPE,
                             stderr=subprocess.STDOUT)
        output = OutputWatch(process.stdout)
        try:
            code = process.wait(timeout=RUN_TIMEOUT)
        except subprocess.TimeoutExpired:
            print(f"run_in_wine: {program.name} still running after {RUN_TIMEOUT} s",
                  file=sys.stderr)
            return 1
        output.join(timeout=10)
    # A crash can end a program with a code whose low byte is 0; GoogleTest would have
    # printed its summary before any orderly exit.
    if code == 0 and output.started and not output.summarised:
        print(f"run_in_wine: {program.name} ended before GoogleTest's summary", file=sys.stderr)
        return 1
    return code


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv))
    except KeyboardInterrupt:  # the session has been stopped on the way out
        sys.exit(130)
