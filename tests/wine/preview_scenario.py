#!/usr/bin/env python3
"""Holds DrvUninstPreview.exe to what it promises, on one scenario folder under
Wine: it changes nothing, and it names what DrvUninst.exe then removes.

1. The machine image is laid into a fresh prefix. Two Wine sessions run its
   other programs, the second also the preview (with --lists); each is ended
   so that wineserver writes the registry files, and every file of the
   prefix is fingerprinted after each. The two must agree byte for byte,
   every key's block of the registry files (with its last-write time)
   included, but for the keys and files a session without the preview
   rewrites too: a third session without the preview, before the other two,
   tells which. Two kinds of Wine's own writes are known besides (see
   docs/wine-notes.md): its session start now and then rewrites the keys of
   its own hardware, display and fonts (WINE_OWN below), and its
   SetupDiGetClassDevsA rewrites the ClassGUID of every device it lists, in
   upper case, and adds its "Class" name, where Windows writes nothing; a
   key block that differs only so is let pass.
3. DrvUninst.exe runs on the same prefix with a user who presses OK. The
   image's keys and files and every file the program named, asked as the
   comparison tests ask them, must be gone exactly where the preview's lists
   said they would go, and every key the lists name must have been there
   before (the preview's copy of a 9x machine holds keys this PC does not
   have, which it must never name); a run that removes nothing must be one
   the preview called a stop or "not installed". A key or file the expect
   file names in a "known-difference" line, as the comparison tests read
   them, is left out.

Exit status: 0 as promised, 1 not (or a run broke), 77 Wine or a build is missing.
"""
import argparse
import hashlib
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "preview"))
import compare_scenario  # noqa: E402
import preview_report  # noqa: E402
import run_scenario  # noqa: E402
import wineprefix  # noqa: E402

SKIP = 77
PREVIEW = "DrvUninstPreview.exe"


def parse_args():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("scenario")
    p.add_argument("--exe", default=os.path.join(run_scenario.REPO, "build", "windows", "DrvUninst.exe"))
    p.add_argument("--preview", default=os.path.join(run_scenario.REPO, "build", "windows", PREVIEW))
    p.add_argument("--tools", default=os.path.join(run_scenario.REPO, "build", "windows", "tools"))
    p.add_argument("--work", default=os.path.join(run_scenario.REPO, "build", "wine-prefixes"))
    p.add_argument("--timeout", type=int, default=60, help="seconds each program may run")
    p.add_argument("--keep", action="store_true", help="keep the prefix afterwards")
    p.add_argument("--arch", choices=wineprefix.ARCHES, default="win64")
    return p.parse_args()


# Keys Wine's session start rewrites at times, in one session and not the
# next: its own devices, display and fonts. Registry file|key prefixes.
WINE_OWN = (
    "system.reg|[System\\\\CurrentControlSet\\\\Control\\\\DeviceClasses\\\\",
    "system.reg|[System\\\\CurrentControlSet\\\\Control\\\\Class\\\\{4D36E968-E325-11CE-BFC1-08002BE10318}",
    "system.reg|[System\\\\CurrentControlSet\\\\Control\\\\Class\\\\{4D36E96E-E325-11CE-BFC1-08002BE10318}",
    "system.reg|[System\\\\CurrentControlSet\\\\Enum\\\\DISPLAY\\\\",
    "system.reg|[System\\\\CurrentControlSet\\\\Enum\\\\PCI\\\\VEN_0000&DEV_0000",
    "system.reg|[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion]",
    "user.reg|[Software\\\\Wine]",
    "user.reg|[Software\\\\Wine\\\\Fonts]",
)


def only_class_written(before, after):
    """True when two blocks of one key differ only in the case of their
    ClassGUID value, a "Class" value added, and their time stamps: Wine's
    SetupAPI listing a device."""
    if before is None or after is None or before == after:
        return False
    def plain(block):
        lines = block.split("\n")[2:]
        return [line.upper() if line.startswith('"ClassGUID"=') else line for line in lines
                if not line.startswith('"Class"=')]
    kept_class = all(line in after.split("\n") for line in before.split("\n") if line.startswith('"Class"='))
    return plain(before) == plain(after) and kept_class


def registry_blocks(path):
    """A registry file as key name -> its lines (time stamps included)."""
    blocks = {}
    current = None
    for line in open(path, encoding="latin-1").read().splitlines():
        if line.startswith("["):
            current = line.rsplit("]", 1)[0] + "]"
            blocks[current] = []
        if current is not None:
            blocks[current].append(line)
    return blocks


def fingerprint(prefix, harness):
    """Path -> content hash (or link target) of everything in the prefix but
    the harness folder, where the runs keep their logs; registry files key by
    key, as "file|[key]"."""
    seen = {}
    for name in ("system.reg", "user.reg", "userdef.reg"):
        for key, lines in registry_blocks(os.path.join(prefix, name)).items():
            seen[name + "|" + key] = "\n".join(lines)
    for root, dirs, files in os.walk(prefix):
        if os.path.abspath(root) == os.path.abspath(harness):
            dirs[:] = []
            continue
        for name in dirs + files:
            path = os.path.join(root, name)
            rel = os.path.relpath(path, prefix)
            if os.path.islink(path):
                seen[rel] = "link " + os.readlink(path)
            elif os.path.isdir(path):
                seen[rel] = "dir %o" % os.stat(path).st_mode
            elif name != "wineserver" and not (os.path.samefile(root, prefix) and name.endswith(".reg")):
                with open(path, "rb") as f:
                    seen[rel] = "%o %s" % (os.stat(path).st_mode, hashlib.sha1(f.read()).hexdigest())
    return seen


def stop_session(run):
    """Ends every program of the prefix; wineserver writes the registry files as it goes."""
    wineprefix.kill(run.prefix)
    subprocess.run(["wineserver", "-w"], env=run.env, timeout=60)


def main():
    args = parse_args()
    needed = [args.exe, args.preview] + [os.path.join(args.tools, t) for t in run_scenario.TOOLS]
    scen, code = run_scenario.load_or_skip(args.scenario, args.arch, needed)
    if scen is None:
        return code
    # The preview tells what a user pressing OK would see: the uninstaller runs so too.
    scen.actions = ["ok", "box-ok"]
    scen.args = ""
    run = compare_scenario.HookedRun(compare_scenario.run_options(args), scen)
    print("scenario %s (Windows version %s): the preview against the uninstaller" % (scen.name, scen.version))
    failures = []
    try:
        run.prepare()
        subprocess.run(["cp", args.preview, os.path.join(run.harness, PREVIEW)], check=True)
        sessions = []
        for with_preview in (False, False, True):
            run.start_others()
            if with_preview:
                status = run.wine([run_scenario.HARNESS + "\\" + PREVIEW, "--lists", "--timing"], args.timeout,
                                  "preview")
            stop_session(run)
            sessions.append(fingerprint(run.prefix, run.harness))
        report = run.log_text("preview")
        print(report)
        print("preview exit status %d" % status)
        first, before, after = sessions
        noise = {path for path in set(first) | set(before) | set(after)
                 if first.get(path) != before.get(path) or path.startswith(WINE_OWN)}
        recased = {path for path in set(before) & set(after) if only_class_written(before[path], after[path])}
        print("left out as Wine's own writes: %d keys or files at session start, %d device keys SetupAPI wrote"
              % (len(noise), len(recased)))
        for path in sorted((set(before) | set(after)) - noise - recased):
            if before.get(path) != after.get(path):
                failures.append("the preview changed %s:\n  before: %s\n  after:  %s" % (
                    path, str(before.get(path)).replace("\n", "\n          "),
                    str(after.get(path)).replace("\n", "\n          ")))
        if status not in (0, 1):
            failures.append("the preview could not tell (exit status %d)" % status)

        run.start_others()
        gone = preview_report.gone_lists(report)
        gone["file"] = preview_report.gone_files(gone)
        # The keys the preview names are asked too: a key it names must be there.
        named_keys = [("key", k) for k in sorted(gone["key"])]
        questions = compare_scenario.questions_for(scen, []) + named_keys
        present = run.probe(questions, "before")
        outcome = run.run_program()
        shown = run.shown(outcome)
        questions = compare_scenario.questions_for(scen, [shown])
        asked = {(kind, arg.lower()) for kind, arg in questions}
        questions += [q for q in named_keys if q not in asked]
        answers = run.probe(questions, "after")
        for kind, arg in named_keys:
            if not run_scenario.is_there(kind, present.get((kind, arg), "absent")):
                failures.append("key %s: the preview said it would go, and this PC does not have it" % arg)
        # Lines the expect file names as Wine's own ("known-difference key ..."), as the comparison does.
        known = compare_scenario.known_differences(scen)
        for kind, arg in questions:
            if kind not in ("key", "file") or not run_scenario.is_there(kind, present.get((kind, arg), "absent")):
                continue
            if any(("%s %s:" % (kind, arg.lower())).startswith(k) for k in known):
                continue
            went = not run_scenario.is_there(kind, answers.get((kind, arg)))
            named = arg.lower() in gone[kind]
            if went != named:
                failures.append("%s %s: the uninstaller %s it, the preview said it would %s" % (
                    kind, arg, "removed" if went else "kept", "go" if named else "stay"))
        # The uninstaller went through its removal when, after OK, it gave its final message.
        # 1167: the device check stopped it, and its box said so.
        stopped = outcome.exit_code == 1167
        removed = outcome.dialog is not None and bool(outcome.boxes) and not stopped
        if removed != (status == 0):
            failures.append("the uninstaller %s, yet the preview's exit status is %d" % (
                "went through its removal" if removed else "removed nothing", status))
        if outcome.dialog is not None and stopped and "would stop here" not in report:
            failures.append("the uninstaller stopped at the device check, and the preview did not say it would")
    except (RuntimeError, subprocess.TimeoutExpired) as e:
        failures.append("the run broke: %s" % e)
    finally:
        wineprefix.kill(run.prefix)
        if not args.keep:
            wineprefix.remove(run.prefix)
    for failure in failures:
        print("FAIL " + failure)
    print("%s: %s" % (scen.name, "the preview changed nothing and named what went" if not failures else
                      "%d failures" % len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
