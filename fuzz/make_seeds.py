#!/usr/bin/env python3
"""Makes the fuzz targets' seed corpora with the project's own tools."""
import argparse
import glob
import os
import re
import shutil
import subprocess
import tempfile


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--out", required=True)
    ap.add_argument("--cases", required=True)
    ap.add_argument("--fpgen", required=True)
    ap.add_argument("--seeder", required=True)
    opts = ap.parse_args()
    shutil.rmtree(opts.out, ignore_errors=True)
    for target in ("fuzz_console", "fuzz_image", "fuzz_templates", "fuzz_decompress"):
        os.makedirs(os.path.join(opts.out, target))
    for i, case in enumerate(sorted(glob.glob(os.path.join(opts.cases, "*.t")))):
        text = open(case, encoding="utf-8").read()
        stdin = re.search(r"(?ms)^--- stdin[^\n]*\n(.*?)(?=^--- |\Z)", text)
        if stdin and "cyc" not in stdin.group(1):
            with open(os.path.join(opts.out, "fuzz_console", str(i)), "w", encoding="utf-8") as f:
                f.write(stdin.group(1))
    with tempfile.TemporaryDirectory() as images:
        subprocess.run([opts.fpgen, "--out", images, "--fingers", "1-3", "--impressions", "2", "--seed", "7"],
                       check=True)
        bmps = sorted(glob.glob(os.path.join(images, "*.bmp")))
        seeds = os.path.join(opts.out, "seeder")
        for kind in ("image", "templates", "decompress"):
            os.makedirs(os.path.join(seeds, kind))
        subprocess.run([opts.seeder, seeds] + bmps, check=True)
        for kind, target in (("image", "fuzz_image"), ("templates", "fuzz_templates"),
                             ("decompress", "fuzz_decompress")):
            for name in os.listdir(os.path.join(seeds, kind)):
                shutil.copy(os.path.join(seeds, kind, name), os.path.join(opts.out, target, name))


if __name__ == "__main__":
    main()
