#!/usr/bin/env python3
"""Makes random "installed by Windows" folders: a driver package (INF, SYS,
DLL, catalog) of one to two primary devices on the PCI or USB bus, maybe a
stream-bus extension device, a class upper filter beside another maker's,
support DLLs and the product's settings key, the clean machine it goes on
and the profile that names all of it. The same seed gives the same folder.

  generate_packages.py SEED OUT_DIR    writes OUT_DIR/installed-seed-SEED
"""
import os
import random
import sys

MEDIA = "{4d36e96c-e325-11ce-bfc1-08002be10318}"
PRODUCTS = ("Lumex HDTV", "Lumex Go", "Lumex Duo", "TV Stick", "Hybrid Card")
TITLE = "Velmor Lumex WDM Drivers"


def _multi(strings):
    data = b"".join(s.encode("latin-1") + b"\0" for s in strings) + b"\0"
    return "hex(7):" + ",".join("%02x" % b for b in data)


def make(seed, out):
    rng = random.Random(seed)
    name = "installed-seed-%d" % seed
    folder = os.path.join(out, name)
    os.makedirs(os.path.join(folder, "package"), exist_ok=True)
    os.makedirs(os.path.join(folder, "windows"), exist_ok=True)
    version = rng.choice(("winxp", "win7", "win10"))
    product = rng.choice(PRODUCTS)
    devices = []  # (hwid, profile prefix, description, service, sys, dll or None, extension)
    for n in range(rng.randint(1, 2)):
        dev = 0x0F60 + rng.randrange(0x100) * 2 + n
        if rng.random() < 0.5:
            hwid = "PCI\\VEN_1D7A&DEV_%04X&SUBSYS_%04X1D7A" % (dev, rng.randrange(1, 0x100))
            prefix = hwid[:len("PCI\\VEN_1D7A&DEV_") + 4]
        else:
            hwid = "USB\\VID_1D7A&PID_%04X" % dev
            prefix = hwid
        devices.append((hwid, prefix, "Velmor %s Capture %d" % (product, n), "VlxCap%d" % n, "vlxcap%d.sys" % n,
                        "vlxcap%d.dll" % n if rng.random() < 0.5 else None, False))
    if rng.random() < 0.5:
        hwid = "STREAM\\VLX%04X.Tuner" % rng.randrange(0x10000)
        devices.append((hwid, hwid.split(".")[0], "Velmor %s BDA Tuner" % product, "VlxTun", "vlxtun.sys",
                        "vlxir.dll" if rng.random() < 0.5 else None, True))
    with_filter = rng.random() < 0.5
    with_settings = rng.random() < 0.6
    other_product = rng.random() < 0.5

    inf = ["; Generated package, seed %d." % seed, "[Version]", 'Signature="$WINDOWS NT$"', "Class=MEDIA",
           "ClassGuid=" + MEDIA, "Provider=%Velmor%",
           "DriverVer=%02d/%02d/20%02d,3.%d.%d.0" % (rng.randint(1, 12), rng.randint(1, 28), rng.randint(10, 23),
                                                   rng.randint(0, 9), rng.randint(0, 99)),
           "CatalogFile=vlxgen.cat", "", "[SourceDisksNames]", "1=%Disk%,,,", "", "[SourceDisksFiles]"]
    files = [d[4] for d in devices] + [d[5] for d in devices if d[5]] + (["vlxflt.sys"] if with_filter else [])
    inf += ["%s=1" % f for f in files]
    inf += ["", "[DestinationDirs]", "DefaultDestDir=12", "Dll.Copy=11", "", "[Manufacturer]",
            "%Velmor%=Velmor,NTx86,NTamd64", ""]
    for decoration in ("NTx86", "NTamd64"):
        inf.append("[Velmor.%s]" % decoration)
        inf += ["%%Desc%d%%=Install%d,%s" % (n, n, d[0]) for n, d in enumerate(devices)]
        inf.append("")
    dlls = [d[5] for d in devices if d[5]]
    if dlls:
        inf += ["[Dll.Copy]"] + dlls + [""]
    for n, d in enumerate(devices):
        copy = ["Sys%d.Copy" % n] + (["Dll.Copy"] if d[5] else [])
        regs = ["Reg%d" % n] + (["Settings"] if with_settings and n == 0 else [])
        inf += ["[Install%d]" % n, "CopyFiles=" + ",".join(copy), "AddReg=" + ",".join(regs), "",
                "[Sys%d.Copy]" % n, d[4], "", "[Reg%d]" % n, "HKR,,DevLoader,,*ntkern", "HKR,,NTMPDriver,,%s" % d[4]]
        if with_filter and n == 0:
            inf.append("HKLM,System\\CurrentControlSet\\Control\\Class\\%s,UpperFilters,0x00010008,VlxFlt" % MEDIA)
        inf += ["", "[Install%d.Services]" % n, "AddService=%s,0x00000002,Service%d" % (d[3], n)]
        if with_filter and n == 0:
            inf.append("AddService=VlxFlt,,FilterService")
        inf += ["", "[Service%d]" % n, "DisplayName=%%Desc%d%%" % n, "ServiceType=1", "StartType=3",
                "ErrorControl=1", "ServiceBinary=%%12%%\\%s" % d[4], ""]
    if with_filter:
        inf += ["[FilterService]", "DisplayName=%Filter%", "ServiceType=1", "StartType=3", "ErrorControl=1",
                "ServiceBinary=%12%\\vlxflt.sys", ""]
    if with_settings:
        inf += ["[Settings]", "HKLM,Software\\Velmor\\%s,InstallDir,,\"%%11%%\"" % product,
                "HKLM,Software\\Velmor\\%s\\Tuner,Region,0x00010001,%d" % (product, rng.randint(1, 9)), ""]
    inf += ["[Strings]", 'Velmor="Velmor"', 'Disk="Velmor driver disk"', 'Filter="Velmor stream filter"']
    inf += ['Desc%d="%s"' % (n, d[2]) for n, d in enumerate(devices)]
    with open(os.path.join(folder, "package", "vlxgen.inf"), "w", encoding="latin-1", newline="\r\n") as f:
        f.write("\n".join(inf) + "\n")
    for f in files + ["vlxgen.cat", "q7nunist.exe"]:
        with open(os.path.join(folder, "package", f), "w") as out_file:
            out_file.write("dummy %s, seed %d\n" % (f, seed))

    registry = ["REGEDIT4", "", "[HKEY_CURRENT_USER\\Control Panel\\International]", '"iCountry"="1"', "",
                "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Class\\%s]" % MEDIA,
                '@="Sound, video and game controllers"', '"Class"="MEDIA"']
    if with_filter:
        registry += ['"UpperFilters"=' + _multi(["OtherFlt"]), "",
                     "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\OtherFlt]",
                     '"Type"=dword:00000001', '"Start"=dword:00000003', '"ImagePath"="system32\\\\drivers\\\\otherflt.sys"']
    if other_product:
        registry += ["", "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Velmor\\Lumex Radio]", '"Version"="1.0"']
    with open(os.path.join(folder, "registry.reg"), "w", encoding="latin-1", newline="\r\n") as f:
        f.write("\n".join(registry) + "\n")

    guid = "{%08X-%04X-%04X-%04X-%012X}" % (rng.getrandbits(32), rng.getrandbits(16), rng.getrandbits(16),
                                            rng.getrandbits(16), rng.getrandbits(48))
    with open(os.path.join(folder, "install"), "w") as f:
        f.write("inf vlxgen.inf\n")
        for d in devices:
            f.write("device %s\n" % d[0])
        f.write("copy q7nunist.exe|q7nunist.exe\n")
        f.write("uninstall %s|%s|C:\\windows\\q7nunist.exe\n" % (guid, TITLE))

    primaries = [d for d in devices if not d[6]]
    extensions = [d for d in devices if d[6]]
    profile = ["[1]", "UnInstDrvAppTitle=%s Uninstallation" % TITLE, "DevIDNum=%d" % len(primaries)]
    for n, d in enumerate(primaries):
        profile += ["DevDrvID%d=%s" % (n, d[1]), "DevDrvName%d=%s" % (n, d[2]), "DevDrvSYS%d=%s" % (n, d[4]),
                    "DevDrvINF%d=vlxgen.inf" % n]
    ext = [(d[1], d[2], d[4]) for d in extensions] + ([("", "", "vlxflt.sys")] if with_filter else [])
    profile.append("ExtDevIDNum=%d" % len(ext))
    for n, (prefix, description, sys_file) in enumerate(ext):
        profile += ["ExtDevDrvID%d=%s" % (n, prefix), "ExtDevDrvName%d=%s" % (n, description),
                    "ExtDevDrvSYS%d=%s" % (n, sys_file), "ExtDevDrvINF%d=" % n]
    profile.append("ExtDllFileNum=%d" % len(dlls))
    profile += ["ExtCopyFileName%d=%s" % (n, dll) for n, dll in enumerate(dlls)]
    services = [d[3] for d in devices] + (["VlxFlt"] if with_filter else [])
    profile += ["DrvUninstRegKeyPath=" + guid, "DrvUninstRegKeyName=" + TITLE, "DrvUninstAppName=q7nunist.exe",
                "MediaClass=Yes", "UnInstServiceNum=%d" % len(services)]
    profile += ["UnInstService%d=%s" % (n, s) for n, s in enumerate(services)]
    if with_settings:
        profile += ["UnInstRegKeyNum=1", "UnInstRegKey0=Velmor\\" + product]
    with open(os.path.join(folder, "windows", "ZIZURUDO.ini"), "w", newline="\r\n") as f:
        f.write("\n".join(profile) + "\n")
    with open(os.path.join(folder, "machine.ini"), "w") as f:
        f.write("; Generated, seed %d.\n[machine]\nversion=%s\n\n[user]\nactions=ok box-ok\n" % (seed, version))
    with open(os.path.join(folder, "expect"), "w") as f:
        f.write("dialog %s Uninstallation\n" % TITLE)
        f.write("box %s Uninstallation|%s have been uninstalled completely.\\n\\nIf you want to re-install "
                "drivers, you MUST reboot your system.\n" % (TITLE, TITLE))
        f.write("progress 100\n")
    return folder


if __name__ == "__main__":
    if len(sys.argv) != 3:
        print(__doc__)
        sys.exit(2)
    print(make(int(sys.argv[1]), sys.argv[2]))
