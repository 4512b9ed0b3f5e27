#!/usr/bin/env python3
"""Runs a profile check (drvuninst-sim or DrvUninstPreview.exe under Wine) on
one profile and holds its report and exit status to the expected ones.

The report's first line names the profile's path, which differs between the
two worlds, so it is left out of the comparison.

Exit status: 0 the report and status are as expected, 1 they differ, 77 Wine
or the Windows build is missing.
"""
import argparse
import difflib
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "wine"))
import preview_wine  # noqa: E402
import wineprefix  # noqa: E402


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("profile")
    p.add_argument("--expect", required=True, help="the report without its first line")
    p.add_argument("--status", type=int, required=True)
    p.add_argument("--sim", help="drvuninst-sim")
    p.add_argument("--exe", help="DrvUninstPreview.exe, run under Wine")
    p.add_argument("--arch", choices=wineprefix.ARCHES, default="win64")
    p.add_argument("--work", default=preview_wine.WORK)
    args = p.parse_args()
    profile = os.path.abspath(args.profile)
    if args.sim:
        proc = subprocess.run([args.sim, "--check-profile", profile], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              timeout=300)
    else:
        prefix = preview_wine.prefix_or_skip(args.exe, args.arch, args.work, "check")
        if prefix is None:
            return preview_wine.SKIP
        try:
            proc = prefix.run(args.exe, ["--check", preview_wine.windows_path(profile)])
        finally:
            prefix.remove()
    report = proc.stdout.decode("latin-1").replace("\r\n", "\n").splitlines()[1:]
    expected = open(args.expect, encoding="latin-1").read().splitlines()
    ok = True
    if report != expected:
        ok = False
        sys.stdout.writelines(line + "\n" for line in difflib.unified_diff(expected, report, "expected", "reported",
                                                                           lineterm=""))
    if proc.returncode != args.status:
        ok = False
        print("exit status %d, expected %d" % (proc.returncode, args.status))
        sys.stdout.write(proc.stderr.decode("latin-1"))
    print("profile check of %s: %s" % (args.profile, "as expected" if ok else "differs"))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
