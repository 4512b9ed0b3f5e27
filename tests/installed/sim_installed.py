#!/usr/bin/env python3
"""Runs one "installed by Windows" folder on the simulated machine: the clean
machine plus what Windows' installer lays down for the package
(model_install.py, the install the helper performs under Wine), DrvUninst
with the folder's user, a restart, then every item of the clean machine must
still be there (else collateral) and every item the install made must be gone
(else residue, unless the folder's allow file names it with its reason).

Exit status: 0 no finding, 1 findings or a broken run, 2 a bad folder.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(REPO, "tests", "wine"))
import generate_packages  # noqa: E402
import installed_scenario  # noqa: E402
import machine_state  # noqa: E402
import model_install  # noqa: E402
import scenario as scenario_mod  # noqa: E402

ROOTS = (("HKEY_LOCAL_MACHINE\\", "hklm\\"), ("HKEY_CURRENT_USER\\", "hkcu\\"))


def short_key(path):
    for long_root, short in ROOTS:
        if path.upper().startswith(long_root):
            return (short + path[len(long_root):]).lower()
    return path.lower()


def clean_registry(text):
    """Keys and the lists (REG_MULTI_SZ) of the clean image's registry text."""
    keys, multi = [], {}
    key = None
    for line in text.replace("\\\r\n", "").replace("\\\n", "").splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]") and not line.startswith("[-"):
            key = line[1:-1]
            keys.append(key)
            continue
        match = re.match(r'^"([^"]*)"=hex\(7\):(.*)$', line)
        if key and match:
            data = bytes(int(b, 16) for b in match.group(2).replace(" ", "").split(",") if b)
            multi[(key.lower(), match.group(1).lower())] = [s.decode("latin-1") for s in data.split(b"\0") if s]
    return keys, multi


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("scenario")
    p.add_argument("--sim", default=os.path.join(REPO, "build", "host", "drvuninst-sim"))
    p.add_argument("--keep", action="store_true", help="keep the laid folder and print its path")
    p.add_argument("--seed", type=int,
                   help="first make the generated folder of this seed (generate_packages.py) in SCENARIO, a directory")
    args = p.parse_args()
    if args.seed is not None:
        args.scenario = generate_packages.make(args.seed, args.scenario)
    try:
        scen = scenario_mod.Scenario(args.scenario)
        install = installed_scenario.read_install(scen.folder)
        allowed = machine_state.Patterns(os.path.join(scen.folder, "allow"))
    except (ValueError, OSError) as e:
        print("FAILED: the folder is not usable: %s" % e)
        return 2
    text, _ = scen.registry_text()
    text = text or "REGEDIT4\r\n"
    keys, multi = clean_registry(text)
    clean_files = scen.files()
    taken = {f.lower() for f in clean_files}
    first_free = next(n for n in range(1000) if "inf\\oem%d.inf" % n not in taken)
    image = model_install.model(scen.folder, install, scen.version, first_free, multi)
    work = tempfile.mkdtemp(prefix="installed-")
    failures = []
    try:
        folder = os.path.join(work, scen.name)
        shutil.copytree(scen.folder, folder, ignore=shutil.ignore_patterns("package", "registry.reg"))
        with open(os.path.join(folder, "registry.reg"), "w", encoding="latin-1", newline="") as f:
            f.write(text.rstrip("\r\n") + "\r\n\r\n" + image.reg_text())
        for rel, data in image.files.items():
            path = os.path.join(folder, "windows", *rel.split("\\"))
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
        # A key the clean machine has is its own, even where the install adds values to it.
        clean = {k.lower() for k in keys}
        made = [("key", k) for k in image.keys if k.lower() not in clean] + [("file", f) for f in image.files]
        kept = [("key", k) for k in keys] + [("file", f) for f in clean_files]
        questions = os.path.join(work, "questions")
        answers = os.path.join(work, "answers")
        with open(questions, "w", encoding="cp1252", newline="") as f:
            for kind, arg in made + kept:
                f.write("%s\t%s\r\n" % (kind, arg))
        run = subprocess.run([args.sim, folder, "--check", "--probe", questions, answers, "--restart"],
                             capture_output=True, text=True, timeout=120)
        if run.returncode != 0:
            failures.append("drvuninst-sim: exit %d\n%s" % (run.returncode, run.stdout[-3000:]))
        found = {}
        with open(answers, encoding="cp1252") as f:
            for line in f:
                kind, arg, answer = line.rstrip("\r\n").split("\t")
                found[(kind, arg)] = answer
        def there(item):
            answer = found.get(item, "absent")
            return answer == "present" or answer.startswith("attr:")
        def name(kind, arg):
            return "key " + short_key(arg) if kind == "key" else "file " + arg.lower()
        residue = allowed_count = 0
        for item in made:
            if not there(item):
                continue
            line = name(*item)
            allow = allowed.reason(line)
            if allow:
                allowed_count += 1
                print("  allowed     %s  (%s)" % (line, allow[1]))
            else:
                residue += 1
                failures.append("residue: " + line)
        for item in kept:
            if not there(item):
                failures.append("collateral: %s (gone)" % name(*item))
        print("installed %d items; residue %d, allowed %d, collateral %d" % (
            len(made), residue, allowed_count, len([f for f in failures if f.startswith("collateral")])))
    finally:
        if args.keep:
            print("kept " + work)
        else:
            shutil.rmtree(work, ignore_errors=True)
    return machine_state.report(failures)


if __name__ == "__main__":
    sys.exit(main())
