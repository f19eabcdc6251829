"""What a release test reads off a Windows program file: its machine type, link time stamp,
section names, manifest and icon images (pefile), and the images of an .ico file to compare them with."""

import struct

import pefile

from product import version_strings  # tools/dist, put on the path by conftest

RT_ICON = 3
RT_MANIFEST = 24
AMD64 = 0x8664


def _resources(pe, kind):
    pe.parse_data_directories(
        directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    root = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    for entry in root.entries if root else []:
        if entry.id != kind:
            continue
        for named in entry.directory.entries:
            for language in named.directory.entries:
                data = language.data.struct
                yield named.id, pe.get_data(data.OffsetToData, data.Size)


def _section_name(pe, section):
    """The section's whole name: a name longer than eight bytes (".debug_info") is stored as
    "/offset" into the COFF string table that follows the symbol table."""
    name = section.Name.rstrip(b"\0").decode(errors="replace")
    if not (name.startswith("/") and name[1:].isdigit()):
        return name
    header = pe.FILE_HEADER
    start = header.PointerToSymbolTable + 18 * header.NumberOfSymbols + int(name[1:])
    return pe.__data__[start:pe.__data__.find(b"\0", start)].decode(errors="replace")


class PeFacts:
    def __init__(self, path):
        pe = pefile.PE(str(path), fast_load=True)
        try:
            self.machine = pe.FILE_HEADER.Machine
            self.timestamp = pe.FILE_HEADER.TimeDateStamp
            self.sections = [_section_name(pe, s) for s in pe.sections]
            # Resource id -> text; Windows applies the manifest of id 1 as the program starts.
            self.manifest_texts = {number: data.decode("utf-8", errors="replace")
                                   for number, data in _resources(pe, RT_MANIFEST)}
            self.manifests = list(self.manifest_texts.values())
            self.icons = {data for _, data in _resources(pe, RT_ICON)}
        finally:
            pe.close()


def ico_images(path):
    """The image blobs of an .ico file, as a program's RT_ICON resources hold them."""
    data = path.read_bytes()
    _, kind, count = struct.unpack_from("<HHH", data, 0)
    if kind != 1:
        raise ValueError(f"{path} is not an icon file")
    images = set()
    for index in range(count):
        size, offset = struct.unpack_from("<II", data, 6 + 16 * index + 8)
        images.add(data[offset:offset + size])
    return images


WINDOWS_10_ID = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"


def identity_faults(path, product, icon):
    """What a program of our release lacks of its identity: a 64-bit program with the product's
    VERSIONINFO, a manifest that asks for administrator rights and declares the supported
    Windows versions and DPI awareness, and our icon. An empty list when nothing is missing."""
    faults = []
    facts = PeFacts(path)
    if facts.machine != AMD64:
        faults.append(f"machine type {facts.machine:#x}, not AMD64")
    strings, quad = version_strings(path)
    for key, want in (("ProductName", product.name), ("CompanyName", product.publisher),
                      ("ProductVersion", product.version), ("FileVersion", product.version)):
        if strings.get(key) != want:
            faults.append(f"{key} is {strings.get(key)!r}, not {want!r}")
    if quad != product.version_quad:
        faults.append(f"fixed version {quad}, not {product.version_quad}")
    manifest = "".join(facts.manifests)
    for needle in ('level="requireAdministrator"', WINDOWS_10_ID, ">true</dpiAware>"):
        if needle not in manifest:
            faults.append(f"manifest lacks {needle}")
    if not ico_images(icon) <= facts.icons:
        faults.append(f"icon images are not those of {icon.name}")
    return faults
