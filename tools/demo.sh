#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds filekit and runs every example program, one after the other, in a
# fresh work folder under build/demo.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
work="build/demo"
rm -rf "$work"
mkdir -p "$work"
for program in build/default/examples/example_*; do
  [ -x "$program" ] || continue
  name="$(basename "$program")"
  echo "=================== ${name#example_} ==================="
  mkdir -p "$work/$name"
  "$program" "$work/$name"
  echo
done
