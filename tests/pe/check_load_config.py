#!/usr/bin/env python3
"""A shipped program asks the loader for DLLs from the system folder only: its
load configuration is where the data directory points, DependentLoadFlags is
LOAD_LIBRARY_SEARCH_SYSTEM32, the sizes agree (64 bytes for a 32-bit image,
which Windows XP requires), and it carries no debug sections.

    check_load_config.py PROGRAM.exe...

Exit status: 0 passed, 1 failed, 77 a build is missing."""
import os
import sys

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(REPO, "tools", "pe"))
from pe_image import PeError, PeImage  # noqa: E402

SKIP = 77
LOAD_LIBRARY_SEARCH_SYSTEM32 = 0x800


def problems_of(path):
    image = PeImage.read(path)
    found = []
    config = image.load_config()
    if config is None:
        return ["no load configuration: the data directory is empty"]
    directory_size, struct_size, flags = config
    if directory_size != struct_size:
        found.append("the data directory says %d bytes, the structure %d" % (directory_size, struct_size))
    if not image.is_64bit and struct_size != 64:
        found.append("a 32-bit load configuration of %d bytes (Windows XP takes only 64)" % struct_size)
    if flags != LOAD_LIBRARY_SEARCH_SYSTEM32:
        found.append("DependentLoadFlags is %s, not 0x800" % (hex(flags) if flags is not None else "missing"))
    debug = [name for name in image.section_names() if name.startswith(".debug") or name.startswith("/")]
    if debug:
        found.append("debug sections left in: " + ", ".join(debug))
    return found


def main(argv):
    programs = argv[1:]
    missing = [p for p in programs if not os.path.exists(p)]
    if not programs or missing:
        print("SKIP: the build is missing: " + ", ".join(missing or ["(no program named)"]))
        return SKIP
    failures = []
    for path in programs:
        try:
            failures += ["%s: %s" % (path, p) for p in problems_of(path)]
        except (OSError, PeError) as e:
            failures.append("%s: unreadable: %s" % (path, e))
    if failures:
        print("FAILED:")
        for f in failures:
            print("  " + f)
        return 1
    print("PASSED: %d programs load their DLLs from the system folder only and carry no debug sections"
          % len(programs))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
