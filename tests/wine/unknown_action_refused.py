#!/usr/bin/env python3
"""A script with an action the scenario format does not know is refused, with
its name, by every part that reads scripts: drvuninst-sim, the Wine runner's
reader and the Wine user stand-in itself. None of them starts the program, so
nothing can wait on an action that cannot be taken.

Exit status: 0 all three refuse, 1 one does not, 77 Wine or a build is missing.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import run_scenario  # noqa: E402
import scenario as scenario_mod  # noqa: E402
import wineprefix  # noqa: E402

UNKNOWN = "wave"


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--sim", required=True)
    p.add_argument("--tools", required=True)
    p.add_argument("--work", required=True)
    p.add_argument("--arch", choices=wineprefix.ARCHES, default="win64")
    args = p.parse_args()
    standin = os.path.join(args.tools, "userstandin.exe")
    if not os.path.exists(args.sim) or not os.path.exists(standin):
        print("SKIP: the build is missing")
        return 77
    failures = []
    with tempfile.TemporaryDirectory() as folder:
        with open(os.path.join(folder, "machine.ini"), "w") as f:
            f.write("[user]\nactions=ok %s box-ok\n" % UNKNOWN)
        sim = subprocess.run([args.sim, folder], capture_output=True, text=True, timeout=60)
        if sim.returncode != 2 or UNKNOWN not in sim.stderr:
            failures.append("drvuninst-sim took the script (exit %d): %s" % (sim.returncode, sim.stderr.strip()))
        try:
            scenario_mod.Scenario(folder)
            failures.append("the Wine runner's reader took the script")
        except ValueError as e:
            if UNKNOWN not in str(e):
                failures.append("the Wine runner's reader did not name the action: %s" % e)
    has_wine = shutil.which("wine") is not None and shutil.which("wineserver") is not None
    if has_wine and (args.arch == "win64" or wineprefix.has_wine32()):
        failures += check_standin(args, standin)
    else:
        print("Wine (or wine32) is missing: the user stand-in was not asked")
    for failure in failures:
        print("FAILED: " + failure)
    if not failures:
        print("PASSED: the script with \"%s\" is refused everywhere" % UNKNOWN)
    return 1 if failures else 0


def check_standin(args, standin):
    template = wineprefix.ensure_template(os.path.abspath(args.work), print, args.arch)
    prefix = os.path.join(os.path.abspath(args.work), "run-unknown-action-%d" % os.getpid())
    wineprefix.clone(template, prefix)
    harness = os.path.join(prefix, "drive_c", "harness")
    os.makedirs(harness, exist_ok=True)
    wineprefix.put_file(standin, os.path.join(harness, "userstandin.exe"))
    log = os.path.join(harness, "standin.log")
    try:
        with open(log, "wb") as out:
            code = subprocess.run([wineprefix.loader(args.arch), run_scenario.HARNESS + "\\userstandin.exe",
                                   run_scenario.HARNESS + "\\results.txt", "30", "ok %s" % UNKNOWN,
                                   "C:\\windows\\notepad.exe"],
                                  env=wineprefix.wine_env(prefix, args.arch), cwd=harness,
                                  stdout=out, stderr=out, timeout=120).returncode
        said = open(log, encoding="utf-8", errors="replace").read()
    except subprocess.TimeoutExpired:
        return ["the user stand-in did not end"]
    finally:
        wineprefix.kill(prefix)
        wineprefix.remove(prefix)
    if code != 2 or UNKNOWN not in said:
        return ["the user stand-in took the script (exit %d): %s" % (code, said.strip())]
    return []


if __name__ == "__main__":
    sys.exit(main())
