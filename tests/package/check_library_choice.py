#!/usr/bin/env python3
"""Installs a build into a temporary prefix and checks which pair of libraries the installed programs test.

  launcher  with no vendor pair anywhere, the installed programs find no library: the folders of the
            project's own libraries are not in their run path. tervo-virtual (and tervo-libfprint, where
            built; not under an emulator) starts them on the project's own pair, and standard error
            names those files as tervo stand-ins; a launcher without its libraries or program says so
            and exits with 127.
  cache     a pair known to the dynamic loader only through its cache: the test doubles, which report
            version 1.2.3.4, in a folder listed in a private cache (ldconfig -C FILE -f CONF) that is
            bind-mounted over /etc/ld.so.cache inside a mount namespace of its own (unshare -m). The
            installed tervo, tervo-dlopen and tervo-check use that pair although the stand-ins are
            installed beside them, and name its files; tervo-virtual still chooses the stand-ins.
            Skipped (exit status 77) where that cannot be set up: not root, no unshare, no
            /etc/ld.so.cache, or a cross build, whose libraries the machine's ldconfig leaves out
            of a cache as foreign files.
"""
import argparse
import os
import shlex
import shutil
import subprocess
import sys
import tempfile

SKIPPED = 77
PROGRAMS = ("tervo", "tervo-dlopen", "tervo-check")
LIBRARIES = ("libID_FprCap.so", "libID_Fpr.so")
HONEST_DOUBLES = "content=1;closed=-5"


class Installed:
    """The build installed into a fresh prefix; programs run with a clean environment."""

    def __init__(self, build, emulator):
        self.root = os.path.realpath(tempfile.mkdtemp(prefix="tervo-choice-"))
        self.prefix = os.path.join(self.root, "usr")
        subprocess.run(["cmake", "--install", build, "--prefix", self.prefix], check=True,
                       stdout=subprocess.DEVNULL)
        self.bin = os.path.join(self.prefix, "bin")
        self.env = {k: v for k, v in os.environ.items()
                    if not k.startswith(("TERVO_", "LD_")) and k not in ("LANG", "LANGUAGE")}
        self.emulator = shlex.split(emulator)
        if self.emulator:
            # Without binfmt_misc the launchers cannot exec a program built for another machine:
            # each program becomes a script that starts it under the emulator, environment kept.
            for name in PROGRAMS:
                path = os.path.join(self.bin, name)
                os.rename(path, path + ".elf")
                with open(path, "w") as f:
                    f.write("#!/bin/sh\nexec %s \"$0.elf\" \"$@\"\n" % shlex.join(self.emulator))
                os.chmod(path, 0o755)

    def run(self, argv, stdin="q\n", env=None, wrap=(), timeout=600):
        """(exit status, stdout, stderr) of argv, a program of the prefix named first; status None when it
        outlived timeout seconds and was killed."""
        program = os.path.join(self.bin, argv[0])
        command = [*wrap, program, *argv[1:]]
        try:
            done = subprocess.run(command, input=stdin.encode(), capture_output=True, cwd=self.root,
                                  env=dict(self.env, **(env or {})), timeout=timeout)
        except subprocess.TimeoutExpired as killed:
            return None, (killed.stdout or b"").decode("utf-8", "replace"), (killed.stderr or b"").decode(
                "utf-8", "replace")
        return done.returncode, done.stdout.decode("utf-8", "replace"), done.stderr.decode("utf-8", "replace")

    def close(self):
        shutil.rmtree(self.root, ignore_errors=True)


def named(folder, origins):
    """The start-up lines naming the library files of folder: {library: origin}, in order."""
    return "".join(f"{lib}: {os.path.join(folder, lib)} ({origin})\n" for lib, origin in origins.items())


def expect_session(problems, label, result, version, stderr_lines):
    status, out, err = result
    if status != 0 or f"Version:{version}\n" not in out:
        problems.append(f"{label}: exit status {status}, expected 0 and Version:{version}; stdout {out[:300]!r}")
    if err != stderr_lines:
        problems.append(f"{label}: standard error\n{err}expected\n{stderr_lines}")


def expect_checked_file(problems, label, result, path, origin):
    status, out, err = result
    want = f"libID_FprCap.so: every entry point present ({path}, {origin})"
    if want not in out:
        problems.append(f"{label}: no line {want!r} in\n{out}{err}")


def standin_orders(folder, capture, algorithm):
    """Start-up lines of tervo (capture library first) and tervo-dlopen (algorithm first)."""
    cap, alg = ("libID_FprCap.so", capture), ("libID_Fpr.so", algorithm)
    return {"tervo": named(folder, dict([cap, alg])), "tervo-dlopen": named(folder, dict([alg, cap]))}


def launcher_case(inst):
    problems = []
    # Nothing but the project's own libraries is installed: the programs must not find them.
    listed = subprocess.run(["ldconfig", "-p"], capture_output=True, text=True).stdout
    if any(lib in listed for lib in LIBRARIES):
        print("note: this machine registers a libID_ library with ldconfig; the no-pair check is left out")
    else:
        status, out, err = inst.run(["tervo-dlopen"])
        if status != 255 or out != "FP_Begin with result -9 \nOpen Vornet fail -9!\n":
            problems.append(f"tervo-dlopen without a vendor pair: exit status {status}, stdout {out!r}, stderr {err!r}")
        status, out, err = inst.run(["tervo"])
        if status == 0 or "error while loading shared libraries: libID_" not in err:
            problems.append(f"tervo without a vendor pair started: exit status {status}, stderr {err!r}")

    standins = os.path.join(inst.prefix, "lib", "tervo")
    orders = standin_orders(standins, "tervo stand-in: virtual scanner", "tervo stand-in: reference algorithm")
    expect_session(problems, "tervo-virtual", inst.run(["tervo-virtual"]), "T.V.F.A", orders["tervo"])
    expect_session(problems, "tervo-virtual tervo-dlopen", inst.run(["tervo-virtual", "tervo-dlopen"]), "T.V.F.A",
                   orders["tervo-dlopen"])
    expect_checked_file(problems, "tervo-virtual tervo-check",
                        inst.run(["tervo-virtual", "tervo-check", "--only", "capture"], stdin=""),
                        os.path.join(standins, "libID_FprCap.so"), "tervo stand-in: virtual scanner")

    reader = os.path.join(inst.bin, "tervo-libfprint")
    if os.path.exists(reader) and inst.emulator:
        # libfprint's search for readers spins under qemu-user when none is plugged in.
        print("note: tervo-libfprint is not run under the emulator")
    elif os.path.exists(reader):
        # No reader is plugged in: whatever the capture library answers, the files are named first.
        folder = os.path.join(inst.prefix, "lib", "tervo-libfprint")
        status, out, err = inst.run(["tervo-libfprint"], timeout=120)
        want = named(folder, {"libID_FprCap.so": "tervo stand-in: libfprint reader",
                              "libID_Fpr.so": "tervo stand-in: reference algorithm"})
        if not err.startswith(want):
            problems.append(f"tervo-libfprint: standard error\n{err}expected it to begin\n{want}")

    # A launcher whose libraries or program are gone says so instead of running another pair.
    elsewhere = os.path.join(inst.root, "elsewhere", "bin")
    os.makedirs(elsewhere)
    shutil.copy2(os.path.join(inst.bin, "tervo-virtual"), elsewhere)
    status, _, err = inst.run([os.path.join(elsewhere, "tervo-virtual")])
    if status != 127 or "libID_FprCap.so is missing" not in err:
        problems.append(f"tervo-virtual without its libraries: exit status {status}, stderr {err!r}")
    return problems


def can_use_private_cache(emulator):
    """Why a private loader cache cannot be set up here, or None."""
    if emulator:
        return "a cross build: this machine's ldconfig leaves libraries of another machine out of a cache"
    if os.geteuid() != 0:
        return "not root: a private loader cache needs a mount namespace (unshare -m)"
    if not os.path.isfile("/etc/ld.so.cache"):
        return "no /etc/ld.so.cache to bind a private cache over"
    # Binding the machine's cache over itself inside a namespace of its own changes nothing anywhere.
    probe = ["unshare", "-m", "--", "mount", "--bind", "/etc/ld.so.cache", "/etc/ld.so.cache"]
    if shutil.which("unshare") is None or subprocess.run(probe, capture_output=True).returncode != 0:
        return "a file cannot be bind-mounted in a mount namespace of its own here (unshare -m, mount --bind)"
    return None


def cache_case(inst, doubles):
    vendor = os.path.join(inst.root, "opt", "vendor", "lib")
    os.makedirs(vendor)
    for lib in LIBRARIES:
        shutil.copy2(os.path.join(doubles, "default", lib), vendor)
    conf, cache = os.path.join(inst.root, "ld.so.conf"), os.path.join(inst.root, "ld.so.cache")
    with open(conf, "w") as f:
        f.write(f"include /etc/ld.so.conf\n{vendor}\n")
    subprocess.run(["ldconfig", "-C", cache, "-f", conf], check=True, capture_output=True)
    listed = subprocess.run(["ldconfig", "-p", "-C", cache], capture_output=True, text=True).stdout
    if os.path.join(vendor, "libID_Fpr.so") not in listed:
        return [f"the private cache does not list {vendor}/libID_Fpr.so:\n{listed}"]
    # Inside a mount namespace of its own, the private cache stands in for the machine's.
    namespace = ("unshare", "-m", "--", "sh", "-c", 'mount --bind "$0" /etc/ld.so.cache && exec "$@"', cache)

    problems = []
    orders = standin_orders(vendor, "tervo stand-in: test double", "tervo stand-in: test double")
    for program in ("tervo", "tervo-dlopen"):
        expect_session(problems, program, inst.run([program], wrap=namespace), "1.2.3.4", orders[program])
    expect_checked_file(problems, "tervo-check",
                        inst.run(["tervo-check", "--only", "capture"], stdin="", wrap=namespace,
                                 env={"TERVO_DOUBLE": HONEST_DOUBLES}),
                        os.path.join(vendor, "libID_FprCap.so"), "tervo stand-in: test double")
    standins = os.path.join(inst.prefix, "lib", "tervo")
    expect_session(problems, "tervo-virtual beside a registered pair", inst.run(["tervo-virtual"], wrap=namespace),
                   "T.V.F.A", standin_orders(standins, "tervo stand-in: virtual scanner",
                                             "tervo stand-in: reference algorithm")["tervo"])
    return problems


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", required=True)
    ap.add_argument("--doubles", required=True)
    ap.add_argument("--case", required=True, choices=("launcher", "cache"))
    ap.add_argument("--emulator", default="", help="command line that runs a program built for another machine")
    opts = ap.parse_args()
    emulator = opts.emulator.strip()
    if opts.case == "cache":
        why = can_use_private_cache(emulator)
        if why:
            print(f"skipped: {why}")
            return SKIPPED
    inst = Installed(opts.build, emulator)
    try:
        problems = launcher_case(inst) if opts.case == "launcher" else cache_case(inst, opts.doubles)
    finally:
        inst.close()
    for p in problems:
        print(p)
    print(("FAILED: " if problems else "passed: ") + opts.case)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
