#!/usr/bin/env python3
"""Builds the Debian packages of a build tree with CPack into <build>/packages and checks them with dpkg-deb."""
import argparse
import glob
import os
import subprocess
import shutil
import sys


def dpkg_deb(*args):
    return subprocess.run(["dpkg-deb", *args], check=True, capture_output=True, text=True).stdout


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", required=True)
    ap.add_argument("--arch", required=True)
    ap.add_argument("--with-libfprint", action="store_true", help="the build made the libfprint reader too")
    opts = ap.parse_args()
    problems = []
    out = os.path.join(opts.build, "packages")
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    made = subprocess.run(["cpack", "--config", os.path.join(opts.build, "CPackConfig.cmake"), "-B", out],
                          capture_output=True, text=True)
    if made.returncode != 0:
        print(made.stdout + made.stderr)
        return 1
    expected = {
        "tervo": {"./usr/bin/tervo", "./usr/bin/tervo-dlopen", "./usr/bin/tervo-check", "./usr/include/ID_Fpr.h",
                  "./usr/include/ID_FprCap.h", "./usr/share/man/man1/tervo-check.1.gz"},
        "tervo-standins": {"./usr/lib/tervo/libID_Fpr.so", "./usr/lib/tervo/libID_FprCap.so", "./usr/bin/tervo-fpgen",
                           "./usr/bin/tervo-fpshow", "./usr/bin/tervo-virtual"},
    }
    # tervo pulls in nothing that would stand before a vendor's pair; each package of the project's own
    # libraries says how to start on them.
    fields = {"tervo": [], "tervo-standins": ["Recommends: tervo", "tervo-virtual"]}
    forbidden = {"tervo": ["Recommends:", "Depends: tervo-"]}
    if opts.with_libfprint:
        expected["tervo-libfprint"] = {"./usr/lib/tervo-libfprint/libID_FprCap.so",
                                       "./usr/lib/tervo-libfprint/libID_Fpr.so",
                                       "./usr/lib/udev/rules.d/70-tervo-libfprint.rules",
                                       "./usr/bin/tervo-libfprint"}
        fields["tervo-libfprint"] = ["libfprint-2-2 (>= 1:1.94)", "Recommends: tervo", "tervo-libfprint."]
        # The reader and the virtual scanner install side by side: no file in common, no conflict.
        forbidden["tervo-libfprint"] = ["Conflicts:", "Breaks:", "Replaces:"]
    owners = {}
    for name, files in expected.items():
        debs = glob.glob(os.path.join(out, f"{name}_*_{opts.arch}.deb"))
        if len(debs) != 1:
            problems.append(f"no single {name} package for {opts.arch} in {os.listdir(out)}")
            continue
        info = dpkg_deb("--info", debs[0])
        contents = {line.split()[-1] for line in dpkg_deb("--contents", debs[0]).splitlines()}
        print(f"{os.path.basename(debs[0])}: {os.path.getsize(debs[0])} bytes")
        for field in (f"Package: {name}", f"Architecture: {opts.arch}", "Maintainer: ", "Description: ",
                      *fields[name]):
            if field not in info:
                problems.append(f"{name}: control lacks '{field}'")
        for field in forbidden.get(name, []):
            if field in info:
                problems.append(f"{name}: control has '{field}'")
        for f in sorted(c for c in contents if not c.endswith("/")):
            if f in owners:
                problems.append(f"{f} is in both {owners[f]} and {name}")
            owners[f] = name
        for f in sorted(files - contents):
            problems.append(f"{name}: lacks {f}")
        if name == "tervo" and any(c.endswith(".so") for c in contents):
            problems.append("tervo: carries libraries; they belong to tervo-standins")
    # Debian's own checks, where the machine has them: no error, no warning.
    if shutil.which("lintian"):
        debs = sorted(glob.glob(os.path.join(out, "*.deb")))
        checked = subprocess.run(["lintian", "--tag-display-limit", "0", *debs], capture_output=True, text=True)
        problems += [line for line in checked.stdout.splitlines() if line[:2] in ("E:", "W:")]
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
