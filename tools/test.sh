#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds filekit with a preset (default: "default") and runs every test.
# Usage: tools/test.sh [default|debug|asan|clang]
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
tools/deps.sh
cmake --preset "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset"
