#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the libFuzzer targets (fuzz preset), writes their seed corpora and
# runs each target for the given number of seconds, FUZZ_JOBS at a time
# (default 2). Prints one line per target: executions, coverage (libFuzzer's
# cov: edges and ft: features) and crashes; exits non-zero when any target
# crashed. Corpora grow across runs in build/fuzz/corpus; crash inputs land in
# build/fuzz/artifacts/<target>/ (copy them to fuzz/regressions/<target>/).
# Usage: tools/fuzz.sh [seconds] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
shift $(($# > 0 ? 1 : 0))
jobs="${FUZZ_JOBS:-2}"
build=build/fuzz

tools/deps.sh python3
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
rm -rf "$build/seeds" "$build/logs"
mkdir -p "$build/logs"
python3 fuzz/make_seeds.py "$build/seeds"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for exe in "$build"/fuzz/fuzz_*; do targets+=("${exe##*/fuzz_}"); done
fi

run_target() {
  local target=$1
  mkdir -p "$build/corpus/$target" "$build/artifacts/$target"
  set +e
  "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=25 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$target/" "$build/corpus/$target" "$build/seeds/$target" \
    >"$build/logs/$target.log" 2>&1
  echo $? >"$build/logs/$target.rc"
}
export -f run_target
export build seconds
printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'run_target {}'

failed=0
printf '%-14s %8s %12s %6s %7s %8s\n' target seconds executions cov ft crashes
for target in "${targets[@]}"; do
  log="$build/logs/$target.log"
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  crashes=$(grep -c 'Test unit written to .*/\(crash\|leak\|timeout\|oom\)-' "$log" || true)
  rc=$(cat "$build/logs/$target.rc")
  if [ "$rc" -ne 0 ] && [ "$crashes" -eq 0 ]; then crashes=1; fi
  printf '%-14s %8s %12s %6s %7s %8s\n' "$target" "$seconds" "${executions:-?}" "${cov:-?}" "${ft:-?}" "$crashes"
  if [ "$crashes" -ne 0 ]; then
    failed=1
    grep 'Test unit written to' "$log" | sed 's/^/    /'
  fi
done
exit $failed
