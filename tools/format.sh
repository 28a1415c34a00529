#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Formats every C++ source of the project with clang-format (.clang-format),
# or with --check only reports files that are not formatted and fails.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh clang-format
mapfile -t files < <(git ls-files '*.h' '*.cpp' '*.h.in')
if [ "${1:-}" = "--check" ]; then
  clang-format --dry-run -Werror "${files[@]}"
  echo "clang-format: ${#files[@]} files formatted"
else
  clang-format -i "${files[@]}"
fi
