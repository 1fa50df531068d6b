#!/usr/bin/env python3
"""A tool answers --help with its usage and --version with its name and version, exit status 0,
wherever the option stands among its arguments."""
import argparse
import shlex
import subprocess
import sys


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--emulator", default="")
    ap.add_argument("program")
    ap.add_argument("name")
    ap.add_argument("version")
    opts = ap.parse_args()
    problems = []
    for args, want in ((["--help"], f"usage: {opts.name} "), (["folder", "--help"], f"usage: {opts.name} "),
                       (["--version"], f"{opts.name} {opts.version}\n")):
        done = subprocess.run(shlex.split(opts.emulator) + [opts.program] + args, capture_output=True, text=True,
                              timeout=60)
        if done.returncode != 0 or not done.stdout.startswith(want):
            problems.append(f"{args}: exit status {done.returncode}, stdout {done.stdout!r}, expected {want!r}")
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
