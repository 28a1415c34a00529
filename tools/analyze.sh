#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Static analysis of the library, the tests and the examples: clang-tidy
# with .clang-tidy and cppcheck with .cppcheck-suppressions, both reading
# the compile commands of a Debug configuration (nothing is built). Fails on
# any finding. clang-tidy takes several minutes on two cores.
# Usage: tools/analyze.sh [clang-tidy|cppcheck]   (default: both)
set -euo pipefail
cd "$(dirname "$0")/.."
which="${1:-all}"
case "$which" in all|clang-tidy|cppcheck) ;; *) echo "usage: $0 [clang-tidy|cppcheck]" >&2; exit 2 ;; esac
tools/deps.sh clang-tidy cppcheck

build=build/analyze
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFILEKIT_SANITIZE=OFF -DFILEKIT_BUILD_TESTS=ON \
  -DFILEKIT_BUILD_EXAMPLES=ON -DFILEKIT_BUILD_BENCH=OFF -DFILEKIT_BUILD_FUZZ=OFF >/dev/null

status=0
if [ "$which" != cppcheck ]; then
  # Every source of ours in the compile commands (generated ones live in build/).
  sources=$(sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$build/compile_commands.json" | grep -v "/build/" | sort -u)
  echo "clang-tidy: $(echo "$sources" | wc -l) files"
  start=$SECONDS
  log="$build/clang-tidy.log"
  echo "$sources" | xargs -P 2 -n 1 clang-tidy -p "$build" --quiet >"$log" 2>&1 || status=1
  # The findings, without the counts of warnings in system headers that
  # clang-tidy prints for every file.
  grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$|^Suppressed [0-9]+ warnings|^Use -header-filter' \
    "$log" || true
  echo "clang-tidy: $((SECONDS - start))s, $([ $status -eq 0 ] && echo clean || echo FINDINGS)"
fi

if [ "$which" != clang-tidy ]; then
  cppcheck_status=0
  cppcheck --project="$build/compile_commands.json" --enable=warning,performance,portability --std=c++17 \
    --library=googletest --inline-suppr --suppressions-list=.cppcheck-suppressions \
    --suppress=missingIncludeSystem -i build -j 2 --quiet --error-exitcode=1 \
    --template='{file}:{line}: {severity} {id}: {message}' || cppcheck_status=1
  echo "cppcheck: $([ $cppcheck_status -eq 0 ] && echo clean || echo FINDINGS)"
  [ $cppcheck_status -eq 0 ] || status=1
fi
exit $status
