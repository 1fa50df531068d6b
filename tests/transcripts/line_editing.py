#!/usr/bin/env python3
"""Drives a program through a pseudo-terminal, as an operator at a keyboard.

With standard input and output on a terminal the console reads lines through
libedit: arrow keys and Backspace edit the line, Up brings back the last one,
several commands still share a line, and a prompt shown before a new line is
still printed exactly once. Exit status 77 (skipped) where libedit is missing.
"""
import argparse
import ctypes.util
import os
import pty
import select
import shutil
import subprocess
import sys
import tempfile
import time

UP, LEFT, BACKSPACE = "\x1b[A", "\x1b[D", "\x7f"


class Terminal:
    def __init__(self, argv, cwd, env):
        self.master, slave = pty.openpty()
        self.proc = subprocess.Popen(argv, stdin=slave, stdout=slave, stderr=slave, cwd=cwd, env=env,
                                     start_new_session=True)
        os.close(slave)
        self.seen = ""

    def read_until(self, text, count=1, timeout=60):
        """Reads output until text has appeared count times in all of it."""
        deadline = time.monotonic() + timeout
        while self.seen.count(text) < count:
            left = deadline - time.monotonic()
            ready, _, _ = select.select([self.master], [], [], max(left, 0))
            if not ready:
                raise AssertionError(f"no {text!r} (x{count}) within {timeout} s; output:\n{self.seen}")
            try:
                data = os.read(self.master, 4096)
            except OSError:
                data = b""
            if not data:
                raise AssertionError(f"output ended before {text!r} (x{count}); output:\n{self.seen}")
            self.seen += data.decode("utf-8", errors="replace").replace("\r\n", "\n")

    def type(self, keys):
        os.write(self.master, keys.encode())


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program", required=True)
    ap.add_argument("--doubles", required=True)
    opts = ap.parse_args()
    if ctypes.util.find_library("edit") is None:
        print("libedit is not installed: skipped")
        return 77

    tmp = tempfile.mkdtemp(prefix="tervo-pty-")
    try:
        bindir, libdir, work = (os.path.join(tmp, d) for d in ("bin", "lib", "work"))
        for d in (bindir, libdir, work):
            os.mkdir(d)
        program = os.path.join(bindir, os.path.basename(opts.program))
        shutil.copy2(opts.program, program)
        for lib in os.listdir(os.path.join(opts.doubles, "default")):
            os.symlink(os.path.join(os.path.abspath(opts.doubles), "default", lib), os.path.join(libdir, lib))
        log = os.path.join(tmp, "calls.log")
        env = {k: v for k, v in os.environ.items() if not k.startswith("TERVO_")}
        env.update(TERM="xterm", HOME=tmp, TERVO_DOUBLE_LOG=log, LD_LIBRARY_PATH=libdir)

        t = Terminal([program], work, env)
        menu_end = '"q" or "quit": exit application\n'
        t.read_until(menu_end)
        t.type("g1\r")
        t.read_until("FP_GenFeatureFromEmpty1 success")
        t.type(UP + "\r")  # the last line again
        t.read_until("FP_GenFeatureFromEmpty1 success", 2)
        t.type("m0x" + BACKSPACE + "\r")  # a typing slip mended
        t.read_until("match success")
        t.type("1" + LEFT + "m\r")  # "m" put in front of "1"
        t.read_until("you input :\nm1\n")
        t.type("f1\r")
        t.read_until("please input bmp file name:")
        t.type("missing.bmp\r")
        t.read_until("fopen missing.bmp fail!")
        t.type("f2 nothere.bmp g2\r")  # a command, its answer and another command on one line
        t.read_until("FP_GenFeatureFromEmpty2 success")
        t.type("q\r")
        t.read_until("LIVESCAN_Close with result 1")
        status = t.proc.wait(timeout=60)

        problems = []
        if status != 0:
            problems.append(f"exit status {status}")
        for cmd in ("g1", "m0", "m1", "f1", "f2", "g2", "q"):
            if f"you input :\n{cmd}\n" not in t.seen:
                problems.append(f"command {cmd} was not read as it was typed")
        for prompt, count in (("please input bmp file name:", 2), ("you input :\nnothere.bmp\n", 1)):
            if t.seen.count(prompt) != count:
                problems.append(f"{prompt!r} shown {t.seen.count(prompt)} times, expected {count}")
        calls = open(log).read().splitlines() if os.path.exists(log) else []
        if calls.count("FP_GenFeatureFromEmpty1 0 0") != 2:
            problems.append(f"Up did not repeat g1: {calls}")
        if "\x1b" in "".join(l for l in t.seen.splitlines() if l.startswith(("you input", "fopen"))):
            problems.append("escape sequences reached a token")
        for p in problems:
            print(p)
        if problems:
            print("output:\n" + t.seen)
            return 1
        print("passed: line editing through a pseudo-terminal")
        return 0
    finally:
        shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
