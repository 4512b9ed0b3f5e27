#!/usr/bin/env python3
"""Holds the simulated machine against Wine for one scenario folder: runs it on
both, dumps each final state in one canonical text form and fails with the
lines that differ.

The dump holds what both worlds can produce identically: the image's own keys
under the subtrees the program may touch (Uninstall, Services, the device
classes with their filter lists, the 9x media key, both Enum trees, the maker keys
below HKLM\SOFTWARE) with their values, the image's
files and every file the program named, with attributes, the image's
processes and windows, every text set on the dialog in order, every progress
message and the final position, and the message boxes; for a folder whose expect
file has a restart line, the same keys, files and processes once more after the
restart ("restarted ..." lines). A line of the expect
file "known-difference <dump line>" drops that line (or every line it begins)
from both dumps.

A run that did not end as a program ends fails the comparison whatever the
dumps say: drvuninst-sim killed by a signal or past its time, a program that
would wait for good on the simulated machine, and under Wine a program that
crashed, was stopped at the deadline or ended with a code the README's exit-code
table does not name. The exit code itself is a dump line ("exit N").

Exit status: 0 the dumps agree, 1 they differ (or a run broke), 77 Wine, the
Windows build or drvuninst-sim is missing. With --keep both dumps, as compared,
stay in the kept prefix's harness folder (sim-dump.txt, wine-dump.txt).
"""
import argparse
import difflib
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import checks  # noqa: E402
import run_scenario  # noqa: E402
import scenario as scenario_mod  # noqa: E402
import textlog  # noqa: E402
import wineprefix  # noqa: E402

SKIP = 77
ROOTS = (
    "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
    "HKLM\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
    "HKLM\\SYSTEM\\CurrentControlSet\\Services",
    # Every class key: the device classes' instances, and the filter lists
    # of any class.
    "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class",
    "HKLM\\SYSTEM\\CurrentControlSet\\Enum",
    "HKLM\\Enum",
    # The rest of the software keys: the maker's own keys a profile may name.
    "HKLM\\SOFTWARE",
)
STATUS_LINE = 1002
SIM_SECONDS = 120


def parse_args():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("scenario")
    p.add_argument("--sim", default=os.path.join(run_scenario.REPO, "build", "host", "drvuninst-sim"))
    p.add_argument("--exe", default=os.path.join(run_scenario.REPO, "build", "windows", "DrvUninst.exe"))
    p.add_argument("--tools", default=os.path.join(run_scenario.REPO, "build", "windows", "tools"))
    p.add_argument("--work", default=os.path.join(run_scenario.REPO, "build", "wine-prefixes"))
    p.add_argument("--timeout", type=int, default=60, help="seconds the program may run")
    p.add_argument("--keep", action="store_true", help="keep the prefix and the dumps afterwards")
    p.add_argument("--arch", choices=wineprefix.ARCHES, default="win64")
    p.add_argument("--sim-machine", choices=("32", "64"),
                   help="the simulated machine's bitness, whatever machine.ini says")
    return p.parse_args()


def run_options(args):
    """What run_scenario's Run needs, from this script's switches."""
    return run_scenario.RunOptions(exe=args.exe, tools=args.tools, work=args.work, arch=args.arch,
                                   timeout=args.timeout)


class HookedRun(run_scenario.Run):
    """run_scenario's run, which puts the program under the text hook."""

    def shown(self, outcome):
        """The hook's record in drvuninst-sim's --shown lines, and the boxes."""
        texts, progress = textlog.read(self.harness)
        lines = ["text %d %s" % (ident, text) for ident, text in texts]
        lines += ["progress %s %s %s" % (message, w, l) for message, w, l, _ in progress]
        if progress:
            lines.append("position %d" % progress[-1][3])
        for caption, text in outcome.boxes:
            lines.append("box " + escape(caption) + "|" + escape(text))
        if outcome.exit_code is not None:
            lines.append("exit %d" % outcome.exit_code)
        return lines


def escape(text):
    return text.replace("\\", "\\\\").replace("\n", "\\n").replace("\r", "\\r").replace("\t", "\\t")


def under_roots(key):
    lower = key.lower()
    for root in ROOTS:
        if lower.startswith(root.lower() + "\\"):
            return root
    return None


def registry_questions(scen):
    """The image's keys below the roots, with their parents up to the root, and
    the values it sets on them."""
    text, _ = scen.registry_text()
    keys, values = [], []
    seen = set()
    current = None
    for raw in (text or "").splitlines():
        line = raw.strip()
        if line.startswith("[") and line.endswith("]"):
            current = None
            if line.startswith("[-"):
                continue
            key = scenario_mod.short_root(line[1:-1])
            root = under_roots(key)
            if root is None:
                continue
            current = key
            parts = key.split("\\")
            for n in range(len(root.split("\\")) + 1, len(parts) + 1):
                path = "\\".join(parts[:n])
                if path.lower() not in seen:
                    seen.add(path.lower())
                    keys.append(path)
        elif current is not None:
            m = re.match(r'^(@|"((?:[^"\\]|\\.)*)")=(?!-)', line)
            if m:
                name = "" if m.group(1) == "@" else re.sub(r"\\(.)", r"\1", m.group(2))
                values.append(current + "|" + name)
    return [("key", k) for k in keys] + [("value", v) for v in values]


def named_files(shown_lines, windows_prefix="c:\\windows\\"):
    files = []
    for line in shown_lines:
        head = "text %d " % STATUS_LINE
        if line.startswith(head):
            path = line[len(head):].replace("\\\\", "\\")
            if path.lower().startswith(windows_prefix):
                files.append(path[len(windows_prefix):])
    return files


def questions_for(scen, shown_lists):
    files = {}
    for rel in scen.files() + [f for lines in shown_lists for f in named_files(lines)]:
        files.setdefault(rel.lower(), rel)
    return (registry_questions(scen) + [("file", f) for f in files.values()]
            + [("process", p) for p in scen.processes] + [("window", t) for t, _ in scen.windows])


def dump(questions, answers, shown_lines):
    lines = []
    for kind, arg in questions:
        answer = answers.get((kind, arg), "(no answer)")
        lines.append("%s %s: %s" % (kind, arg.lower() if kind in ("key", "value", "file") else arg, answer))
    # Texts, progress and boxes each in their own order: the simulated machine
    # records them apart, Wine's hook interleaved.
    for kind in ("text ", "progress ", "position ", "box ", "exit "):
        lines += [line for line in shown_lines if line.startswith(kind)]
    return lines


def write_questions(path, questions):
    with open(path, "wb") as f:
        for kind, arg in questions:
            f.write(("%s\t%s\r\n" % (kind, arg)).encode("cp1252", errors="replace"))


def run_sim(args, scen, work, questions=None, restart=False):
    shown = os.path.join(work, "sim-shown.txt")
    cmd = [args.sim, scen.folder, "--shown", shown] + (["--restart"] if restart else [])
    if args.sim_machine:
        cmd += ["--machine", args.sim_machine]
    answers = os.path.join(work, "sim-answers.txt")
    if questions is not None:
        qpath = os.path.join(work, "sim-questions.txt")
        write_questions(qpath, questions)
        cmd += ["--probe", qpath, answers]
    try:
        proc = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=SIM_SECONDS)
    except subprocess.TimeoutExpired:
        raise RuntimeError("the program did not end within %d s on the simulated machine" % SIM_SECONDS)
    if proc.returncode < 0:
        raise RuntimeError("drvuninst-sim was killed by signal %d: %s" % (-proc.returncode, proc.stderr.decode(errors="replace")))
    if proc.returncode == 2:
        raise RuntimeError("drvuninst-sim could not run the folder: " + proc.stderr.decode(errors="replace"))
    lines = open(shown, encoding="latin-1").read().splitlines()
    if "hung" in lines:
        raise RuntimeError("the program would wait for good on the simulated machine: "
                           + proc.stderr.decode(errors="replace").strip())
    return lines, (checks.read_answers(answers) if questions is not None else {})


# The codes the program ends with (README, "Deploying"); any other is a crash.
EXIT_CODES = (0, 3010, 1602, 1605, 1167, 1603, 1639, 1622)
DUMP_KINDS = ("key ", "value ", "file ", "process ", "window ", "text ", "progress ", "position ", "box ",
              "restarted ")
# What a restart can change, asked again once the machine restarted.
RESTART_KINDS = ("key", "value", "file", "process")


def known_differences(scen):
    """The dump lines the expect file names as known differences."""
    known = []
    for _, keyword, arg in scen.expect:
        if keyword == "known-difference" and arg.startswith(DUMP_KINDS):
            known.append(arg.split(" # ")[0].rstrip())
    return known


def temporary_entries(prefix):
    """What the system's and the users' temporary folders hold: the 32-bit
    build writes the 64-bit program it carries under %SystemRoot%\\Temp and
    must take it away again (the users' own are watched too: it must not
    use them)."""
    found = set()
    system_temp = os.path.join(prefix, "drive_c", "windows", "temp")
    if os.path.isdir(system_temp):
        found.update(os.path.join("windows", "temp", name) for name in os.listdir(system_temp))
    users = os.path.join(prefix, "drive_c", "users")
    for user in os.listdir(users) if os.path.isdir(users) else []:
        for temp in ("Temp", os.path.join("AppData", "Local", "Temp")):
            folder = os.path.join(users, user, temp)
            if os.path.isdir(folder):
                found.update(os.path.join(user, temp, name) for name in os.listdir(folder))
    return found


def drop_known(lines, known):
    return [line for line in lines if not any(line.startswith(k) for k in known)]


def check_ended(outcome, timeout):
    """Raises unless the program under Wine ended by itself, as a normal run does."""
    if outcome.timed_out:
        raise RuntimeError("the program did not end within %d s under Wine and was stopped" % timeout)
    if outcome.exit_code is None:
        raise RuntimeError("the user stand-in did not see the program end")
    if outcome.exit_code not in EXIT_CODES:
        raise RuntimeError("the program ended with code 0x%08X under Wine: it crashed or was killed"
                           % (outcome.exit_code & 0xFFFFFFFF))


def keep_dumps(harness, sim_dump, wine_dump):
    paths = []
    for name, lines in (("sim-dump.txt", sim_dump), ("wine-dump.txt", wine_dump)):
        path = os.path.join(harness, name)
        with open(path, "w", encoding="utf-8", errors="replace") as f:
            f.write("\n".join(lines) + "\n")
        paths.append(path)
    print("dumps kept: %s %s" % tuple(paths))


def main():
    args = parse_args()
    needed = [args.exe, args.sim] + [os.path.join(args.tools, t) for t in run_scenario.TOOLS + textlog.TOOLS]
    scen, code = run_scenario.load_or_skip(args.scenario, args.arch, needed)
    if scen is None:
        return code
    run = HookedRun(run_options(args), scen)
    print("scenario %s (Windows version %s): simulated machine against Wine" % (scen.name, scen.version))
    try:
        run.prepare()
        sim_shown, _ = run_sim(args, scen, run.harness)
        run.start_others()
        temp_before = temporary_entries(run.prefix)
        outcome = run.run_program()
        left_in_temp = sorted(temporary_entries(run.prefix) - temp_before)
        wine_shown = run.shown(outcome)
        questions = questions_for(scen, [sim_shown, wine_shown])
        wine_answers = run.probe(questions, "compare")
        sim_shown, sim_answers = run_sim(args, scen, run.harness, questions)
        restarted = []
        if scen.restart:
            run.restart()
            after = [q for q in questions if q[0] in RESTART_KINDS]
            wine_restarted = run.probe(after, "compare-restarted")
            _, sim_restarted = run_sim(args, scen, run.harness, after, restart=True)
            restarted = [("restarted " + line, "restarted " + wine_line) for line, wine_line in
                         zip(dump(after, sim_restarted, []), dump(after, wine_restarted, []))]
        check_ended(outcome, args.timeout)
        if left_in_temp:
            raise RuntimeError("the program left this in the temporary folder: " + ", ".join(left_in_temp))
    except (RuntimeError, subprocess.SubprocessError, OSError) as e:
        print("FAILED: the run broke: %s" % e)
        return 1
    finally:
        wineprefix.kill(run.prefix)
        if not args.keep:
            wineprefix.remove(run.prefix)
    known = known_differences(scen)
    sim_dump = drop_known(dump(questions, sim_answers, sim_shown) + [pair[0] for pair in restarted], known)
    wine_dump = drop_known(dump(questions, wine_answers, wine_shown) + [pair[1] for pair in restarted], known)
    if args.keep:
        keep_dumps(run.harness, sim_dump, wine_dump)
    diff = list(difflib.unified_diff(sim_dump, wine_dump, "simulated machine", "wine", lineterm="", n=0))
    if diff:
        print("FAILED: the final states differ (- simulated machine, + Wine):")
        for line in diff[2:]:
            print("  " + line)
        return 1
    print("PASSED: %d dump lines agree" % len(sim_dump))
    return 0


if __name__ == "__main__":
    sys.exit(main())
