#!/usr/bin/env python3
"""Sessions of the real tervo or tervo-dlopen on the libfprint reader library, with libfprint's
virtual_image driver as the reader and image_feeder.py feeding it.

The program runs in place with LD_LIBRARY_PATH naming the reader library's folder, so that its
libID_FprCap.so is found before the virtual scanner's, then the algorithm library's; FP_DRIVERS_WHITELIST=virtual_image keeps
libfprint away from any real reader on the machine. Each case writes commands one at a time and reads
the console's answer before going on, so that every frame is fed while a capture waits for it.
"""
import argparse
import os
import shlex
import shutil
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import image_feeder  # noqa: E402

WIDTH, HEIGHT = 256, 360
AWAITING = b"to FPI_IMAGE_DEVICE_STATE_AWAIT_FINGER_ON"


def read_bmp(path):
    """Gray values of an 8-bit BMP as written by the console or tervo-fpgen, top row first."""
    data = open(path, "rb").read()
    width = int.from_bytes(data[18:22], "little")
    height = int.from_bytes(data[22:26], "little", signed=True)
    offset = int.from_bytes(data[10:14], "little")
    stride = (width + 3) // 4 * 4
    rows = [data[offset + r * stride: offset + r * stride + width] for r in range(abs(height))]
    if height > 0:
        rows.reverse()
    return width, abs(height), b"".join(rows)


def fit(width, height, pixels):
    """The image centred on the 256 x 360 window: cropped where it sticks out, padded with white."""
    out = bytearray([255]) * (WIDTH * HEIGHT)
    ox, oy = int((WIDTH - width) / 2), int((HEIGHT - height) / 2)
    for y in range(HEIGHT):
        sy = y - oy
        if not 0 <= sy < height:
            continue
        for x in range(WIDTH):
            sx = x - ox
            if 0 <= sx < width:
                out[y * WIDTH + x] = pixels[sy * width + sx]
    return bytes(out)


def resized(width, height, pixels, new_width, new_height):
    """The print cut out of, or set into, a larger frame of its own background: a reader of another size."""
    out = bytearray([pixels[0]]) * (new_width * new_height)
    for y in range(new_height):
        for x in range(new_width):
            sx, sy = x - (new_width - width) // 2, y - (new_height - height) // 2
            if 0 <= sx < width and 0 <= sy < height:
                out[y * new_width + x] = pixels[sy * width + sx]
    return bytes(out)


class Session:
    """One console process; its stdout is collected by a thread and read up to expected texts."""

    def __init__(self, opts, work, env_extra=None):
        env = dict(os.environ)
        env.update({
            # The algorithm library's folder too: a sanitized tervo-dlopen's dlopen goes through the
            # sanitizer's interceptor, which hides the program's run path from the dynamic loader.
            "LD_LIBRARY_PATH": opts.lib + ":" + os.path.join(os.path.dirname(opts.program), "..", "lib"),
            "FP_VIRTUAL_IMAGE": os.path.join(work, "reader.sock"),
            "FP_DRIVERS_WHITELIST": "virtual_image",
            "TERVO_FPRINT_TIMEOUT_MS": "20000",
            # libfprint's state changes, on stderr: the cue that a capture waits for a finger.
            "G_MESSAGES_DEBUG": "libfprint-image_device",
        })
        env.update(env_extra or {})
        self.work = work
        self.output = b""
        self.errors = b""
        self.lock = threading.Condition()
        command = shlex.split(opts.emulator) + [opts.program]
        self.process = subprocess.Popen(command, cwd=work, env=env, stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.readers = [threading.Thread(target=self._collect, args=(self.process.stdout, "output"), daemon=True),
                        threading.Thread(target=self._collect, args=(self.process.stderr, "errors"), daemon=True)]
        for reader in self.readers:
            reader.start()
        self.seen = 0

    def _collect(self, stream, name):
        for chunk in iter(lambda: stream.read1(4096), b""):
            with self.lock:
                setattr(self, name, getattr(self, name) + chunk)
                self.lock.notify_all()

    def send(self, line):
        self.process.stdin.write(line.encode() + b"\n")
        self.process.stdin.flush()

    def expect(self, text, timeout):
        """Waits for `text` after what was read before; returns the output up to its end."""
        wanted = text.encode()
        deadline = time.monotonic() + timeout
        with self.lock:
            while wanted not in self.output[self.seen:]:
                left = deadline - time.monotonic()
                if left <= 0 or self.process.poll() is not None and not self.lock.wait(0.2):
                    raise AssertionError(f"no {text!r} in {self.output[self.seen:]!r}; stderr {self.errors!r}")
                self.lock.wait(left)
            end = self.output.index(wanted, self.seen) + len(wanted)
            part, self.seen = self.output[self.seen:end], end
            return part.decode("utf-8", "replace")

    def await_finger(self, count, timeout):
        """Waits until the reader has waited for a finger `count` times since it started."""
        deadline = time.monotonic() + timeout
        with self.lock:
            while self.errors.count(AWAITING) < count:
                left = deadline - time.monotonic()
                if left <= 0 or self.process.poll() is not None:
                    raise AssertionError(f"the reader never waited for finger {count}; stdout {self.output[self.seen:]!r}")
                self.lock.wait(min(left, 0.2))

    def finish(self, timeout):
        self.send("q")
        try:
            status = self.process.wait(timeout)
        finally:
            if self.process.poll() is None:
                self.process.kill()
            for reader in self.readers:
                reader.join()
        return status


class Case:
    def __init__(self, opts, work):
        self.opts = opts
        self.work = work
        self.slow = opts.slow
        self.sessions = []

    def capture(self, session, feeder, *frames):
        """`cap1`, with each frame or command sent once the reader waits for a finger again."""
        session.send("cap1")
        for frame in frames:
            self.waits += 1
            session.await_finger(self.waits, 60 * self.slow)
            if len(frame) == 3:
                feeder.image(*frame)
            else:
                feeder.command(*frame)
        return session.expect("FP_FeatureExtract cost", 60 * self.slow)

    def expect_capture(self, session, feeder, frame, label):
        answer = self.capture(session, feeder, frame)
        check("get Image Fail" not in answer, f"{label}: capture failed: {answer!r}")
        _, _, saved = read_bmp(os.path.join(self.work, "Fp.bmp"))
        check(saved == fit(*frame), f"{label}: ./Fp.bmp is not the fed image brought to 256 x 360")


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def open_session(case, env_extra=None):
    session = Session(case.opts, case.work, env_extra)
    case.sessions.append(session)
    case.waits = 0
    feeder = image_feeder.Feeder(os.path.join(case.work, "reader.sock"))
    feeder.connect(30 * case.slow)
    session.expect("exit application\n", 30 * case.slow)
    return session, feeder


def case_sizes(case, prints):
    """Frames of the window's size, smaller, larger and of odd differences, each saved as the console's
    image; the description names the driver; libfprint's debug messages stay off stdout."""
    session, feeder = open_session(case)
    width, height, pixels = prints[0]
    for new_width, new_height in ((256, 360), (384, 290), (200, 300), (420, 520), (255, 361), (301, 359)):
        frame = (new_width, new_height, resized(width, height, pixels, new_width, new_height))
        case.expect_capture(session, feeder, frame, f"{new_width} x {new_height}")
    session.send("other")
    answer = session.expect("LIVESCAN_GetDesc", 10 * case.slow) + session.expect("\n", 10 * case.slow)
    check("driver virtual_image" in answer and "500 ppi" in answer, f"description: {answer!r}")
    check(session.finish(30 * case.slow) == 0, "exit status")
    check(AWAITING in session.errors and b"FPI_IMAGE" not in session.output, "libfprint's messages on stdout")


def case_retry(case, prints):
    """Frames libfprint refuses (a retry report, a blank frame) are waited through; the next good one counts.
    A protocol error ends the capture with -2 and leaves the reader usable."""
    session, feeder = open_session(case)
    blank = (WIDTH, HEIGHT, bytes([255]) * (WIDTH * HEIGHT))
    answer = case.capture(session, feeder, (image_feeder.RETRY, 1), blank, prints[1])
    check("get Image Fail" not in answer, f"capture failed: {answer!r}")
    _, _, saved = read_bmp(os.path.join(case.work, "Fp.bmp"))
    check(saved == fit(*prints[1]), "./Fp.bmp is not the good frame")
    answer = case.capture(session, feeder, (image_feeder.ERROR, image_feeder.DEVICE_ERROR_PROTO))
    check("get Image Fail,ret = -2\n" in answer, f"a broken exchange: {answer!r}")
    case.expect_capture(session, feeder, prints[0], "after a broken exchange")
    check(session.finish(30 * case.slow) == 0, "exit status")


def case_timeout(case, prints):
    """No finger within TERVO_FPRINT_TIMEOUT_MS: -101, and the reader still captures afterwards."""
    session, feeder = open_session(case, {"TERVO_FPRINT_TIMEOUT_MS": str(int(1500 * case.slow))})
    started = time.monotonic()
    answer = case.capture(session, feeder)
    check("get Image Fail,ret = -101\n" in answer, f"no finger: {answer!r}")
    check(time.monotonic() - started >= 1.4, "the capture gave up before its time")
    case.waits += 1
    case.expect_capture(session, feeder, prints[0], "after a timeout")
    check(session.finish(30 * case.slow) == 0, "exit status")


def case_removal(case, prints):
    """Unplugged while a capture waits: -1, again -1 without waiting, until close and open find the
    reader again."""
    session, feeder = open_session(case)
    answer = case.capture(session, feeder, (image_feeder.REMOVE, 0))
    check("get Image Fail,ret = -1\n" in answer, f"removal: {answer!r}")
    answer = case.capture(session, feeder)
    check("get Image Fail,ret = -1\n" in answer, f"still unplugged: {answer!r}")
    reopen(case, session, feeder)
    case.expect_capture(session, feeder, prints[2], "after reconnecting")
    check(session.finish(30 * case.slow) == 0, "exit status")


def reopen(case, session, feeder):
    session.send("close")
    session.expect("LIVESCAN_Close", 30 * case.slow)
    session.send("open")
    answer = session.expect("LIVESCAN_Init with result", 30 * case.slow) + session.expect("\n", 10)
    check(" 1 " in answer, f"reopening: {answer!r}")
    feeder.connect(30 * case.slow)


def case_reopen(case, prints):
    """Close and open again, twice; a capture on the closed reader answers at once."""
    session, feeder = open_session(case)
    for round_number in range(2):
        case.expect_capture(session, feeder, prints[round_number], f"round {round_number}")
        session.send("close")
        session.expect("LIVESCAN_Close", 30 * case.slow)
        session.send("cap1")
        answer = session.expect("FP_FeatureExtract cost", 30 * case.slow)
        check("get Image Fail" in answer, f"capture while closed: {answer!r}")
        session.send("open")
        session.expect("LIVESCAN_Init with result 1", 30 * case.slow)
        feeder.connect(30 * case.slow)
    check(session.finish(30 * case.slow) == 0, "exit status")


def case_rescaled(case, prints):
    """A reader of 1000 ppi (TERVO_FPRINT_PPI): a print doubled to 512 x 720 comes back at its own size."""
    session, feeder = open_session(case, {"TERVO_FPRINT_PPI": "1000"})
    width, height, pixels = prints[0]
    doubled = bytes(pixels[(y // 2) * width + x // 2] for y in range(2 * height) for x in range(2 * width))
    answer = case.capture(session, feeder, (2 * width, 2 * height, doubled))
    check("get Image Fail" not in answer, f"rescaled capture: {answer!r}")
    _, _, saved = read_bmp(os.path.join(case.work, "Fp.bmp"))
    mean = sum(abs(a - b) for a, b in zip(saved, pixels)) / len(pixels)
    check(mean < 8, f"the halved image strays from the print by {mean:.1f} gray levels on average")
    session.send("other")
    answer = session.expect("LIVESCAN_GetDesc", 10 * case.slow) + session.expect("\n", 10 * case.slow)
    check("1000 ppi" in answer, f"description: {answer!r}")
    check(session.finish(30 * case.slow) == 0, "exit status")


def case_many(case, prints):
    """Many captures in a row (run under valgrind by the test: no memory error, no definite leak)."""
    session, feeder = open_session(case)
    for number in range(case.opts.captures):
        case.expect_capture(session, feeder, prints[number % len(prints)], f"capture {number}")
    check(session.finish(120 * case.slow) == 0, "exit status (99: valgrind found errors)")


CASES = {name[5:]: function for name, function in globals().items() if name.startswith("case_")}


def make_prints(opts, folder):
    command = shlex.split(opts.emulator_plain) + [opts.fpgen, "--out", folder, "--fingers", "1-1",
                                                  "--impressions", "3", "--jobs", "1"]
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
    return [read_bmp(os.path.join(folder, name)) for name in sorted(os.listdir(folder)) if name.endswith(".bmp")]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program", required=True)
    ap.add_argument("--lib", required=True, help="folder of the reader library")
    ap.add_argument("--fpgen", required=True)
    ap.add_argument("--case", required=True, choices=sorted(CASES))
    ap.add_argument("--emulator", default="", help="runs the program (an emulator, valgrind)")
    ap.add_argument("--emulator-plain", default="", help="runs tervo-fpgen on a cross build")
    ap.add_argument("--slow", type=float, default=1.0, help="factor on every waiting time")
    ap.add_argument("--captures", type=int, default=25)
    opts = ap.parse_args()
    opts.slow = max(opts.slow, 1.0)
    opts.program, opts.lib, opts.fpgen = (os.path.abspath(p) for p in (opts.program, opts.lib, opts.fpgen))
    work = tempfile.mkdtemp(prefix="tervo-fprint-")
    case = Case(opts, work)
    try:
        prints = make_prints(opts, os.path.join(work, "prints"))
        CASES[opts.case](case, prints)
    except AssertionError as failure:
        print(f"FAIL {opts.case}: {failure}")
        return 1
    finally:
        for session in case.sessions:
            if session.process.poll() is None:
                session.process.kill()
        shutil.rmtree(work, ignore_errors=True)
    print(f"ok {opts.case}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
