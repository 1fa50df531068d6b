#!/usr/bin/env python3
"""Installs each package's component of a build tree into a fresh folder and compares the files with the
table of installed files in the README (backquoted paths in its first column, the package in its second)."""
import argparse
import os
import re
import subprocess
import sys
import tempfile

COMPONENTS = {"tervo": "programs", "tervo-standins": "standins", "tervo-libfprint": "libfprint"}
# Built only where libfprint's development files are installed.
OPTIONAL = {"tervo-libfprint"}


def readme_table(readme):
    """The README's installed files, as {package: set of paths}."""
    text = open(readme, encoding="utf-8").read()
    start = text.index("| Installed file | Package | What |")
    wanted = {package: set() for package in COMPONENTS}
    for line in text[start:].splitlines()[2:]:
        if not line.startswith("|"):
            break
        cells = [c.strip() for c in line.strip("|").split("|")]
        package = cells[1].strip("`")
        wanted.setdefault(package, set()).update(re.findall(r"`([^`]+)`", cells[0]))
    return wanted


def installed(build, component):
    with tempfile.TemporaryDirectory(prefix="tervo-install-") as prefix:
        subprocess.run(["cmake", "--install", build, "--prefix", prefix, "--component", component], check=True,
                       stdout=subprocess.DEVNULL)
        return {os.path.relpath(os.path.join(d, f), prefix) for d, _, files in os.walk(prefix) for f in files}


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", required=True)
    ap.add_argument("--readme", required=True)
    opts = ap.parse_args()
    problems = []
    for package, files in readme_table(opts.readme).items():
        if package not in COMPONENTS:
            problems.append(f"README names an unknown package {package}")
            continue
        got = installed(opts.build, COMPONENTS[package])
        if not got and package in OPTIONAL:
            print(f"{package}: not built here, not compared")
            continue
        problems += [f"{package}: installs {f}, which the README does not list" for f in sorted(got - files)]
        problems += [f"{package}: README lists {f}, which is not installed" for f in sorted(files - got)]
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
