"""What Windows' installer lays down for an "installed by Windows" folder, as
the install helper (tests/wine/tools/installpkg.cpp) asks for it: the
published INF, its PNF and catalog, the driver store folder (Vista and
later), the copied files, each device's Enum key and driver key, the
services, the INF's AddReg, the Uninstall entry. Written as a registry image
and files, for the simulated machine.

The INF is read the way setupapi reads it for these packages: sections,
"key = fields" lines, %strings%, quoted fields; enough for the INFs here,
not every INF there is.
"""
import datetime
import os
import re

DIRIDS = {"10": "", "11": "system32", "12": "system32\\drivers"}
CATROOT = "system32\\catroot\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}"
SPSVCINST_ASSOCSERVICE = 0x2
FLG_ADDREG_TYPE_MULTI_SZ = 0x00010000
FLG_ADDREG_APPEND = 0x00000008
FLG_ADDREG_TYPE_DWORD = 0x00010001
NT6 = ("vista", "win2008", "win7", "win2008r2", "win8", "win81", "win10")


class Inf:
    def __init__(self, path):
        self.sections = {}
        current = None
        with open(path, encoding="latin-1") as f:
            for raw in f:
                line = self._strip_comment(raw).strip()
                if not line:
                    continue
                if line.startswith("[") and line.endswith("]"):
                    current = self.sections.setdefault(line[1:-1].strip().lower(), [])
                    continue
                if current is not None:
                    current.append(line)
        self.strings = {}
        for line in self.sections.get("strings", []):
            key, _, value = line.partition("=")
            self.strings[key.strip().lower()] = self._unquote(value.strip())

    @staticmethod
    def _strip_comment(line):
        quoted = False
        for i, c in enumerate(line):
            if c == '"':
                quoted = not quoted
            elif c == ";" and not quoted:
                return line[:i]
        return line

    @staticmethod
    def _unquote(text):
        return text[1:-1] if len(text) >= 2 and text[0] == '"' and text[-1] == '"' else text

    def expand(self, text):
        def one(match):
            name = match.group(1).lower()
            if name in DIRIDS:
                return "C:\\windows" + ("\\" + DIRIDS[name] if DIRIDS[name] else "")
            return self.strings.get(name, match.group(0))
        return re.sub(r"%([^%]+)%", one, text)

    def lines(self, section):
        """(key or None, [fields]) per line, strings put in."""
        out = []
        for line in self.sections.get(section.lower(), []):
            key, eq, rest = line.partition("=")
            if not eq:
                key, rest = None, line
            else:
                key = self.expand(self._unquote(key.strip()))
            fields = [self.expand(self._unquote(f.strip())) for f in _split_fields(rest)]
            out.append((key, fields))
        return out

    def value(self, section, key, index=0):
        for k, fields in self.lines(section):
            if k is not None and k.lower() == key.lower() and len(fields) > index:
                return fields[index]
        return ""


def _split_fields(text):
    fields, current, quoted = [], "", False
    for c in text:
        if c == '"':
            quoted = not quoted
            current += c
        elif c == "," and not quoted:
            fields.append(current)
            current = ""
        else:
            current += c
    fields.append(current)
    return fields


def _reg_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def _hex(data):
    return ",".join("%02x" % b for b in data)


def _multi(strings):
    return "hex(7):" + _hex(b"".join(s.encode("latin-1") + b"\0" for s in strings) + b"\0")


class Image:
    """Registry sections ({path: {name: data text}}) and files ({relative: bytes})."""

    def __init__(self):
        self.keys = {}
        self.files = {}

    def key(self, path):
        return self.keys.setdefault(path, {})

    def reg_text(self):
        out = []
        for path, values in self.keys.items():
            out.append("[%s]" % path)
            for name, data in values.items():
                out.append("%s=%s" % ("@" if name == "" else _reg_string(name), data))
            out.append("")
        return "\r\n".join(out)


def _models(inf):
    """(description, install section, hardware ID) of every model line."""
    models = []
    for _, fields in inf.lines("Manufacturer"):
        base = fields[0]
        sections = [base] + ["%s.%s" % (base, d) for d in fields[1:]]
        for section in sections:
            for key, model in inf.lines(section):
                if key is None:
                    continue
                for hwid in model[1:]:
                    models.append((key, model[0], hwid))
    return models


def _install_section(inf, section):
    """The decorated install section Windows picks on x64 (.NTamd64, .NT) or the plain one."""
    for name in (section + ".NTamd64", section + ".NT", section):
        if name.lower() in inf.sections:
            return name
    return section


def _add_reg(inf, image, sections, hkr, hklm_prefix="HKEY_LOCAL_MACHINE\\", existing=None):
    for section in sections:
        for _, fields in inf.lines(section):
            fields += [""] * (5 - len(fields))
            root, subkey, name, flags, value = fields[:5]
            flags = int(flags, 0) if flags else 0
            if root.upper() == "HKR":
                path = hkr + ("\\" + subkey if subkey else "")
            elif root.upper() == "HKLM":
                path = hklm_prefix + subkey
            else:
                continue
            if flags == FLG_ADDREG_TYPE_DWORD:
                data = "dword:%08x" % int(value, 0)
            elif flags & FLG_ADDREG_TYPE_MULTI_SZ:
                items = [v for v in fields[4:] if v]
                if flags & FLG_ADDREG_APPEND:
                    # Appends to the list the machine holds; a missing list stays missing on Wine.
                    now = (existing or {}).get((path.lower(), name.lower()))
                    if now is None:
                        continue
                    items = now + [i for i in items if i.lower() not in (n.lower() for n in now)]
                data = _multi(items)
            else:
                data = _reg_string(value)
            image.key(path)[name] = data


def model(folder, install, version, first_free_oem, clean_multi):
    """The image Windows' installer adds to the clean machine; clean_multi:
    {(key path lower, value name lower): [strings]} of the clean machine."""
    inf_path = os.path.join(folder, "package", install["inf"])
    inf = Inf(inf_path)
    image = Image()
    oem = "oem%d" % first_free_oem
    raw = open(inf_path, "rb").read()
    image.files["inf\\%s.inf" % oem] = raw
    image.files["inf\\%s.pnf" % oem] = b"compiled INF"
    catalog = inf.value("Version", "CatalogFile")
    if catalog:
        image.files[CATROOT + "\\%s.cat" % oem] = open(os.path.join(folder, "package", catalog), "rb").read()
    if version.lower() in NT6:
        store = "system32\\DriverStore\\FileRepository\\%s_amd64_0123456789abcdef\\" % install["inf"].lower()
        for name in sorted(os.listdir(os.path.join(folder, "package"))):
            image.files[store + name] = open(os.path.join(folder, "package", name), "rb").read()
    class_guid = inf.value("Version", "ClassGuid").upper()
    class_name = inf.value("Version", "Class")
    provider = inf.value("Version", "Provider")
    date = inf.value("Version", "DriverVer", 0)
    driver_version = inf.value("Version", "DriverVer", 1)
    month, day, year = (int(x) for x in date.split("/"))
    filetime = int((datetime.datetime(year, month, day) - datetime.datetime(1601, 1, 1)).total_seconds()) * 10 ** 7
    models = _models(inf)
    copied = set()
    services = {}
    for n, hwid in enumerate(install["devices"]):
        description, section = next((d, s) for d, s, h in models if h.lower() == hwid.lower())
        section = _install_section(inf, section)
        instance = "%04d" % n
        driver = "%s\\%s" % (class_guid, instance)
        class_key = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Class\\" + driver
        enum_key = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\ROOT\\%s\\%s" % (class_name.upper(), instance)
        for key, fields in inf.lines(section):
            if key and key.lower() == "copyfiles":
                for copy in fields:
                    copied.add(copy)
        main_service = None
        for key, fields in inf.lines(section + ".Services"):
            if key and key.lower() == "addservice":
                flags = int(fields[1], 0) if len(fields) > 1 and fields[1] else 0
                services[fields[0]] = fields[2]
                if flags & SPSVCINST_ASSOCSERVICE:
                    main_service = fields[0]
        values = image.key(enum_key)
        values["HardwareID"] = _multi([hwid])
        values["ClassGUID"] = _reg_string(class_guid)
        values["Class"] = _reg_string(class_name)
        values["Driver"] = _reg_string(driver)
        values["DeviceDesc"] = _reg_string(description)
        values["ConfigFlags"] = "dword:00000000"
        if main_service:
            values["Service"] = _reg_string(main_service)
        hw = [f for k, fs in inf.lines(section + ".HW") if k and k.lower() == "addreg" for f in fs]
        image.key(enum_key + "\\Device Parameters")
        _add_reg(inf, image, hw, enum_key + "\\Device Parameters")
        image.key(class_key).update({
            "InfPath": _reg_string(oem + ".inf"), "InfSection": _reg_string(section),
            "DriverDesc": _reg_string(description), "ProviderName": _reg_string(provider),
            "DriverVersion": _reg_string(driver_version),
            "DriverDate": _reg_string("%d-%d-%d" % (month, day, year)),
            "DriverDateData": "hex:" + _hex(filetime.to_bytes(8, "little")),
            "MatchingDeviceId": _reg_string(hwid)})
        regs = [f for k, fs in inf.lines(section) if k and k.lower() == "addreg" for f in fs]
        _add_reg(inf, image, regs, class_key, existing=clean_multi)
    for section in copied:
        target = DIRIDS.get(inf.value("DestinationDirs", section).split(",")[0] or "",
                            DIRIDS.get(inf.value("DestinationDirs", "DefaultDestDir"), "system32\\drivers"))
        for key, fields in inf.lines(section):
            name = fields[0] if key is None else key
            image.files[(target + "\\" if target else "") + name] = open(
                os.path.join(folder, "package", name), "rb").read()
    for name, section in services.items():
        values = image.key("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\" + name)
        for key, fields in inf.lines(section):
            if key is None:
                continue
            k = key.lower()
            if k == "displayname":
                values["DisplayName"] = _reg_string(fields[0])
            elif k in ("servicetype", "starttype", "errorcontrol"):
                values[{"servicetype": "Type", "starttype": "Start", "errorcontrol": "ErrorControl"}[k]] = \
                    "dword:%08x" % int(fields[0], 0)
            elif k == "servicebinary":
                # REG_EXPAND_SZ, as the service control manager keeps a driver's image path.
                path = "\\SystemRoot\\System32\\drivers\\" + fields[0].rsplit("\\", 1)[-1]
                values["ImagePath"] = "hex(2):" + _hex(path.encode("latin-1") + b"\0")
    for copy in install["copies"]:
        source, _, target = copy.partition("|")
        image.files[target] = open(os.path.join(folder, "package", source), "rb").read()
    if install["uninstall"]:
        key, name, command = install["uninstall"].split("|")
        values = image.key("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + key)
        values["DisplayName"] = _reg_string(name)
        values["UninstallString"] = _reg_string(command)
    return image
