#!/usr/bin/env python3
"""Bad input to the profile check and the preview: a profile path that does
not exist, a directory, a file that is not text, and a console that takes no
output. Each must end with a message on stderr and exit status 2, never a
crash. --sim runs drvuninst-sim --check-profile; --exe runs DrvUninstPreview.exe
under Wine, both its check and its preview.

Exit status: 0 as expected, 1 not, 77 Wine or the Windows build is missing.
"""
import argparse
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import preview_wine  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))


def cases(folder):
    missing = os.path.join(folder, "no-such-profile.ini")
    binary = os.path.join(folder, "binary.ini")
    with open(binary, "wb") as f:
        f.write(b"[1]\r\nUnInstDrvAppTitle=x\r\n\0\0\x01\x02")
    return [("a missing profile", missing), ("a directory", folder), ("a file that is not text", binary)]


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--sim")
    p.add_argument("--exe")
    p.add_argument("--arch", default="win64")
    p.add_argument("--work", default=preview_wine.WORK)
    args = p.parse_args()
    runs = []  # (what, run) with run(stdout) -> CompletedProcess
    prefix = None
    with tempfile.TemporaryDirectory() as folder:
        if args.sim:
            for what, path in cases(folder):
                runs.append(("--check on " + what, lambda out, path=path: subprocess.run(
                    [args.sim, "--check-profile", path], stdout=out, stderr=subprocess.PIPE, timeout=120)))
        else:
            prefix = preview_wine.prefix_or_skip(args.exe, args.arch, args.work, "bad-input")
            if prefix is None:
                return preview_wine.SKIP
            for what, path in cases(folder):
                for mode in (["--check"], []):
                    runs.append(("%s on %s" % (" ".join(mode) or "the preview", what),
                                 lambda out, a=mode + [preview_wine.windows_path(path)]: prefix.run(args.exe, a, out)))
            runs.append(("the preview", lambda out: prefix.run(args.exe, [], out)))
        good = os.path.join(HERE, "every-finding.ini")
        if args.sim:
            runs.append(("--check", lambda out: subprocess.run([args.sim, "--check-profile", good], stdout=out,
                                                               stderr=subprocess.PIPE, timeout=120)))
        else:
            runs.append(("--check", lambda out: prefix.run(args.exe, ["--check", preview_wine.windows_path(good)], out)))
        failures = []
        try:
            for what, run in runs:
                console_case = what in ("--check", "the preview")
                # A console that cannot be written: standard output open for reading only.
                out = open(os.devnull, "rb") if console_case else subprocess.PIPE
                proc = run(out)
                message = proc.stderr.decode("latin-1").strip()
                label = what + (" with a console that takes no output" if console_case else "")
                print("%s: exit status %d, %s" % (label, proc.returncode, message.splitlines()[-1] if message else "no message"))
                if proc.returncode != 2 or not message:
                    failures.append(label)
        finally:
            if prefix:
                prefix.remove()
    for failure in failures:
        print("FAIL " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
