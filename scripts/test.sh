#!/usr/bin/env bash
# Builds and runs every test in each build: the native one, the native one with
# the address and undefined-behaviour sanitizers, and the AArch64 cross build
# under qemu-user (which also packages it) and the fuzz targets when named:
# `bash scripts/test.sh aarch64 fuzz`. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(default asan)
bash scripts/setup.sh "${presets[@]}"

for preset in "${presets[@]}"; do
  start=$SECONDS
  echo "== $preset: configure and build"
  log="$(mktemp)"
  if ! { cmake --preset "$preset" && cmake --build --preset "$preset"; } >"$log" 2>&1; then
    tail -n 80 "$log"
    echo "== $preset: build failed"
    exit 1
  fi
  echo "== $preset: built in $((SECONDS - start)) s; testing"
  ctest --preset "$preset"
  echo "== $preset: built and tested in $((SECONDS - start)) s"
done
