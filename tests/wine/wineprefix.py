"""Wine prefixes for scenario runs: a cached pristine template, and cheap fresh copies of it."""
import fcntl
import os
import shutil
import subprocess

# Big binaries of the template are shared by hard link; everything a program
# might rewrite in place (registry files, INI files, small files) is copied.
LINK_MIN_SIZE = 64 * 1024
# A 64-bit Windows machine, or a 32-bit one for the 32-bit build.
ARCHES = ("win64", "win32")
LOADER_32 = ("/usr/lib/wine/wine", "/usr/lib32/wine/wine")


def wine_env(prefix, arch="win64", display=None):
    env = dict(os.environ)
    env["WINEPREFIX"] = prefix
    env["WINEDEBUG"] = "-all"
    # No Mono/Gecko installers: wineboot stays quick and offline.
    env["WINEDLLOVERRIDES"] = "mscoree,mshtml="
    env["WINEARCH"] = arch
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    if display:
        env["DISPLAY"] = display
    return env


def loader(arch="win64"):
    """The loader matching the prefix. For win64 the 64-bit one: Debian's "wine"
    prefers the 32-bit one, which resolves built-in programs such as regedit to
    their 32-bit forms."""
    if arch == "win32":
        for path in LOADER_32:
            if os.access(path, os.X_OK):
                return path
        return None
    for path in ("/usr/lib/wine/wine64", "/usr/lib64/wine/wine64"):
        if os.access(path, os.X_OK):
            return path
    return shutil.which("wine64") or "wine"


def has_wine32():
    """Debian's wine32 (multiarch i386): the 32-bit loader and 32-bit Windows DLLs."""
    return loader("win32") is not None and any(
        os.path.isdir(os.path.join(lib, "i386-windows"))
        for lib in ("/usr/lib/wine", "/usr/lib/i386-linux-gnu/wine"))


def fingerprint():
    """Wine's version plus its installed architectures: a prefix made before wine32
    was installed is unusable afterwards, so it must not be reused."""
    version = subprocess.run(["wine", "--version"], capture_output=True, text=True, timeout=60).stdout.strip()
    arches = []
    for lib in ("/usr/lib/wine", "/usr/lib/x86_64-linux-gnu/wine", "/usr/lib/i386-linux-gnu/wine"):
        if os.path.isdir(lib):
            arches += [d for d in os.listdir(lib) if d.endswith("-windows")]
    key = version + "-" + "-".join(sorted(set(arches)))
    return "".join(c if c.isalnum() or c in "._-" else "_" for c in key)


def ensure_template(work, log, arch="win64"):
    os.makedirs(work, exist_ok=True)
    kind = "template-" if arch == "win64" else "template-%s-" % arch
    template = os.path.join(work, kind + fingerprint())
    if os.path.exists(os.path.join(template, ".ready")):
        return template
    with open(os.path.join(work, "template.lock"), "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if os.path.exists(os.path.join(template, ".ready")):
            return template
        log("creating the template Wine prefix (once per Wine version): " + template)
        building = template + ".building"
        shutil.rmtree(building, ignore_errors=True)
        env = wine_env(building, arch)
        subprocess.run([loader(arch), "wineboot", "-i"], env=env, cwd=work, timeout=600,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        # Headless: the null graphics driver, set before any window is made.
        subprocess.run([loader(arch), "reg", "add", "HKCU\\Software\\Wine\\Drivers", "/v", "Graphics", "/d", "null", "/f"],
                       env=env, cwd=work, timeout=120, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        subprocess.run(["wineserver", "-w"], env=env, timeout=120, check=True)
        shutil.rmtree(template, ignore_errors=True)
        os.rename(building, template)
        open(os.path.join(template, ".ready"), "w").close()
    return template


def clone(template, target):
    shutil.rmtree(target, ignore_errors=True)
    for root, dirs, files in os.walk(template):
        rel = os.path.relpath(root, template)
        out = os.path.normpath(os.path.join(target, rel))
        os.makedirs(out, exist_ok=True)
        for name in dirs + files:
            src = os.path.join(root, name)
            dst = os.path.join(out, name)
            if os.path.islink(src):
                os.symlink(os.readlink(src), dst)
                if name in dirs:
                    dirs.remove(name)
            elif name in files and not (rel == "." and name in (".ready", "wineserver")):
                size = os.path.getsize(src)
                if size >= LINK_MIN_SIZE and not name.endswith(".reg"):
                    os.link(src, dst)
                else:
                    shutil.copy2(src, dst)


def resolve(root, relative):
    """The host path of a Windows path below root, matching existing names
    case-insensitively as Windows does; missing parts keep the given case."""
    path = root
    for part in relative.replace("/", "\\").split("\\"):
        if not part:
            continue
        match = part
        if os.path.isdir(path):
            for name in os.listdir(path):
                if name.lower() == part.lower():
                    match = name
                    break
        path = os.path.join(path, match)
    return path


def put_file(source, target):
    """Copies a file over target without touching a template file it may be linked to."""
    os.makedirs(os.path.dirname(target), exist_ok=True)
    if os.path.lexists(target):
        os.unlink(target)
    shutil.copy2(source, target)


def make_read_only(path):
    if os.stat(path).st_nlink > 1:
        private = path + ".private"
        shutil.copy2(path, private)
        os.replace(private, path)
    mode = os.stat(path).st_mode
    os.chmod(path, mode & ~0o222)


def keep_session(prefix):
    """Starts the prefix's wineserver so that it stays until kill(): one session
    (a new one would carry out WININIT.INI and the pending renames)."""
    subprocess.run(["wineserver", "-p"], env=wine_env(prefix), timeout=60,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def kill(prefix):
    subprocess.run(["wineserver", "-k"], env=wine_env(prefix), timeout=60,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def remove(prefix):
    # Read-only files inside would stop nothing on Linux, but be thorough.
    shutil.rmtree(prefix, ignore_errors=True)
