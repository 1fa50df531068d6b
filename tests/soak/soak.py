#!/usr/bin/env python3
"""Fault-injection soak: one long scripted session per run, seeded.

Each run copies a program into <tmp>/bin beside a <tmp>/lib holding the chosen
pair of libraries (the stand-ins, or a test double lacking an entry point in
place of one of them) and feeds it a random mix of every command, good and bad
arguments, link losses and reconnects, while the virtual scanner fails calls at
a seeded random rate. Meanwhile a watcher reads ./Fp.bmp over and over: every
read must be a complete image in the console's layout, never a torn one.
After --checkpoint commands and at the end the session is paused and its peak
and current resident set sizes are read from /proc, so a leak shows as growth.
A second phase kills a capturing session at random moments and checks that
./Fp.bmp is still a complete image afterwards.

The run fails when the program does not finish in time, exits non-zero,
prints a sanitizer or crash report, a read of ./Fp.bmp is torn, or the peak
grows by more than --max-growth-kb between the checkpoint and the end.
"""
import argparse
import contextlib
import os
import random
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import threading
import time

BMP_SIZE = 93238
PIXEL_OFFSET = 1078


def bmp_is_complete(data):
    """The console's layout: 256 x 360, 8 bits, whole pixel block (its size field is left 0)."""
    if len(data) != BMP_SIZE or data[:2] != b"BM":
        return False
    size, offset, info, width, height, planes, bits = struct.unpack_from("<I4xIIiiHH", data, 2)
    return size in (0, BMP_SIZE) and (offset, info, width, abs(height), planes, bits) == (
        PIXEL_OFFSET, 40, 256, 360, 1, 8)


class Watcher(threading.Thread):
    """Reads ./Fp.bmp as fast as it can while the session runs."""

    def __init__(self, path):
        super().__init__(daemon=True)
        self.path, self.reads, self.torn, self.versions = path, 0, [], set()
        self.stop = threading.Event()

    def run(self):
        while not self.stop.is_set():
            try:
                with open(self.path, "rb") as f:
                    data = f.read(BMP_SIZE + 1)
            except FileNotFoundError:
                time.sleep(0.001)
                continue
            self.reads += 1
            time.sleep(0.0002)  # leave the session its share of the machine
            if bmp_is_complete(data):
                self.versions.add(hash(data))
            else:
                self.torn.append(len(data))


def make_files(work, fpgen, rng):
    """The files the commands name: good, short, garbage, huge and missing ones."""
    out = os.path.join(work, "prints")
    subprocess.run([fpgen, "--out", out, "--fingers", "1-2", "--impressions", "2", "--seed", "7"], check=True,
                   stdout=subprocess.DEVNULL)
    images = sorted(os.path.join(out, name) for name in os.listdir(out))
    for name, size in (("short.bmp", 1000), ("garbage.bmp", BMP_SIZE), ("huge.bmp", 4 << 20)):
        with open(os.path.join(work, name), "wb") as f:
            f.write(b"BM" + bytes(rng.getrandbits(8) for _ in range(min(size, 65536) - 2)))
            f.truncate(size)
    with open(os.path.join(work, "garbage.dat"), "wb") as f:
        f.write(bytes(rng.getrandbits(8) for _ in range(512)))
    with open(os.path.join(work, "short.dat"), "wb") as f:
        f.write(b"TVFT")
    images += ["short.bmp", "garbage.bmp", "huge.bmp", "missing.bmp", "Fp.bmp"]
    templates = ["garbage.dat", "short.dat", "missing.dat", "Fp.bmp", images[0]]
    return images, templates


def command_stream(rng, count, images, templates):
    """count commands, weighted towards the ones that drive the libraries."""
    long_token = "x" * 600
    choices = [
        (6, lambda: "open"), (4, lambda: "close"), (12, lambda: "cap1"), (12, lambda: "cap2"),
        (2, lambda: "cyc %d" % rng.choice([-1, 0, 1, 2])), (3, lambda: "ts %d" % rng.randint(-2, 12)),
        (6, lambda: "f1 " + rng.choice(images)), (6, lambda: "f2 " + rng.choice(images)),
        (8, lambda: "m0"), (6, lambda: "m1"), (5, lambda: "c"), (5, lambda: "d"),
        (3, lambda: "g1"), (3, lambda: "g2"), (3, lambda: "r1 " + rng.choice(templates)),
        (3, lambda: "r2 " + rng.choice(templates)), (2, lambda: "other"),
        (3, lambda: "e %s" % rng.choice(["-1", "-9", "3", "x", "99999999999"])),
        (1, lambda: rng.choice(["bogus", long_token, "cyc x", "ts " + long_token])),
    ]
    weights = [weight for weight, _ in choices]
    makers = [make for _, make in choices]
    for _ in range(count):
        yield rng.choices(makers, weights)[0]()


def memory_kb(pid):
    values = {}
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            key, _, rest = line.partition(":")
            if key in ("VmHWM", "VmRSS"):
                values[key] = int(rest.split()[0])
    return values["VmHWM"], values["VmRSS"]


class Session:
    """A running program; its output is drained and searched for markers."""

    def __init__(self, argv, work, env):
        self.proc = subprocess.Popen(argv, cwd=work, env=env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE)
        self.tail, self.seen, self.bytes, self.closed = b"", threading.Condition(), 0, False
        self.errors = []
        threading.Thread(target=self._drain, daemon=True).start()
        threading.Thread(target=self._drain_errors, daemon=True).start()

    def _drain(self):
        for chunk in iter(lambda: self.proc.stdout.read1(65536), b""):
            with self.seen:
                self.bytes += len(chunk)
                self.tail = (self.tail + chunk)[-200000:]
                self.seen.notify_all()
        with self.seen:
            self.closed = True
            self.seen.notify_all()

    def _drain_errors(self):
        for line in self.proc.stderr:
            if len(self.errors) < 200:
                self.errors.append(line.decode("utf-8", "replace").rstrip())

    def wait_for(self, text, deadline):
        text = text.encode()
        with self.seen:
            self.seen.wait_for(lambda: text in self.tail or self.closed, timeout=max(0, deadline - time.time()))
            return text in self.tail


@contextlib.contextmanager
def sandbox(prefix, program, libs):
    """<tmp>/bin with the program, <tmp>/lib with the libraries, <tmp>/work; removed afterwards."""
    root = tempfile.mkdtemp(prefix=prefix)
    try:
        bin_dir, lib_dir, work = (os.path.join(root, d) for d in ("bin", "lib", "work"))
        for d in (bin_dir, lib_dir, work):
            os.mkdir(d)
        shutil.copy2(program, bin_dir)
        for lib in libs:
            shutil.copy2(lib, lib_dir)
        yield os.path.join(bin_dir, os.path.basename(program)), lib_dir, work
    finally:
        shutil.rmtree(root, ignore_errors=True)


def soak_run(args, name, program, libs, count, seed, report):
    rng = random.Random(seed)
    with sandbox("soak-", program, libs) as (copied, lib_dir, work):
        images, templates = make_files(work, args.fpgen, rng)
        env = dict(os.environ, LD_LIBRARY_PATH=lib_dir, TERVO_SCANNER_FAULT_RATE="%d:%d" % (args.fault_rate, seed),
                   TERVO_SCANNER_LINK_LOSS="3:-1:20", LC_ALL="C")
        argv = args.emulator + [copied]
        watcher = Watcher(os.path.join(work, "Fp.bmp"))
        watcher.start()
        started = time.time()
        deadline = started + args.timeout
        session = Session(argv, work, env)
        checkpoints = {min(args.checkpoint, count): None, count: None}
        written = 0
        failure = None
        try:
            for command in command_stream(rng, count, images, templates):
                session.proc.stdin.write((command + "\n").encode())
                written += 1
                if written in checkpoints:
                    marker = "mark%d" % written
                    session.proc.stdin.write((marker + "\n").encode())
                    session.proc.stdin.flush()
                    if not session.wait_for("you input :\n%s\n" % marker, deadline):
                        failure = "no answer by command %d" % written
                        break
                    checkpoints[written] = memory_kb(session.proc.pid)
            session.proc.stdin.close()
            session.proc.wait(timeout=max(1, deadline - time.time()))
        except (BrokenPipeError, subprocess.TimeoutExpired) as error:
            failure = failure or "session ended early or hung: %r" % error
        finally:
            if session.proc.poll() is None:
                session.proc.kill()
                session.proc.wait()
            watcher.stop.set()
            watcher.join()
        elapsed = time.time() - started
        status = session.proc.returncode
        tail = session.tail.decode("utf-8", "replace")
        if failure is None and status != 0:
            failure = "exit status %d" % status
        for sign in ("ERROR: AddressSanitizer", "runtime error:", "Segmentation", "Aborted"):
            if failure is None and any(sign in line for line in session.errors + tail.splitlines()):
                failure = "crash or sanitizer report: " + sign
        if failure is None and watcher.torn:
            failure = "%d torn reads of ./Fp.bmp (sizes %s)" % (len(watcher.torn), sorted(set(watcher.torn))[:5])
        marks = sorted(k for k, v in checkpoints.items() if v)
        if failure is None and len(marks) == 2:
            growth = checkpoints[marks[1]][0] - checkpoints[marks[0]][0]
            if growth > args.max_growth_kb:
                failure = "peak RSS grew by %d kB from command %d to %d" % (growth, marks[0], marks[1])
        line = "%-40s %6d commands in %6.1f s; %d reads of Fp.bmp, %d versions, %d torn" % (
            name, count, elapsed, watcher.reads, len(watcher.versions), len(watcher.torn))
        for mark in marks:
            line += "; at %d: peak %d kB, rss %d kB" % ((mark,) + checkpoints[mark])
        report.append(line)
        print(line, flush=True)
        if failure:
            print("FAILED %s: %s\n--- stderr (first lines)\n%s\n--- stdout (tail)\n%s" % (
                name, failure, "\n".join(session.errors[:20]), tail[-3000:]), flush=True)
        return failure is None


def kill_run(args, program, libs, kills, seed, report):
    """Kills capturing sessions at random moments; ./Fp.bmp must stay whole."""
    rng = random.Random(seed)
    with sandbox("soak-kill-", program, libs) as (copied, lib_dir, work):
        env = dict(os.environ, LD_LIBRARY_PATH=lib_dir, LC_ALL="C")
        argv = args.emulator + [copied]
        script = ("open " + "cap1 cap2 " * 200).encode()
        bad = 0
        for _ in range(kills):
            proc = subprocess.Popen(argv, cwd=work, env=env, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL)
            # Feed the script in the background: the kill must be able to
            # land while the pipe is still full.
            threading.Thread(target=lambda p=proc: _feed(p, script), daemon=True).start()
            time.sleep(rng.uniform(0.05, 0.6))
            proc.send_signal(signal.SIGKILL)
            proc.wait()
            path = os.path.join(work, "Fp.bmp")
            if os.path.exists(path):
                with open(path, "rb") as f:
                    if not bmp_is_complete(f.read(BMP_SIZE + 1)):
                        bad += 1
        leftovers = [n for n in os.listdir(work) if n != "Fp.bmp"]
        line = "%-40s %6d kills; Fp.bmp torn after %d; %d unfinished temporary files left" % (
            "kill -9 while capturing", kills, bad, len(leftovers))
        report.append(line)
        print(line, flush=True)
        return bad == 0


def _feed(proc, data):
    try:
        proc.stdin.write(data)
        proc.stdin.close()
    except (BrokenPipeError, ValueError):
        pass


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--bin", required=True, help="folder with tervo and tervo-dlopen")
    parser.add_argument("--lib", required=True, help="folder with the stand-in libraries")
    parser.add_argument("--doubles", required=True, help="folder of the test doubles' variants")
    parser.add_argument("--fpgen", required=True)
    parser.add_argument("--commands", type=int, default=10000)
    parser.add_argument("--checkpoint", type=int, default=1000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--fault-rate", type=int, default=5, help="percent of scanner calls that fail")
    parser.add_argument("--kills", type=int, default=20)
    parser.add_argument("--max-growth-kb", type=int, default=4096)
    parser.add_argument("--timeout", type=float, default=1800, help="seconds per run")
    parser.add_argument("--emulator", default="", help="command line that runs a program (cross builds)")
    parser.add_argument("--report", help="file for the summary lines")
    args = parser.parse_args()
    args.emulator = args.emulator.split()

    fpr = os.path.join(args.lib, "libID_Fpr.so")
    cap = os.path.join(args.lib, "libID_FprCap.so")
    double = lambda variant, name: os.path.join(args.doubles, variant, name)
    tervo, dlopen = (os.path.join(args.bin, p) for p in ("tervo", "tervo-dlopen"))
    short = max(1, args.commands // 5)
    runs = [
        ("tervo, stand-ins", tervo, [fpr, cap], args.commands),
        ("tervo-dlopen, stand-ins", dlopen, [fpr, cap], args.commands),
        ("tervo-dlopen, no LIVESCAN_GetFPRawData", dlopen,
         [fpr, double("no-LIVESCAN_GetFPRawData", "libID_FprCap.so")], short),
        ("tervo-dlopen, no FP_GenFeatureFromEmpty2", dlopen,
         [double("no-FP_GenFeatureFromEmpty2", "libID_Fpr.so"), cap], short),
    ]
    report, ok = [], True
    for index, (name, program, libs, count) in enumerate(runs):
        ok &= soak_run(args, name, program, libs, count, args.seed + index, report)
    if args.kills:
        ok &= kill_run(args, tervo, [fpr, cap], args.kills, args.seed, report)
    if args.report:
        with open(args.report, "w") as f:
            f.write("\n".join(report) + "\n")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
