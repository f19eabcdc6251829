#!/usr/bin/python3
"""Checks that the program's layers point one way.

Each folder under src/ may include only from itself and the folders listed below it in LAYERS,
and each library made under src/ may link only libraries of those folders; the libraries'
links must form no cycle. Prints every breach and exits 1 when there is one.

    check_layers.py [source root]
"""

import re
import sys
from pathlib import Path

# Folder -> the folders it may include from and link against (besides itself). A host of the
# rain (app/, or another platform's) sits on top and is the only place where parts meet.
LAYERS = {
    "base": set(),
    "engine": {"base"},
    "forms": {"base"},
    "platform": {"base", "engine"},
    "settings": {"base", "engine", "forms"},
    "saver": {"base", "engine", "forms", "platform"},
    "app": {"base", "engine", "forms", "platform", "settings", "saver"},
    "linux": {"base", "engine", "settings"},
    "x11": {"base", "engine", "settings", "linux"},
    "wayland": {"base", "engine", "settings", "linux"},
    "linux_app": {"base", "engine", "settings", "linux", "x11", "wayland"},
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
ADD_LIBRARY = re.compile(r"add_library\(\s*(\w+)")
LINK = re.compile(r"target_link_libraries\(\s*(\w+)([^)]*)\)", re.S)


def include_breaches(src):
    breaches = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp") or not path.is_file():
            continue
        folder = path.relative_to(src).parts[0]
        if folder not in LAYERS:
            breaches.append(f"{path.relative_to(src)}: folder '{folder}' has no place in the layers")
            continue
        for included in INCLUDE.findall(path.read_text(errors="replace")):
            target = included.split("/")[0] if "/" in included else folder
            if target != folder and target in LAYERS and target not in LAYERS[folder]:
                breaches.append(f"{path.relative_to(src)} includes {included}: '{folder}' may not "
                                f"include from '{target}'")
    return breaches


def libraries(src):
    """Our libraries: name -> (folder, the names it links)."""
    found = {}
    for cmake in sorted(src.rglob("CMakeLists.txt")):
        folder = cmake.relative_to(src).parts[0]
        text = re.sub(r"#.*", "", cmake.read_text())
        for name in ADD_LIBRARY.findall(text):
            found[name] = (folder, set())
        for name, rest in LINK.findall(text):
            if name in found:
                found[name][1].update(w for w in rest.split() if w not in ("PUBLIC", "PRIVATE", "INTERFACE"))
    return found


def link_breaches(libs):
    breaches = []
    for name, (folder, links) in sorted(libs.items()):
        for other in sorted(links & libs.keys()):
            other_folder = libs[other][0]
            if other_folder != folder and other_folder not in LAYERS.get(folder, set()):
                breaches.append(f"{name} ({folder}) links {other} ({other_folder})")
    # A cycle among the libraries: depth-first search with colours.
    state = {}

    def visit(name, path):
        state[name] = "open"
        for other in sorted(libs[name][1] & libs.keys()):
            if state.get(other) == "open":
                cycle = path[path.index(other):] + [other]
                breaches.append("library cycle: " + " -> ".join(cycle))
            elif other not in state:
                visit(other, path + [other])
        state[name] = "done"

    for name in sorted(libs):
        if name not in state:
            visit(name, [name])
    return breaches


def main(argv):
    root = Path(argv[1] if len(argv) > 1 else Path(__file__).resolve().parents[1])
    src = root / "src"
    breaches = include_breaches(src) + link_breaches(libraries(src))
    for breach in breaches:
        print(breach)
    if breaches:
        return 1
    print(f"layers: {len(LAYERS)} folders, includes and links point one way")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
