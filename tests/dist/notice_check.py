"""What the release's THIRD-PARTY-NOTICES.txt must say, judged from the linker's map of the
lumivex.scr it goes with: every runtime file the link took in needs its library's notice, and a
runtime this table does not know fails the check until someone decides what it needs."""

import re
import subprocess
from pathlib import Path

# What must stand in the notices for each kind of runtime file: a few words of its notice.
WINPTHREADS = ("winpthreads", ("Files: mingw-w64-libraries/winpthreads/*", "Lockless Inc."))
MINGW_RUNTIME = ("mingw-w64 runtime", ("Files: mingw-w64-crt/crt/*", "License: ZPL-2.1",
                                       "the mingw-w64 project"))
GCC_RUNTIME = ("GCC runtime", ("libgcc and libstdc++", "GCC Runtime Library Exception"))
GCC_FILES = {"libgcc.a", "libgcc_eh.a", "libstdc++.a", "libsupc++.a", "crtbegin.o", "crtend.o"}
FONT = ("glyph font", ("IPA Font License Agreement v1.0",))


def runtime_files(link_map):
    """Absolute paths of the archives the link took members from and of the objects it loaded."""
    text = Path(link_map).read_text(errors="replace")
    taken = re.findall(r"^(/[^\s(]+\.a)\(", text.split("\nDiscarded input sections")[0], re.M)
    return sorted({str(Path(p).resolve()) for p in taken + re.findall(r"^LOAD (/\S+\.o)$", text, re.M)})


def owner(path):
    result = subprocess.run(["dpkg-query", "-S", path], capture_output=True, text=True, check=False)
    return result.stdout.split(":")[0] if result.returncode == 0 else None


def kind_of(path):
    name = Path(path).name
    if name in GCC_FILES:
        return GCC_RUNTIME
    if name in ("libwinpthread.a", "libpthread.a"):
        return WINPTHREADS
    if owner(path) == "mingw-w64-x86-64-dev":
        return MINGW_RUNTIME
    return None


def notice_faults(notices, link_map):
    """What `notices` (the file's bytes) lacks for the lumivex.scr of `link_map`; [] if nothing."""
    faults = []
    if b"\n" in notices.replace(b"\r\n", b""):
        faults.append("a line does not end in CR LF")
    text = notices.decode("utf-8").replace("\r\n", "\n")
    files = runtime_files(link_map)
    if not files:
        faults.append(f"{link_map} names no runtime file")
    kinds = {}
    for path in files:
        kind = kind_of(path)
        if kind is None:
            faults.append(f"{path} was linked, and nothing says which notice it needs")
        else:
            kinds.setdefault(kind, []).append(Path(path).name)
    for (name, needles), linked in [*kinds.items(), (FONT, ["the glyph artwork"])]:
        faults += [f"the {name} notice ({', '.join(linked)}) lacks {needle!r}"
                   for needle in needles if needle not in text]
    return faults
