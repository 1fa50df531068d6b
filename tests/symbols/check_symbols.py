#!/usr/bin/env python3
"""Checks what the two programs export, need and search, from their ELF tables.

tervo exports WriteBMP alone and needs the two fingerprint libraries by their
file names; tervo-dlopen and tervo-check, which load them at run time, export
nothing and need neither; all carry the run path as DT_RUNPATH so that
LD_LIBRARY_PATH can still override it, and it never names the folders where the
project's own libraries are installed.
"""
import argparse
import re
import subprocess
import sys


# Objects of the sanitizer runtimes, present only in sanitizer builds.
SANITIZER_RUNTIME = ("__asan_", "__ubsan_", "__lsan_", "__sanitizer_")


def readelf(*args):
    return subprocess.run(["readelf", "-W", *args], check=True, capture_output=True, text=True).stdout


def exported(path):
    names = set()
    for line in readelf("--dyn-syms", path).splitlines():
        cols = line.split()
        # Num: Value Size Type Bind Vis Ndx Name. A versioned name is another
        # library's object copied into the program (stdin, stdout), not its own.
        if len(cols) >= 8 and cols[0] != "Num:" and cols[6] != "UND" and cols[4] != "LOCAL" and "@" not in cols[7]:
            if not cols[7].startswith(SANITIZER_RUNTIME):
                names.add(cols[7])
    return names


def dynamic(path, tag):
    return re.findall(r"\(" + tag + r"\)\s+.*\[(.*)\]", readelf("-d", path))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--tervo", required=True)
    ap.add_argument("--tervo-dlopen", required=True)
    ap.add_argument("--tervo-check", required=True)
    ap.add_argument("--runpath", required=True)
    ap.add_argument("--machine", help="text that `file` must report for every artefact, e.g. 'ARM aarch64'")
    ap.add_argument("--artefacts", nargs="*", default=[], help="further files for the --machine check")
    opts = ap.parse_args()
    problems = []
    fingerprint = {"libID_Fpr.so", "libID_FprCap.so"}

    if exported(opts.tervo) != {"WriteBMP"}:
        problems.append(f"tervo exports {sorted(exported(opts.tervo))}, expected ['WriteBMP']")
    run_time_loading = (opts.tervo_dlopen, opts.tervo_check)
    for path in run_time_loading:
        if exported(path):
            problems.append(f"{path} exports {sorted(exported(path))}, expected nothing")

    needed = set(dynamic(opts.tervo, "NEEDED"))
    if not fingerprint <= needed:
        problems.append(f"tervo needs {sorted(needed)}, which lacks {sorted(fingerprint - needed)}")
    if any(n.startswith("libID_") for n in needed - fingerprint):
        problems.append(f"tervo needs a fingerprint library under another name: {sorted(needed)}")
    for path in run_time_loading:
        needed = set(dynamic(path, "NEEDED"))
        if any(n.startswith("libID_") for n in needed):
            problems.append(f"{path} needs {sorted(needed)}")

    for path in (opts.tervo,) + run_time_loading:
        # Line editing is loaded at run time where there is a terminal, never linked.
        edit = [n for n in dynamic(path, "NEEDED") if n.startswith("libedit")]
        if edit:
            problems.append(f"{path} is linked against {edit}")
        if dynamic(path, "RPATH"):
            problems.append(f"{path} carries DT_RPATH, which LD_LIBRARY_PATH cannot override")
        if dynamic(path, "RUNPATH") != [opts.runpath]:
            problems.append(f"{path} has run path {dynamic(path, 'RUNPATH')}, expected {opts.runpath}")
        # The loader searches a run path before its cache: a folder of the
        # project's own libraries there would hide every vendor pair.
        for entry in ":".join(dynamic(path, "RUNPATH")).split(":"):
            if entry.rstrip("/").endswith(("/lib/tervo", "/lib/tervo-libfprint")):
                problems.append(f"{path} searches the project's own libraries' folder {entry}")

    if opts.machine:
        for path in [opts.tervo, *run_time_loading] + opts.artefacts:
            kind = subprocess.run(["file", "-L", path], check=True, capture_output=True, text=True).stdout
            if opts.machine not in kind:
                problems.append(f"file says {kind.strip()}, expected {opts.machine}")

    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
