"""One run of the Linux program build/native/lumivex, as the X11 and the Wayland end-to-end
tests start it: its output kept, its end awaited with a time-out, and killed if a test leaves it
running."""

import subprocess

# Generous: the machine may be busy; a wait ends as soon as the process does.
EXIT_TIMEOUT = 30


class Lumivex:
    """One lumivex process started by a test."""

    def __init__(self, program, args, env):
        self.args = args
        self.process = subprocess.Popen([str(program), *args], env=env, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    @property
    def running(self):
        return self.process.poll() is None

    def wait_exit(self, timeout=EXIT_TIMEOUT):
        """Waits for the process to end; returns (exit code, stderr text)."""
        try:
            _, err = self.process.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise TimeoutError(f"lumivex {' '.join(self.args)} still running after {timeout} s") from None
        return self.process.returncode, err.decode(errors="replace")

    def stop(self):
        if self.running:
            self.process.kill()
        self.process.communicate(timeout=EXIT_TIMEOUT)
