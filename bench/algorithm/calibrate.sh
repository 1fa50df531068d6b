#!/usr/bin/env bash
# Where the matcher's calibration point (kThreshold in standin/algorithm/src/parameters.h) belongs:
# the raw score that one impostor pair in 10,000 reaches, on realistic generated prints (100 fingers
# x 8, every impostor pair, typical capture conditions) and on the real sets at image shifts 0-3,
# and the point 3 % above the highest of them. A second generator seed is the held-out check: the
# number of its impostor pairs at or above that point.
#
#   bash bench/algorithm/calibrate.sh [BUILD_DIR [REAL_SET...]]
#   (defaults: build, ../shared/data/fvc2004/DB1_B..DB4_B; needs tervo-fpgen and tervo-fpeval built)
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build}"
shift || true
real=("$@")
[ ${#real[@]} -gt 0 ] || real=(../shared/data/fvc2004/DB{1,2,3,4}_B)
for tool in tervo-fpgen tervo-fpeval; do
  [ -x "$build/bin/$tool" ] || { echo "no $build/bin/$tool: build it first" >&2; exit 2; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The pooled raw score at FMR 1e-4 from tervo-fpeval's summary line.
at_fmr_1e4() { awk '/^pooled impostors/ {for (i = 1; i <= NF; ++i) if ($i == "1e-4") {v = $(i + 1); sub(/,$/, "", v); print v}}'; }

for seed in 0 1; do
  "$build/bin/tervo-fpgen" --out "$work/seed$seed" --fingers 1-100 --impressions 8 --seed "$seed" >/dev/null
done

highest=0
report() {  # label score
  printf '%-36s raw at FMR 1e-4 %s\n' "$1" "$2"
  highest=$(awk -v a="$highest" -v b="$2" 'BEGIN {print (b > a) ? b : a}')
}
report "generated 100 x 8, seed 0" "$("$build/bin/tervo-fpeval" "$work/seed0" | at_fmr_1e4)"
for shift in 0 1 2 3; do
  report "real sets, shift $shift" "$("$build/bin/tervo-fpeval" --shift "$shift" "${real[@]}" | at_fmr_1e4)"
done
point=$(awk -v h="$highest" 'BEGIN {printf "%.4f", 1.03 * h}')
echo "calibration point (3 % above the highest): $point"

"$build/bin/tervo-fpeval" --dump "$work/seed1.txt" "$work/seed1" >/dev/null
awk -v p="$point" '$2 == 0 {n++; if ($7 >= p) over++} END {
  printf "held out, generated seed 1: %d of %d impostor pairs at or above it (FMR %.5f %%)\n",
         over, n, 100 * over / n}' "$work/seed1.txt"
