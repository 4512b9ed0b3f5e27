#!/usr/bin/env python3
"""Starts DrvUninst.exe from a folder that also holds DLLs named like system
ones (a download folder where someone left a version.dll) and fails if, once
the program's own code runs, any DLL is loaded from that folder.

The program's own code starts with its call to SetDefaultDllDirectories (the
first thing it does); Wine's +relay trace of that call marks the moment in
the +loaddll trace. Loads from the folder before it are the loader resolving
the program's imports: Windows 10 1607 and later keep those to the system
folder too (the image's DependentLoadFlags), Wine 8 does not; they are listed
as that known difference. Without any such early load (a Wine that honours
the flag) every load from the folder fails the test.

Exit status: 0 passed, 1 failed, 77 Wine or the build is missing.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import checks  # noqa: E402
import wineprefix  # noqa: E402

SKIP = 77
REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# Not in KnownDLLs, so Windows looks for them in the program's folder first;
# the program and the libraries it pulls in load each of them.
PLANTED = ("version.dll", "uxtheme.dll", "imm32.dll", "msimg32.dll")
FOLDER = "download"
LOADED = re.compile(r'trace:loaddll:\S+ Loaded L"([^"]+)"')
MARKER = re.compile(r"Call (KERNEL32|KERNELBASE)\.SetDefaultDllDirectories\(")


def parse_args():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--exe", default=os.path.join(REPO, "build", "windows", "DrvUninst.exe"))
    p.add_argument("--tools", default=os.path.join(REPO, "build", "windows", "tools"))
    p.add_argument("--work", default=os.path.join(REPO, "build", "wine-prefixes"))
    p.add_argument("--arch", choices=wineprefix.ARCHES, default="win64")
    p.add_argument("--keep", action="store_true", help="keep the prefix and the trace afterwards")
    return p.parse_args()


def in_folder(path):
    return path.lower().startswith("c:\\%s\\" % FOLDER)


def judge(trace):
    """(failures, known differences) from the +loaddll,+relay trace."""
    early, late = [], []
    marked = False
    for line in trace.splitlines():
        if MARKER.search(line):
            marked = True
            continue
        loaded = LOADED.search(line)
        if loaded and in_folder(loaded.group(1).replace("\\\\", "\\")) and loaded.group(1).lower().endswith(".dll"):
            (late if marked else early).append(loaded.group(1).replace("\\\\", "\\"))
    failures = ["loaded from the program's folder after its code ran: " + p for p in late]
    if not marked:
        failures.append("the program never called SetDefaultDllDirectories")
    known = []
    if early:
        known = ["known difference: Wine ignores DependentLoadFlags and resolved %d of the program's imports "
                 "to its folder before its code ran (%s); Windows 10 1607 and later keep them to the system "
                 "folder" % (len(early), ", ".join(sorted(set(os.path.basename(p) for p in early))))]
    elif marked:
        known = ["Wine kept every import to the system folder (it honours DependentLoadFlags)"]
    return failures, known


def main():
    args = parse_args()
    if shutil.which("wine") is None or shutil.which("wineserver") is None:
        print("SKIP: Wine is not installed")
        return SKIP
    if args.arch == "win32" and not wineprefix.has_wine32():
        print("SKIP: 32-bit Wine (Debian's wine32:i386) is not installed")
        return SKIP
    stand_in = os.path.join(args.tools, "userstandin.exe")
    missing = [p for p in (args.exe, stand_in) if not os.path.exists(p)]
    if missing:
        print("SKIP: the build is missing: " + ", ".join(missing))
        return SKIP

    work = os.path.abspath(args.work)
    prefix = os.path.join(work, "run-planted-dll-%s-%d" % (args.arch, os.getpid()))
    drive = os.path.join(prefix, "drive_c")
    failures, known = [], []
    try:
        wineprefix.clone(wineprefix.ensure_template(work, print, args.arch), prefix)
        folder = os.path.join(drive, FOLDER)
        harness = os.path.join(drive, "harness")
        os.makedirs(folder)
        os.makedirs(harness)
        shutil.copy2(args.exe, os.path.join(folder, "DrvUninst.exe"))
        shutil.copy2(stand_in, harness)
        system = wineprefix.resolve(os.path.join(drive, "windows"), "system32")
        for name in PLANTED:
            # Harmless: the prefix's own file of that name, of the right bitness.
            shutil.copy2(wineprefix.resolve(system, name), os.path.join(folder, name))
        env = wineprefix.wine_env(prefix, args.arch)
        loader = wineprefix.loader(args.arch)
        subprocess.run([loader, "reg", "add", "HKCU\\Software\\Wine\\Debug", "/v", "RelayInclude", "/d",
                        "KERNEL32.SetDefaultDllDirectories;KERNELBASE.SetDefaultDllDirectories", "/f"],
                       env=env, cwd=harness, timeout=120, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       check=True)
        env["WINEDEBUG"] = "+loaddll,+relay"
        trace_path = os.path.join(harness, "trace.log")
        # Not installed on this machine: the program shows its warning, the
        # stand-in closes it, and the program has made its windows by then.
        with open(trace_path, "wb") as trace:
            subprocess.run([loader, "C:\\harness\\userstandin.exe", "C:\\harness\\results.txt", "60", "box-ok",
                            "C:\\%s\\DrvUninst.exe" % FOLDER], env=env, cwd=harness, stdout=trace, stderr=trace,
                           timeout=120)
        with open(trace_path, encoding="utf-8", errors="replace") as f:
            failures, known = judge(f.read())
        outcome = checks.Outcome()
        results = os.path.join(harness, "results.txt")
        if os.path.exists(results):
            outcome.read_results(results)
        if not outcome.boxes:
            failures.append("the program showed no message box, so it never got as far as its windows")
    except (RuntimeError, subprocess.SubprocessError, OSError) as e:
        failures.append("the run broke: %s" % e)
    finally:
        wineprefix.kill(prefix)
        if not args.keep:
            wineprefix.remove(prefix)
    for line in known:
        print(line)
    if failures:
        print("FAILED:")
        for f in failures:
            print("  " + f)
        return 1
    print("PASSED: no DLL was loaded from the program's folder once its code ran")
    return 0


if __name__ == "__main__":
    sys.exit(main())
