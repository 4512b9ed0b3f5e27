#!/usr/bin/env python3
"""The 32-bit program loads on Windows 98 SE: every function its import table
names is in the committed list of what that Windows provides, and the
program's own code (its object files) calls none of the W functions the
runtime imports, which Windows 98 has only as failing stubs.

    check_imports.py PROGRAM.exe FUNCTION-LIST OBJECT-DIRECTORY

Exit status: 0 passed, 1 failed, 77 the 32-bit build or its tools are missing."""
import os
import re
import shutil
import subprocess
import sys

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(REPO, "tools", "pe"))
from pe_image import PeImage  # noqa: E402

SKIP = 77
NM = "i686-w64-mingw32-nm"
# "__imp__RegOpenKeyA@12", "_lstrcatA@8", "__imp___strnicmp": the function's name.
UNDEFINED = re.compile(r"^\s*U (?:__imp_)?_?([A-Za-z_][A-Za-z0-9_]*?)(?:@\d+)?$")


def read_list(path):
    allowed = set()
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if line:
                library, function = line.split()
                allowed.add((library.lower(), function))
    return allowed


def own_calls(object_dir):
    """Every external name the program's own object files refer to."""
    names = set()
    for root, _, files in os.walk(object_dir):
        for name in files:
            if name.endswith(".obj"):
                out = subprocess.run([NM, "-u", os.path.join(root, name)], capture_output=True, text=True,
                                     check=True).stdout
                names.update(m.group(1) for m in map(UNDEFINED.match, out.splitlines()) if m)
    return names


def main(argv):
    if len(argv) != 4:
        print(__doc__)
        return 2
    program, list_path, object_dir = argv[1:]
    if not os.path.exists(program) or not os.path.isdir(object_dir) or shutil.which(NM) is None:
        print("SKIP: the 32-bit build (windows-x86 preset) or %s is missing" % NM)
        return SKIP
    allowed = read_list(list_path)
    imports = PeImage.read(program).imports()
    failures = []
    for library, functions in sorted(imports.items()):
        for function in functions:
            if (library, function) not in allowed:
                failures.append("%s imports %s from %s, which is not on the Windows 98 SE list"
                                % (os.path.basename(program), function, library))
    wide = {f for functions in imports.values() for f in functions if f.endswith("W")}
    for function in sorted(wide & own_calls(object_dir)):
        failures.append("the program's own code calls %s, a failing stub on Windows 98" % function)
    if failures:
        print("FAILED:")
        for f in failures:
            print("  " + f)
        return 1
    count = sum(len(f) for f in imports.values())
    print("PASSED: %d imports from %d libraries, all on the Windows 98 SE list; the runtime's W functions (%s) "
          "are not called by the program's own code" % (count, len(imports), ", ".join(sorted(wide)) or "none"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
