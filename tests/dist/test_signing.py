"""`make dist` with SIGN_PFX and SIGN_PASS signs lumivex.scr, the uninstaller (before the
installer packs it) and the installer. Each signature is checked with `osslsigncode verify`
against the throw-away certificate the test signed with, and must fail against another one."""

import os
import subprocess
import sys
import zipfile

import pytest

from conftest import ROOT, SAVER, UNINSTALLER, Release, fresh_machine
from signing import verify

PASSWORD = "throw-away password"
MAKE_DIST = ROOT / "tools" / "dist" / "make_dist.py"


def make_certificate(folder, name):
    """A self-signed code-signing certificate: folder/name.pem, and name.pfx with its key."""
    key, pem, pfx = (folder / f"{name}.{kind}" for kind in ("key", "pem", "pfx"))
    for command in (
            ["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key,
             "-out", pem, "-days", "2", "-subj", f"/CN=Lumivex test {name}",
             "-addext", "extendedKeyUsage=codeSigning"],
            ["openssl", "pkcs12", "-export", "-inkey", key, "-in", pem, "-out", pfx,
             "-passout", f"pass:{PASSWORD}"]):
        subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True, check=True)
    return pem, pfx


def make_dist(out, pfx, password):
    return subprocess.run([sys.executable, MAKE_DIST, "--saver", SAVER, "--out", out],
                          env=dict(os.environ, SIGN_PFX=str(pfx), SIGN_PASS=password),
                          stdin=subprocess.DEVNULL, capture_output=True, text=True, check=False)


@pytest.fixture(scope="module")
def certificates(tmp_path_factory):
    folder = tmp_path_factory.mktemp("certificates")
    return {name: make_certificate(folder, name) for name in ("signer", "stranger")}


@pytest.fixture(scope="module")
def signed_files(certificates, tmp_path_factory):
    """The three signed programs: lumivex.scr from the zip, the installer, and the uninstaller
    as the installer writes it on a fresh machine."""
    out = tmp_path_factory.mktemp("signed")
    result = make_dist(out, certificates["signer"][1], PASSWORD)
    assert result.returncode == 0, result.stdout + result.stderr
    release = Release(out, SAVER)
    files = {"installer": release.setup, "lumivex.scr": out / "lumivex.scr",
             "uninstaller": out / "uninstall.exe"}
    with zipfile.ZipFile(release.zip) as archive:
        files["lumivex.scr"].write_bytes(archive.read("lumivex.scr"))
    with fresh_machine(release.setup) as machine:
        assert machine.install("/S") == 0
        files["uninstaller"].write_bytes(machine.file(UNINSTALLER).read_bytes())
    return files


@pytest.mark.parametrize("program", ["lumivex.scr", "uninstaller", "installer"])
def test_signature_verifies_against_the_signing_certificate_only(program, signed_files,
                                                                  certificates):
    ok, output = verify(signed_files[program], certificates["signer"][0])
    assert ok, output
    ok, output = verify(signed_files[program], certificates["stranger"][0])
    assert not ok, "verified against a certificate that did not sign it"


@pytest.mark.parametrize("case", ["wrong password", "no such file"])
def test_bad_signing_input_is_a_clear_error_that_keeps_the_last_release(case, certificates,
                                                                         tmp_path):
    pfx = certificates["signer"][1] if case == "wrong password" else tmp_path / "missing.pfx"
    last = tmp_path / "SHA256SUMS"
    last.write_text("the last release's sums\n")

    result = make_dist(tmp_path, pfx, "not the password")

    assert result.returncode != 0
    message = result.stderr.strip()
    assert message.startswith("make_dist:") and ("signing" in message or "SIGN_PFX" in message)
    assert last.read_text() == "the last release's sums\n"
    assert sorted(p.name for p in tmp_path.iterdir()) == ["SHA256SUMS"]
