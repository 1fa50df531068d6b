#!/usr/bin/env bash
# Builds and runs every test in each build: the native one, the native one with
# the address and undefined-behaviour sanitizers, the AArch64 cross build under
# qemu-user (which also builds and checks its Debian packages) and the fuzz
# targets. Name presets to run only those: `bash scripts/test.sh default asan`.
# Exits non-zero on any failure; ends with the time of each stage.
set -euo pipefail
cd "$(dirname "$0")/.."
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(default asan aarch64 fuzz)
start=$SECONDS
bash scripts/setup.sh "${presets[@]}"
summary=("setup: $((SECONDS - start)) s")

for preset in "${presets[@]}"; do
  start=$SECONDS
  echo "== $preset: configure and build"
  log="$(mktemp)"
  if ! { cmake --preset "$preset" && cmake --build --preset "$preset"; } >"$log" 2>&1; then
    tail -n 80 "$log"
    echo "== $preset: build failed"
    exit 1
  fi
  built=$((SECONDS - start))
  echo "== $preset: built in $built s; testing"
  ctest --preset "$preset"
  # The soak's and the fuzz targets' figures, from this run only.
  folder=build; [ "$preset" = default ] || folder="build-$preset"
  find "$folder" -name '*-report.txt' -newer "$log" -exec cat {} + 2>/dev/null || true
  summary+=("$preset: built in $built s, tested in $((SECONDS - start - built)) s")
done
echo "== stages"
printf '   %s\n' "${summary[@]}"
