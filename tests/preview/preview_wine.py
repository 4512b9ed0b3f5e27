"""Running DrvUninstPreview.exe under Wine for the preview's own tests: in a
private copy of the template prefix, so no session touches the template."""
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "wine"))
import wineprefix  # noqa: E402

SKIP = 77
WORK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "build", "wine-prefixes")


def missing(exe, arch):
    """Why the preview cannot run under Wine here, or None."""
    if shutil.which("wine") is None or wineprefix.loader(arch) is None:
        return "Wine is not installed"
    if arch == "win32" and not wineprefix.has_wine32():
        return "32-bit Wine (Debian's wine32:i386) is not installed"
    if not exe or not os.path.exists(exe):
        return "%s is not built" % exe
    return None


class Prefix:
    def __init__(self, work, arch, name):
        template = wineprefix.ensure_template(os.path.abspath(work), print, arch)
        self.arch = arch
        self.path = os.path.join(os.path.abspath(work), "%s-%d" % (name, os.getpid()))
        wineprefix.clone(template, self.path)

    def run(self, exe, args, stdout=subprocess.PIPE):
        return subprocess.run([wineprefix.loader(self.arch), exe] + args, stdout=stdout, stderr=subprocess.PIPE,
                              env=wineprefix.wine_env(self.path, self.arch), timeout=300)

    def remove(self):
        wineprefix.kill(self.path)
        wineprefix.remove(self.path)


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def prefix_or_skip(exe, arch, work, name):
    """A private prefix to run exe in, or None (having said why) when Wine or
    the build is missing."""
    why = missing(exe, arch)
    if why:
        print("SKIP: " + why)
        return None
    return Prefix(work, arch, name)
