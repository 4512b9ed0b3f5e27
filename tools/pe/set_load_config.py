#!/usr/bin/env python3
"""Post-link step: points a PE image's load-configuration data directory at
the program's _load_config_used structure.

    set_load_config.py IMAGE LINK-MAP

Debian 12's MinGW-w64 ld (binutils 2.40) links the structure but leaves the
directory empty, so Windows would never read it. The structure's address comes
from the link map (the image itself is stripped of symbols); the directory's
size is the structure's own Size field, as Windows expects."""
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pe_image import IMAGE_DIRECTORY_ENTRY_LOAD_CONFIG, PeError, PeImage  # noqa: E402

# 32-bit C symbols carry a leading underscore.
SYMBOL = re.compile(r"^\s+0x([0-9a-fA-F]+)\s+_?_load_config_used\s*$")


def symbol_address(map_text):
    for line in map_text.splitlines():
        match = SYMBOL.match(line)
        if match:
            return int(match.group(1), 16)
    raise PeError("the link map names no _load_config_used")


def set_load_config(image_path, map_path):
    image = PeImage.read(image_path)
    with open(map_path, encoding="latin-1") as f:
        address = symbol_address(f.read())
    rva = address - image.image_base
    size = image.u32(image.offset_of(rva))
    if size < 64:
        raise PeError("_load_config_used gives a size of %d" % size)
    image.set_directory(IMAGE_DIRECTORY_ENTRY_LOAD_CONFIG, rva, size)
    with open(image_path, "r+b") as f:
        f.write(image.data)


def main(argv):
    if len(argv) != 3:
        print("usage: set_load_config.py IMAGE LINK-MAP", file=sys.stderr)
        return 2
    try:
        set_load_config(argv[1], argv[2])
    except (OSError, PeError) as e:
        print("set_load_config.py: %s: %s" % (argv[1], e), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
