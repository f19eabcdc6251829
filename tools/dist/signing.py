"""Authenticode signing with osslsigncode. The signing time is the release's source date, so a
signed release is as reproducible as an unsigned one for whoever holds the same key. The
password travels in a file only readable by us, never on a command line.

Also the command makensis runs on the uninstaller before it packs it into the installer:
    signing.py <file>      (signs <file> in place; reads LUMIVEX_SIGN_PFX,
                            LUMIVEX_SIGN_PASSWORD_FILE, SOURCE_DATE_EPOCH and LUMIVEX_SIGN_NAME)
"""

import os
import subprocess
import sys
from dataclasses import dataclass
from pathlib import Path

ENV_PFX = "LUMIVEX_SIGN_PFX"
ENV_PASSWORD_FILE = "LUMIVEX_SIGN_PASSWORD_FILE"
ENV_NAME = "LUMIVEX_SIGN_NAME"


@dataclass(frozen=True)
class Signer:
    pfx: Path
    password_file: Path
    epoch: int
    name: str

    def sign(self, path):
        """Signs `path` in place (osslsigncode writes a new file)."""
        path = Path(path)
        signed = path.with_name(path.name + ".signed")
        result = subprocess.run(
            ["osslsigncode", "sign", "-pkcs12", str(self.pfx), "-readpass", str(self.password_file),
             "-h", "sha256", "-n", self.name, "-time", str(self.epoch),
             "-in", str(path), "-out", str(signed)],
            stdin=subprocess.DEVNULL, capture_output=True, text=True, check=False)
        if result.returncode != 0:
            signed.unlink(missing_ok=True)
            raise RuntimeError(f"signing {path.name} failed: {result.stdout}{result.stderr}".strip())
        os.replace(signed, path)

    def environment(self):
        """What a child process (makensis) needs to sign through this module's command."""
        return {ENV_PFX: str(self.pfx), ENV_PASSWORD_FILE: str(self.password_file),
                "SOURCE_DATE_EPOCH": str(self.epoch), ENV_NAME: self.name}

    @staticmethod
    def from_environment():
        return Signer(Path(os.environ[ENV_PFX]), Path(os.environ[ENV_PASSWORD_FILE]),
                      int(os.environ["SOURCE_DATE_EPOCH"]), os.environ[ENV_NAME])


def write_password_file(folder, password):
    """Writes `password` to a file of `folder` that only we may read; returns its path."""
    path = Path(folder) / "sign-password"
    descriptor = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o600)
    with os.fdopen(descriptor, "w") as file:
        file.write(password)
    return path


def verify(path, ca_file):
    """osslsigncode's verdict on `path` against the certificate(s) in `ca_file`: (ok, output)."""
    result = subprocess.run(["osslsigncode", "verify", "-CAfile", str(ca_file), "-in", str(path)],
                            stdin=subprocess.DEVNULL, capture_output=True, text=True, check=False)
    return result.returncode == 0, result.stdout + result.stderr


if __name__ == "__main__":
    if len(sys.argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        sys.exit(2)
    try:
        Signer.from_environment().sign(sys.argv[1])
    except (KeyError, RuntimeError) as error:
        print(f"signing.py: {error}", file=sys.stderr)
        sys.exit(1)
