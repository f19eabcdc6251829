"""The same sources built again in another tree at another path give the same release files and
Debian package, byte for byte. Only what the release needs is built there (the lumivex target,
then the dist tool; the package's own tree), with the build type and signing environment of
the first build."""

import os
import re
import shutil
import subprocess
import tempfile
from pathlib import Path

import pytest

from conftest import ROOT, WIN_DIR
from make_dist import source_date_epoch

BUILD_TIMEOUT = 900


def source_files(root):
    """The files a build of `root` reads: what git tracks or would track, as they are now."""
    listed = subprocess.run(["git", "-C", str(root), "ls-files", "-z", "--cached", "--others",
                             "--exclude-standard"], capture_output=True, check=True).stdout
    names = [name for name in listed.decode().split("\0") if name]
    return [name for name in names if (root / name).is_file()]


def build_type(build_tree):
    cache = (build_tree / "CMakeCache.txt").read_text()
    return re.search(r"^CMAKE_BUILD_TYPE:\w+=(.*)$", cache, re.MULTILINE).group(1)


def run(command, **options):
    result = subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True, text=True,
                            timeout=BUILD_TIMEOUT, check=False, **options)
    assert result.returncode == 0, f"{' '.join(map(str, command))}:\n{result.stdout}{result.stderr}"


@pytest.fixture(scope="module")
def second(request):
    """A copy of the sources at another path, removed afterwards unless a test failed there
    (its builds are then kept for a look)."""
    scratch = Path(tempfile.mkdtemp(prefix="lumivex-second-build-"))
    checkout = scratch / "another" / "checkout"
    for name in source_files(ROOT):
        (checkout / name).parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(ROOT / name, checkout / name)
    failed_before = request.session.testsfailed
    yield checkout
    if request.session.testsfailed == failed_before:
        shutil.rmtree(scratch)


def same_source_date():
    return dict(os.environ, SOURCE_DATE_EPOCH=str(source_date_epoch(ROOT)))


def test_a_second_build_elsewhere_gives_the_same_release_files(release, second):
    tree = second / "build" / "win"
    run(["cmake", "-S", second, "-B", tree, "-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake",
         f"-DCMAKE_BUILD_TYPE={build_type(WIN_DIR)}"], cwd=second)
    run(["cmake", "--build", tree, "--target", "lumivex", "-j", "2"])
    dist = second / "build" / "dist"
    run(["/usr/bin/python3", second / "tools" / "dist" / "make_dist.py",
         "--saver", tree / "lumivex.scr", "--out", dist], env=same_source_date())

    pairs = {"lumivex.scr": (WIN_DIR / "lumivex.scr", tree / "lumivex.scr")}
    pairs.update({name: (release.folder / name, dist / name)
                  for name in (release.setup.name, release.zip.name, "SHA256SUMS")})
    differing = [name for name, (first, again) in pairs.items()
                 if first.read_bytes() != again.read_bytes()]
    assert differing == [], f"built again in {second}, these differ from the first build"


def test_a_second_build_elsewhere_gives_the_same_debian_package(release, second):
    debs = sorted(release.folder.glob("lumivex_*_amd64.deb"))
    assert len(debs) == 1, f"expected one package in {release.folder} (run `make deb`)"
    dist = second / "build" / "dist"
    run(["/usr/bin/python3", second / "tools" / "dist" / "make_deb.py",
         "--build", second / "build" / "deb", "--out", dist], env=same_source_date())
    again = dist / debs[0].name
    assert again.read_bytes() == debs[0].read_bytes(), \
        f"built again in {second}: compare with diffoscope or `dpkg-deb -c`"
