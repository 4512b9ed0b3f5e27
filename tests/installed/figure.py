#!/usr/bin/env python3
"""Runs the installed-by-Windows folders and generated packages under Wine
(and on the simulated machine) and writes the figure of docs/: per package
what the install made, what the removal took, the residue and collateral
found, and what stays allowed, with why.

  figure.py [--seeds N] [--out docs/installed-by-windows.md] [--runs DIR]

--runs reuses the summaries (installed_scenario.py --summary) and logs a
former run left in DIR; missing ones are run.
"""
import argparse
import json
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
WINE = os.path.join(REPO, "tests", "installed", "installed_scenario.py")
SIM = os.path.join(HERE, "sim_installed.py")
sys.path.insert(0, HERE)
import machine_state  # noqa: E402


# Why a package's run fails today, for the figure's reader.
WHY = {
    "usb-and-pci-models": "the driver package both models came from is uninstalled by name when the USB "
                          "stick's class instance is found, so the PCI card loses its INF and PNF; the same "
                          "on both machines. Its tests stay disabled until a package goes only with the "
                          "last device that uses it.",
}


def run(name, args, runs):
    summary = os.path.join(runs, name + ".json")
    if not os.path.exists(summary):
        with open(os.path.join(runs, name + ".log"), "w") as log:
            subprocess.run([sys.executable, WINE] + args + ["--summary", summary], stdout=log,
                           stderr=subprocess.STDOUT, timeout=900)
    sim_log = os.path.join(runs, name + ".sim.log")
    if not os.path.exists(sim_log):
        with open(sim_log, "w") as log:
            subprocess.run([sys.executable, SIM] + args, stdout=log, stderr=subprocess.STDOUT, timeout=300)
    with open(summary) as f:
        data = json.load(f)
    with open(sim_log) as f:
        data["sim"] = f.read().strip().splitlines()[-1]
    return data


def describe(folder):
    with open(os.path.join(folder, "install")) as f:
        devices = [line.split(" ", 1)[1].strip() for line in f if line.startswith("device ")]
    with open(os.path.join(folder, "machine.ini")) as f:
        version = next((line.split("=", 1)[1].strip() for line in f if line.startswith("version=")), "win7")
    return "%s, %s" % (version, ", ".join(devices))


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--seeds", type=int, default=20)
    p.add_argument("--out", default=os.path.join(REPO, "docs", "installed-by-windows.md"))
    p.add_argument("--runs", default=os.path.join(REPO, "build", "installed-runs"))
    args = p.parse_args()
    os.makedirs(args.runs, exist_ok=True)
    generated = os.path.join(REPO, "build", "host", "generated-installed")
    rows = []
    for name in sorted(os.listdir(HERE)):
        folder = os.path.join(HERE, name)
        if os.path.exists(os.path.join(folder, "install")):
            rows.append((name, describe(folder), run(name, [folder], args.runs)))
    for seed in range(1, args.seeds + 1):
        data = run("seed-%d" % seed, [generated, "--seed", str(seed)], args.runs)
        rows.append(("seed %d" % seed, describe(os.path.join(generated, "installed-seed-%d" % seed)), data))

    out = ["# Packages installed by Windows, removed by DrvUninst",
           "",
           "Each package below was installed into a fresh Wine machine (Wine 8, 64-bit) by Windows' own",
           "installer functions (`tests/wine/tools/installpkg.exe`), removed by DrvUninst.exe with OK pressed,",
           "the machine restarted and compared with its state before the install (`tests/installed/`).",
           "*Made* counts the keys, values, files and folders the install added or changed; *taken* those the",
           "removal took back; *residue* what the install made that stays with no allow-list entry;",
           "*collateral* what was there before and is gone or changed. The simulated machine ran the same",
           "install, modelled as Windows lays it down, with the same finding per package.",
           "Made with `python3 tests/installed/figure.py --seeds %d`." % args.seeds,
           "",
           "| package | machine and devices | made | taken | residue | collateral | allowed | Wine's own | expect | simulated machine |",
           "|---|---|---:|---:|---:|---:|---:|---:|---|---|"]
    totals = [0, 0, 0, 0, 0]
    allowed = {}
    for name, what, data in rows:
        n_allowed = sum(c for _, _, c in data["allowed"])
        n_wine = sum(c for _, _, c in data["wine"]) if isinstance(data["wine"], list) else data["wine"]
        for pattern, reason, count in data["allowed"]:
            allowed.setdefault((pattern, reason), []).append(name)
        expect = "; ".join(data.get("expect", [])) or "held"
        out.append("| %s | %s | %d | %d | %d | %d | %d | %d | %s | %s |" % (
            name, what.replace("|", "/"), data["installed"], data["removed"], len(data["residue"]),
            len(data["collateral"]), n_allowed, n_wine, expect.replace("|", "/"), data["sim"]))
        for i, v in enumerate((data["installed"], data["removed"], len(data["residue"]), len(data["collateral"]),
                               n_allowed)):
            totals[i] += v
    out.append("| **all %d** | | **%d** | **%d** | **%d** | **%d** | **%d** | | | |" % ((len(rows),) + tuple(totals)))
    failing = [(name, data) for name, _, data in rows
               if data["residue"] or data["collateral"] or data.get("expect")]
    out += ["", "## What the comparison found", ""]
    if not failing:
        out.append("Nothing: no residue beyond the allow-lists, no collateral.")
    for name, data in failing:
        out.append("- %s: %s" % (name, WHY.get(name, "; ".join(data["residue"] + data["collateral"]
                                                            + data.get("expect", [])))))
    out += ["", "## What stays allowed, and why", ""]
    if not allowed:
        out.append("Nothing.")
    for (pattern, reason), names in sorted(allowed.items()):
        out.append("- `%s` (%s): %s" % (pattern, ", ".join(names), reason))
    out += ["", "## Wine's own differences (`tests/installed/wine-own`)", ""]
    for pattern, _, reason in machine_state.Patterns(os.path.join(HERE, "wine-own")).entries:
        out.append("- `%s`: %s" % (pattern, reason))
    with open(args.out, "w", encoding="utf-8") as f:
        f.write("\n".join(out) + "\n")
    print(args.out)


if __name__ == "__main__":
    sys.exit(main())
