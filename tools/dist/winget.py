"""The winget manifest of a release (schema 1.6.0): three files, named as winget's package
repository names them, for the installer `make dist` has just made.

    <Publisher>.<Name>.yaml                  version: which version, and its default locale
    <Publisher>.<Name>.locale.en-US.yaml     defaultLocale: names and descriptions
    <Publisher>.<Name>.installer.yaml        installer: type, scope, switches, URL and hash

The installer's URL is RELEASE_URL (the folder the release files are published in) followed by
the installer's name; without RELEASE_URL it is a placeholder that must be replaced before the
manifest is submitted."""

import os
from pathlib import Path

import yaml

MANIFEST_VERSION = "1.6.0"
LOCALE = "en-US"
PLACEHOLDER_URL = "https://release-url.invalid/"
SCHEMA = "https://aka.ms/winget-manifest.{kind}.1.6.0.schema.json"


class WingetError(Exception):
    pass


def release_url():
    """RELEASE_URL as a folder URL ending in "/", or the placeholder when unset."""
    given = os.environ.get("RELEASE_URL", "").strip()
    if not given:
        return PLACEHOLDER_URL, False
    if not given.lower().startswith("https://") or any(c.isspace() for c in given):
        raise WingetError(f"RELEASE_URL must be an https:// address without spaces, not '{given}'")
    return given.rstrip("/") + "/", True


def manifests(product, setup_name, setup_sha256, url):
    """{file name: manifest} for the installer `setup_name` with hash `setup_sha256`."""
    identifier = f"{product.publisher}.{product.name}"
    head = {"PackageIdentifier": identifier, "PackageVersion": product.version}
    tail = {"ManifestVersion": MANIFEST_VERSION}
    # The installer writes its Apps & Features entry under a key named after the product.
    entry = {"DisplayName": product.name, "Publisher": product.publisher,
             "DisplayVersion": product.version, "ProductCode": product.name}
    return {
        f"{identifier}.yaml": ("version", {
            **head, "DefaultLocale": LOCALE, "ManifestType": "version", **tail}),
        f"{identifier}.locale.{LOCALE}.yaml": ("defaultLocale", {
            **head, "PackageLocale": LOCALE, "Publisher": product.publisher,
            "PackageName": product.name, "License": "Proprietary",
            "ShortDescription": "A screen saver of columns of glyphs raining down.",
            "Description": (f"{product.name} fills every monitor with columns of glyphs that "
                            "rain down in one family of colours, with a settings dialog and a "
                            "live preview."),
            "Tags": ["screensaver"], "ManifestType": "defaultLocale", **tail}),
        f"{identifier}.installer.yaml": ("installer", {
            **head, "InstallerType": "nullsoft", "Scope": "machine",
            "ElevationRequirement": "elevationRequired",
            "InstallModes": ["interactive", "silent", "silentWithProgress"],
            "InstallerSwitches": {"Silent": "/S", "SilentWithProgress": "/S"},
            "UpgradeBehavior": "install",
            "ProductCode": product.name,
            "AppsAndFeaturesEntries": [entry],
            "Installers": [{"Architecture": "x64", "InstallerUrl": url + setup_name,
                            "InstallerSha256": setup_sha256.upper()}],
            "ManifestType": "installer", **tail}),
    }


def write_manifests(folder, product, setup_name, setup_sha256):
    """Writes the three files into `folder` (emptied of older ones); returns whether the URL
    is a real one."""
    url, real = release_url()
    folder = Path(folder)
    folder.mkdir(parents=True, exist_ok=True)
    for old in folder.glob("*.yaml"):
        old.unlink()
    for name, (kind, manifest) in manifests(product, setup_name, setup_sha256, url).items():
        text = yaml.safe_dump(manifest, sort_keys=False, allow_unicode=True, width=100)
        (folder / name).write_text(
            f"# yaml-language-server: $schema={SCHEMA.format(kind=kind)}\n\n{text}",
            encoding="utf-8")
    return real
