"""THIRD-PARTY-NOTICES.txt: the notices of the runtime libraries that the link put into
lumivex.scr, and the glyph font's licence.

Which libraries went in is read from the linker's map of lumivex.scr (the archives whose members
it took, and the start-up objects it loaded); which Debian package installed each one, from dpkg;
and the notices themselves from those packages' copyright files, so that they are the notices
of exactly what was linked. A linked library of a package with no rule below stops the release:
someone must decide what its licence asks for before it ships."""

import re
import subprocess
import textwrap
from dataclasses import dataclass
from pathlib import Path

MINGW_W64 = "mingw-w64-x86-64-dev"
GCC_PACKAGES = re.compile(r"^(gcc|g\+\+)-mingw-w64-x86-64-(posix|win32)$")
WINPTHREADS = {"libwinpthread.a", "libpthread.a"}


class NoticeError(Exception):
    pass


def linked_files(link_map):
    """The files from outside the build tree that the link used: archives it took members
    from, and objects it loaded (the start-up code), each resolved to its real path."""
    text = Path(link_map).read_text(errors="replace")
    head, found = text.split("\nDiscarded input sections", 1)[0], set()
    for line in head.splitlines()[1:]:
        member = re.match(r"^(\S.*?)\(([^()]*)\)$", line)
        if member and member.group(1).startswith("/"):
            found.add(member.group(1))
    for loaded in re.findall(r"^LOAD (/\S+\.o)$", text, re.M):
        found.add(loaded)
    if not found:
        raise NoticeError(f"{link_map} names no runtime file: is it a linker map of lumivex.scr?")
    return sorted({str(Path(path).resolve()) for path in found})


def owning_packages(paths):
    """{Debian package: [file names]} for the given files."""
    result = subprocess.run(["dpkg-query", "-S", *paths], capture_output=True, text=True,
                            check=False)
    owners = {}
    for line in result.stdout.splitlines():
        package, _, path = line.partition(": ")
        for name in package.split(", "):
            owners.setdefault(name.split(":")[0], set()).add(path)
    unowned = [p for p in paths if not any(p in files for files in owners.values())]
    if unowned:
        raise NoticeError("no Debian package owns " + ", ".join(unowned) +
                          ": its licence cannot be looked up")
    return {package: sorted(Path(p).name for p in files) for package, files in owners.items()}


def package_version(package):
    return subprocess.run(["dpkg-query", "-W", "-f", "${Version}", package], capture_output=True,
                          text=True, check=True).stdout.strip()


def copyright_file(package):
    path = Path("/usr/share/doc") / package / "copyright"
    if not path.is_file():
        raise NoticeError(f"{path} is missing: the notice of {package} cannot be taken from it")
    return path


@dataclass
class Paragraph:
    fields: dict   # field name -> value, continuation lines kept as they stand

    @property
    def files(self):
        return self.fields.get("Files", "").split()

    @property
    def license_name(self):
        return self.fields.get("License", "").split("\n", 1)[0].strip()

    @property
    def license_has_text(self):
        return "\n" in self.fields.get("License", "")


def parse_copyright(text):
    """The paragraphs of a copyright file in Debian's machine-readable format."""
    paragraphs = []
    for block in re.split(r"\n[ \t]*\n", text.strip()):
        fields, name = {}, None
        for line in block.splitlines():
            if line[:1] in (" ", "\t") and name:
                fields[name] += "\n" + line
            elif ":" in line:
                name, _, value = line.partition(":")
                fields[name] = value.strip()
        paragraphs.append(Paragraph(fields))
    if not paragraphs or "Format" not in paragraphs[0].fields:
        raise NoticeError("not a machine-readable copyright file")
    return paragraphs


def paragraph_text(paragraph):
    """A paragraph as plain text: Files and Copyright with their further lines aligned, and
    the licence text with the format's one-space indent and its "." blank lines undone."""
    lines = []
    for name in ("Files", "Copyright", "License"):
        if name not in paragraph.fields:
            continue
        first, *rest = paragraph.fields[name].split("\n")
        lines.append(f"{name}: {first}".rstrip())
        for line in rest:
            if name != "License":
                lines.append(" " * (len(name) + 2) + line.strip())
            elif line.strip() == ".":
                lines.append("")
            else:
                lines.append(line[1:].rstrip() if line.startswith(" ") else line.rstrip())
    return "\n".join(lines)


def select(paragraphs, wanted):
    """The file paragraphs that `wanted(pattern)` accepts, and the stand-alone licence
    paragraphs their short licence names refer to."""
    chosen = [p for p in paragraphs[1:] if p.files and any(wanted(f) for f in p.files)]
    referred = {p.license_name for p in chosen if not p.license_has_text}
    texts = [p for p in paragraphs[1:] if not p.files and p.license_name in referred]
    return chosen + texts


def is_mingw_runtime(pattern):
    return pattern == "*" or pattern.startswith("mingw-w64-crt/")


def is_winpthreads(pattern):
    return (pattern.startswith("mingw-w64-libraries/winpthreads/")
            and not pattern.startswith("mingw-w64-libraries/winpthreads/tests_pthread/"))


def gcc_exception_version(text):
    found = re.search(r"GCC RUNTIME LIBRARY EXCEPTION\s+Version ([0-9.]+)", text)
    if not found:
        raise NoticeError("the GCC runtime's copyright file has no GCC Runtime Library Exception")
    return found.group(1)


def section(title, files, body):
    """One notice under a heading that says what it is for: the linked files, or what else."""
    rule = "=" * 78
    heading = textwrap.fill(title, 78, subsequent_indent="  ")
    what = files if isinstance(files, str) else "linked: " + ", ".join(files)
    what = textwrap.fill(what, 78, subsequent_indent="  ")
    return f"{rule}\n{heading}\n{what}\n{rule}\n\n{body.strip()}\n"


def runtime_sections(owners):
    """The notice sections for {package: [linked file names]}."""
    sections = []
    gcc = {package: names for package, names in owners.items() if GCC_PACKAGES.match(package)}
    unknown = set(owners) - set(gcc) - {MINGW_W64}
    if unknown:
        raise NoticeError("; ".join(f"{', '.join(owners[p])} of package {p}" for p in sorted(unknown))
                          + " went into lumivex.scr, and no rule says which notice it needs")
    if MINGW_W64 in owners:
        names = owners[MINGW_W64]
        paragraphs = parse_copyright(copyright_file(MINGW_W64).read_text(errors="replace"))
        source = f"{MINGW_W64} {package_version(MINGW_W64)}"
        for title, files, wanted in (
                ("mingw-w64 runtime", [n for n in names if n not in WINPTHREADS], is_mingw_runtime),
                ("winpthreads", [n for n in names if n in WINPTHREADS], is_winpthreads)):
            if files:
                body = "\n\n".join(paragraph_text(p) for p in select(paragraphs, wanted))
                sections.append(section(f"{title}, from {source}", files, body))
    if gcc:
        versions = {gcc_exception_version(copyright_file(p).read_text(errors="replace"))
                    for p in gcc}
        if len(versions) != 1:
            raise NoticeError(f"the GCC runtime packages name different exceptions: {versions}")
        sources = ", ".join(f"{p} {package_version(p)}" for p in sorted(gcc))
        sentence = ("libgcc and libstdc++ are licensed under the GNU General Public License, "
                    f"version 3 or later, with version {versions.pop()} of the GCC Runtime "
                    "Library Exception, which lets programs compiled with GCC carry these "
                    "libraries under terms of their own choice.")
        sections.append(section(f"GCC runtime libraries, from {sources}",
                                sorted(n for names in gcc.values() for n in names),
                                textwrap.fill(sentence, 78)))
    return sections


def notices_text(link_map, product, font_license):
    """The whole notices file, with Unix line endings."""
    owners = owning_packages(linked_files(link_map))
    intro = (f"Third-party notices for {product.name} {product.version}\n\n"
             "lumivex.scr contains parts of the libraries below, linked into it when it was "
             "built.\nTheir notices are given as the Debian packages that the build used give "
             "them.\nThe glyph artwork is drawn from characters of the IPA Gothic font, under "
             "the\nlicence that ends this file (also IPA-Font-License-v1.0.txt).\n")
    font = section("IPA Gothic font", "used for: the glyph artwork, drawn from its characters",
                   Path(font_license).read_text())
    return "\n".join([intro, *runtime_sections(owners), font])
