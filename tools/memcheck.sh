#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs the whole test suite under Valgrind memcheck: every test program,
# example and fuzz replay of a non-sanitized Debug build, two at a time.
# Any memory error, and any leak that is definitely or indirectly lost, fails the run.
# Each program runs once with all its cases (one Valgrind start-up each,
# instead of one per case). The package and header checks build code rather
# than run it, and are left to the ordinary test run.
# Usage: tools/memcheck.sh            (build folder: build/memcheck)
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh valgrind

build=build/memcheck
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFILEKIT_SANITIZE=OFF -DFILEKIT_BUILD_TESTS=ON \
  -DFILEKIT_BUILD_EXAMPLES=ON -DFILEKIT_BUILD_BENCH=OFF -DFILEKIT_BUILD_FUZZ=OFF >/dev/null
cmake --build "$build" -j2

logs="$build/memcheck-logs"
rm -rf "$logs" "$build/memcheck-work"
mkdir -p "$logs" "$build/memcheck-work"
python3 fuzz/make_seeds.py "$build/seeds" >/dev/null

# Exit code of a program in which Valgrind found an error (tests use 1).
readonly valgrind_error=42
export FILEKIT_UNDER_MEMCHECK=1   # the slowest tests pick smaller sizes

# run_one <program>: runs it under memcheck, its log in $logs/<name>.log,
# and prints one line: its result and how long it took.
run_one() {
  local program=$1 name args=()
  name=$(basename "$program")
  case "$name" in
  example_*) args=("$build/memcheck-work/$name") ;;
  replay_*)  # the fuzz target's kept crash inputs and its seeds
    local target=${name#replay_}
    args=("$build/seeds/$target")
    [ -d "fuzz/regressions/$target" ] && args+=("fuzz/regressions/$target") ;;
  esac
  local start=$SECONDS status=0
  valgrind --tool=memcheck --leak-check=full --errors-for-leak-kinds=definite,indirect \
    --error-exitcode=$valgrind_error --num-callers=40 --log-file="$logs/$name.valgrind.%p" \
    "$program" "${args[@]}" >"$logs/$name.log" 2>&1 || status=$?
  local verdict=clean
  [ "$status" -eq 0 ] || verdict="FAILED (exit $status)"
  [ "$status" -eq $valgrind_error ] && verdict="MEMORY ERRORS"
  printf '%-28s %-22s %4ds\n' "$name" "$verdict" $((SECONDS - start))
}
export -f run_one
export build logs valgrind_error

start=$SECONDS
programs=$(find "$build/tests" "$build/examples" -maxdepth 2 -type f -perm -u+x \
  \( -name '*_tests' -o -name 'test_*' -o -name 'example_*' -o -name 'replay_*' \) ! -name '*.cmake' | sort)
results=$(printf '%s\n' $programs | xargs -P 2 -I{} bash -c 'run_one "$@"' _ {})
echo "$results"
echo "memcheck: $(echo "$results" | wc -l) programs in $((SECONDS - start))s"

failed=$(echo "$results" | grep -v ' clean ' || true)
if [ -n "$failed" ]; then
  # Show what Valgrind said, from each process of each failed program.
  for name in $(echo "$failed" | awk '{print $1}'); do
    echo "=== $name"
    tail -n 30 "$logs/$name.log"
    for log in "$logs/$name".valgrind.*; do
      grep -q 'ERROR SUMMARY: [1-9]' "$log" && cat "$log"
    done
  done
  exit 1
fi
echo "memcheck: no errors, no leaks"
