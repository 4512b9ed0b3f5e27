"""A whole Wine machine's state, read from its prefix while no session runs:
every registry key and value of HKLM and HKCU (Wine's system.reg and
user.reg) and every file and folder below the Windows directory, each as one
line ("key hklm\\...", "value hklm\\...|name", "file system32\\x.sys",
"folder inf") with what it holds, names lower-cased as Windows compares them.
"""
import hashlib
import os
import re

_ROOTS = (("system.reg", "hklm"), ("user.reg", "hkcu"))
_HASHED_UP_TO = 1 << 20
_KEY_LINE = re.compile(r"^\[(.*)\]\s*\d*\s*$")


def _unquote_name(text):
    """'"a\\"b"=...' -> ('a"b', rest after '=')."""
    if text.startswith("@="):
        return "", text[2:]
    out = []
    i = 1
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            out.append(text[i + 1])
            i += 2
            continue
        if c == '"':
            return "".join(out), text[i + 2:]
        out.append(c)
        i += 1
    return "".join(out), ""


def _key_path(raw):
    # Wine writes a backslash in a key name doubled.
    return raw.replace("\\\\", "\\")


def read_registry(prefix):
    """{"key hklm\\software\\x": "", "value hklm\\software\\x|name": data}."""
    state = {}
    for file_name, root in _ROOTS:
        path = os.path.join(prefix, file_name)
        if not os.path.exists(path):
            continue
        with open(path, encoding="utf-8", errors="replace") as f:
            lines = f.read().split("\n")
        key = None
        pending = ""
        for line in lines:
            line = line.rstrip("\r")
            if pending:
                line = pending + line.lstrip()
                pending = ""
            if line.endswith("\\") and key is not None and not line.startswith("["):
                pending = line[:-1]
                continue
            match = _KEY_LINE.match(line)
            if match:
                key = root + "\\" + _key_path(match.group(1)).lower()
                _add_key(state, key)
                continue
            if key is None or not line or line.startswith("#") or line.startswith(";"):
                continue
            if line.startswith('"') or line.startswith("@="):
                name, data = _unquote_name(line)
                state["value %s|%s" % (key, name.lower())] = data
    return state


def _add_key(state, key):
    # Wine leaves out keys that hold only subkeys: each ancestor is a key too.
    parts = key.split("\\")
    for n in range(2, len(parts) + 1):
        state.setdefault("key " + "\\".join(parts[:n]), "")


def read_files(windows_dir):
    """{"file system32\\x.sys": sha1, "folder inf": ""}, relative to the Windows directory."""
    state = {}
    for root, dirs, files in os.walk(windows_dir):
        rel = os.path.relpath(root, windows_dir)
        base = "" if rel == "." else rel.replace(os.sep, "\\").lower() + "\\"
        for name in dirs:
            state["folder " + base + name.lower()] = ""
        for name in files:
            path = os.path.join(root, name)
            if os.path.islink(path) and not os.path.exists(path):
                state["file " + base + name.lower()] = "dangling link"
                continue
            size = os.path.getsize(path)
            if size >= _HASHED_UP_TO:
                # Wine's own large images: their size and time tell a change.
                state["file " + base + name.lower()] = "%d bytes, %d" % (size, os.path.getmtime(path))
                continue
            digest = hashlib.sha1()
            with open(path, "rb") as f:
                for chunk in iter(lambda: f.read(1 << 16), b""):
                    digest.update(chunk)
            state["file " + base + name.lower()] = digest.hexdigest()
    return state


def read_machine(prefix):
    state = read_registry(prefix)
    state.update(read_files(os.path.join(prefix, "drive_c", "windows")))
    return state


class Patterns:
    """Lines "PATTERN  # reason": PATTERN a glob over the state's lines (case
    ignored, "*" crossing backslashes); each must give its reason."""

    def __init__(self, path):
        self.entries = []  # (pattern, compiled, reason)
        if not os.path.exists(path):
            return
        with open(path, encoding="utf-8") as f:
            for number, line in enumerate(f, 1):
                line = line.strip()
                if not line or line.startswith("#"):
                    continue
                pattern, _, reason = line.partition("  # ")
                if not reason.strip():
                    raise ValueError("%s:%d: an entry needs its reason after '  # '" % (path, number))
                self.entries.append((pattern.strip(), _glob(pattern.strip()), reason.strip()))

    def reason(self, item):
        for pattern, compiled, reason in self.entries:
            if compiled.match(item):
                return pattern, reason
        return None


def _glob(pattern):
    return re.compile("^" + ".*".join(re.escape(p) for p in pattern.lower().split("*")) + "$", re.IGNORECASE)


def compare(before, installed, after, wine_own, allowed):
    """Sorts every difference between before and after.

    collateral: what was there before and is gone or changed; residue: what
    is there now and was not before. Each is Wine's own, allowed (with the
    entry that allows it) or a finding."""
    result = {"collateral": [], "residue": [], "wine": [], "allowed": []}
    for item in sorted(set(before) | set(after)):
        if item in before and item in after and before[item] == after[item]:
            continue
        own = wine_own.reason(item)
        if own:
            result["wine"].append((item, own))
            continue
        if item in before:
            result["collateral"].append((item, "gone" if item not in after else "changed"))
            continue
        allow = allowed.reason(item)
        if allow:
            result["allowed"].append((item, allow))
            continue
        result["residue"].append((item, "made by the install" if item in installed else "made by the removal"))
    return result


def report(failures):
    """Prints the run's verdict; the exit status for it."""
    if failures:
        print("FAILED: %d findings:" % len(failures))
        for f in failures:
            print("  " + f)
        return 1
    print("PASSED: no collateral, no residue beyond the allow-list")
    return 0
