#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the API documentation from the public headers with Doxygen; fails
# on any Doxygen warning. Output: build/docs/html/index.html
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh doxygen
cmake --preset default >/dev/null
export FILEKIT_SOURCE="$PWD"
export FILEKIT_BUILD="$PWD/build/default"
export FILEKIT_VERSION_HEADER="$FILEKIT_BUILD/generated/filekit/Version.h"
export FILEKIT_CONFIG_HEADER="$FILEKIT_BUILD/generated/filekit/Config.h"
export FILEKIT_DOCS_OUT="$PWD/build/docs"
mkdir -p "$FILEKIT_DOCS_OUT"
doxygen docs/Doxyfile
echo "API documentation: $FILEKIT_DOCS_OUT/html/index.html"
