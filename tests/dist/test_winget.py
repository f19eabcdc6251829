"""The winget manifest `make dist` writes into build/dist/winget: three files of schema 1.6.0
that agree with each other, with the installer beside them (its hash), and with what that
installer does on a fresh Windows machine (Wine): the silent switch the manifest gives installs,
and the Apps & Features entry it writes is the one the manifest names."""

import hashlib
import os
import subprocess
import sys

import pytest
import yaml

from conftest import ROOT, SAVER, UNINSTALL, Release

MAKE_DIST = ROOT / "tools" / "dist" / "make_dist.py"
UNINSTALL_ROOT = UNINSTALL.rsplit("\\", 1)[0]


def read_manifests(folder, product):
    identifier = f"{product.publisher}.{product.name}"
    names = {"version": f"{identifier}.yaml", "defaultLocale": f"{identifier}.locale.en-US.yaml",
             "installer": f"{identifier}.installer.yaml"}
    assert sorted(p.name for p in folder.iterdir()) == sorted(names.values())
    return {kind: yaml.safe_load((folder / name).read_text(encoding="utf-8"))
            for kind, name in names.items()}


@pytest.fixture(scope="module")
def manifests(release):
    return read_manifests(release.folder / "winget", release.product)


def test_the_three_files_agree_and_name_the_product(manifests, release):
    product = release.product
    for kind, manifest in manifests.items():
        assert manifest["ManifestType"] == kind and manifest["ManifestVersion"] == "1.6.0"
        assert manifest["PackageIdentifier"] == "Orvanta.Lumivex"
        assert str(manifest["PackageVersion"]) == product.version
    assert manifests["version"]["DefaultLocale"] == manifests["defaultLocale"]["PackageLocale"]
    locale = manifests["defaultLocale"]
    assert (locale["PackageName"], locale["Publisher"]) == (product.name, product.publisher)
    assert locale["License"] and locale["ShortDescription"]


def test_installer_entry_describes_the_built_installer(manifests, release):
    installer = manifests["installer"]
    assert (installer["InstallerType"], installer["Scope"], installer["ElevationRequirement"]) \
        == ("nullsoft", "machine", "elevationRequired")
    [entry] = installer["Installers"]
    assert entry["Architecture"] == "x64"
    assert entry["InstallerSha256"].lower() == \
        hashlib.sha256(release.setup.read_bytes()).hexdigest()
    assert entry["InstallerUrl"].startswith("https://")
    assert entry["InstallerUrl"].endswith("/" + release.setup.name)


def test_silent_switch_installs_and_writes_the_entry_the_manifest_names(manifests, machine):
    installer = manifests["installer"]
    switches = installer["InstallerSwitches"]
    assert switches["Silent"] == switches["SilentWithProgress"]

    assert machine.install(*switches["Silent"].split()) == 0

    # Machine scope: the entry is under HKEY_LOCAL_MACHINE, in a key named by the ProductCode.
    key = f"{UNINSTALL_ROOT}\\{installer['ProductCode']}"
    [expected] = installer["AppsAndFeaturesEntries"]
    assert expected["ProductCode"] == installer["ProductCode"]
    written = {name: machine.value(key, name) for name in ("DisplayName", "Publisher",
                                                           "DisplayVersion")}
    assert written == {name: str(expected[name]) for name in written}


@pytest.mark.parametrize("url, installer_url", [
    ("https://downloads.example.org/lumivex/2.53/",
     "https://downloads.example.org/lumivex/2.53/{setup}"),
    ("https://downloads.example.org/lumivex", "https://downloads.example.org/lumivex/{setup}"),
    (None, "https://release-url.invalid/{setup}"),
])
def test_installer_url_is_the_release_url_or_a_placeholder(url, installer_url, tmp_path):
    env = {k: v for k, v in os.environ.items() if k not in ("RELEASE_URL", "SIGN_PFX")}
    if url:
        env["RELEASE_URL"] = url
    result = subprocess.run([sys.executable, MAKE_DIST, "--saver", SAVER, "--out", tmp_path],
                            env=env, stdin=subprocess.DEVNULL, capture_output=True, text=True)
    assert result.returncode == 0, result.stderr
    release = Release(tmp_path, SAVER)
    [entry] = read_manifests(tmp_path / "winget", release.product)["installer"]["Installers"]
    assert entry["InstallerUrl"] == installer_url.format(setup=release.setup.name)
    assert ("placeholder" in result.stderr) == (url is None)


def test_a_release_url_that_is_not_https_stops_the_release_and_keeps_the_last_one(tmp_path):
    last = tmp_path / "SHA256SUMS"
    last.write_text("the last release's sums\n")
    env = dict(os.environ, RELEASE_URL="http://downloads.example.org/lumivex/")
    env.pop("SIGN_PFX", None)
    result = subprocess.run([sys.executable, MAKE_DIST, "--saver", SAVER, "--out", tmp_path],
                            env=env, stdin=subprocess.DEVNULL, capture_output=True, text=True)
    assert result.returncode != 0
    assert result.stderr.startswith("make_dist: RELEASE_URL must be an https:// address")
    assert sorted(p.name for p in tmp_path.iterdir()) == ["SHA256SUMS"]
    assert last.read_text() == "the last release's sums\n"
