"""The random choices of a generated machine, one part per field of the
scenario format. Each part is a function part(rng, image, package, options)
that adds its field to the image; PARTS runs them in order. A new field of the format is
one more function appended to PARTS (and, where it needs one, a writer in
image.py).

A package (the tuner drivers a machine may have installed) is drawn first so
that the profile, the registry and the files can agree with each other, or,
with the odds each part gives, not quite."""
import random

from image import NT_ENUM

MEDIA_CLASS = "{4D36E96C-E325-11CE-BFC1-08002BE10318}"
IMAGING_CLASS = "{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}"
OTHER_CLASSES = ("{4D36E97D-E325-11CE-BFC1-08002BE10318}", "{745A17A0-74D3-11D0-B6FE-00A0C90F57DA}")
UNINSTALL = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
SERVICES = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services"
NT_CLASS = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Class"
NINE_X_MEDIA = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Class\\MEDIA"

NT_VERSIONS = ("nt40", "win2k", "winxp", "win2003", "vista", "win7", "win8", "win81", "win10")
NINE_X_VERSIONS = ("win95", "win98", "winme")
# A manifested program sees 6.3 on Windows 8.1 and 10.0 on Windows 10, and the
# simulated machine reports them so; the switch that left them out stays for
# comparing with older builds (--with-win8-win10 overrides it).
AVOID_WIN8_AND_WIN10 = False

# The fresh machine's own devices (platform/sim/standard_devices.cpp). The
# display adapter and the monitor come back under Wine whenever its desktop
# starts, so an image may take only the others away.
REMOVABLE_FRESH_DEVICES = ("HID\\VID_845E&PID_0001", "HID\\VID_845E&PID_0002", "WINEBUS\\VID_845E&PID_0001",
                           "WINEBUS\\VID_845E&PID_0002", "ROOT\\WINE")
COUNTRIES = (1, 1, 1, 33, 49, 81, 886)
PRODUCTS = ("Velmor Lumex WDM Drivers", "Kestrel DVB-T Tuner Drivers", "Orin TV Capture Suite")


class Device:
    def __init__(self, bus, name, instance, hardware_ids, description, sys_file, inf_file):
        self.bus = bus
        self.name = name  # the device key: the hardware ID's tail on this bus
        self.instance = instance
        self.hardware_ids = hardware_ids
        self.description = description
        self.sys_file = sys_file
        self.inf_file = inf_file

    @property
    def instance_id(self):
        return "%s\\%s\\%s" % (self.bus, self.name, self.instance)


class Package:
    """What one installation of the tuner drivers put on a machine."""

    def __init__(self, rng):
        self.product = rng.choice(PRODUCTS)
        self.vendor = rng.choice(("1D7A", "1B7C", "14F1"))
        self.uninstall_key = rng.choice((self.product, "{8A1F2C3D-4B5E-4F60-9A7B-%012X}" % rng.getrandbits(48)))
        self.uninstaller = rng.choice(("q7nunist.exe", "kstunist.exe", "Uninst.EXE"))
        self.devices = [self.new_device(rng, n) for n in range(rng.randint(1, 3))]
        self.extensions = [self.new_stream_device(rng, n) for n in range(rng.randint(0, 2))]
        self.support_files = ["lumex%d.dll" % n for n in range(rng.randint(0, 3))]
        self.services = sorted({d.sys_file[:-4] for d in self.devices + self.extensions})
        self.country = rng.choice(COUNTRIES)

    def new_device(self, rng, n):
        if rng.random() < 0.25:
            ident = "USB\\VID_%s&PID_0F%d%d" % (self.vendor, 4 + n, rng.randint(0, 9))
            return Device("USB", ident[4:], "5&%X&0&%d" % (rng.getrandbits(28), n + 1),
                          [ident + "&REV_0100", ident], "DVB-T USB Tuner %d" % n, "lumexusb%d.sys" % n,
                          "oem%d.inf" % (10 + n))
        ident = "PCI\\VEN_%s&DEV_0F%d%d" % (self.vendor, 3 + n, rng.randint(0, 9))
        full = ident + "&SUBSYS_%04X%s&REV_01" % (rng.choice((1, 2, 0x10)), self.vendor)
        return Device("PCI", full[4:], "4&%X&0&00%d0" % (rng.getrandbits(28), 2 + n), [full, ident],
                      "DVB-T Capture %d" % n, "lumexcap%d.sys" % n, "oem%d.inf" % (3 + n))

    def new_stream_device(self, rng, n):
        ident = "STREAM\\CX77%02d.Tuner" % (rng.randint(0, 99))
        return Device("STREAM", ident[7:], "1&%X&%d" % (rng.getrandbits(28), n), [ident + "#%d" % n, ident],
                      "BDA Tuner %d" % n, "lumextun%d.sys" % n, "oem%d.inf" % (20 + n))


def chance(rng, p):
    return rng.random() < p


# --- parts -------------------------------------------------------------------

def version(rng, image, package, options):
    avoid = AVOID_WIN8_AND_WIN10 and not options.get("with_win8_win10")
    nt = [v for v in NT_VERSIONS if not (avoid and v in ("win8", "win81", "win10"))]
    image.version = rng.choice(nt * 3 + list(NINE_X_VERSIONS) * 2)
    image.unicode_registry = not image.nine_x and chance(rng, 0.4)
    image.note("Windows version %s, registry.reg as %s" % (
        image.version, "Version 5.00 (UTF-16)" if image.unicode_registry else "REGEDIT4"))


def country(rng, image, package, options):
    """The user's country, in the registry on every machine and in win.ini
    too; on NT the two may disagree (win.ini's [intl] is the registry's there)."""
    image.key("HKEY_CURRENT_USER\\Control Panel\\International").set("iCountry", "sz", str(package.country))
    if image.nine_x or chance(rng, 0.3):
        in_file = package.country if image.nine_x or chance(rng, 0.3) else rng.choice(COUNTRIES)
        body = "[windows]\r\nload=\r\nrun=\r\n\r\n[intl]\r\n"
        if chance(rng, 0.9):
            body += "iCountry=%d\r\n" % in_file
        image.put_file("win.ini", body.encode("latin-1"))


def profile(rng, image, package, options):
    """ZIZURUDO.ini: a section per country, keys present or left to their
    defaults, counts in hexadecimal text that may not match the entries."""
    if chance(rng, 0.05):
        image.note("no profile: the built-in texts")
        return
    sections = [package.country] if package.country != 1 else []
    if chance(rng, 0.8) or not sections:
        sections.append(1)
    text = ""
    for number in sections:
        text += "[%d]\r\n" % number + profile_section(rng, package, untitled=number != 1 and chance(rng, 0.15))
        text += "\r\n"
    image.put_file("ZIZURUDO.ini", text.encode("latin-1"), readonly=chance(rng, 0.05))


def profile_section(rng, package, untitled):
    lines = []

    def key(name, value, p=0.9):
        if chance(rng, p):
            lines.append("%s=%s" % (name, value))

    if not untitled:
        key("UnInstDrvAppTitle", package.product + " Uninstallation", 0.95)
    key("DrvUninstRegKeyName", package.product if chance(rng, 0.9) else package.product + " Old", 0.9)
    key("DrvUninstRegKeyPath", package.uninstall_key if chance(rng, 0.9) else "", 0.9)
    key("DrvUninstAppName", package.uninstaller, 0.8)
    key("MediaClass", rng.choice(("Yes", "yes", "No", "no", "")), 0.7)
    key("UnInstDrvRunTipMsg", rng.choice(("Press 'OK' to remove the %s.", "Dr\xfccken Sie 'OK', um %s zu entfernen.",
                                          "Cliquez sur \xabOK\xbb pour d\xe9sinstaller %s."))
        % package.product)
    key("UnInstNoRegKeyMsg", "The %s are not installed." % package.product)
    key("UnInstDrvPassMsg", "The %s have been removed." % package.product)
    key("UnInstDrvPassMsg2", "Restart the computer.")
    key("UnInstDrvLeftMsg", "These parts could not be removed:", 0.5)
    key("OKText", rng.choice(("OK", "Remove", "&Uninstall")), 0.7)
    key("UnInstRemoteTitleName", rng.choice(("Remote Control", "TV Remote", "")), 0.8)
    entry_list(rng, lines, "DevIDNum", ("DevDrvID", "DevDrvName", "DevDrvSYS", "DevDrvINF"),
               [primary_entry(rng, d) for d in package.devices])
    entry_list(rng, lines, "ExtDevIDNum", ("ExtDevDrvID", "ExtDevDrvName", "ExtDevDrvSYS", "ExtDevDrvINF"),
               [primary_entry(rng, d) for d in package.extensions])
    variants = [variant_entry(rng, d) for d in package.devices if chance(rng, 0.4)]
    entry_list(rng, lines, "PossibleDevIDNum",
               ("PossibleDevID", "PossibleDevDrvName", "PossibleDevDrvSYS", "PossibleDevInf"), variants)
    entry_list(rng, lines, "ExtDllFileNum", ("ExtCopyFileName",), [(f,) for f in package.support_files])
    entry_list(rng, lines, "UnInstServiceNum", ("UnInstService",), [(s,) for s in package.services])
    rng.shuffle(lines)
    return "".join(line + "\r\n" for line in lines)


def primary_entry(rng, device):
    """The profile's prefix for a device: its bus's short ID, or an oddity (a
    broad prefix that meets the machine's own devices, other letter case, an
    empty one)."""
    short = device.hardware_ids[1]
    roll = rng.random()
    if roll < 0.08:
        prefix = short.split("\\")[0] + "\\VEN_" if device.bus == "PCI" else device.bus + "\\"
    elif roll < 0.15:
        prefix = short.lower()
    elif roll < 0.18:
        prefix = ""
    else:
        prefix = short
    return (prefix, device.description, device.sys_file, device.inf_file)


def variant_entry(rng, device):
    return (device.hardware_ids[0][:len(device.hardware_ids[1]) + rng.choice((9, 14))], device.description + " Pro",
            "v" + device.sys_file, device.inf_file)


def entry_list(rng, lines, count_key, keys, entries):
    count = len(entries)
    roll = rng.random()
    if roll < 0.07:
        count += 1
    elif roll < 0.12 and count:
        count -= 1
    if count or chance(rng, 0.5):
        lines.append("%s=%s" % (count_key, rng.choice(("%X" % count, "%x" % count, "0x%X" % count))))
    for n, entry in enumerate(entries):
        for key, value in zip(keys, entry):
            if chance(rng, 0.97):
                lines.append("%s%d=%s" % (key, n, value))


def devices(rng, image, package, options):
    """The package's devices (some unplugged), other makers' devices, and odd
    ones: an empty hardware-ID value, none at all, one stored as a plain text."""
    for device in package.devices + package.extensions:
        if chance(rng, 0.12):
            continue
        class_guid = MEDIA_CLASS if chance(rng, 0.9) else IMAGING_CLASS
        extra = [("Driver", "sz", "%s\\%04d" % (class_guid, rng.randint(0, 20)))] if chance(rng, 0.6) else []
        extra.append(("DeviceDesc", "sz", device.description))
        image.device(device.instance_id, device.hardware_ids, class_guid, extra)
    for n in range(rng.randint(0, 3)):
        ident = "PCI\\VEN_%04X&DEV_%04X&SUBSYS_00000000&REV_0%d" % (rng.getrandbits(16), rng.getrandbits(16), n)
        image.device("PCI\\%s\\4&1&0&00%d8" % (ident[4:], n), [ident], rng.choice(OTHER_CLASSES))
    odd = rng.random()
    if odd < 0.15:
        image.device("ACPI\\ZZ%04d\\0" % rng.randint(0, 9999), b"", MEDIA_CLASS)
        image.note("a device whose HardwareID is a zero-length multi-string")
    elif odd < 0.25:
        image.device("ACPI\\PNP0A08\\%d" % rng.randint(0, 9), None, OTHER_CLASSES[0])
    elif odd < 0.3:
        image.device("ROOT\\LEGACY_X\\0000", None, MEDIA_CLASS, [("HardwareID", "sz", "ROOT\\LEGACY_X")])
    if not image.nine_x and chance(rng, 0.1):
        gone = rng.choice(REMOVABLE_FRESH_DEVICES)
        image.delete_key(NT_ENUM + "\\" + gone)
        image.note("the image takes the fresh machine's %s away" % gone)


def class_instances(rng, image, package, options):
    """Device-class instances: the package's by driver description (whole, a
    longer name, other case), with INF names, and other makers'."""
    base = NINE_X_MEDIA if image.nine_x else NT_CLASS + "\\" + (MEDIA_CLASS if chance(rng, 0.85) else IMAGING_CLASS)
    numbers = rng.sample(range(0, 30), 6)
    names = [d.description for d in package.devices + package.extensions]
    for number, name in zip(numbers, names + ["Other Sound Device", "Generic Capture"]):
        roll = rng.random()
        description = name.upper() if roll < 0.1 else name + " #2" if roll < 0.2 else name
        key = image.key("%s\\%04d" % (base, number))
        if chance(rng, 0.95):
            key.set("DriverDesc", "sz", description)
        inf = "oem%d.inf" % (40 + number)
        if chance(rng, 0.85):
            key.set("InfPath", "sz", inf if chance(rng, 0.9) else "")
            if chance(rng, 0.8):
                image.put_file("inf\\" + inf, b"[Version]\r\nSignature=\"$Windows NT$\"\r\n", chance(rng, 0.15))
                image.put_file("inf\\" + inf[:-4] + ".pnf", b"PNF\x01\x02", chance(rng, 0.05))
        if chance(rng, 0.2):
            image.key(key.path + "\\Settings").set("Tuner", "dword", rng.getrandbits(16))


def services(rng, image, package, options):
    for name in package.services + ["OtherDev"]:
        if chance(rng, 0.15):
            continue
        key = image.key(SERVICES + "\\" + name)
        key.set("Type", "dword", 1).set("Start", "dword", 3)
        key.set("ImagePath", "expand", "system32\\drivers\\%s.sys" % name.lower())
        if chance(rng, 0.3):
            image.key(key.path + "\\Enum").set("Count", "dword", 1).set("0", "sz", "PCI\\VEN_0000")


def uninstall_entries(rng, image, package, options):
    if chance(rng, 0.9):
        key = image.key(UNINSTALL + "\\" + package.uninstall_key)
        key.set("DisplayName", "sz", package.product if chance(rng, 0.9) else package.product.upper())
        key.set("UninstallString", "sz", "C:\\WINDOWS\\" + package.uninstaller)
        if chance(rng, 0.1):
            key.set("Stale", "delete")
    other = image.key(UNINSTALL + "\\OtherViewer")
    other.set("DisplayName", "sz", rng.choice(("Other Viewer 2.0", 'Other "Viewer" 2.0', "C:\\Other\\")))
    other.set(None, "sz", "default value")
    other.set("Blob", "binary", bytes(rng.getrandbits(8) for _ in range(rng.randint(0, 20))))


def files(rng, image, package, options):
    """The package's files where the program looks for them, some missing and
    some read-only, beside files of other programs."""
    drivers = [d.sys_file for d in package.devices + package.extensions]
    for name in drivers + ["v" + s for s in drivers[:1]] + ["otherdev.sys"]:
        if chance(rng, 0.85):
            image.put_file("system32\\drivers\\" + name, b"MZ driver", chance(rng, 0.15))
    support_dir = "system" if image.nine_x else "system32"
    for name in package.support_files + ["otherlib.dll"]:
        if chance(rng, 0.85):
            image.put_file(support_dir + "\\" + name, b"MZ library", chance(rng, 0.1))
    for device in package.devices + package.extensions:
        if chance(rng, 0.7):
            image.put_file("inf\\" + device.inf_file, b"[Version]\r\n", chance(rng, 0.1))
            if chance(rng, 0.8):
                image.put_file("inf\\" + device.inf_file[:-4] + ".pnf", b"PNF", False)
    if chance(rng, 0.85):
        image.put_file(package.uninstaller, b"MZ uninstaller", chance(rng, 0.2))


def processes(rng, image, package, options):
    pool = ["ehRecvr.exe", "ehRecvr.exe", "ehtray.exe", "EHRECVR.EXE", "explorer2.exe"]
    image.processes = [p for p in pool if chance(rng, 0.35)]


def windows(rng, image, package, options):
    pool = ["Remote Control", "TV Remote", "Remote Control Help"]
    image.windows = [(title, chance(rng, 0.1)) for title in pool if chance(rng, 0.4)]


def user_actions(rng, image, package, options):
    """Scripts a user may give, the box-ok before the dialog's OK included."""
    image.actions = rng.choice((
        ["ok", "box-ok"], ["ok", "box-ok"], ["ok", "box-ok"], ["ok"], ["esc"], ["close"], [],
        ["box-ok", "ok", "box-ok"], ["box-ok"], ["ok", "box-ok", "box-ok"], ["box-ok", "box-ok", "esc"]))


def maker_keys(rng, image, package, options):
    """The maker's own settings keys below HKLM\\Software, some beside another
    product of the same maker, and the profile's list of them, with now and
    then a path it refuses (a whole maker's key, a branch Windows shares)."""
    profile_text = image.files.get("ZIZURUDO.ini")
    if profile_text is None or not chance(rng, 0.4):
        return
    maker = rng.choice(("Velmor", "Kestrel"))
    products = ["%s\\%s" % (maker, name) for name in rng.sample(("Lumex HDTV", "TV Tuner", "Remote"), 2)]
    for path in products:
        if chance(rng, 0.8):
            key = image.key("HKEY_LOCAL_MACHINE\\SOFTWARE\\" + path)
            key.set("InstallDir", "sz", "C:\\Program Files\\" + path)
            if chance(rng, 0.5):
                image.key(key.path + "\\Settings").set("Region", "dword", rng.randint(1, 9))
    if chance(rng, 0.4):
        image.key("HKEY_LOCAL_MACHINE\\SOFTWARE\\%s\\Other Product" % maker).set("Version", "sz", "1.0")
    named = products[:rng.randint(1, 2)]
    if chance(rng, 0.2):
        named.append(rng.choice((maker, "Microsoft\\Windows\\CurrentVersion", "Classes\\" + maker)))
    lines = "UnInstRegKeyNum=%X\r\n" % len(named) + "".join(
        "UnInstRegKey%d=%s\r\n" % (n, path) for n, path in enumerate(named))
    text = profile_text.decode("latin-1")
    # At the end of every section, before the blank line that closes it.
    text = text.replace("\r\n\r\n[", "\r\n" + lines + "\r\n[")
    if text.endswith("\r\n\r\n"):
        text = text[:-2] + lines + "\r\n"
    image.files["ZIZURUDO.ini"] = text.encode("latin-1")


def command_line(rng, image, package, options):
    """Now and then a deployment tool's run: unattended, with or without a log."""
    image.args = rng.choice(("", "", "", "", "/quiet", "/quiet /log C:\\windows\\drvuninst.log"))


# The command line last: the seeds' machines stay as they were before it came.
PARTS = [version, country, profile, devices, class_instances, services, uninstall_entries, files, processes,
         windows, user_actions, maker_keys, command_line]


def make(seed, options=None):
    from image import Image
    rng = random.Random(seed)
    image = Image(seed)
    package = Package(rng)
    for part in PARTS:
        part(rng, image, package, options or {})
    return image
