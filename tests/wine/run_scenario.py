#!/usr/bin/env python3
"""Runs one scenario folder end to end under Wine: lays the machine image into a
fresh prefix, runs DrvUninst.exe with the user stand-in, and checks every
expect line against what really happened.

Exit status: 0 all expect lines hold, 1 some do not (or the run broke),
77 Wine or the Windows build is missing (ctest reports the test as skipped).
"""
import argparse
import dataclasses
import glob
import os
import shutil
import subprocess
import sys
from typing import Optional

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bmp2png  # noqa: E402
import checks  # noqa: E402
import scenario as scenario_mod  # noqa: E402
import textlog  # noqa: E402
import wineprefix  # noqa: E402

SKIP = 77
TOOLS = ("userstandin.exe", "topwindow.exe", "idle.exe", "launch.exe", "probe.exe", "holdfile.exe", "heldlib.dll")
HARNESS = "C:\\harness"
NINE_X = ("win95", "win98", "winme")
# Files a new session acts on (lower case, relative to the Windows directory).
RESTART_LISTS = ("wininit.ini",)
REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


@dataclasses.dataclass(frozen=True)
class RunOptions:
    """What a run needs besides its scenario folder."""
    exe: str = os.path.join(REPO, "build", "windows", "DrvUninst.exe")
    tools: str = os.path.join(REPO, "build", "windows", "tools")  # the harness's own programs
    work: str = os.path.join(REPO, "build", "wine-prefixes")
    arch: str = "win64"  # the Wine machine, one of wineprefix.ARCHES
    timeout: int = 60  # seconds the program may run
    shots: Optional[str] = None  # a folder for pictures of the dialog and boxes; None: headless


def parse_args():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("scenario")
    p.add_argument("--exe", default=RunOptions.exe)
    p.add_argument("--tools", default=RunOptions.tools)
    p.add_argument("--work", default=RunOptions.work)
    p.add_argument("--timeout", type=int, default=RunOptions.timeout, help="seconds the program may run")
    p.add_argument("--report", action="store_true", help="list what was removed and left, per kind")
    p.add_argument("--keep", action="store_true", help="keep the prefix afterwards")
    p.add_argument("--arch", choices=wineprefix.ARCHES, default=RunOptions.arch,
                   help="the Windows machine: win64, or win32 (needs Debian's wine32) for the 32-bit build")
    p.add_argument("--shots", metavar="DIR",
                   help="run on Wine's X11 driver (needs DISPLAY) and save PNG pictures of the "
                        "dialog before the first action and of every message box into DIR")
    return p.parse_args()


class Run:
    def __init__(self, options, scen):
        self.options = options
        self.scen = scen
        self.prefix = os.path.join(os.path.abspath(options.work), "run-%s-%d" % (scen.name, os.getpid()))
        self.harness = os.path.join(self.prefix, "drive_c", "harness")
        self.windir = os.path.join(self.prefix, "drive_c", "windows")
        self.display = os.environ.get("DISPLAY") if options.shots else None
        self.env = wineprefix.wine_env(self.prefix, options.arch, self.display)

    def wine(self, args, timeout, log_name):
        """Runs a Windows program; output goes to a log file, never a pipe, since
        the helpers it starts would hold a pipe open."""
        with open(os.path.join(self.harness, log_name + ".log"), "wb") as log:
            return subprocess.run([wineprefix.loader(self.options.arch)] + args, env=self.env, cwd=self.harness,
                                  stdout=log, stderr=log, timeout=timeout).returncode

    def log_text(self, log_name):
        path = os.path.join(self.harness, log_name + ".log")
        return open(path, encoding="utf-8", errors="replace").read().strip() if os.path.exists(path) else ""

    def prepare(self):
        template = wineprefix.ensure_template(os.path.abspath(self.options.work), print, self.options.arch)
        wineprefix.clone(template, self.prefix)
        os.makedirs(os.path.join(self.harness, "procs"), exist_ok=True)
        os.makedirs(os.path.join(self.harness, "shots"), exist_ok=True)
        for tool in TOOLS:
            shutil.copy2(os.path.join(self.options.tools, tool), self.harness)
        shutil.copy2(self.options.exe, os.path.join(self.harness, "DrvUninst.exe"))
        if self.display:
            self.add_wine_fonts()
        for name in self.scen.processes:
            # Started under exactly this name: the program compares it case-sensitively.
            shutil.copy2(os.path.join(self.options.tools, "idle.exe"), os.path.join(self.harness, "procs", name))
        # Wine carries out WININIT.INI whenever a session starts: the image's
        # one is laid only once the session that runs the program is up, and
        # that session is kept until the restart.
        deferred = [rel for rel in self.scen.files() if rel.lower() in RESTART_LISTS]
        for rel in self.scen.files():
            if rel not in deferred:
                self.lay_file(rel)
        for rel, how in self.scen.in_use:
            # Windows maps only a real image: a loaded file becomes a DLL, a
            # running one a program (its content is no part of what is checked).
            target = wineprefix.resolve(self.windir, rel)
            if not os.path.exists(target):
                raise RuntimeError("machine.ini names a file in use that the image lacks: " + rel)
            if how != "open":
                wineprefix.put_file(os.path.join(self.options.tools, "heldlib.dll" if how == "loaded" else "idle.exe"), target)
        if deferred:
            wineprefix.keep_session(self.prefix)
        for rel in self.scen.readonly:
            if rel.lower() not in RESTART_LISTS:
                self.make_read_only(rel)
        self.import_registry()
        for rel in deferred:
            self.lay_file(rel)
            if rel.lower() in (r.lower() for r in self.scen.readonly):
                self.make_read_only(rel)

    def lay_file(self, rel):
        wineprefix.put_file(os.path.join(self.scen.windows_dir, rel.replace("\\", os.sep)),
                            wineprefix.resolve(self.windir, rel))

    def make_read_only(self, rel):
        target = wineprefix.resolve(self.windir, rel)
        if not os.path.exists(target):
            raise RuntimeError("machine.ini names a read-only file that the image lacks: " + rel)
        wineprefix.make_read_only(target)

    def add_wine_fonts(self):
        """Debian's Wine does not find its own Tahoma and Marlett (window captions,
        their buttons); in the prefix's Fonts folder it does, so pictures show
        frames drawn as on Windows."""
        fonts = wineprefix.resolve(self.windir, "Fonts")
        os.makedirs(fonts, exist_ok=True)
        for font in glob.glob("/usr/share/wine/fonts/*.ttf"):
            shutil.copy2(font, fonts)

    def import_registry(self):
        text, utf16 = self.scen.registry_text()
        if text is None:
            text = "REGEDIT4\r\n"
        text = text.rstrip("\r\n\x00") + "\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine]\r\n\"Version\"=\"%s\"\r\n" % self.scen.version
        if self.scen.version.lower() in NINE_X:
            # Windows 9x reads win.ini from the file; Wine, like NT, would answer
            # its [intl] and other sections from the registry.
            for view in ("", "Wow6432Node\\"):
                text += "\r\n[-HKEY_LOCAL_MACHINE\\Software\\%sMicrosoft\\Windows NT\\CurrentVersion\\IniFileMapping\\win.ini]\r\n" % view
        if self.display:
            # Real windows on the X server; Wine draws the frames itself, as
            # Windows would, since no window manager runs there.
            text += ("\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Drivers]\r\n\"Graphics\"=\"x11\"\r\n"
                     "\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n\"Decorated\"=\"N\"\r\n\"Managed\"=\"N\"\r\n")
        path = os.path.join(self.harness, "machine.reg")
        with open(path, "wb") as f:
            f.write(("\ufeff" + text).encode("utf-16-le") if utf16 else text.encode("latin-1", errors="replace"))
        # The prefix's own regedit (see wineprefix.loader): in a 64-bit prefix the
        # 32-bit one would put HKLM\Software under Wow6432Node.
        # Wine now and then fails to start a program in a freshly copied prefix
        # ("ShellExecuteEx failed"); the import is idempotent, so try again.
        for _ in range(3):
            if self.wine(["regedit", "/S", HARNESS + "\\machine.reg"], 120, "regedit") == 0:
                break
        else:
            raise RuntimeError("regedit could not import the machine image: " + self.log_text("regedit"))
        if self.display:
            # The desktop regedit started still runs on the null driver: end it.
            wineprefix.kill(self.prefix)

    def start_others(self):
        args = [HARNESS + "\\launch.exe", HARNESS + "\\topwindow.exe"]
        for name in self.scen.processes:
            args += ["proc", HARNESS + "\\procs\\" + name]
        for title, hung in self.scen.windows:
            args += ["window", title, "1" if hung else "0"]
        for n, (rel, how) in enumerate(self.scen.in_use):
            path = "C:\\windows\\" + rel
            if how == "running":
                args += ["proc", path]
            else:
                args += ["hold", HARNESS + "\\holdfile.exe", "open" if how == "open" else "load", path,
                         HARNESS + "\\held%d.txt" % n]
        if len(args) <= 2:
            return
        for _ in range(3):
            code = self.wine(args, 60, "launch")
            # Wine now and then fails to start a program in a freshly copied
            # prefix; the launcher then never ran (its log is empty) and
            # started nothing, so it may run again.
            if code == 0 or self.log_text("launch").strip():
                break
        if code != 0:
            raise RuntimeError("the machine's other programs did not start: " + self.log_text("launch"))

    def run_program(self):
        results = os.path.join(self.harness, "results.txt")
        args = [HARNESS + "\\userstandin.exe", HARNESS + "\\results.txt", str(self.options.timeout),
                " ".join(self.scen.actions), HARNESS + "\\DrvUninst.exe"]
        if self.options.shots:
            args.append(HARNESS + "\\shots")
        if self.scen.args:
            # In a file: quotes and blanks pass no command line of Wine's unchanged.
            with open(os.path.join(self.harness, "args.txt"), "wb") as f:
                f.write(self.scen.args.encode("cp1252", errors="replace"))
            args.append("--args-file=" + HARNESS + "\\args.txt")
        hook = textlog.available(self.options.tools)
        if hook:
            for tool in textlog.TOOLS:
                shutil.copy2(os.path.join(self.options.tools, tool), self.harness)
            args = textlog.hooked(HARNESS, args)
        self.wine(args, self.options.timeout + 30, "userstandin")
        if self.options.shots:
            self.save_shots()
        outcome = checks.Outcome()
        if not os.path.exists(results):
            raise RuntimeError("the user stand-in left no results: " + self.log_text("userstandin"))
        outcome.read_results(results)
        self.read_run_log(outcome)
        if hook:
            textlog.apply(outcome, self.harness, checks.unescape)
        return outcome

    def read_run_log(self, outcome):
        """The lines of the file the program's /log named, if it wrote one."""
        path = scenario_mod.log_path(self.scen.args)
        if not path or len(path) < 3 or path[1:3] != ":\\":
            return
        host = wineprefix.resolve(os.path.join(self.prefix, "drive_" + path[0].lower()), path[3:])
        if os.path.isfile(host):
            with open(host, encoding="cp1252", errors="replace", newline="") as f:
                outcome.log = f.read().replace("\r\n", "\n").split("\n")

    def save_shots(self):
        os.makedirs(self.options.shots, exist_ok=True)
        for bmp in sorted(glob.glob(os.path.join(self.harness, "shots", "*.bmp"))):
            name = os.path.splitext(os.path.basename(bmp))[0] + ".png"
            bmp2png.convert(bmp, os.path.join(self.options.shots, name))
            print("picture " + os.path.join(self.options.shots, name))

    def restart(self):
        """A new Wine session, as a restart: every program of the old one ends,
        and the new one carries out the pending operations and WININIT.INI."""
        wineprefix.kill(self.prefix)
        if self.wine(["wineboot", "-r"], 120, "wineboot") != 0:
            raise RuntimeError("wineboot -r failed: " + self.log_text("wineboot"))

    def probe(self, questions, name):
        with open(os.path.join(self.harness, name + ".q"), "wb") as f:
            for kind, arg in questions:
                f.write(("%s\t%s\r\n" % (kind, arg)).encode("cp1252", errors="replace"))
        answers = os.path.join(self.harness, name + ".a")
        command = [HARNESS + "\\probe.exe", HARNESS + "\\" + name + ".q", HARNESS + "\\" + name + ".a"]
        # The probe only reads, so a start Wine dropped under load is tried once more.
        for _ in range(2):
            code = self.wine(command, 60, name)
            if os.path.exists(answers):
                return checks.read_answers(answers)
            print("probe %s wrote no answers (exit %s): %s" % (name, code, self.log_text(name)))
        raise RuntimeError("the probe wrote no answers twice")


def inventory(scen):
    """What the image put on the machine, per kind, as probe questions."""
    keys = scen.registry_keys()
    return [
        ("files", [("file", f) for f in scen.files()]),
        ("registry keys", [("key", k) for k in keys if not scenario_mod.is_device_key(k)]),
        ("devices", [("key", k) for k in keys if scenario_mod.is_device_key(k)]),
        ("processes", [("process", p) for p in scen.processes]),
        ("windows", [("window", t) for t, _ in scen.windows]),
    ]


def is_there(kind, answer):
    if kind == "file":
        return answer is not None and answer.startswith("attr:")
    if kind == "process":
        return answer is not None and answer.isdigit() and int(answer) > 0
    return answer == "present"


def print_shown(outcome):
    print("What the program showed:")
    if outcome.dialog is None:
        print("  no dialog")
    else:
        print('  dialog "%s"' % outcome.dialog)
        for ident in sorted(outcome.texts):
            if ident == 1000:
                continue
            state = "" if ident == 0 or outcome.shown.get(ident, True) else " (hidden)"
            print('    control %-4d "%s"%s' % (ident, outcome.texts[ident].replace("\n", "\\n"), state))
        bar = "" if outcome.shown.get(1000, False) else " (hidden)"
        print("    progress bar at %s%s" % (outcome.progress, bar))
    for caption, text in outcome.boxes:
        print('  message box "%s":' % caption)
        for line in text.split("\n"):
            print("    | " + line)
    print("  user actions: " + (", ".join(outcome.actions) or "none"))
    for action in outcome.unused:
        print("  not needed: " + action)
    if outcome.timed_out:
        print("  the program did not end in time and was stopped")


def print_report(groups, before, after):
    print("What it removed and what it left:")
    if not any(questions for _, questions in groups):
        print("  the machine image holds no files, keys, devices, processes or windows of its own")
    for title, questions in groups:
        if not questions:
            continue
        removed = [arg for kind, arg in questions if is_there(kind, before.get((kind, arg))) and not is_there(kind, after.get((kind, arg)))]
        left = [arg for kind, arg in questions if is_there(kind, after.get((kind, arg)))]
        print("  %s: %d removed, %d left" % (title, len(removed), len(left)))
        for arg in removed:
            print("    removed  " + arg)
        for arg in left:
            print("    left     " + arg)


def load_or_skip(scenario, arch, needed):
    """The scenario folder, or None and the exit code when it cannot run here on
    the Wine machine arch with the files needed."""
    if shutil.which("wine") is None or shutil.which("wineserver") is None:
        print("SKIP: Wine is not installed")
        return None, SKIP
    if arch == "win32" and not wineprefix.has_wine32():
        print("SKIP: 32-bit Wine (Debian's wine32:i386) is not installed")
        return None, SKIP
    missing = [p for p in needed if not os.path.exists(p)]
    if missing:
        print("SKIP: the build is missing: " + ", ".join(missing))
        return None, SKIP
    try:
        scen = scenario_mod.Scenario(scenario)
    except (ValueError, OSError) as e:
        print("FAILED: the scenario folder is not usable: %s" % e)
        return None, 1
    if scen.faults:
        # Wine lets an administrator delete any key (a DACL that denies DELETE
        # is not enforced), so no real machine image makes these calls fail.
        print("SKIP: the image makes calls fail, which only the simulated machine can: " + ", ".join(scen.faults))
        return None, SKIP
    machine_bits = 64 if arch == "win64" else 32
    if scen.bits is not None and scen.bits != machine_bits:
        print("SKIP: the scenario's machine is a %d-bit Windows, this Wine machine a %d-bit one" % (scen.bits, machine_bits))
        return None, SKIP
    return scen, 0


def main():
    args = parse_args()
    if args.shots and not os.environ.get("DISPLAY"):
        print("FAILED: --shots needs an X server in DISPLAY (e.g. run under xvfb-run)")
        return 1
    scen, code = load_or_skip(args.scenario, args.arch, [args.exe] + [os.path.join(args.tools, t) for t in TOOLS])
    if scen is None:
        return code
    run = Run(RunOptions(exe=args.exe, tools=args.tools, work=args.work, arch=args.arch, timeout=args.timeout,
                         shots=args.shots), scen)
    print("scenario %s (Windows version %s, %s machine)" % (scen.name, scen.version, args.arch))
    failures = []
    try:
        run.prepare()
        groups = inventory(scen)
        listing = [q for _, qs in groups for q in qs] if args.report else []
        run.start_others()
        before = run.probe(listing, "before") if listing else {}
        outcome = run.run_program()
        after = run.probe(checks.questions_for(scen.expect) + listing, "after")
        print_shown(outcome)
        if args.report:
            print_report(groups, before, after)
        if outcome.timed_out:
            failures.append("the program did not end within %d s" % args.timeout)
        failures += checks.check(scen.expect, outcome, after)
        if scen.restart:
            run.restart()
            restarted = run.probe(checks.questions_for(scen.after_restart), "restarted")
            failures += ["after the restart: " + f for f in checks.check(scen.after_restart, outcome, restarted)]
    except (RuntimeError, subprocess.SubprocessError, OSError) as e:
        failures.append("the run broke: %s" % e)
    finally:
        wineprefix.kill(run.prefix)
        if not args.keep:
            wineprefix.remove(run.prefix)
    if not scen.expect:
        failures.append("the scenario has no expect lines")
    if failures:
        print("FAILED: %d of the expectations do not hold:" % len(failures))
        for f in failures:
            print("  " + f)
        return 1
    print("PASSED: all %d expect lines hold" % (len(scen.expect) + len(scen.after_restart)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
