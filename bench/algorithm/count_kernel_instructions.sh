#!/usr/bin/env bash
# Guest instructions per call of the descriptor-stage kernels on AArch64, counted under qemu-user:
# the cross-built core tests run the kernel comparison on real prints (every row of four FVC prints
# against each of them, at five floors), qemu translates one instruction per block (-singlestep),
# and its execution log, limited to the kernels' own code (-dfilter), has one line per instruction
# executed. A call is an entry at the kernel's first instruction.
#
#   bash bench/algorithm/count_kernel_instructions.sh [BUILD_DIR]   (default build-aarch64)
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build-aarch64}"
binary="$build/tests/bin/algorithm_core_tests"
test_name='AnchorCounts.EveryKernelCountsLikeThePortableLoopOnRealDescriptors'
qemu=(qemu-aarch64 -L /usr/aarch64-linux-gnu)
[ -x "$binary" ] || { echo "no $binary: build the aarch64 preset first" >&2; exit 2; }

log="$(mktemp)"
trap 'rm -f "$log"' EXIT

# qemu-user loads a position-independent program at a fixed address; it reports it as start_code.
"${qemu[@]}" -d page -D "$log" "$binary" --gtest_list_tests >/dev/null
base=$(awk '/^start_code/ {print $2}' "$log")
first_load=$(aarch64-linux-gnu-readelf -lW "$binary" | awk '$1 == "LOAD" {print $3; exit}')

# Each kernel's first and last-plus-one address, as the log writes them (16 hexadecimal digits).
declare -A first end
while read -r address length _ symbol; do
  case "$symbol" in
    *aboveFloorPortable*) name=portable ;;
    *aboveFloorNeon*) name=neon ;;
    *) continue ;;
  esac
  first[$name]=$(printf '%016x' $((base - first_load + 0x$address)))
  end[$name]=$(printf '%016x' $((base - first_load + 0x$address + 0x$length)))
done < <(aarch64-linux-gnu-nm -S --defined-only "$binary")
for name in portable neon; do
  [ -n "${first[$name]:-}" ] || { echo "kernel $name not found in $binary" >&2; exit 2; }
done

# Each "Trace" line is one executed block of one instruction; its guest address is the second field
# in the brackets. The log is read as it is written (it runs to some 10 million lines).
range() { echo "0x${first[$1]}..0x$(printf '%x' $((0x${end[$1]} - 1)))"; }
"${qemu[@]}" -singlestep -d nochain,exec -D /dev/stderr -dfilter "$(range portable),$(range neon)" \
  "$binary" --gtest_filter="$test_name" 2>&1 >/dev/null |
  awk -v ps="${first[portable]}" -v pe="${end[portable]}" -v ns="${first[neon]}" -v ne="${end[neon]}" '
  /^Trace/ {
    split($0, fields, "[][/]"); pc = fields[3] ""
    if (pc >= ps "" && pc < pe "") { portable++; if (pc == ps "") portableCalls++ }
    else if (pc >= ns "" && pc < ne "") { neon++; if (pc == ns "") neonCalls++ }
  }
  END {
    if (portableCalls == 0 || neonCalls == 0) { print "no kernel call was logged" > "/dev/stderr"; exit 1 }
    p = portable / portableCalls; n = neon / neonCalls
    printf "portable: %d calls, %.1f instructions per call\n", portableCalls, p
    printf "neon:     %d calls, %.1f instructions per call\n", neonCalls, n
    printf "neon / portable: %.3f (%.2fx fewer)\n", n / p, p / n
  }'
