#!/usr/bin/env bash
# Builds and runs every test twice: a normal build, then one with the address
# and undefined-behaviour sanitizers. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

for preset in default asan; do
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
  echo "== $preset: done in $((SECONDS - start)) s"
done
