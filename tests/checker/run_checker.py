#!/usr/bin/env python3
"""Runs tervo-check against the stand-ins or the test doubles and judges its answers.

The checker is copied into a fresh <tmp>/bin beside a <tmp>/lib holding the chosen
libraries, so that its own run path ($ORIGIN/../lib) finds them. Cases:
  standins            every check passes on the project's stand-ins, and the JUnit file says so;
                      the report names each library's file and calls it a tervo stand-in
  baseline            every check passes on the doubles run as an honest library (BASELINE)
  fault:NAME          the fault of FAULTS planted in the doubles: its check fails with the
                      observation named, the checks listed beside it fail or skip as listed,
                      every other check answers as in the baseline run, and the exit status is 1
  report              the JUnit file of a run with failures and skips, read by an XML parser
  options             --help, --version, --only, --image and the usage errors
"""
import argparse
import os
import re
import shlex
import shutil
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

# The doubles as a small honest library: content-aware algorithm, a capture
# device with a closed state.
BASELINE = "content=1;closed=-5"

CAPTURE_NOT_BLANK = "LIVESCAN_GetFPRawData: the image is not blank"
IMAGE_CHECKS = "algorithm checks that need an image"
EMPTY_MATCH = "FP_GenFeatureFromEmpty{}: its template matches no print"

# name: (script added to BASELINE, doubles variant, the check that must fail,
#        what its line must say, {other check: "FAIL" or "skip"})
FAULTS = {
    # The seven faults of the issue.
    "buffer-overrun": ("FP_FeatureExtract.overrun=4", "default",
                       "FP_FeatureExtract: answers 1 and writes nothing past 512 bytes",
                       "offset 512, past the 512 bytes of the template", {}),
    "unterminated-text": ("LIVESCAN_GetDesc.unterminated=1", "default",
                          "LIVESCAN_GetDesc: a wide text ended by a wide zero within 1024 bytes",
                          "no wide zero within 1024 bytes", {}),
    "asymmetric-match": ("FP_FeatureMatch.skew=0.05", "default", "FP_FeatureMatch: symmetric within 0.01",
                         "one way", {}),
    "compression-over-budget": ("FP_Compress.size=20000", "default",
                                "FP_Compress: ratio 6 within 92160 / 6 bytes and a 1078-byte header",
                                "20000 bytes, over 16438", {}),
    "crash": ("FP_Decompress.garbage=crash", "default",
              "FP_Decompress: a garbage compressed image answers other than 1", "FP_Decompress", {}),
    "missing-entry-point": ("", "no-FP_GenFeatureFromEmpty2", "libID_Fpr.so: every entry point present",
                            "FP_GenFeatureFromEmpty2 missing",
                            {"FP_GenFeatureFromEmpty2: answers 1 and writes nothing past 512 bytes": "skip",
                             EMPTY_MATCH.format(2): "skip"}),
    "blank-capture": ("LIVESCAN_GetFPRawData.image=255", "default", CAPTURE_NOT_BLANK,
                      "blank image: gray-level spread 0.0", {IMAGE_CHECKS: "skip"}),
    # One more for every other check.
    "capture-missing": ("", "no-LIVESCAN_GetFPRawData", "libID_FprCap.so: every entry point present",
                        "LIVESCAN_GetFPRawData missing",
                        {"LIVESCAN_Close: calls after it answer other than 1 and write nothing": "skip",
                         "LIVESCAN_GetFPRawData: answers 1": "skip",
                         "LIVESCAN_GetFPRawData: writes nothing past 92160 bytes": "skip",
                         CAPTURE_NOT_BLANK: "skip",
                         "LIVESCAN_GetFPRawData: a capture within 1000 ms": "skip",
                         IMAGE_CHECKS: "skip"}),
    "init-while-open": ("LIVESCAN_Init=1,-5", "default", "LIVESCAN_Init: answers 1, and 1 again while open",
                        "answered 1, then -5 while open",
                        {"LIVESCAN_Close: answers 1, and the scanner opens again after it": "FAIL"}),
    "close-after-reopen": ("LIVESCAN_Close=1,0", "default",
                           "LIVESCAN_Close: answers 1, and the scanner opens again after it",
                           "answered 0 after reopening", {}),
    "works-while-closed": ("closed=", "default",
                           "LIVESCAN_Close: calls after it answer other than 1 and write nothing",
                           "LIVESCAN_GetFPRawData answered 1", {}),
    "capture-fails": ("LIVESCAN_GetFPRawData=-2", "default", "LIVESCAN_GetFPRawData: answers 1", "answered -2",
                      {"LIVESCAN_GetFPRawData: writes nothing past 92160 bytes": "FAIL",
                       CAPTURE_NOT_BLANK: "FAIL",
                       "LIVESCAN_GetFPRawData: a capture within 1000 ms": "FAIL",
                       IMAGE_CHECKS: "skip"}),
    "capture-overrun": ("LIVESCAN_GetFPRawData.overrun=3", "default",
                        "LIVESCAN_GetFPRawData: writes nothing past 92160 bytes", "offset 92160", {}),
    "slow-capture": ("LIVESCAN_GetFPRawData.delay=0,1100", "default",
                     "LIVESCAN_GetFPRawData: a capture within 1000 ms", "took ", {}),
    "wrong-size": ("LIVESCAN_GetMaxImageSize.width=300", "default",
                   "LIVESCAN_GetMaxImageSize: 256 x 360, and a capture window within it", "size 300 x 360", {}),
    "window-refused": ("LIVESCAN_SetCaptWindow=-1", "default",
                       "LIVESCAN_SetCaptWindow: 0, 0, 0, 256, 360 answers 1 and reads back", "answered -1", {}),
    "description-overrun": ("LIVESCAN_GetDesc.overrun=2", "default",
                            "LIVESCAN_GetDesc: answers 1 and writes nothing past 1024 bytes", "offset 1024", {}),
    "error-text-overrun": ("LIVESCAN_GetErrorInfo.overrun=2", "default",
                           "LIVESCAN_GetErrorInfo: writes nothing past 256 bytes for -1 to -9",
                           "for -1: changed the byte at offset 256", {}),
    "error-text-unterminated": ("LIVESCAN_GetErrorInfo.unterminated=1", "default",
                                "LIVESCAN_GetErrorInfo: wide texts for -1 to -9 ended by a wide zero within 256 bytes",
                                "for -1: no wide zero", {}),
    "error-text-empty": ("LIVESCAN_GetErrorInfo.text=", "default",
                         "LIVESCAN_GetErrorInfo: a text for each of -1 to -9", "for -1: empty text", {}),
    "begin-while-ready": ("FP_Begin=1,-3", "default", "FP_Begin: answers 1, and 1 again while ready",
                          "answered 1, then -3", {}),
    "end-fails": ("FP_End=0", "default", "FP_End: answers 1", "answered 0", {}),
    "version-unprintable": ("FP_GetVersion.text=12", "default",
                            "FP_GetVersion: writes nothing past 10 bytes, the first four printable",
                            "byte 2 is 0, not printable", {}),
    "quality-out-of-range": ("FP_GetQualityScore.score=150,0", "default",
                             "FP_GetQualityScore: a print scores 0 to 100 in one byte", "scored 150", {}),
    "quality-blind": ("FP_GetQualityScore.score=50,60", "default",
                      "FP_GetQualityScore: a blank and a noise image score lower than a print",
                      "a print scored 50, a blank image 60", {}),
    "extraction-drifts": ("FP_FeatureExtract.drift=1", "default",
                          "FP_FeatureExtract: the same image twice gives the same template",
                          "differ in 1 of 512 bytes", {}),
    "bmp-read-as-raw": ("FP_FeatureExtract.bmp=0", "default",
                        "FP_FeatureExtract: a BMP file and the same image raw give templates that match",
                        "similarity 0.", {}),
    "slow-extraction": ("FP_FeatureExtract.delay=0,1100", "default",
                        "FP_FeatureExtract: an extraction within 1000 ms", "took ", {}),
    "similarity-overrun": ("FP_FeatureMatch.overrun=4", "default",
                           "FP_FeatureMatch: writes nothing past the 4-byte similarity",
                           "offset 4, past the 4 bytes of the similarity", {}),
    "weak-match": ("FP_FeatureMatch.scale=0.5", "default", "FP_FeatureMatch: a template matches itself above 0.6",
                   "similarity 0.50",
                   {"FP_FeatureExtract: a BMP file and the same image raw give templates that match": "FAIL",
                    "FP_Decompress: the restored image matches the original above 0.6": "FAIL"}),
    "everything-matches": ("FP_FeatureMatch.floor=1", "default",
                           "FP_FeatureMatch: two impressions of one finger score above two fingers",
                           "one finger 1.00, two fingers 1.00", {}),
    "slow-match": ("FP_FeatureMatch.delay=0,60", "default", "FP_FeatureMatch: a match within 50 ms", "took ", {}),
    "garbage-template-accepted": ("FP_FeatureMatch.garbage=accept", "default",
                                  "FP_FeatureMatch: garbage templates answer other than 1",
                                  "FP_FeatureMatch answered 1 for two garbage templates", {}),
    "weak-image-match": ("FP_ImageMatch.scale=0.5", "default",
                         "FP_ImageMatch: an image matches its own template above 0.6", "similarity 0.50", {}),
    "empty-template-overrun": ("FP_GenFeatureFromEmpty1.overrun=1", "default",
                               "FP_GenFeatureFromEmpty1: answers 1 and writes nothing past 512 bytes", "offset 512", {}),
    "empty2-template-overrun": ("FP_GenFeatureFromEmpty2.overrun=1", "default",
                                "FP_GenFeatureFromEmpty2: answers 1 and writes nothing past 512 bytes", "offset 512",
                                {}),
    "empty-template-matches": ("FP_FeatureMatch.empty=0.9", "default", EMPTY_MATCH.format(1),
                               "FP_FeatureMatch scored 0.90 against a print", {EMPTY_MATCH.format(2): "FAIL"}),
    "compress-output-overrun": ("FP_Compress.size=95170", "default",
                                "FP_Compress: writes nothing past 95160 bytes of output and 256 of work buffer",
                                "offset 95160, past the 95160 bytes of the output buffer",
                                {"FP_Compress: ratio 6 within 92160 / 6 bytes and a 1078-byte header": "FAIL"}),
    "compress-work-overrun": ("FP_Compress.work=300", "default",
                              "FP_Compress: writes nothing past 95160 bytes of output and 256 of work buffer",
                              "offset 256, past the 256 bytes of the work buffer", {}),
    "decompress-work-overrun": ("FP_Decompress.work=300", "default",
                                "FP_Decompress: writes nothing past 95160 bytes of output and 256 of work buffer",
                                "offset 256, past the 256 bytes of the work buffer", {}),
    "decompress-writes-nothing": ("FP_Decompress.write=0", "default",
                                  "FP_Decompress: the restored image matches the original above 0.6",
                                  "similarity 0.", {}),
    "garbage-compressed-accepted": ("FP_Decompress.garbage=accept", "default",
                                    "FP_Decompress: a garbage compressed image answers other than 1",
                                    "answered 1", {}),
}

# Checks of a call's time: under an emulator on a loaded machine even the fastest
# of three calls may stall past the limit, so there only a planted delay must fail them.
TIMING = {"LIVESCAN_GetFPRawData: a capture within 1000 ms", "FP_FeatureExtract: an extraction within 1000 ms",
          "FP_FeatureMatch: a match within 50 ms"}

LINE = re.compile(r"^(ok|FAIL|skip)  +(\S+: .*?)(?: \((.*)\)|: (.*))?$")


class Runner:
    def __init__(self, opts):
        self.opts = opts
        self.tmp = tempfile.mkdtemp(prefix="tervo-check-")
        self.bindir = os.path.join(self.tmp, "bin")
        os.mkdir(self.bindir)
        self.program = os.path.join(self.bindir, "tervo-check")
        shutil.copy2(opts.checker, self.program)

    def run(self, args, libs, script=None, check=True):
        """Runs the checker on the libraries of folder libs; returns (exit status, stdout, stderr)."""
        libdir = os.path.join(self.tmp, "lib")
        shutil.rmtree(libdir, ignore_errors=True)
        os.mkdir(libdir)
        for lib in ("libID_Fpr.so", "libID_FprCap.so"):
            if os.path.exists(os.path.join(libs, lib)):
                os.symlink(os.path.abspath(os.path.join(libs, lib)), os.path.join(libdir, lib))
        env = {k: v for k, v in os.environ.items() if not k.startswith("TERVO_") and k != "LD_LIBRARY_PATH"}
        if script is not None:
            env["TERVO_DOUBLE"] = script
        if self.opts.sanitized:
            env["LD_LIBRARY_PATH"] = libdir
        done = subprocess.run(shlex.split(self.opts.emulator) + [self.program] + args, capture_output=True,
                              env=env, cwd=self.tmp, timeout=600)
        return done.returncode, done.stdout.decode("utf-8", "replace"), done.stderr.decode("utf-8", "replace")

    def close(self):
        shutil.rmtree(self.tmp, ignore_errors=True)


def parse(stdout):
    """{check name: (status, detail)} in order, and the totals line."""
    results, totals = {}, None
    for line in stdout.splitlines():
        m = LINE.match(line)
        if m:
            results[m.group(2)] = (m.group(1), m.group(3) or m.group(4) or "")
        elif re.match(r"^\d+ passed, \d+ failed, \d+ skipped$", line):
            totals = line
    return results, totals


def consistent(results, totals):
    """Problems with the totals line against the lines above it."""
    counts = [sum(1 for s, _ in results.values() if s == want) for want in ("ok", "FAIL", "skip")]
    want = "{} passed, {} failed, {} skipped".format(*counts)
    return [] if totals == want else [f"totals line {totals!r}, the lines say {want!r}"]


def excused(runner, name, status):
    """A timing check's failure under an emulator, which the run reports but a test does not count."""
    if status == "FAIL" and name in TIMING and runner.opts.emulator.strip():
        print(f"note: {name} failed under the emulator")
        return True
    return False


def status_without_excused(runner, status, out):
    """The exit status the run would have had without the excused timing failures."""
    fails = [n for n, (s, _) in parse(out)[0].items() if s == "FAIL"]
    if status == 1 and fails and all(excused(runner, n, "FAIL") for n in fails):
        return 0
    return status


def all_pass(runner, libs, script, args=()):
    status, out, err = runner.run(list(args), libs, script)
    results, totals = parse(out)
    problems = consistent(results, totals)
    problems += [f"{name}: {s} {d}" for name, (s, d) in results.items() if s != "ok" and not excused(runner, name, s)]
    want_status = 1 if any(s == "FAIL" for s, _ in results.values()) else 0
    if status != want_status:
        problems.append(f"exit status {status}, expected {want_status}")
    if len(results) < 40:
        problems.append(f"only {len(results)} check lines:\n{out}{err}")
    return problems, results


def names_files(results, libs, origins):
    """Problems with the entry-point lines' naming of the files under test: {library: origin}."""
    problems = []
    for lib, origin in origins.items():
        want = f"{os.path.realpath(os.path.join(libs, lib))}, {origin}"
        got = results.get(f"{lib}: every entry point present", ("", ""))[1]
        if want not in got:
            problems.append(f"{lib}: the entry-point line says {got!r}, expected it to name {want!r}")
    return problems


def image_check(name):
    """Whether a check works on images (skipped when there are none)."""
    return name.startswith("FP_") and name not in IMAGE_FREE


IMAGE_FREE = {"FP_Begin: answers 1, and 1 again while ready", "FP_End: answers 1",
              "FP_GetVersion: writes nothing past 10 bytes, the first four printable",
              "FP_GenFeatureFromEmpty1: answers 1 and writes nothing past 512 bytes",
              "FP_GenFeatureFromEmpty2: answers 1 and writes nothing past 512 bytes",
              "FP_Decompress: a garbage compressed image answers other than 1"}


def fault_case(runner, doubles, name):
    script, variant, target, observed, others = FAULTS[name]
    problems, baseline = all_pass(runner, os.path.join(doubles, "default"), BASELINE)
    if problems:
        return ["baseline run: " + p for p in problems]
    status, out, err = runner.run([], os.path.join(doubles, variant), BASELINE + ";" + script)
    results, totals = parse(out)
    problems = consistent(results, totals)
    if status != 1:
        problems.append(f"exit status {status}, expected 1")
    if list(results) != list(baseline):
        problems.append("not every check ran:\n" + out + err)
        return problems
    expected = {}
    for check in baseline:
        if check == target:
            expected[check] = "FAIL"
        elif check in others:
            expected[check] = others[check]
        elif IMAGE_CHECKS in others and image_check(check):
            expected[check] = others[IMAGE_CHECKS]
        else:
            expected[check] = "ok"
    for check, want in expected.items():
        got, detail = results[check]
        if got != want and not (want == "ok" and excused(runner, check, got)):
            problems.append(f"{check}: {got} ({detail}), expected {want}")
    if results[target][0] == "FAIL" and observed not in results[target][1]:
        problems.append(f"{target}: says {results[target][1]!r}, expected it to name {observed!r}")
    if problems:
        problems.append("output:\n" + out + err)
    return problems


def junit(path):
    """(suites, cases by name) of a JUnit file, through a real XML parser."""
    root = ET.parse(path).getroot()
    cases = {}
    for case in root.iter("testcase"):
        kind = "FAIL" if case.find("failure") is not None else "skip" if case.find("skipped") is not None else "ok"
        cases[case.get("name")] = (kind, case)
    return root, cases


def report_case(runner, opts):
    problems = []
    # A run with a failure (a crash) and skips (a missing entry point).
    path = os.path.join(runner.tmp, "report.xml")
    status, out, err = runner.run(["--report", path], os.path.join(opts.doubles, "no-FP_GenFeatureFromEmpty2"),
                                  BASELINE + ";FP_Decompress.garbage=crash;FP_GetVersion.text=<&'>")
    results, totals = parse(out)
    root, cases = junit(path)
    if root.tag != "testsuites" or [s.get("name") for s in root.findall("testsuite")] != ["capture", "algorithm"]:
        problems.append("the suites are not capture and algorithm in a testsuites element")
    if {n: k for n, (k, _) in cases.items()} != {n: s for n, (s, _) in results.items()}:
        problems.append("the JUnit cases differ from the lines printed")
    counts = [sum(1 for s, _ in results.values() if s == w) for w in ("FAIL", "skip")]
    if [int(root.get("tests")), int(root.get("failures")), int(root.get("skipped"))] != [len(results)] + counts:
        problems.append(f"testsuites counts {root.attrib}, the lines say {len(results)} tests, {counts}")
    crashed = cases.get("FP_Decompress: a garbage compressed image answers other than 1")
    if crashed is None or crashed[0] != "FAIL" or "FP_Decompress" not in crashed[1].find("failure").get("message"):
        problems.append("the crash is not a failure naming FP_Decompress")
    problems += names_files(results, os.path.join(opts.doubles, "no-FP_GenFeatureFromEmpty2"),
                            {"libID_Fpr.so": "tervo stand-in: test double"})
    for suite, lib in (("capture", "libID_FprCap.so"), ("algorithm", "libID_Fpr.so")):
        properties = {p.get("name"): p.get("value") for p in root.findall(f"testsuite[@name='{suite}']/properties/property")}
        want = {"library": os.path.realpath(os.path.join(opts.doubles, "no-FP_GenFeatureFromEmpty2", lib)),
                "origin": "tervo stand-in: test double"}
        if properties != want:
            problems.append(f"the {suite} suite's properties are {properties}, expected {want}")
    version = cases.get("FP_GetVersion: writes nothing past 10 bytes, the first four printable")
    if version is None or version[1].findtext("system-out") != "<&'>":
        problems.append("markup in an observed value did not survive the XML file")
    # Sanitizer-free standins: every case passed, in a file written next to an existing one.
    status, out, err = runner.run(["--report", path, "--only", "capture"], opts.lib)
    status = status_without_excused(runner, status, out)
    root, cases = junit(path)
    failures = [n for n, (k, _) in cases.items() if k == "FAIL" and not excused(runner, n, k)]
    if status != 0 or failures or len(cases) != len(parse(out)[0]):
        problems.append("the stand-ins' capture report is wrong:\n" + open(path).read())
    status, _, err = runner.run(["--report", os.path.join(runner.tmp, "no", "such", "dir.xml"), "--only", "capture"],
                                opts.lib)
    if status != 1 or "cannot write" not in err:
        problems.append(f"an unwritable report: exit status {status}, stderr {err!r}")
    return problems


def write_bmp(path, pixel):
    """A 256 x 360 8-bit BMP in the console's layout; pixel(x, y) gives the gray of each pixel."""
    header = struct.pack("<2sIHHIIiiHHIIiiII", b"BM", 93238, 0, 0, 1078, 40, 256, 360, 1, 8, 0, 92160, 0, 0, 256,
                         0)
    palette = b"".join(bytes([i, i, i, 0]) for i in range(256))
    rows = b"".join(bytes(pixel(x, 359 - row) & 255 for x in range(256)) for row in range(360))
    with open(path, "wb") as f:
        f.write(header + palette + rows)


def options_case(runner, opts):
    problems = []
    default = os.path.join(opts.doubles, "default")

    def expect(args, want_status, want_out="", want_err="", libs=default, script=BASELINE):
        status, out, err = runner.run(args, libs, script)
        status = status_without_excused(runner, status, out)
        if status != want_status or want_out not in out or want_err not in err:
            problems.append(f"{args}: exit status {status}, stdout {out[:300]!r}, stderr {err!r}")
        return out

    expect(["--help"], 0, "usage: tervo-check")
    expect(["--version"], 0, "tervo-check 1.")
    for bad in (["--only"], ["--only", "both"], ["--frobnicate"], ["extra"], ["--help=yes"],
                ["--image", "/nonexistent.bmp"], ["--image", runner.program],
                ["--image=a", "--image=b", "--image=c", "--image=d"]):
        expect(bad, 2, "", "tervo-check: ")
    out = expect(["--only", "capture"], 0)
    if "FP_" in out or "libID_Fpr.so" in out:
        problems.append("--only capture ran algorithm checks")
    out = expect(["--only=algorithm"], 0)
    if "LIVESCAN_" in out.replace("LIVESCAN_GetFPRawData", ""):
        problems.append("--only algorithm ran capture checks")
    # Images from files instead of captures: the capture library is not needed.
    finger = os.path.join(runner.tmp, "finger.bmp")
    other = os.path.join(runner.tmp, "other.bmp")
    write_bmp(finger, lambda x, y: x + 2 * y)
    write_bmp(other, lambda x, y: 255 - y // 2 if x < 128 else y // 2)
    no_capture = os.path.join(opts.doubles, "no-cap")
    expect(["--only", "algorithm", "--image", finger, "--image", finger, "--image", other], 0, "", "", no_capture)
    out = expect(["--only", "algorithm", "--image", finger], 0, "", "", no_capture)
    results, _ = parse(out)
    genuine = results.get("FP_FeatureMatch: two impressions of one finger score above two fingers", ("", ""))
    if genuine[0] != "skip" or "--image twice" not in genuine[1]:
        problems.append(f"one --image: the two-impression check answered {genuine}")
    # Without images and without a capture library, the image checks skip with the reason.
    status, out, err = runner.run(["--only", "algorithm"], no_capture, BASELINE)
    status = status_without_excused(runner, status, out)
    results, _ = parse(out)
    selfmatch = results.get("FP_FeatureMatch: a template matches itself above 0.6", ("", ""))
    if status != 0 or selfmatch[0] != "skip" or "give --image" not in selfmatch[1]:
        problems.append(f"no capture library, no --image: exit {status}, self-match {selfmatch}")
    # A missing library is a failed check, not a crash.
    status, out, err = runner.run([], no_capture, BASELINE)
    results, _ = parse(out)
    if status != 1 or results.get("libID_FprCap.so: every entry point present", ("",))[0] != "FAIL":
        problems.append(f"no capture library: exit {status}\n{out}{err}")
    return problems


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--checker", required=True)
    ap.add_argument("--doubles", required=True)
    ap.add_argument("--lib", required=True, help="the stand-ins' folder")
    ap.add_argument("--case", required=True)
    ap.add_argument("--emulator", default="")
    ap.add_argument("--sanitized", action="store_true",
                    help="sanitizers hide the run path from dlopen: point LD_LIBRARY_PATH at the libraries")
    opts = ap.parse_args()
    runner = Runner(opts)
    try:
        if opts.case == "standins":
            problems, results = all_pass(runner, opts.lib, None)
            problems += names_files(results, opts.lib, {"libID_FprCap.so": "tervo stand-in: virtual scanner",
                                                        "libID_Fpr.so": "tervo stand-in: reference algorithm"})
        elif opts.case == "baseline":
            problems, _ = all_pass(runner, os.path.join(opts.doubles, "default"), BASELINE)
        elif opts.case.startswith("fault:"):
            problems = fault_case(runner, opts.doubles, opts.case[6:])
        elif opts.case == "report":
            problems = report_case(runner, opts)
        elif opts.case == "options":
            problems = options_case(runner, opts)
        else:
            sys.exit(f"unknown case {opts.case}")
    finally:
        runner.close()
    for p in problems:
        print(p)
    print(("FAILED: " if problems else "passed: ") + opts.case)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
