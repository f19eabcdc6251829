#!/usr/bin/python3
"""`make dist`: the release files of a built lumivex.scr, in one folder:

    lumivex-<version>-setup.exe   the installer (NSIS, installer/lumivex.nsi)
    lumivex-<version>-win64.zip   lumivex.scr, README.txt, the font licence and
                                  THIRD-PARTY-NOTICES.txt
    SHA256SUMS                    for both, in sha256sum's format
    winget/                       the three files of a winget manifest for the installer


    make_dist.py [--saver build/win/lumivex.scr] [--link-map <saver>.map] [--out build/dist]

The notices are those of the runtime libraries that the linker's map of lumivex.scr names.
RELEASE_URL, the https:// folder the files will be published in, gives the manifest its
installer URL; without it the URL is a placeholder.

With SIGN_PFX (a PKCS#12 file) and SIGN_PASS (its password) in the environment, lumivex.scr,
the uninstaller and the installer are signed. Nothing in the output depends on the time or
folder of the build: entry times and signing times are the source date (SOURCE_DATE_EPOCH, else
the time of the checked-out commit)."""

import argparse
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from product import read_product  # noqa: E402
from release_zip import write_zip  # noqa: E402
from notices import NoticeError, notices_text  # noqa: E402
from signing import Signer, write_password_file  # noqa: E402
from winget import WingetError, release_url, write_manifests  # noqa: E402

ROOT = Path(__file__).resolve().parents[2]
INSTALLER = ROOT / "installer"
SCRIPT = INSTALLER / "lumivex.nsi"
README = INSTALLER / "README.txt"
FONT_LICENSE = INSTALLER / "IPA-Font-License-v1.0.txt"
NOTICES = "THIRD-PARTY-NOTICES.txt"
ICON = ROOT / "res" / "lumivex.ico"
SIGN_TOOL = Path(__file__).resolve().parent / "signing.py"
NO_SOURCE_DATE = 315532800  # 1980-01-01, the earliest time a zip can hold


class DistError(Exception):
    pass


def source_date_epoch(root=ROOT):
    """SOURCE_DATE_EPOCH when set, else the commit time of the checkout at `root`."""
    given = os.environ.get("SOURCE_DATE_EPOCH")
    if given is not None:
        if not given.strip().isdigit():
            raise DistError(f"SOURCE_DATE_EPOCH must be a whole number of seconds, not '{given}'")
        return int(given)
    try:
        result = subprocess.run(["git", "-C", str(root), "log", "-1", "--format=%ct"],
                                capture_output=True, text=True, check=False)
    except FileNotFoundError:
        result = None
    if result is None or result.returncode != 0 or not result.stdout.strip().isdigit():
        print(f"make_dist: {root} is no git checkout and SOURCE_DATE_EPOCH is not set; "
              "the files are dated 1980-01-01", file=sys.stderr)
        return NO_SOURCE_DATE
    return int(result.stdout.strip())


def crlf(text):
    """`text` as UTF-8 with Windows line endings."""
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def windows_text(path, product=None):
    """A text file of ours with Windows line endings, the product facts filled in."""
    text = path.read_text(encoding="utf-8")
    if product is not None:
        for key, value in (("PRODUCT", product.name), ("PUBLISHER", product.publisher),
                           ("VERSION", product.version)):
            text = text.replace(f"@{key}@", value)
    return crlf(text)


def signer_from_environment(stage, epoch, product):
    pfx = os.environ.get("SIGN_PFX", "")
    if not pfx:
        return None
    pfx = Path(pfx).resolve()
    if not pfx.is_file():
        raise DistError(f"SIGN_PFX names no file: {pfx}")
    password = write_password_file(stage, os.environ.get("SIGN_PASS", ""))
    return Signer(pfx, password, epoch, product.name)


def run_makensis(product, files, outfile, signer):
    defines = {"PRODUCT": product.name, "PUBLISHER": product.publisher,
               "VERSION": product.version, "VERSION_QUAD": product.version_quad,
               "SAVER": files["lumivex.scr"], "README": files["README.txt"],
               "FONT_LICENSE": files[FONT_LICENSE.name], "NOTICES": files[NOTICES],
               "ICON": ICON, "OUTFILE": outfile}
    env = dict(os.environ)
    if signer is not None:
        defines["SIGN_COMMAND"] = f'"{sys.executable}" "{SIGN_TOOL}" "%1"'
        env.update(signer.environment())
    command = ["makensis", "-V2", "-INPUTCHARSET", "UTF8"]
    command += [f"-D{key}={value}" for key, value in defines.items()]
    command.append(str(SCRIPT))
    try:
        result = subprocess.run(command, env=env, stdin=subprocess.DEVNULL,
                                capture_output=True, text=True, check=False)
    except FileNotFoundError:
        raise DistError("makensis not found: run tools/install-deps.sh (Debian package nsis)")
    if result.returncode != 0:
        raise DistError(f"makensis failed:\n{result.stdout}{result.stderr}")


def sha256(path):
    return hashlib.sha256(Path(path).read_bytes()).hexdigest()


def make_dist(saver, out, link_map=None):
    saver, out = Path(saver).resolve(), Path(out).resolve()
    link_map = saver.with_suffix(".map") if link_map is None else Path(link_map).resolve()
    for needed in (saver, link_map):
        if not needed.is_file():
            raise DistError(f"{needed} is missing; build it with 'make win'")
    product = read_product(saver)
    epoch = source_date_epoch()
    release_url()  # a bad RELEASE_URL stops the release before anything is replaced
    out.mkdir(parents=True, exist_ok=True)
    with tempfile.TemporaryDirectory(prefix="lumivex-dist-") as temporary:
        stage = Path(temporary)
        signer = signer_from_environment(stage, epoch, product)
        files = {"lumivex.scr": stage / "lumivex.scr", "README.txt": stage / "README.txt",
                 FONT_LICENSE.name: stage / FONT_LICENSE.name, NOTICES: stage / NOTICES}
        shutil.copyfile(saver, files["lumivex.scr"])
        if signer is not None:
            signer.sign(files["lumivex.scr"])
        files["README.txt"].write_bytes(windows_text(README, product))
        files[FONT_LICENSE.name].write_bytes(windows_text(FONT_LICENSE))
        files[NOTICES].write_bytes(crlf(notices_text(link_map, product, FONT_LICENSE)))

        setup = stage / product.setup_name
        run_makensis(product, files, setup, signer)
        if signer is not None:
            signer.sign(setup)
        archive = stage / product.zip_name
        write_zip(archive, [(name, path.read_bytes()) for name, path in files.items()], epoch)

        for old in [*out.glob("*-setup.exe"), *out.glob("*-win64.zip"), out / "SHA256SUMS"]:
            old.unlink(missing_ok=True)
        released = [shutil.copyfile(path, out / path.name) for path in (setup, archive)]
    sums = "".join(f"{sha256(path)}  {path.name}\n" for path in sorted(released))
    (out / "SHA256SUMS").write_text(sums)
    setup = out / product.setup_name
    if not write_manifests(out / "winget", product, setup.name, sha256(setup)):
        print("make_dist: RELEASE_URL is not set; the winget manifest's InstallerUrl is a "
              "placeholder", file=sys.stderr)
    return out, sums


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--saver", default=ROOT / "build" / "win" / "lumivex.scr")
    parser.add_argument("--link-map", help="the linker's map of the saver (default: beside it)")
    parser.add_argument("--out", default=ROOT / "build" / "dist")
    args = parser.parse_args(argv[1:])
    try:
        out, sums = make_dist(args.saver, args.out, args.link_map)
    except (DistError, NoticeError, WingetError, ValueError, RuntimeError, OSError) as error:
        print(f"make_dist: {error}", file=sys.stderr)
        return 1
    signed = " (signed)" if os.environ.get("SIGN_PFX") else ""
    print(f"Release files{signed} in {out}:\n{sums}", end="")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
