#!/usr/bin/env python3
"""Impression numbering survives the capture library being unloaded.

tervo-dlopen unloads the capture library at every "close" and loads it again
at "open". A session "cap1, close, open, cap1" must save impression 2 of the
finger as ./Fp.bmp, exactly the file tervo-fpgen writes as 0001_2.bmp; a
library that forgot its state on unloading would serve impression 1 again.
"""
import argparse
import os
import shlex
import shutil
import subprocess
import sys
import tempfile


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program", required=True, help="tervo-dlopen")
    ap.add_argument("--lib", required=True, help="folder holding the stand-in libraries")
    ap.add_argument("--fpgen", required=True)
    ap.add_argument("--emulator", default="", help="command line that runs a program built for another machine")
    opts = ap.parse_args()
    emulator = shlex.split(opts.emulator)
    tmp = tempfile.mkdtemp(prefix="tervo-reload-")
    try:
        bindir, libdir, work, prints = (os.path.join(tmp, d) for d in ("bin", "lib", "work", "prints"))
        for d in (bindir, libdir, work):
            os.mkdir(d)
        program = os.path.join(bindir, os.path.basename(opts.program))
        shutil.copy2(opts.program, program)
        for name in ("libID_FprCap.so", "libID_Fpr.so"):
            shutil.copy2(os.path.join(opts.lib, name), libdir)
        subprocess.run(emulator + [opts.fpgen, "--out", prints, "--impressions", "2", "--jobs", "1"],
                       check=True, timeout=300)
        env = {k: v for k, v in os.environ.items() if not k.startswith("TERVO_")}
        # The sanitizers' dlopen interceptor hides the run path; the folder is named directly too.
        env["LD_LIBRARY_PATH"] = libdir
        session = subprocess.run(emulator + [program], input=b"cap1\nclose\nopen\ncap1\nq\n", cwd=work,
                                 env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
        if session.returncode != 0:
            sys.exit(f"tervo-dlopen exited with {session.returncode}: {session.stderr.decode(errors='replace')}")
        with open(os.path.join(work, "Fp.bmp"), "rb") as f:
            saved = f.read()
        with open(os.path.join(prints, "0001_1.bmp"), "rb") as f:
            first = f.read()
        with open(os.path.join(prints, "0001_2.bmp"), "rb") as f:
            second = f.read()
        if saved == first:
            sys.exit("after close and open the scanner served impression 1 again: its numbering restarted")
        if saved != second:
            sys.exit("the capture after close and open is not impression 2 of finger 1")
        print("impression 2 served after the library was unloaded and loaded again")
    finally:
        shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    main()
