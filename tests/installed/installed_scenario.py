#!/usr/bin/env python3
"""Runs one "installed by Windows" folder under Wine: lays the clean machine
(machine.ini, registry.reg, windows/: the profile and what the machine held
before), takes its state, installs the folder's package with Windows' own
installer functions (tools/installpkg.exe, as the folder's install file
says), runs DrvUninst.exe with the user stand-in, restarts, and compares the
machine with its state before the install:

  collateral  something that was there before is gone or changed: a failure;
  residue     something the install (or the removal) made is still there: a
              failure unless the folder's allow file names it with its reason;
  Wine's own  tests/installed/wine-own: differences Wine makes by itself.

The expect lines (what the program showed) are checked as in any scenario.

install file, one line each:
  inf NAME                      the package's INF, in package/
  device HWID                   one device with that hardware ID
  copy FILE|TARGET              a file of package/ the setup program copies itself
  uninstall KEY|NAME|COMMAND    the setup program's Uninstall entry

Exit status: 0 no finding, 1 findings (or the run broke), 77 Wine or the
Windows build is missing.
"""
import argparse
import json
import os
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "wine"))
import checks  # noqa: E402
import generate_packages  # noqa: E402
import machine_state  # noqa: E402
import run_scenario  # noqa: E402
import wineprefix  # noqa: E402

REPO = run_scenario.REPO
WINE_OWN = os.path.join(REPO, "tests", "installed", "wine-own")
MEDIA = "C:\\media"


def read_install(folder):
    install = {"inf": None, "devices": [], "copies": [], "uninstall": None}
    with open(os.path.join(folder, "install"), encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            keyword, _, arg = line.partition(" ")
            arg = arg.strip()
            if keyword == "inf":
                install["inf"] = arg
            elif keyword == "device":
                install["devices"].append(arg)
            elif keyword == "copy":
                install["copies"].append(arg)
            elif keyword == "uninstall":
                install["uninstall"] = arg
            else:
                raise ValueError("install:%d: unknown line %r" % (number, line))
    if not install["inf"] or not install["devices"]:
        raise ValueError("install: needs an inf line and at least one device line")
    return install


class InstalledRun(run_scenario.Run):
    def settle(self):
        """Ends the session so the registry files hold everything, as the
        machine is when it is next switched on."""
        wineprefix.kill(self.prefix)
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=120)

    def new_session(self):
        self.settle()
        if self.wine(["wineboot", "-r"], 120, "wineboot") != 0:
            raise RuntimeError("wineboot -r failed: " + self.log_text("wineboot"))
        self.settle()

    def install(self, folder, install):
        media = os.path.join(self.prefix, "drive_c", "media")
        shutil.copytree(os.path.join(folder, "package"), media)
        shutil.copy2(os.path.join(self.options.tools, "installpkg.exe"), self.harness)
        args = [run_scenario.HARNESS + "\\installpkg.exe", MEDIA + "\\" + install["inf"]] + install["devices"]
        for copy in install["copies"]:
            source, _, target = copy.partition("|")
            args += ["--copy", MEDIA + "\\" + source + "|" + target]
        if install["uninstall"]:
            args += ["--uninstall", install["uninstall"]]
        code = self.wine(args, 120, "installpkg")
        print(self.log_text("installpkg"))
        if code != 0:
            raise RuntimeError("the package did not install (exit %d)" % code)

    def probe(self, questions, name):
        # Wine now and then fails to start a program in a freshly copied
        # prefix; the probe changes nothing, so it may run again.
        for _ in range(2):
            try:
                return super().probe(questions, name)
            except OSError:
                pass
        return super().probe(questions, name)

    def remove_media(self):
        shutil.rmtree(os.path.join(self.prefix, "drive_c", "media"), ignore_errors=True)


def report(result, counts):
    for item, why in result["wine"]:
        print("  Wine's own  %s  (%s)" % (item, why[1]))
    allowed = {}
    for item, why in result["allowed"]:
        allowed.setdefault(why, []).append(item)
    for (pattern, reason), items in allowed.items():
        print("  allowed     %s: %d item%s (%s)" % (pattern, len(items), "" if len(items) == 1 else "s", reason))
    for item, what in result["collateral"]:
        print("  COLLATERAL  %s  (%s)" % (item, what))
    for item, what in result["residue"]:
        print("  RESIDUE     %s  (%s)" % (item, what))
    print("installed %d items; removed %d; residue %d, allowed %d, collateral %d, Wine's own %d" % (
        counts["installed"], counts["removed"], len(result["residue"]), len(result["allowed"]),
        len(result["collateral"]), len(result["wine"])))


def _grouped(entries):
    """[[pattern, reason, items]] of (item, (pattern, reason)) entries."""
    groups = {}
    for _, why in entries:
        groups[why] = groups.get(why, 0) + 1
    return [[pattern, reason, count] for (pattern, reason), count in groups.items()]


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("scenario")
    p.add_argument("--exe", default=os.path.join(REPO, "build", "windows", "DrvUninst.exe"))
    p.add_argument("--tools", default=os.path.join(REPO, "build", "windows", "tools"))
    p.add_argument("--work", default=os.path.join(REPO, "build", "wine-prefixes"))
    p.add_argument("--timeout", type=int, default=60)
    p.add_argument("--keep", action="store_true")
    p.add_argument("--arch", choices=wineprefix.ARCHES, default="win64")
    p.add_argument("--summary", help="write the run's figures here (JSON)")
    p.add_argument("--seed", type=int,
                   help="first make the generated folder of this seed (generate_packages.py) in SCENARIO, a directory")
    args = p.parse_args()
    if args.seed is not None:
        args.scenario = generate_packages.make(args.seed, args.scenario)
    scen, code = run_scenario.load_or_skip(
        args.scenario, args.arch,
        [args.exe] + [os.path.join(args.tools, t) for t in run_scenario.TOOLS + ("installpkg.exe",)])
    if scen is None:
        return code
    run = InstalledRun(run_scenario.RunOptions(exe=args.exe, tools=args.tools, work=args.work, arch=args.arch,
                                               timeout=args.timeout), scen)
    print("installed-by-Windows scenario %s (Windows version %s, %s machine)" % (scen.name, scen.version, args.arch))
    failures = []
    result = None
    counts = {"installed": 0, "removed": 0}
    try:
        install = read_install(scen.folder)
        wine_own = machine_state.Patterns(WINE_OWN)
        allowed = machine_state.Patterns(os.path.join(scen.folder, "allow"))
        run.prepare()
        run.new_session()
        before = machine_state.read_machine(run.prefix)
        run.install(scen.folder, install)
        run.settle()
        installed = machine_state.read_machine(run.prefix)
        made = {k for k in installed if k not in before or before[k] != installed[k]}
        counts["installed"] = len(made)
        run.start_others()
        outcome = run.run_program()
        answers = run.probe(checks.questions_for(scen.expect), "after")
        run_scenario.print_shown(outcome)
        if outcome.timed_out:
            failures.append("the program did not end within %d s" % args.timeout)
        failures += checks.check(scen.expect, outcome, answers)
        run.remove_media()
        run.new_session()
        after = machine_state.read_machine(run.prefix)
        counts["removed"] = len([k for k in made if k not in after or after[k] == before.get(k)])
        result = machine_state.compare(before, made, after, wine_own, allowed)
        report(result, counts)
        failures += ["collateral: %s (%s)" % c for c in result["collateral"]]
        failures += ["residue: %s (%s)" % r for r in result["residue"]]
    except (RuntimeError, ValueError, subprocess.SubprocessError, OSError) as e:
        failures.append("the run broke: %s" % e)
    finally:
        wineprefix.kill(run.prefix)
        if not args.keep:
            wineprefix.remove(run.prefix)
    if args.summary and result is not None:
        with open(args.summary, "w", encoding="utf-8") as f:
            json.dump({"scenario": scen.name, "arch": args.arch, "installed": counts["installed"],
                       "removed": counts["removed"], "residue": [i for i, _ in result["residue"]],
                       "collateral": [i for i, _ in result["collateral"]],
                       "allowed": _grouped(result["allowed"]), "wine": _grouped(result["wine"]),
                       "expect": [f for f in failures if f.startswith("line ")]}, f, indent=1)
    return machine_state.report(failures)


if __name__ == "__main__":
    sys.exit(main())
