"""The manifest built into lumivex.scr, read from the file: Wine runs a program the same with or
without one, so only the file can show that Windows will give the saver per-monitor DPI
awareness (version 2, with the older per-monitor awareness where that is unknown), the version 6
common controls its dialog is laid out for, and the rights of whoever starts it."""

import xml.etree.ElementTree as ElementTree

import pytest

from conftest import SAVER
from pe_facts import PeFacts

ASM_V1 = "urn:schemas-microsoft-com:asm.v1"
ASM_V3 = "urn:schemas-microsoft-com:asm.v3"
SETTINGS_2005 = "http://schemas.microsoft.com/SMI/2005/WindowsSettings"
SETTINGS_2016 = "http://schemas.microsoft.com/SMI/2016/WindowsSettings"
CREATEPROCESS_MANIFEST_ID = 1


@pytest.fixture(scope="module")
def manifest():
    if not SAVER.is_file():
        pytest.fail(f"missing build output (run `make win`): {SAVER}")
    texts = PeFacts(SAVER).manifest_texts
    assert list(texts) == [CREATEPROCESS_MANIFEST_ID], \
        f"manifest resources {list(texts)}: Windows applies only one of id 1 as a program starts"
    return ElementTree.fromstring(texts[CREATEPROCESS_MANIFEST_ID].encode("utf-8"))


def only(manifest, path):
    found = manifest.findall(path, {"v1": ASM_V1, "v3": ASM_V3, "s2005": SETTINGS_2005,
                                    "s2016": SETTINGS_2016})
    assert len(found) == 1, f"{len(found)} elements {path}"
    return found[0]


def test_dpi_awareness_is_per_monitor_v2_with_the_per_monitor_fallback(manifest):
    settings = ".//v3:application/v3:windowsSettings/"
    awareness = only(manifest, settings + "s2016:dpiAwareness").text
    assert [word.strip() for word in awareness.split(",")] == ["PerMonitorV2", "PerMonitor"]
    # Windows before 10 1607 reads only this one; "true/pm" is per-monitor there.
    assert only(manifest, settings + "s2005:dpiAware").text.strip().lower() == "true/pm"


def test_common_controls_version_6(manifest):
    identity = only(manifest, "v1:dependency/v1:dependentAssembly/v1:assemblyIdentity").attrib
    assert (identity["name"], identity["version"], identity["publicKeyToken"]) == \
        ("Microsoft.Windows.Common-Controls", "6.0.0.0", "6595b64144ccf1df")
    assert identity["type"] == "win32"


def test_runs_with_the_rights_of_whoever_starts_it(manifest):
    level = only(manifest, ".//v3:trustInfo/v3:security/v3:requestedPrivileges/v3:requestedExecutionLevel")
    assert level.attrib["level"] == "asInvoker"
    assert level.attrib.get("uiAccess", "false") == "false"
