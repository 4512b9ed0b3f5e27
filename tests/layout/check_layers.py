#!/usr/bin/env python3
"""Fails when a source file includes a header of a folder above its own.

The folders stand in layers, lowest first; a file may include its own folder
and any folder of a lower layer. Folders of one layer stand side by side and
never include one another. Prints each include that breaks this, and with
--graph every folder's includes.

Exit status: 0 one direction only, 1 not.
"""
import argparse
import os
import re
import sys

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

# Lowest first. The uninstaller, then the preview and the images it ships,
# then what tests them.
LAYERS = [
    ["platform"],
    ["log"],
    ["profile"],
    ["devices"],
    ["removal"],
    ["app"],
    ["image"],
    ["preview", "harness"],
    ["tools/drvuninst-sim", "tools/fault-sweep", "fuzz", "bench"],
    ["tests/unit", "tests/wine"],
]
RANK = {folder: rank for rank, layer in enumerate(LAYERS) for folder in layer}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def folder_of(path):
    """The layer folder a repository path belongs to, or None."""
    parts = path.split("/")
    for depth in (2, 1):
        folder = "/".join(parts[:depth])
        if len(parts) > depth and folder in RANK:
            return folder
    return None


def sources():
    for dirpath, dirnames, names in os.walk(REPO):
        dirnames[:] = [d for d in dirnames if not d.startswith(".") and d != "build"]
        for name in names:
            if name.endswith((".cpp", ".h")):
                path = os.path.join(dirpath, name)
                yield os.path.relpath(path, REPO).replace(os.sep, "/")


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--graph", action="store_true", help="print every folder's includes")
    args = p.parse_args()

    graph = {}
    broken = []
    for path in sorted(sources()):
        source = folder_of(path)
        if source is None:
            broken.append(f"{path}: in no layer (add its folder to LAYERS)")
            continue
        with open(os.path.join(REPO, path), encoding="latin-1") as f:
            text = f.read()
        for header in INCLUDE.findall(text):
            target = folder_of(header)
            if target is None or target == source:
                continue
            graph.setdefault(source, set()).add(target)
            if RANK[target] >= RANK[source]:
                broken.append(f"{path}: includes {header} ({target} is not below {source})")
    if args.graph:
        for folder in sorted(graph, key=lambda f: RANK[f]):
            print(f"{folder} -> {', '.join(sorted(graph[folder], key=lambda f: RANK[f]))}")
    for line in broken:
        print(line)
    if broken:
        print(f"{len(broken)} include(s) against the layers")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
