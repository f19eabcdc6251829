"""One Wine session for the tests: a private Xvfb display and a private, temporary WINEPREFIX
whose wineserver stays up for the session. Everything is started and stopped by process id, and
nothing outlives the session: it stops on return, on an exception, on SIGTERM/SIGHUP/SIGINT, at
interpreter exit, and, should this process be killed outright, a guard process cleans up after it.

Booting a new prefix takes ten seconds or more, so a test run boots one template prefix
(wine_template.py) and names it in LUMIVEX_WINE_TEMPLATE; each session then starts from its own
copy of it. Without that variable a session boots a prefix of its own.
"""

import atexit
import os
import platform
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

from xvfb import start_xvfb

SCREEN_SIZE = (1024, 768)
BOOT_TIMEOUT = 300  # a new prefix takes ~10 s; the machine may be busy with builds
# A folder made by wine_template.py: a booted prefix in prefix/, and a file `ready` written last.
TEMPLATE_VARIABLE = "LUMIVEX_WINE_TEMPLATE"
FROM_ENVIRONMENT = "from the environment"
ENV_OVERRIDES = {
    "WINEDEBUG": "-all",
    # No Mono/Gecko prompts, and no menu entries written into the user's home.
    "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
}
# For a process whose end must be explained: Wine's error channel only (the -all first keeps
# Debian's wine script from printing its 32-bit hint). A report shows a log's last LOG_LINES.
LOGGED_WINEDEBUG = "-all,err+all"
LOG_LINES = 40
# Debian's Wine starts without a preloader, so nothing holds the address of the shared user
# data (0x7ffe0000) while the C library's heap is placed. The kernel starts that heap at random
# within a gigabyte above the loader (0x7d000000); when its first 132 KB cover that address,
# about once in five thousand starts, the process ends with code 1 before any of our code runs
# ("failed to map the shared user data: c0000018" on the err channel). Without address
# randomization the heap starts right after the loader, 48 MB below it. The personality is
# inherited, so the processes Wine starts in turn (services, drivers, an uninstaller's copy of
# itself) run the same way.
WINE = ("setarch", platform.machine(), "--addr-no-randomize", "wine")


def wine(*args):
    """The command line that runs `wine args`: a Windows program or a built-in command."""
    return [*WINE, *map(str, args)]


def screen_size_option(text):
    """A display size given as WxH on a command line, as a (width, height) pair."""
    try:
        width, height = (int(part) for part in text.lower().split("x"))
    except ValueError:
        width = height = 0
    if width <= 0 or height <= 0:
        raise ValueError(f"not a screen size: {text!r} (expected WxH, such as 2048x1536)")
    return width, height


def wait_for(condition, timeout=30.0, interval=0.1, what="the condition"):
    """Polls `condition` until it returns something truthy and returns that; raises
    TimeoutError naming `what` when `timeout` seconds pass first."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise TimeoutError(f"timed out after {timeout:g} s waiting for {what}")
        time.sleep(interval)


def _process_alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except PermissionError:
        return True
    try:  # a zombie is dead for our purposes
        with open(f"/proc/{pid}/stat") as stat:
            return stat.read().rsplit(")", 1)[1].split()[0] != "Z"
    except OSError:
        return False


def _start_time(pid):
    try:
        with open(f"/proc/{pid}/stat") as stat:
            return stat.read().rsplit(")", 1)[1].split()[19]
    except OSError:
        return None


def _kill(pid, grace=5.0):
    """SIGTERM, then SIGKILL after `grace` seconds; reaps the process when it is our child."""
    if pid is None:
        return
    for sig, wait in ((signal.SIGTERM, grace), (signal.SIGKILL, 5.0)):
        try:
            os.kill(pid, sig)
        except ProcessLookupError:
            break
        deadline = time.monotonic() + wait
        while time.monotonic() < deadline and _process_alive(pid):
            time.sleep(0.05)
        if not _process_alive(pid):
            break
    try:
        os.waitpid(pid, os.WNOHANG)
    except ChildProcessError:
        pass


def _template_prefix(folder):
    """The prefix inside a template folder; None for no folder. A folder whose making has not
    finished is an error, not a reason to boot quietly: the run that named it is broken."""
    if not folder:
        return None
    folder = Path(folder)
    if not (folder / "ready").is_file():
        raise RuntimeError(f"{folder} holds no finished Wine template ({TEMPLATE_VARIABLE}); "
                           "make it with tests/harness/wine_template.py make, or unset "
                           f"{TEMPLATE_VARIABLE} to boot a prefix per session")
    return folder / "prefix"


def _copy_tree(source, target):
    """Copies a prefix as it is: symbolic links (dosdevices) stay links, times stay."""
    result = subprocess.run(["cp", "-a", "--reflink=auto", str(source), str(target)],
                            stdin=subprocess.DEVNULL, capture_output=True, text=True,
                            timeout=300, check=False)
    if result.returncode != 0:
        raise RuntimeError(f"copying the Wine template {source} failed: {result.stderr}")


def log_tail(log):
    """The last LOG_LINES lines of `log`, indented for a report."""
    text = log.read_text(errors="replace").strip() if log.is_file() else ""
    return ["  " + line for line in text.splitlines()[-LOG_LINES:]]


def _popen_logged(command, log, **popen_args):
    """Starts one of the session's servers with its output in `log`. In a session of its own,
    so that a Ctrl-C at the terminal reaches only us and we stop the servers in order."""
    with open(log, "wb") as output:
        return subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=output,
                                stderr=subprocess.STDOUT, start_new_session=True, **popen_args)


def _prefix_processes(prefix, spare):
    """Processes started for `prefix`: those with it as WINEPREFIX in their environment,
    apart from this one and the `spare` ones (the session's guard)."""
    marker = b"WINEPREFIX=" + os.fsencode(str(prefix))
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit() or int(entry) == os.getpid() or int(entry) in spare:
            continue
        try:
            with open(f"/proc/{entry}/environ", "rb") as environ:
                if marker in environ.read().split(b"\0"):
                    found.append(int(entry))
        except OSError:
            pass  # gone meanwhile, or a zombie
    return found


def _stop_wineserver(env, server_pid, spare=()):
    """Ends every Windows process of the prefix, then the server itself. A process the server
    did not know yet when it was told to end (one being started at that moment, say a driver
    host that services.exe starts after wineboot) would live on without it: those are found
    by their prefix and killed too."""
    if server_pid is not None and _process_alive(server_pid):
        subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60, check=False)
        deadline = time.monotonic() + 15
        while time.monotonic() < deadline and _process_alive(server_pid):
            time.sleep(0.05)
        _kill(server_pid)
    if env.get("WINEPREFIX"):
        for _ in range(3):  # a process killed while it started another
            stragglers = _prefix_processes(env["WINEPREFIX"], spare)
            if not stragglers:
                break
            for pid in stragglers:
                _kill(pid, grace=0)


def _clean_up(root, env, xvfb_pid, server_pid, spare=()):
    """Stops a session's processes and removes its files; safe to call twice."""
    _stop_wineserver(env, server_pid, spare)
    _kill(xvfb_pid)
    if root is not None:
        shutil.rmtree(root, ignore_errors=True)


class WineSession:
    """A private display and prefix. Use as a context manager, or start() and stop()."""

    def __init__(self, screen_size=SCREEN_SIZE, template=FROM_ENVIRONMENT):
        """`template` is a folder made by wine_template.py, by default the one named in
        LUMIVEX_WINE_TEMPLATE; with none (None, or no such variable) the session boots a
        prefix of its own."""
        self.screen_size = screen_size
        if template == FROM_ENVIRONMENT:
            template = os.environ.get(TEMPLATE_VARIABLE)
        self.template = _template_prefix(template)
        self.root = None      # temporary folder holding the prefix and the logs
        self.prefix = None
        self.display = None
        self.env = None
        self._xvfb = None
        self._server = None
        self._guard_pid = None
        self._spawned = []

    # ---- lifetime -------------------------------------------------------------------------

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc):
        self.stop()

    def start(self):
        _stop_on_signals()
        atexit.register(self.stop)
        try:
            self.root = Path(tempfile.mkdtemp(prefix="lumivex-wine-"))
            self.prefix = self.root / "prefix"
            if self.template:
                _copy_tree(self.template, self.prefix)
            else:
                self.prefix.mkdir()
            self._start_xvfb()
            self.env = dict(os.environ, DISPLAY=self.display, WINEPREFIX=str(self.prefix),
                            **ENV_OVERRIDES)
            self.env.pop("WINESERVER", None)
            self._start_wineserver()
            self._start_guard()
            self._boot_prefix()
        except BaseException:
            self.stop()
            raise
        return self

    def stop(self):
        if self.root is None:
            return
        for process in self._spawned:
            if process.poll() is None:
                try:
                    process.kill()
                except ProcessLookupError:
                    pass
        _clean_up(self.root, self.env or {}, self._xvfb and self._xvfb.pid,
                  self._server and self._server.pid, spare=(self._guard_pid,))
        for process in [p for p in (self._xvfb, self._server) if p] + self._spawned:
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass
        self._spawned.clear()
        _kill(self._guard_pid, grace=2.0)
        self.root = self._xvfb = self._server = self._guard_pid = None

    def stop_server(self):
        """Ends every Windows process of the prefix and the wineserver, which writes the
        registry to the prefix's files as it ends; the display stays up."""
        for process in self._spawned:
            if process.poll() is None:
                process.kill()
            process.wait(timeout=30)
        self._spawned.clear()
        _stop_wineserver(self.env, self._server.pid, spare=(self._guard_pid,))
        self._server.wait(timeout=10)
        if _process_alive(self._server.pid):
            raise RuntimeError("wineserver did not end")

    def _start_xvfb(self):
        self._xvfb, self.display = start_xvfb(self.screen_size, self.root / "xvfb.log", _popen_logged)

    def _start_wineserver(self):
        self._server = _popen_logged(["wineserver", "--foreground", "--persistent"],
                                     self.root / "wineserver.log", env=self.env)
        # A client that finds no server starts one of its own; only go on once ours listens.
        stat = self.prefix.stat()
        server_dir = f"server-{stat.st_dev:x}-{stat.st_ino:x}"

        def listening():
            if self._server.poll() is not None:
                raise RuntimeError("wineserver ended at start: "
                                   + (self.root / "wineserver.log").read_text(errors="replace"))
            try:
                cwd = Path(os.readlink(f"/proc/{self._server.pid}/cwd"))
            except OSError:
                return False
            return cwd.name == server_dir and (cwd / "socket").exists()

        wait_for(listening, timeout=60, interval=0.02, what="wineserver to listen")

    def _start_guard(self):
        guard = subprocess.run(
            [sys.executable, __file__, "--guard", str(os.getpid()), str(self.root),
             str(self._xvfb.pid), str(self._server.pid)],
            env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, check=True, timeout=60)
        self._guard_pid = int(guard.stdout.decode().strip())

    def _boot_prefix(self):
        """`wineboot -i` makes a new prefix, or, on a copy of a booted one (which it finds up to
        date), only starts the session's system processes (services and the drivers). Either way
        they are started here with their output in a file: started by the first test program
        instead, they would inherit its output pipe and hold it open."""
        log = self.root / "wineboot.log"
        with open(log, "wb") as output:
            code = subprocess.run(wine("wineboot", "-i"), env=self.env, stdin=subprocess.DEVNULL,
                                  stdout=output, stderr=subprocess.STDOUT,
                                  timeout=BOOT_TIMEOUT, check=False).returncode
        if code != 0:
            raise RuntimeError(f"wineboot -i failed ({code}): " + log.read_text(errors="replace"))

    # ---- running Windows programs ----------------------------------------------------------

    @property
    def drive_c(self):
        return self.prefix / "drive_c"

    def windows_path(self, path):
        """The C:\\ path of a file inside this prefix's drive C."""
        relative = Path(path).resolve().relative_to(self.drive_c.resolve())
        return "C:\\" + str(relative).replace("/", "\\")

    def install(self, files, folder):
        """Copies `files` into C:\\<folder> and returns that folder's unix path."""
        target = self.drive_c / folder
        target.mkdir(parents=True, exist_ok=True)
        for file in files:
            shutil.copy2(file, target)
        return target

    def spawn(self, program, *args, **popen_args):
        """Starts `wine program args` in the background; the session kills it at the latest
        when it stops. `program` is a unix path or a C:\\ path; `env`, when given, replaces the
        session's environment."""
        popen_args.setdefault("stdin", subprocess.DEVNULL)
        popen_args.setdefault("env", self.env)
        process = subprocess.Popen(wine(program, *args), **popen_args)
        self._spawned.append(process)
        return process

    def spawn_logged(self, name, program, *args, **popen_args):
        """spawn, with Wine's error messages about the process (and the processes it starts)
        in a new log of the session named after `name`; returns the process and the log. A
        Windows process that ends early under Wine says nothing otherwise."""
        handle, log = tempfile.mkstemp(prefix=f"{name}-", suffix=".log", dir=self.root)
        with os.fdopen(handle, "wb") as output:
            process = self.spawn(program, *args, stderr=output,
                                 env=dict(self.env, WINEDEBUG=LOGGED_WINEDEBUG), **popen_args)
        return process, Path(log)

    def processes(self):
        """The command lines of the prefix's running processes but the wineserver, for a
        report."""
        lines = []
        for pid in _prefix_processes(self.prefix, spare=(self._guard_pid, self._server.pid)):
            try:
                with open(f"/proc/{pid}/cmdline", "rb") as cmdline:
                    words = cmdline.read().rstrip(b"\0").split(b"\0")
            except OSError:
                continue  # gone meanwhile
            lines.append(f"{pid}: " + " ".join(w.decode(errors="replace") for w in words))
        return lines

    def run(self, program, *args, timeout=120, **popen_args):
        """Runs `wine program args` to its end and returns the Windows exit code."""
        process = self.spawn(program, *args, **popen_args)
        try:
            return process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
            raise

    def wine_command(self, *args, timeout=60):
        """Runs a Wine built-in command (reg, cmd ...) and returns its CompletedProcess."""
        return subprocess.run(wine(*args), env=self.env, stdin=subprocess.DEVNULL,
                              capture_output=True, text=True, timeout=timeout, check=False)

    def reg(self, *args, absent=False):
        """`reg args` (add, delete, query ...): its output. A failure raises with what reg
        said, so that a write that did not happen cannot let a test or a measurement go on
        with other settings. With `absent`, a key or value that does not exist gives None
        instead; any other failure still raises, so a failed query never reads as "gone"."""
        result = self.wine_command("reg", *args)
        if result.returncode == 0:
            return result.stdout
        if absent and "Unable to find the specified registry" in result.stdout:
            return None
        raise RuntimeError(f"wine reg {' '.join(map(str, args))} failed with code "
                           f"{result.returncode}: {result.stdout}{result.stderr}".rstrip())

    def reg_query(self, key, *args):
        """`reg query key args` (args such as /v name, /reg:64): its output, or None when the
        key or value does not exist."""
        return self.reg("query", key, *args, absent=True)

    # ---- the X side ------------------------------------------------------------------------

    def xdotool(self, *args):
        subprocess.run(["xdotool", *map(str, args)], env=self.env, check=True, timeout=30,
                       stdout=subprocess.DEVNULL)

    def screenshot(self, path):
        """Saves the whole screen as a PNG and returns its path."""
        path = Path(path)
        path.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(["import", "-window", "root", f"png:{path}"], env=self.env, check=True,
                       timeout=60, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return path


def _raise_interrupt(signum, frame):
    raise KeyboardInterrupt(f"signal {signum}")


def _stop_on_signals():
    """Turns SIGTERM and SIGHUP into KeyboardInterrupt, so that every `finally` and context
    manager on the way out runs; left alone when someone else handles them already."""
    if threading.current_thread() is not threading.main_thread():
        return
    for sig in (signal.SIGTERM, signal.SIGHUP):
        if signal.getsignal(sig) in (signal.SIG_DFL, None):
            signal.signal(sig, _raise_interrupt)


def _guard(parent_pid, root, xvfb_pid, server_pid):
    """Runs detached from the session's process: when that process is gone without having
    stopped the session (killed outright), stops the session's processes and removes its files."""
    if os.fork():
        os._exit(0)          # the caller reaps this one; the guard lives on, re-parented
    os.setsid()
    print(os.getpid(), flush=True)
    devnull = os.open(os.devnull, os.O_RDWR)
    for fd in (0, 1, 2):
        os.dup2(devnull, fd)
    signal.signal(signal.SIGTERM, lambda *_: os._exit(0))  # the session stopped normally
    started = _start_time(parent_pid)
    while _start_time(parent_pid) == started and started is not None:
        time.sleep(0.5)
    _clean_up(root, dict(os.environ), xvfb_pid, server_pid)
    os._exit(0)


if __name__ == "__main__" and len(sys.argv) == 6 and sys.argv[1] == "--guard":
    _guard(int(sys.argv[2]), Path(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5]))
