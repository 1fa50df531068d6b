#!/usr/bin/env bash
# Builds what the console needs (tervo, tervo-dlopen and the two stand-in
# libraries, no tests or benchmarks) and starts tervo on the virtual scanner and
# the reference algorithm library, in the folder run/ of the checkout, where
# captures are saved as Fp.bmp. Arguments go to tervo (two BMP files are
# matched first); relative names are taken from where start.sh was called.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
caller="$PWD"
cd "$root"

say() { printf 'start.sh: %s\n' "$*"; }

say "checking the Debian packages the build needs"
bash scripts/setup.sh
say "configuring build/ (CMake preset default)"
cmake --preset default --log-level=WARNING >/dev/null
say "building tervo, tervo-dlopen and the stand-in libraries"
cmake --build --preset default --target tervo tervo-dlopen ID_Fpr ID_FprCap

args=()
for arg in "$@"; do
  case "$arg" in
    /*) args+=("$arg") ;;
    *) args+=("$caller/$arg") ;;
  esac
done
mkdir -p run
cd run
say "starting build/bin/tervo in run/ (type q to quit)"
exec "$root/build/bin/tervo" ${args[@]+"${args[@]}"}
