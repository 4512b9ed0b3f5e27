"""Reads a scenario folder: machine.ini, registry.reg, windows/ and expect."""
import configparser
import os
import re

DEFAULT_VERSION = "win7"
ACTIONS = ("ok", "esc", "close", "box-ok")
IN_USE = ("open", "loaded", "running")
def log_path(args):
    """The FILE of a /log FILE (or -log, any case) in the program's arguments,
    read as the program reads them: blank-separated words, double quotes
    keeping blanks in a word; None without one."""
    words, word, quoted, inside = [], "", False, False
    for c in args + " ":
        if c == '"':
            inside, quoted = not inside, True
        elif c in " \t" and not inside:
            if word or quoted:
                words.append((word, quoted))
            word, quoted = "", False
        else:
            word += c
    for i, (word, quoted) in enumerate(words[:-1]):
        if not quoted and word[:1] in "/-" and word[1:].lower() == "log":
            return words[i + 1][0]
    return None


# What can still be checked once the machine restarted: its state, not the run.
AFTER_RESTART = ("key-present", "key-absent", "value", "file-present", "file-absent", "attributes",
                 "process-alive", "process-gone", "window-alive", "window-gone", "known-difference")
# Names Wine accepts for HKCU\Software\Wine "Version".
VERSIONS = ("win95", "win98", "winme", "nt351", "nt40", "win2k", "winxp", "winxp64", "win2003",
            "vista", "win2008", "win7", "win2008r2", "win8", "win81", "win10")


class Scenario:
    def __init__(self, folder):
        self.folder = os.path.abspath(folder)
        self.name = os.path.basename(self.folder.rstrip(os.sep))
        self.version = DEFAULT_VERSION
        self.bits = None  # 32 or 64 when the machine must be that Windows
        self.readonly = []
        self.in_use = []  # (path, how)
        self.processes = []
        self.windows = []  # (title, hung)
        self.actions = []
        self.args = ""  # the program's command line after its name
        self.faults = []  # "API|error|subject": calls only the simulated machine can make fail
        self._read_machine()
        lines = read_expect(os.path.join(self.folder, "expect"))
        marks = [i for i, (_, keyword, _) in enumerate(lines) if keyword == "restart"]
        self.restart = bool(marks)
        # Lines below "restart" hold once the machine restarted.
        self.expect = lines[:marks[0]] if marks else lines
        self.after_restart = [line for line in lines[marks[0] + 1:] if line[1] != "restart"] if marks else []
        bad = [kw for _, kw, _ in self.after_restart if kw not in AFTER_RESTART] + (["restart"] if len(marks) > 1 else [])
        if bad:
            raise ValueError("expect: only the machine's state can be checked after the restart: " + " ".join(bad))
        self.registry_path = os.path.join(self.folder, "registry.reg")
        self.windows_dir = os.path.join(self.folder, "windows")

    def _read_machine(self):
        path = os.path.join(self.folder, "machine.ini")
        if not os.path.exists(path):
            return
        ini = configparser.ConfigParser(inline_comment_prefixes=(";",), interpolation=None, strict=False)
        ini.optionxform = str
        with open(path, encoding="utf-8-sig") as f:
            ini.read_file(f)
        if ini.has_section("machine"):
            m = ini["machine"]
            self.version = m.get("version", DEFAULT_VERSION).strip() or DEFAULT_VERSION
            self.readonly = [p.strip() for p in m.get("readonly", "").split("|") if p.strip()]
            for entry in (p.strip() for p in m.get("inuse", "").split("|") if p.strip()):
                path, _, how = entry.rpartition(":")
                if how not in IN_USE or not path:
                    raise ValueError("machine.ini: a file in use needs path:open, path:loaded or path:running: " + entry)
                self.in_use.append((path.replace("/", "\\"), how))
            bits = m.get("bits", "").strip()
            if bits and bits not in ("32", "64"):
                raise ValueError("machine.ini: bits is 32 or 64, not %s" % bits)
            self.bits = int(bits) if bits else None
        if ini.has_section("processes"):
            self.processes = [v.strip() for _, v in _numbered(ini["processes"]) if v.strip()]
        if ini.has_section("windows"):
            w = ini["windows"]
            for key, title in _numbered(w):
                hung = w.get(key + ".hung", "0").strip() == "1"
                self.windows.append((title.strip(), hung))
        if ini.has_section("faults"):
            self.faults = [v.strip() for _, v in _numbered(ini["faults"]) if v.strip()]
        if ini.has_section("user"):
            self.actions = ini["user"].get("actions", "").split()
            self.args = ini["user"].get("args", "").strip()
        unknown = [a for a in self.actions if a not in ACTIONS]
        if unknown:
            raise ValueError("machine.ini: unknown user action %s" % " ".join(unknown))
        if self.version.lower() not in VERSIONS:
            raise ValueError("machine.ini: unknown Windows version %s" % self.version)

    def files(self):
        """Relative paths (backslash-separated) of the files under windows/."""
        found = []
        for root, _, names in os.walk(self.windows_dir):
            for name in names:
                rel = os.path.relpath(os.path.join(root, name), self.windows_dir)
                found.append(rel.replace(os.sep, "\\"))
        return sorted(found, key=str.lower)

    def registry_text(self):
        """The .reg file as text, and whether it was UTF-16 (as Windows exports it)."""
        if not os.path.exists(self.registry_path):
            return None, False
        raw = open(self.registry_path, "rb").read()
        if raw.startswith(b"\xff\xfe"):
            return raw.decode("utf-16"), True
        return raw.decode("latin-1"), False

    def _registry_sections(self):
        """Each key the image creates, in file order with the root spelled HKLM/HKCU, and its lines."""
        text, _ = self.registry_text()
        key, lines = None, []
        for line in (text or "").splitlines():
            line = line.strip()
            if line.startswith("[") and line.endswith("]"):
                if key is not None:
                    yield key, lines
                key, lines = (None if line.startswith("[-") else short_root(line[1:-1])), []
            elif key is not None:
                lines.append(line)
        if key is not None:
            yield key, lines

    def registry_keys(self):
        """Keys the image creates, in file order, with the root spelled HKLM/HKCU."""
        return [key for key, _ in self._registry_sections()]

    def registry_values(self):
        """(key, name), lower-cased, of every value the image sets; "" names the default value."""
        found = set()
        for key, lines in self._registry_sections():
            for line in lines:
                named = re.match(r'^"((?:[^"\\]|\\.)*)"=', line) or re.match(r"^(@)=", line)
                if named:
                    found.add((key.lower(), "" if named.group(1) == "@" else named.group(1).replace("\\\\", "\\").lower()))
        return found


def _numbered(section):
    items = [(k, v) for k, v in section.items() if k.isdigit()]
    return sorted(items, key=lambda kv: int(kv[0]))


def short_root(path):
    path = re.sub(r"^HKEY_LOCAL_MACHINE(?=\\|$)", "HKLM", path, flags=re.I)
    return re.sub(r"^HKEY_CURRENT_USER(?=\\|$)", "HKCU", path, flags=re.I)


def is_device_key(path):
    """An Enum\\<bus>\\<device>\\<instance> key: a Plug-and-Play device."""
    parts = short_root(path).split("\\")
    lower = [p.lower() for p in parts]
    if lower[:4] != ["hklm", "system", "currentcontrolset", "enum"]:
        return False
    return len(parts) == 7


def read_expect(path):
    """(line number, keyword, argument) for every expect line."""
    lines = []
    if not os.path.exists(path):
        return lines
    with open(path, encoding="utf-8-sig") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\r\n")
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            keyword, _, argument = line.partition(" ")
            lines.append((number, keyword, argument))
    return lines
