"""The overlay as an idle daemon runs it: swayidle starts lumivex -wayland when the seat has been
idle for its time-out, and its resume command ends it when input comes back; here the input is
a pointer move small enough that lumivex itself would stay. Without -w: with it swayidle waits
for the time-out command to end before it runs any other, so a resume command could never end
the saver."""

import shutil
import subprocess
import tempfile
from pathlib import Path

from conftest import EXIT_TIMEOUT, LUMIVEX, RAIN_TIMEOUT, wait_for
from rain_cells import LIGHT_COLOR, NORMAL_COLOR


def test_swayidle_starts_it_on_idle_and_its_resume_command_ends_it(desk):
    folder = Path(tempfile.mkdtemp(prefix="lumivex-idle-"))
    pid_file, code_file = folder / "pid", folder / "code"
    saver = folder / "saver.sh"
    saver.write_text(f"#!/bin/sh\n{LUMIVEX} -wayland -speed 200 &\necho $! > {pid_file}\n"
                     f"wait $!\necho $? > {code_file}\n")
    saver.chmod(0o755)
    idle = subprocess.Popen(["swayidle", "timeout", "1", str(saver), "resume", f"kill $(cat {pid_file})"],
                            env=desk.sway.env(), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE)
    try:
        wait_for(pid_file.is_file, timeout=RAIN_TIMEOUT, what="swayidle to start the saver on idle")
        desk.reading([NORMAL_COLOR, LIGHT_COLOR], lambda r: r.glyph_cells() >= 20, "rain on the output")
        assert not code_file.exists()

        desk.pointer("move", 1, 0)   # activity that ends the idle time, within lumivex's 5 pixels
        wait_for(code_file.is_file, timeout=EXIT_TIMEOUT, what="the resume command to end the saver")
        assert code_file.read_text().strip() == "0"
    finally:
        idle.terminate()
        try:
            idle.wait(timeout=EXIT_TIMEOUT)
        except subprocess.TimeoutExpired:
            idle.kill()
            idle.wait()
        if pid_file.is_file() and not code_file.is_file():
            subprocess.run(["kill", pid_file.read_text().strip()], check=False)
        shutil.rmtree(folder, ignore_errors=True)
