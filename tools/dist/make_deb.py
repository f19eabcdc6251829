#!/usr/bin/python3
"""`make deb`: the Debian package of the Linux program, lumivex_<version>_amd64.deb.

    make_deb.py [--build build/deb] [--out build/dist] [--jobs N]

Builds lumivex in a tree of its own with Debian's build flags (dpkg-buildflags: all hardening, no
debug information, the source folder mapped to "." so that no build path is left in the
program), stages the files
below, finds the dependencies with dpkg-shlibdeps, writes the control file with dpkg-gencontrol
and packs it with dpkg-deb:

    /usr/bin/lumivex                              the program, stripped
    /usr/libexec/xscreensaver/lumivex             a link to it, where daemons look for modules
    /usr/share/xscreensaver/config/lumivex.xml    its description for their settings dialogs
    /usr/share/man/man6/lumivex.6.gz              the manual page
    /usr/share/doc/lumivex/copyright              machine-readable, with the glyph font's licence
    /usr/share/doc/lumivex/changelog.Debian.gz
    /usr/share/doc/lumivex/examples/lumivex.desktop   an autostart entry for GNOME (lumivex -idle 300)
    /usr/share/lintian/overrides/lumivex          each with the reason beside it

The package is reproducible: every file is dated with the source date (SOURCE_DATE_EPOCH, else
the time of the checked-out commit), owned by root and of a fixed mode, whatever the umask."""

import argparse
import gzip
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from make_dist import DistError, source_date_epoch  # noqa: E402

ROOT = Path(__file__).resolve().parents[2]
PACKAGING = ROOT / "packaging" / "debian"
FONT_LICENSE = ROOT / "installer" / "IPA-Font-License-v1.0.txt"
MODULE_DESCRIPTION = ROOT / "res" / "x11" / "lumivex.xml"
AUTOSTART_EXAMPLE = PACKAGING / "lumivex.desktop"
BUILD_TIMEOUT = 1800


def run(command, **options):
    try:
        result = subprocess.run([str(c) for c in command], stdin=subprocess.DEVNULL,
                                capture_output=True, text=True, check=False,
                                timeout=BUILD_TIMEOUT, **options)
    except FileNotFoundError:
        raise DistError(f"{command[0]} not found: run tools/install-deps.sh") from None
    if result.returncode != 0:
        raise DistError(f"{' '.join(map(str, command))} failed:\n{result.stdout}{result.stderr}")
    return result.stdout


def package_version():
    """The version of the newest entry of the packaging's changelog ("2.53-1"), which must be
    a packaging of the project's version."""
    first = (PACKAGING / "changelog").read_text().splitlines()[0]
    found = re.match(r"^lumivex \((([^)-]+)-[^)]+)\)", first)
    if not found:
        raise DistError(f"{PACKAGING / 'changelog'} does not start with a lumivex entry")
    project = re.search(r"project\(lumivex VERSION ([0-9.]+)",
                        (ROOT / "CMakeLists.txt").read_text()).group(1)
    if found.group(2) != project:
        raise DistError(f"{PACKAGING / 'changelog'} ends at version {found.group(1)}, but the "
                        f"project is at {project}: add an entry for it")
    return found.group(1)


def build_program(tree, jobs):
    """lumivex built with Debian's flags in `tree`; returns its path."""
    # No debug information: it is stripped anyway, and the build id, a hash taken before the
    # strip, would change with whatever of the build's folders it records.
    environment = dict(os.environ, DEB_BUILD_MAINT_OPTIONS="hardening=+all",
                       DEB_CXXFLAGS_MAINT_STRIP="-g")
    flags = {name: run(["dpkg-buildflags", "--get", name], cwd=ROOT, env=environment).strip()
             for name in ("CPPFLAGS", "CXXFLAGS", "LDFLAGS")}
    run(["cmake", "-S", ROOT, "-B", tree, "-DCMAKE_BUILD_TYPE=None",
         f"-DCMAKE_CXX_FLAGS={flags['CPPFLAGS']} {flags['CXXFLAGS']}",
         f"-DCMAKE_EXE_LINKER_FLAGS={flags['LDFLAGS']}"], cwd=ROOT)
    run(["cmake", "--build", tree, "--target", "lumivex", "-j", str(jobs)])
    return tree / "lumivex"


def deb822_text(text):
    """Plain text as the body of a field: each line indented by one space, blank lines "."."""
    return "\n".join(f" {line}" if line.strip() else " ." for line in text.strip().splitlines())


def write(path, data, mode=0o644):
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(data if isinstance(data, bytes) else data.encode("utf-8"))
    path.chmod(mode)


def gzipped(data):
    """As gzip -9n: best compression, no file name and no time stamp."""
    return gzip.compress(data, compresslevel=9, mtime=0)


def stage_files(stage, program):
    usr = stage / "usr"
    write(usr / "bin" / "lumivex", program.read_bytes(), 0o755)
    run(["strip", "--strip-unneeded", "--remove-section=.comment", "--remove-section=.note",
         usr / "bin" / "lumivex"])
    link = usr / "libexec" / "xscreensaver" / "lumivex"
    link.parent.mkdir(parents=True)
    link.symlink_to("../../bin/lumivex")
    write(usr / "share" / "xscreensaver" / "config" / "lumivex.xml",
          MODULE_DESCRIPTION.read_bytes())
    write(usr / "share" / "man" / "man6" / "lumivex.6.gz",
          gzipped((PACKAGING / "lumivex.6").read_bytes()))
    doc = usr / "share" / "doc" / "lumivex"
    copyright_text = (PACKAGING / "copyright.in").read_text().replace(
        "@IPA_LICENSE@", deb822_text(FONT_LICENSE.read_text(encoding="utf-8")))
    write(doc / "copyright", copyright_text)
    write(doc / "changelog.Debian.gz", gzipped((PACKAGING / "changelog").read_bytes()))
    write(doc / "examples" / "lumivex.desktop", AUTOSTART_EXAMPLE.read_bytes())
    write(usr / "share" / "lintian" / "overrides" / "lumivex",
          (PACKAGING / "lumivex.lintian-overrides").read_bytes())


def md5sums(stage):
    lines = []
    for path in sorted(p for p in stage.rglob("*") if p.is_file() and not p.is_symlink()):
        relative = path.relative_to(stage)
        if relative.parts[0] != "DEBIAN":
            lines.append(f"{hashlib.md5(path.read_bytes()).hexdigest()}  {relative}\n")
    return "".join(lines)


def control_file(stage, scratch):
    """DEBIAN/control from the packaging's control and changelog, with the shared libraries the
    program needs (dpkg-shlibdeps) and the installed size (dpkg-gencontrol)."""
    source = scratch / "source"
    (source / "debian").mkdir(parents=True)
    for name in ("control", "changelog"):
        shutil.copyfile(PACKAGING / name, source / "debian" / name)
    substvars = source / "debian" / "substvars"
    run(["dpkg-shlibdeps", f"-T{substvars}", stage / "usr" / "bin" / "lumivex"], cwd=source)
    (stage / "DEBIAN").mkdir(mode=0o755)
    run(["dpkg-gencontrol", "-plumivex", f"-T{substvars}", f"-P{stage}",
         f"-f{source / 'debian' / 'files'}"], cwd=source)
    (stage / "DEBIAN" / "control").chmod(0o644)  # whatever the umask


def normalize(stage, epoch):
    """Fixed modes and dates: dirs 0755, files as staged (0644, programs 0755), all dated
    `epoch`, so that neither the umask nor the time of the build shows in the package."""
    for path in [stage, *stage.rglob("*")]:
        if path.is_symlink():
            os.utime(path, (epoch, epoch), follow_symlinks=False)
            continue
        if path.is_dir():
            path.chmod(0o755)
        os.utime(path, (epoch, epoch))


def make_deb(tree, out, jobs):
    tree, out = Path(tree).resolve(), Path(out).resolve()
    epoch = source_date_epoch()
    version = package_version()
    program = build_program(tree, jobs)
    out.mkdir(parents=True, exist_ok=True)
    target = out / f"lumivex_{version}_amd64.deb"
    with tempfile.TemporaryDirectory(prefix="lumivex-deb-") as temporary:
        scratch = Path(temporary)
        stage = scratch / "stage"
        stage_files(stage, program)
        control_file(stage, scratch)
        write(stage / "DEBIAN" / "md5sums", md5sums(stage))
        normalize(stage, epoch)
        built = scratch / target.name
        run(["dpkg-deb", "--root-owner-group", "-Zxz", "--build", stage, built],
            env=dict(os.environ, SOURCE_DATE_EPOCH=str(epoch)))
        for old in out.glob("lumivex_*.deb"):
            old.unlink()
        shutil.copyfile(built, target)
    return target


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=ROOT / "build" / "deb")
    parser.add_argument("--out", default=ROOT / "build" / "dist")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    args = parser.parse_args(argv[1:])
    try:
        target = make_deb(args.build, args.out, args.jobs)
    except (DistError, OSError) as error:
        print(f"make_deb: {error}", file=sys.stderr)
        return 1
    print(f"Debian package in {target}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
