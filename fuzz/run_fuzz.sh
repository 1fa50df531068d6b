#!/usr/bin/env bash
# run_fuzz.sh TARGET SECONDS SEEDS REGRESSIONS
# Replays the kept crash inputs, then fuzzes for SECONDS from the seeds. A new
# crash input is copied into REGRESSIONS (to be committed with its fix) and
# fails the run.
set -euo pipefail
target=$1 seconds=$2 seeds=$3 regressions=$4
# The runtime is the shared one (see the fuzz preset), loaded after the program.
export ASAN_OPTIONS="verify_asan_link_order=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$work/crashes"
cp -r "$seeds"/. "$work/corpus/" 2>/dev/null || true

if compgen -G "$regressions/*" >/dev/null; then
  "$target" -runs=0 "$regressions"/*
fi
status=0
"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$work/crashes/" "$work/corpus" 2>"$work/log" || status=$?
grep -E "^(stat::number_of_executed_units|stat::average_exec_per_sec|#[0-9]+.*DONE)" "$work/log" || true
# One summary line beside the target, for the test run's closing report.
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log")
rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/log")
echo "$(basename "$target"): ${runs:-?} executions in $seconds s (${rate:-?}/s), exit status $status" \
  >"$target-report.txt"
if [ $status -ne 0 ]; then
  tail -n 60 "$work/log"
  mkdir -p "$regressions"
  cp "$work"/crashes/* "$regressions/" 2>/dev/null || true
  echo "crash input kept in $regressions"
fi
exit $status
