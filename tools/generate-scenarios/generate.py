#!/usr/bin/env python3
"""Makes random, well-formed scenario folders: the same seed always gives the
same machine. Each folder is named gen-<seed> and follows
tests/scenarios/README.md; its expect holds the known-difference lines the
comparison with Wine needs.

  generate.py OUT --seed N [--count K] [--with-win8-win10]
"""
import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import parts  # noqa: E402


def folder_name(seed):
    return "gen-%d" % seed


def generate(out, seed, options=None):
    """Writes the machine of one seed under out; returns its folder."""
    folder = os.path.join(out, folder_name(seed))
    parts.make(seed, options).write(folder)
    return folder


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("out", help="where the folders go")
    p.add_argument("--seed", type=int, required=True, help="the first seed")
    p.add_argument("--count", type=int, default=1, help="how many seeds, counting up")
    p.add_argument("--with-win8-win10", action="store_true",
                   help="also draw Windows 8 and 10, left out until the simulated machine reports them as Windows does")
    args = p.parse_args()
    for seed in range(args.seed, args.seed + args.count):
        print(generate(args.out, seed, {"with_win8_win10": args.with_win8_win10}))
    return 0


if __name__ == "__main__":
    sys.exit(main())
