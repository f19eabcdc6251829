"""The Debian package `make deb` leaves in build/dist: its files and control fields, its program
unpacked with dpkg-deb and run on a private Xvfb, its copyright file, manual page and GNOME
autostart example, and lintian's verdict on the whole (when lintian and man are installed)."""

import io
import re
import shutil
import signal
import subprocess
import tarfile

import pytest

from conftest import DIST_DIR, ROOT
from rain_cells import DARK_COLOR, LIGHT_COLOR, NORMAL_COLOR, CellReader, wait_for_reading
from xscreen import ScreenReader
from xvfb import start_xvfb

SCREEN_SIZE = (640, 480)
RAIN_TIMEOUT = 60
EXIT_TIMEOUT = 30

# Path in the package -> (mode, target of a link). Directories are implied.
FILES = {
    "usr/bin/lumivex": (0o755, None),
    "usr/libexec/xscreensaver/lumivex": (None, "../../bin/lumivex"),
    "usr/share/xscreensaver/config/lumivex.xml": (0o644, None),
    "usr/share/man/man6/lumivex.6.gz": (0o644, None),
    "usr/share/doc/lumivex/copyright": (0o644, None),
    "usr/share/doc/lumivex/changelog.Debian.gz": (0o644, None),
    "usr/share/doc/lumivex/examples/lumivex.desktop": (0o644, None),
    "usr/share/lintian/overrides/lumivex": (0o644, None),
}


def project_version():
    return re.search(r"project\(lumivex VERSION ([0-9.]+)",
                     (ROOT / "CMakeLists.txt").read_text()).group(1)


@pytest.fixture(scope="module")
def deb():
    path = DIST_DIR / f"lumivex_{project_version()}-1_amd64.deb"
    if not path.is_file():
        pytest.fail(f"missing {path} (run `make deb`)")
    return path


@pytest.fixture(scope="module")
def unpacked(deb, tmp_path_factory):
    folder = tmp_path_factory.mktemp("unpacked")
    subprocess.run(["dpkg-deb", "-x", deb, folder], check=True, capture_output=True)
    return folder


def members(deb):
    """The data archive's entries, by path without the leading "./"."""
    data = subprocess.run(["dpkg-deb", "--fsys-tarfile", deb], check=True,
                          capture_output=True).stdout
    with tarfile.open(fileobj=io.BytesIO(data)) as archive:
        return {m.name.removeprefix("./"): m for m in archive.getmembers()
                if m.name.removeprefix("./")}


def test_package_holds_the_listed_files_owned_by_root_and_dated_alike(deb):
    found = members(deb)
    files = {name: ((m.mode & 0o7777) if not m.issym() else None, m.linkname if m.issym() else None)
             for name, m in found.items() if not m.isdir()}
    assert files == FILES
    assert all(m.mode & 0o7777 == 0o755 for m in found.values() if m.isdir())
    assert {(m.uname, m.gname, m.uid, m.gid) for m in found.values()} == {("root", "root", 0, 0)}
    assert len({m.mtime for m in found.values()}) == 1, "files dated with the time of the build"


def test_control_fields_name_the_version_and_the_libraries_the_program_needs(deb):
    fields = dict(re.findall(r"^([\w-]+): (.*)$", subprocess.run(
        ["dpkg-deb", "--field", deb], check=True, capture_output=True, text=True).stdout, re.M))
    assert fields["Package"] == "lumivex"
    assert fields["Version"] == f"{project_version()}-1"
    assert fields["Architecture"] == "amd64"
    assert re.match(r"^[^<>]+ <[^<>@\s]+@[^<>@\s]+>$", fields["Maintainer"])
    assert fields["Section"] == "x11" and fields["Priority"] == "optional"
    assert int(fields["Installed-Size"]) > 0
    depends = {d.split()[0] for d in fields["Depends"].split(", ")}
    assert {"libc6", "libx11-6", "libstdc++6"} <= depends, fields["Depends"]
    assert "${" not in fields["Depends"], "a substitution variable was left unfilled"
    assert fields["Description"].startswith("falling-glyph screen saver")


def test_copyright_is_machine_readable_with_the_glyph_fonts_licence(unpacked):
    text = (unpacked / "usr/share/doc/lumivex/copyright").read_text(encoding="utf-8")
    # Each paragraph's fields, by the first line of their value.
    paragraphs = [dict(re.findall(r"^([\w-]+): ?(.*)$", p, re.M)) for p in text.split("\n\n")]
    assert paragraphs[0]["Format"] == \
        "https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"
    files = {p["Files"]: p for p in paragraphs[1:] if "Files" in p}
    assert "*" in files
    glyphs = files["res/index.bmp"]
    assert glyphs["License"] == "IPA-1" and "CITPC" in glyphs["Copyright"]
    licence = text.split("License: IPA-1\n", 1)[1]
    assert licence.startswith(" IPA Font License Agreement v1.0\n")
    assert all(line.startswith(" ") for line in licence.splitlines()), "an unindented line"


def test_unpacked_program_answers_help_and_rains_where_daemons_find_it(unpacked, tmp_path):
    help_run = subprocess.run([unpacked / "usr/bin/lumivex", "-help"], capture_output=True,
                              text=True, timeout=EXIT_TIMEOUT, stdin=subprocess.DEVNULL)
    assert help_run.returncode == 0 and help_run.stdout.startswith("usage: lumivex")

    def popen(command, log, **options):
        with open(log, "wb") as output:
            return subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=output,
                                    stderr=subprocess.STDOUT, start_new_session=True, **options)

    xvfb, display = start_xvfb(SCREEN_SIZE, tmp_path / "xvfb.log", popen)
    module = None
    try:
        # As a daemon starts a module: from its folder of modules, with -root.
        module = popen([unpacked / "usr/libexec/xscreensaver/lumivex", "-root"],
                       tmp_path / "lumivex.log", env={"DISPLAY": display, "PATH": "/usr/bin:/bin"})
        reader = CellReader([NORMAL_COLOR, LIGHT_COLOR, DARK_COLOR], SCREEN_SIZE)
        with ScreenReader(display, (0, 0, *SCREEN_SIZE)) as screen:
            wait_for_reading(screen.shot, reader, lambda r: r.glyph_cells() >= 200,
                             RAIN_TIMEOUT, "200 glyph cells of rain from the unpacked program")
        module.send_signal(signal.SIGTERM)
        assert module.wait(timeout=EXIT_TIMEOUT) == 0, (tmp_path / "lumivex.log").read_text()
    finally:
        for process in (module, xvfb):
            if process is not None and process.poll() is None:
                process.kill()
                process.wait(timeout=EXIT_TIMEOUT)


def options_of_help(unpacked):
    usage = subprocess.run([unpacked / "usr/bin/lumivex", "-help"], capture_output=True,
                           text=True, timeout=EXIT_TIMEOUT, check=True).stdout
    return sorted(set(re.findall(r"^\s+(-[a-z-]+)", usage, re.M)))


def test_the_gnome_autostart_example_is_the_readmes_and_starts_the_idle_saver(unpacked):
    example = (unpacked / "usr/share/doc/lumivex/examples/lumivex.desktop").read_text()
    readme = (ROOT / "README.md").read_text()
    block = re.search(r"\n\n((?:    .*\n)+)", readme[readme.index("### GNOME"):]).group(1)
    assert example == "".join(line[4:] + "\n" for line in block.splitlines())
    entry = dict(line.split("=", 1) for line in example.splitlines()[1:])
    assert (example.splitlines()[0], entry["Type"], entry["Exec"]) == \
        ("[Desktop Entry]", "Application", "lumivex -wayland -idle 300")


@pytest.mark.skipif(shutil.which("man") is None, reason="man (man-db) is not installed")
def test_manual_page_renders_without_warning_and_documents_every_option(unpacked):
    page = unpacked / "usr/share/man/man6/lumivex.6.gz"
    rendered = subprocess.run(["man", "--warnings", "-l", page], capture_output=True, text=True,
                              timeout=60, env={"MANWIDTH": "80", "PATH": "/usr/bin:/bin",
                                               "LANG": "C.UTF-8"})
    assert rendered.returncode == 0 and rendered.stderr == "", rendered.stderr
    text = rendered.stdout
    missing = [option for option in options_of_help(unpacked)
               if not re.search(rf"^\s+{re.escape(option)}(\s|$)", text, re.M)]
    assert missing == [], "options without an entry of their own in the manual page"
    for section in ("SYNOPSIS", "OPTIONS", "EXIT STATUS", "ENVIRONMENT", "EXAMPLES"):
        assert re.search(rf"^{section}$", text, re.M), section


@pytest.mark.skipif(shutil.which("lintian") is None, reason="lintian is not installed")
def test_lintian_finds_no_error_and_no_warning(deb):
    result = subprocess.run(["lintian", "--fail-on", "error,warning", deb], capture_output=True,
                            text=True, timeout=600, stdin=subprocess.DEVNULL)
    tags = [line for line in result.stdout.splitlines() if re.match(r"^[EW]: ", line)]
    assert result.returncode == 0 and tags == [], result.stdout + result.stderr
