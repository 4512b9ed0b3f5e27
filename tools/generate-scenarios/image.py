"""A scenario folder being made: the machine, its registry, its files, its
user and its expect lines, and how each is written in the scenario format
(tests/scenarios/README.md). The random choices live in parts.py; this module
only holds what was chosen and writes it out.

A new key of machine.ini's [machine] section goes into machine_keys, a new
section into sections (name -> lines), a new file into files, a line the
runners check into expect_lines; a part in parts.py fills it."""
import os

NINE_X = ("win95", "win98", "winme")
NT_ENUM = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum"
NINE_X_ENUM = "HKEY_LOCAL_MACHINE\\Enum"


class RegKey:
    """A key of registry.reg with its value lines, in file order. A value is
    (name, kind, data); name None is the key's default value; kind is one of
    sz, dword, binary, expand, multi (data: a list of texts, or raw bytes for
    an odd list) or delete."""

    def __init__(self, path):
        self.path = path
        self.values = []

    def set(self, name, kind, data=None):
        self.values.append((name, kind, data))
        return self


class Image:
    def __init__(self, seed):
        self.seed = seed
        self.version = "win7"
        self.readonly = []
        self.processes = []
        self.windows = []  # (title, hung)
        self.actions = []
        self.args = ""  # the program's command line after its name
        self.machine_keys = {}  # further [machine] keys, in order
        self.sections = {}  # further machine.ini sections: name -> lines
        self.unicode_registry = False
        self.entries = []  # RegKey, or ("delete", path), in file order
        self.files = {}  # path relative to the Windows directory -> bytes
        self.notes = []  # what was chosen, as comment lines of expect
        self.expect_lines = []  # lines both runners check
        self.known = []  # known-difference lines

    @property
    def nine_x(self):
        return self.version in NINE_X

    def key(self, path):
        for entry in self.entries:
            if isinstance(entry, RegKey) and entry.path.lower() == path.lower():
                return entry
        entry = RegKey(path)
        self.entries.append(entry)
        return entry

    def delete_key(self, path):
        self.entries.append(("delete", path))

    def device(self, instance_id, hardware_ids, class_guid, extra=()):
        """A present device: its Enum key where this family lists devices. A 9x
        machine keeps devnodes under HKLM\\Enum, which the simulated machine
        reads, while Wine lists HKLM\\SYSTEM\\CurrentControlSet\\Enum in every
        mode, so a 9x image holds the device in both places."""
        roots = (NINE_X_ENUM, NT_ENUM) if self.nine_x else (NT_ENUM,)
        for root in roots:
            key = self.key(root + "\\" + instance_id)
            if hardware_ids is not None:
                key.set("HardwareID", "multi", hardware_ids)
            if class_guid is not None:
                key.set("ClassGUID", "sz", class_guid)
            for name, kind, data in extra:
                key.set(name, kind, data)
        if self.nine_x:
            self.know("Windows 98 lists devices from HKLM\\Enum; Wine's SetupAPI from HKLM\\SYSTEM\\"
                      "CurrentControlSet\\Enum in every mode, so the image holds each present device in both places.")

    def put_file(self, relative, data, readonly=False):
        self.files[relative] = data
        if readonly and relative not in self.readonly:
            self.readonly.append(relative)

    def note(self, text):
        self.notes.append(text)

    def know(self, line):
        if line not in self.known:
            self.known.append(line)

    def write(self, folder):
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "machine.ini"), "w", newline="\r\n") as f:
            f.write(self.machine_ini())
        with open(os.path.join(folder, "registry.reg"), "wb") as f:
            f.write(self.registry_bytes())
        for relative, data in sorted(self.files.items()):
            path = os.path.join(folder, "windows", *relative.split("\\"))
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
        with open(os.path.join(folder, "expect"), "w", newline="\n") as f:
            f.write(self.expect_text())

    def machine_ini(self):
        lines = ["; Made by tools/generate-scenarios, seed %d." % self.seed, "[machine]",
                 "version=" + self.version]
        if self.readonly:
            lines.append("readonly=" + "|".join(self.readonly))
        lines += ["%s=%s" % item for item in self.machine_keys.items()]
        if self.processes:
            lines += ["", "[processes]"] + ["%d=%s" % (n, exe) for n, exe in enumerate(self.processes, 1)]
        if self.windows:
            lines += ["", "[windows]"]
            for n, (title, hung) in enumerate(self.windows, 1):
                lines.append("%d=%s" % (n, title))
                if hung:
                    lines.append("%d.hung=1" % n)
        lines += ["", "[user]", "actions=" + " ".join(self.actions)]
        if self.args:
            lines.append("args=" + self.args)
        for name, section in self.sections.items():
            lines += ["", "[%s]" % name] + section
        return "\n".join(lines) + "\n"

    def registry_bytes(self):
        header = "Windows Registry Editor Version 5.00" if self.unicode_registry else "REGEDIT4"
        lines = [header, "", "; Made by tools/generate-scenarios, seed %d." % self.seed, ""]
        for entry in self.entries:
            if isinstance(entry, RegKey):
                lines.append("[%s]" % entry.path)
                lines += [value_line(name, kind, data, self.unicode_registry) for name, kind, data in entry.values]
            else:
                lines.append("[-%s]" % entry[1])
            lines.append("")
        text = "\r\n".join(lines) + "\r\n"
        if self.unicode_registry:
            return b"\xff\xfe" + text.encode("utf-16-le")
        return text.encode("latin-1")

    def expect_text(self):
        lines = ["# Made by tools/generate-scenarios, seed %d: held only against the other world," % self.seed,
                 "# so it says where Wine is known to differ from Windows."]
        lines += ["# " + note for note in self.notes]
        lines += self.expect_lines
        lines += ["known-difference " + line for line in self.known]
        return "\n".join(lines) + "\n"


def quoted(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def hex_bytes(data, head):
    """regedit's hex data: pairs separated by commas, long lines continued with '\\'."""
    pairs = ["%02x" % b for b in data]
    lines, line = [], head
    for n, pair in enumerate(pairs):
        piece = pair + ("," if n + 1 < len(pairs) else "")
        if len(line) + len(piece) > 77:
            lines.append(line + "\\")
            line = "  "
        line += piece
    lines.append(line)
    return "\r\n".join(lines)


def string_bytes(text, unicode_file):
    return text.encode("utf-16-le" if unicode_file else "latin-1")


def value_line(name, kind, data, unicode_file):
    head = "@=" if name is None else quoted(name) + "="
    if kind == "delete":
        return head + "-"
    if kind == "sz":
        return head + quoted(data)
    if kind == "dword":
        return head + "dword:%08x" % data
    if kind == "binary":
        return hex_bytes(data, head + "hex:")
    if kind == "expand":
        return hex_bytes(string_bytes(data + "\0", unicode_file), head + "hex(2):")
    if kind == "multi":
        if isinstance(data, bytes):
            raw = data if not unicode_file else data.decode("latin-1").encode("utf-16-le")
        else:
            raw = string_bytes("".join(text + "\0" for text in data) + "\0", unicode_file)
        return hex_bytes(raw, head + "hex(7):")
    raise ValueError("unknown value kind " + kind)
