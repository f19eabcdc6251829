"""The release files as `make dist` leaves them in build/dist: the checksums, the zip a user
unpacks, and the identity the installer shows Windows."""

import hashlib
import re
import zipfile

from conftest import LINK_MAP, ROOT, SAVER
from make_dist import source_date_epoch
from notice_check import notice_faults
from pe_facts import PeFacts, identity_faults
from release_zip import zip_time

ZIP_ENTRIES = ["lumivex.scr", "README.txt", "IPA-Font-License-v1.0.txt", "THIRD-PARTY-NOTICES.txt"]


def test_sha256sums_lists_both_files_with_their_hashes(release):
    expected = [f"{hashlib.sha256(path.read_bytes()).hexdigest()}  {path.name}"
                for path in sorted((release.setup, release.zip), key=lambda path: path.name)]
    assert release.sums.read_text().splitlines() == expected


def test_zip_holds_the_built_saver_and_windows_texts_in_fixed_order_and_time(release):
    with zipfile.ZipFile(release.zip) as archive:
        entries = archive.infolist()
        assert [entry.filename for entry in entries] == ZIP_ENTRIES
        assert {entry.date_time for entry in entries} == {zip_time(source_date_epoch())}, \
            "build/dist was made for another commit: run `make dist`"
        assert archive.read("lumivex.scr") == SAVER.read_bytes(), "build/dist is older than build/win"
        texts = {name: archive.read(name) for name in ZIP_ENTRIES[1:]}
    for name, text in texts.items():
        assert b"\n" not in text.replace(b"\r\n", b""), f"{name} has a line without CR LF"

    readme = texts["README.txt"].decode("utf-8")
    product = release.product
    assert not re.search(r"@[A-Z_]+@", readme), "a placeholder was left unfilled"
    assert readme.startswith(f"{product.name} {product.version} ")
    for needed in ("right-click lumivex.scr and choose Install", r"C:\Windows",
                   "lumivex.scr /s", "lumivex.scr /p N", "lumivex.scr /c", "lumivex.scr /a N",
                   "IPA-Font-License-v1.0.txt", "THIRD-PARTY-NOTICES.txt"):
        assert needed in readme
    assert texts["IPA-Font-License-v1.0.txt"].startswith(b"IPA Font License Agreement v1.0\r\n")
    assert notice_faults(texts["THIRD-PARTY-NOTICES.txt"], LINK_MAP) == []


def test_programs_are_64_bit_with_our_identity_and_no_trace_of_the_build(release):
    assert identity_faults(release.setup, release.product, ROOT / "res" / "lumivex.ico") == []
    saver = PeFacts(SAVER)
    assert saver.timestamp == 0, "the link time would differ between two builds"
    assert [name for name in saver.sections if name.startswith(".debug")] == []
    assert ".text" in saver.sections and ".rsrc" in saver.sections
    assert str(ROOT).encode() not in SAVER.read_bytes()


def test_saver_version_is_the_projects_version(release):
    # CMake's project VERSION and the version resource are written apart; a release carries
    # the resource's, so they must agree.
    project = re.search(r"project\(lumivex VERSION ([0-9.]+)",
                        (ROOT / "CMakeLists.txt").read_text()).group(1)
    assert release.product.version == project
