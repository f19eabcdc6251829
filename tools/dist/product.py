"""The product facts a release needs (name, publisher, version), read from the VERSIONINFO that
res/lumivex.rc compiles into lumivex.scr: the one place they are written, so that the zip, the
installer and its uninstaller can never name another version than the program they carry."""

from dataclasses import dataclass

import pefile


@dataclass(frozen=True)
class Product:
    name: str          # "Lumivex"
    publisher: str     # "Orvanta"
    version: str       # "2.53", as shown to users
    version_quad: str  # "2.53.0.0", the four numbers of a Windows version resource

    @property
    def setup_name(self):
        return f"{self.name.lower()}-{self.version}-setup.exe"

    @property
    def zip_name(self):
        return f"{self.name.lower()}-{self.version}-win64.zip"


def version_strings(path):
    """The StringFileInfo values and the fixed file version ("a.b.c.d") of a PE file."""
    pe = pefile.PE(str(path), fast_load=True)
    try:
        pe.parse_data_directories(
            directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
        strings = {}
        for info in getattr(pe, "FileInfo", None) or []:
            for entry in info:
                for table in getattr(entry, "StringTable", []):
                    strings.update({key.decode(): value.decode()
                                    for key, value in table.entries.items()})
        if not getattr(pe, "VS_FIXEDFILEINFO", None):
            raise ValueError(f"{path} has no version resource")
        fixed = pe.VS_FIXEDFILEINFO[0]
        quad = (f"{fixed.FileVersionMS >> 16}.{fixed.FileVersionMS & 0xFFFF}."
                f"{fixed.FileVersionLS >> 16}.{fixed.FileVersionLS & 0xFFFF}")
        return strings, quad
    finally:
        pe.close()


def read_product(saver):
    strings, quad = version_strings(saver)
    missing = [k for k in ("ProductName", "CompanyName", "ProductVersion") if not strings.get(k)]
    if missing:
        raise ValueError(f"{saver}: version resource lacks {', '.join(missing)}")
    return Product(strings["ProductName"], strings["CompanyName"], strings["ProductVersion"], quad)
