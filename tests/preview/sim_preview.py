#!/usr/bin/env python3
"""Holds drvuninst-sim --preview to a scenario folder's own expect file.

For a folder whose user presses OK, every key-absent and file-absent line
must be among the keys and files the preview says would go, and no
key-present or file-present line may be; a run that ends without a message
box after the dialog must be told as a silent stop, one without a dialog as
"not installed". For any other folder the preview must still end with a
verdict and exit 0 or 1.

Exit status: 0 as expected, 1 not.
"""
import argparse
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "wine"))
import preview_report  # noqa: E402
import scenario as scenario_mod  # noqa: E402


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("scenario")
    p.add_argument("--sim", required=True)
    args = p.parse_args()
    scen = scenario_mod.Scenario(args.scenario)
    proc = subprocess.run([args.sim, args.scenario, "--preview", "--lists"], stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, timeout=120)
    report = proc.stdout.decode("latin-1")
    failures = []
    if proc.returncode not in (0, 1) or "Verdict: " not in report:
        failures.append("no verdict (exit status %d): %s" % (proc.returncode, proc.stderr.decode("latin-1")))
    presses_ok = scen.actions[:1] == ["ok"]
    keywords = [keyword for _, keyword, _ in scen.expect]
    if presses_ok and not failures:
        gone = preview_report.gone_lists(report)
        files = preview_report.gone_files(gone)
        for _, keyword, arg in scen.expect:
            kind, _, state = keyword.partition("-")
            if kind not in ("key", "file") or state not in ("absent", "present"):
                continue
            said_gone = (arg.lower() in gone["key"]) if kind == "key" else (arg.lower() in files)
            existed = kind == "key" or arg.replace("/", "\\").lower() in {f.lower() for f in scen.files()}
            if state == "absent" and existed and not said_gone:
                failures.append("%s %s goes, but the preview does not say so" % (kind, arg))
            if state == "present" and said_gone:
                failures.append("%s %s stays, but the preview says it would go" % (kind, arg))
        # A value the run deletes from a key that stays must be told as a change.
        before = scen.registry_values()
        told = report.lower()
        for _, keyword, arg in scen.expect:
            key, _, name = arg.partition("|")
            if keyword != "value-absent" or (key.lower(), name.lower()) not in before or key.lower() in gone["key"]:
                continue
            if ("value %s|%s deleted" % (key, name)).lower() not in told:
                failures.append("value %s goes, but the preview does not say so" % arg)
        stops = any(keyword == "exit" and arg.strip() == "1167" for _, keyword, arg in scen.expect)
        if "dialog" in keywords and stops and "would stop here" not in report:
            failures.append("the run stops at the device check, and the preview does not say so")
        if "no-dialog" in keywords and "not installed" not in report:
            failures.append("the package is not installed, and the preview does not say so")
    for failure in failures:
        print("FAIL " + failure)
    if failures:
        print(report)
    print("%s: %s" % (scen.name, "the preview agrees with the expect file" if not failures else
                      "%d failures" % len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
