#!/usr/bin/env python3
"""Runs one console transcript case against the test doubles.

The program is copied into a fresh <tmp>/bin next to a <tmp>/lib holding the
chosen doubles, so that its own run path ($ORIGIN/../lib) finds them, and runs
in <tmp>/work with the case's stdin. Its stdout must equal the case's expected
text byte for byte, after the elapsed milliseconds are masked; its exit status,
the doubles' call log and the files it leaves are checked as the case says.

Case files: header lines (`key: value`), then sections started by `--- name`:
  program: tervo tervo-dlopen   programs the case applies to (default: both)
  libs: VARIANT                 doubles variant directory (default: default)
  env: NAME=VALUE               environment for the run (repeatable)
  args: A B                     command-line arguments
  file: NAME SIZE [BYTE]        a file of SIZE bytes made in the work folder
  dir: NAME                     a folder made in the work folder
  exit: N                       expected exit status (default 0)
  keep: NAME                    the file must be byte-identical after the run
  absent: NAME                  the file must not exist after the run
  size: NAME N                  the file must be N bytes long after the run
  bmp: NAME                     the file must be the doubles' default capture saved
                                as an 8-bit grayscale BMP, checked field by field
  preload: NAME                 a library of the doubles' folder to LD_PRELOAD
  --- stdin [noeol]             the standard input
  --- stdout [PROGRAM]          the expected output (for one program only)
  --- stderr [PROGRAM]          the expected standard error (unchecked without it)
  --- log [PROGRAM]             the expected call log of the doubles (for one program only)
In expected output a line `{MENU}` stands for the menu, `{START}` for the
successful start-up lines of the program under test; a carriage return is
written \\r, a NUL \\0 and a backslash \\\\; every elapsed time is written #.
In expected standard error the doubles' folder is written {doubles} and the
build folder holding it {build}, as the programs name the library files they load.
"""
import argparse
import difflib
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile

MENU = [
    "Please input cmd:",
    '"open" for open scanner  ',
    '"cap1" for cap img1 and extra feature1',
    '"cap2" for cap img2 and extra feature2',
    '"cyc" for cycle test',
    '"ts" for test sound ',
    '"f1" for input file1.bmp and extract Feature1  ',
    '"f2" for input file2.bmp and extract Feature2  ',
    '"m0" for match Feature1 and Feature2 ',
    '"m1" for match Feature1 and img2 ',
    '"c" for compress image  ',
    '"d" for decompress image  ',
    '"g1" for GenFeatureFromEmpty1  ',
    '"g2" for GenFeatureFromEmpty2  ',
    '"r1" for read feature2 from file  ',
    '"r2" for read feature2 from file  ',
    '"other" for test other funcs   ',
    '"e" for error info  ',
    '"close" for close scanner  ',
    '"q" or "quit": exit application',
]
START = {
    "tervo": "Open Vornet success!\nFP_Begin with result 1 \n",
    "tervo-dlopen": "FP_Begin with result 1 \nOpen Vornet success!\n",
}
TIMING = re.compile(r"(cost |耗时)-?\d+ ms".encode())


def parse_case(path):
    headers, sections, current = [], {}, None
    with open(path, encoding="utf-8", newline="") as f:
        for line in f:
            if line.startswith("--- "):
                current = line[4:].strip()
                sections[current] = ""
            elif current is not None:
                sections[current] += line
            elif line.strip() and not line.startswith("#"):
                key, _, value = line.partition(":")
                headers.append((key.strip(), value.strip()))
    return headers, sections


def visible(data: bytes) -> str:
    """The output as written in case files: control bytes escaped, timings masked."""
    data = TIMING.sub(rb"\1# ms", data)
    out = []
    for b in data:
        if b == 0x5C:
            out.append("\\\\")
        elif b == 0x0D:
            out.append("\\r")
        elif b == 0:
            out.append("\\0")
        elif b < 0x20 and b != 0x0A:
            out.append("\\x%02x" % b)
        else:
            out.append(chr(b))
    # Reassemble UTF-8 text from the byte-wise characters.
    return "".join(out).encode("latin-1", errors="surrogateescape").decode("utf-8", errors="replace")


def with_folders_named(text: str, doubles: str) -> str:
    """Standard error with the doubles' and the build folder written as in case files."""
    doubles = os.path.realpath(doubles)
    text = text.replace(doubles + "/", "{doubles}/")
    return text.replace(os.path.dirname(doubles) + "/", "{build}/")


def expand(text: str, program: str) -> str:
    text = text.replace("{MENU}\n", "".join(line + "\n" for line in MENU))
    return text.replace("{START}\n", START[program])


def check_bmp(path):
    """Problems with a saved capture: header, palette and bottom-up rows."""
    import struct
    if not os.path.exists(path):
        return [f"{path} was not written"]
    data = open(path, "rb").read()
    if len(data) != 93238:
        return [f"{path} is {len(data)} bytes, expected 93238"]
    problems = []
    fields = struct.unpack_from("<2sIIIIiiHHIIiiII", data, 0)
    expected = (b"BM", 0, 0, 1078, 40, 256, 360, 1, 8, 0, 0, 0, 0, 0, 0)
    names = ("signature", "file size", "reserved", "pixel offset", "info size", "width", "height", "planes",
             "bits per pixel", "compression", "image size", "x resolution", "y resolution", "colours used",
             "important colours")
    for name, got, want in zip(names, fields, expected):
        if got != want:
            problems.append(f"BMP {name} is {got!r}, expected {want!r}")
    for i in range(256):
        if data[54 + 4 * i:58 + 4 * i] != bytes([i, i, i, 0]):
            problems.append(f"palette entry {i} is wrong")
            break
    # The doubles capture a gradient: pixel (x, y) of the image is x + 2y.
    for row in range(360):
        y = 359 - row
        want = bytes((x + 2 * y) & 255 for x in range(256))
        if data[1078 + 256 * row:1078 + 256 * (row + 1)] != want:
            problems.append(f"file row {row} is not image row {y}")
            break
    return problems


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program", required=True)
    ap.add_argument("--doubles", required=True)
    ap.add_argument("--case", required=True)
    ap.add_argument("--emulator", default="", help="command line that runs a program built for another machine")
    ap.add_argument("--sanitized", action="store_true",
                    help="the program is built with sanitizers, whose dlopen interceptor hides the program's "
                         "run path from the dynamic loader: point LD_LIBRARY_PATH at the libraries too")
    ap.add_argument("--print", action="store_true", help="print the output and log as a case would hold them")
    opts = ap.parse_args()
    opts.doubles = os.path.abspath(opts.doubles)
    name = os.path.basename(opts.program)
    headers, sections = parse_case(opts.case)

    tmp = tempfile.mkdtemp(prefix="tervo-case-")
    try:
        bindir, libdir, work = (os.path.join(tmp, d) for d in ("bin", "lib", "work"))
        for d in (bindir, libdir, work):
            os.mkdir(d)
        program = os.path.join(bindir, name)
        shutil.copy2(opts.program, program)
        env = {k: v for k, v in os.environ.items()
               if not k.startswith(("TERVO_", "LC_")) and k not in ("LANG", "LD_LIBRARY_PATH")}
        log = os.path.join(tmp, "calls.log")
        env["TERVO_DOUBLE_LOG"] = log
        if opts.sanitized:
            env["LD_LIBRARY_PATH"] = libdir
        args, expected_exit, keep, absent, sizes, bmps = [], 0, {}, [], {}, []
        variant = "default"
        for key, value in headers:
            if key == "libs":
                variant = value
            elif key == "env":
                k, _, v = value.partition("=")
                env[k] = v
            elif key == "args":
                args = value.split()
            elif key == "file":
                parts = value.split()
                fill = int(parts[2], 0) if len(parts) > 2 else None
                size = int(parts[1])
                data = bytes([fill]) * size if fill is not None else bytes(i * 7 % 251 for i in range(size))
                with open(os.path.join(work, parts[0]), "wb") as f:
                    f.write(data)
            elif key == "dir":
                os.mkdir(os.path.join(work, value))
            elif key == "exit":
                expected_exit = int(value)
            elif key == "keep":
                with open(os.path.join(work, value), "rb") as f:
                    keep[value] = f.read()
            elif key == "absent":
                absent.append(value)
            elif key == "size":
                file, n = value.split()
                sizes[file] = int(n)
            elif key == "bmp":
                bmps.append(value)
            elif key == "preload":
                env["LD_PRELOAD"] = os.path.join(opts.doubles, value)
            elif key != "program":
                sys.exit(f"{opts.case}: unknown header {key}")
        for lib in os.listdir(os.path.join(opts.doubles, variant)):
            os.symlink(os.path.join(opts.doubles, variant, lib), os.path.join(libdir, lib))

        stdin_key = next((k for k in sections if k.split()[0] == "stdin"), None)
        stdin = sections.get(stdin_key, "") if stdin_key else ""
        if stdin_key and "noeol" in stdin_key.split():
            stdin = stdin[:-1] if stdin.endswith("\n") else stdin
        run = subprocess.run(shlex.split(opts.emulator) + [program] + args, input=stdin.encode(), stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, cwd=work, env=env, timeout=120)
        sys.stderr.write(run.stderr.decode(errors="replace"))

        if opts.print:
            print(visible(run.stdout), end="")
            print(f"--- exit {run.returncode}")
            if run.stderr:
                print("--- stderr\n" + with_folders_named(visible(run.stderr), opts.doubles), end="")
            if os.path.exists(log):
                print("--- log\n" + open(log, encoding="utf-8").read(), end="")
            return 0
        failures = []
        expected = sections.get(f"stdout {name}", sections.get("stdout"))
        if expected is None:
            failures.append("case has no stdout section")
        else:
            actual = visible(run.stdout)
            want = expand(expected, name)
            if actual != want:
                diff = difflib.unified_diff(want.splitlines(True), actual.splitlines(True), "expected", "actual")
                failures.append("stdout differs:\n" + "".join(diff))
        expected_err = sections.get(f"stderr {name}", sections.get("stderr"))
        actual_err = with_folders_named(visible(run.stderr), opts.doubles)
        if expected_err is not None and actual_err != expected_err:
            diff = difflib.unified_diff(expected_err.splitlines(True), actual_err.splitlines(True),
                                        "expected stderr", "actual stderr")
            failures.append("stderr differs:\n" + "".join(diff))
        if run.returncode != expected_exit:
            failures.append(f"exit status {run.returncode}, expected {expected_exit}")
        expected_log = sections.get(f"log {name}", sections.get("log"))
        if expected_log is not None:
            calls = open(log, encoding="utf-8").read() if os.path.exists(log) else ""
            if calls != expected_log:
                diff = difflib.unified_diff(expected_log.splitlines(True), calls.splitlines(True),
                                            "expected log", "actual log")
                failures.append("call log differs:\n" + "".join(diff))
        for file, before in keep.items():
            with open(os.path.join(work, file), "rb") as f:
                if f.read() != before:
                    failures.append(f"{file} was changed")
        for file in absent:
            if os.path.exists(os.path.join(work, file)):
                failures.append(f"{file} exists")
        for file, n in sizes.items():
            path = os.path.join(work, file)
            got = os.path.getsize(path) if os.path.exists(path) else None
            if got != n:
                failures.append(f"{file} is {got} bytes, expected {n}")
        for file in bmps:
            failures += check_bmp(os.path.join(work, file))
        for f in failures:
            print(f)
        if failures:
            print(f"FAILED: {opts.case} ({name})")
            return 1
        print(f"passed: {opts.case} ({name})")
        return 0
    finally:
        shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
