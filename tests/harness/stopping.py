"""Ending a process the harness started, by its process id: SIGTERM, then SIGKILL if it has not
ended after a while."""

import signal
import subprocess

STOP_TIMEOUT = 30


def stop_process(process, timeout=STOP_TIMEOUT):
    """Ends the subprocess.Popen `process` unless it has ended, and reaps it."""
    if process is None or process.poll() is not None:
        return
    process.send_signal(signal.SIGTERM)
    try:
        process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


__all__ = ["STOP_TIMEOUT", "stop_process"]
