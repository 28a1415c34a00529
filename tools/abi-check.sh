#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks the ABI of libfilekit.so against the baseline kept in abi/, with
# Debian's abigail-tools. Builds the shared library alone (RelWithDebInfo,
# for the debug information abidw reads) in build/abi, writes its ABI with
# abidw and compares it with abi/<soname>.xml using abidiff.
#
# Incompatible is any change abidiff reports other than added functions and
# variables: a removed symbol (a changed parameter type renames a C++
# function, so the old one is removed), a function whose return or parameter
# types changed, a class reachable from the exported interface whose size,
# data members, bases or virtual functions changed (a virtual function added
# even at the end grows the vtable that applications' derived classes
# copy). abidiff's own "incompatible" bit is documented to cover only removed
# symbols and moved vtable slots (a changed return type sets only its "ABI
# changed" bit), so the verdict is that "ABI changed" bit of a comparison
# that leaves added symbols out (--no-added-syms). What abidiff deems
# harmless (a renamed data member, an added enumerator) does not count.
#
# An incompatible change fails, unless the SOVERSION went up (the baseline is
# then for an older soname): the changes are listed and the check passes.
# Added symbols alone pass too; recording them makes them part of the
# baseline that later changes are held to.
#
# The recorded ABI depends neither on where the tree lies nor on what the
# compiler varies from run to run: source paths are mapped to relative
# ones, locations and the DT_NEEDED list are left out, types are identified
# by hashes of their names, types that only the library's own sources
# define (the document behind CXMLParser) are dropped, and so is the standard
# library's template code that the library happens to export
# (abi/suppressions.abignore). The baseline is written with g++, the
# compiler of the Debian packages.
#
# Usage: tools/abi-check.sh            compare with the baseline
#        tools/abi-check.sh --record   write the baseline anew (after a
#                                      deliberate change; commit abi/)
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
mode="${1:-check}"
case "$mode" in check|--record) ;; *) echo "usage: $0 [--record]" >&2; exit 2 ;; esac
tools/deps.sh abigail-tools

build=build/abi
cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=g++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFILEKIT_BUILD_SHARED=ON \
  -DFILEKIT_BUILD_TESTS=OFF -DFILEKIT_BUILD_EXAMPLES=OFF -DFILEKIT_BUILD_BENCH=OFF -DFILEKIT_BUILD_FUZZ=OFF \
  -DFILEKIT_SANITIZE=OFF -DCMAKE_CXX_FLAGS="-ffile-prefix-map=$root/=" >/dev/null
cmake --build "$build" --target filekit

library="$build/libfilekit.so"
soname="$(readelf -d "$library" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')"
current="$build/$soname.xml"
abidw --no-corpus-path --no-comp-dir-path --no-elf-needed --no-show-locs --type-id-style hash \
  --suppressions abi/suppressions.abignore --headers-dir include --headers-dir "$build/generated" \
  --drop-private-types --out-file "$current" "$library"

baseline="abi/$soname.xml"
if [ "$mode" = --record ]; then
  for old in abi/libfilekit.so.*.xml; do
    [ "$old" = "$baseline" ] || rm -f "$old"
  done
  cp "$current" "$baseline"
  echo "abi-check: recorded $baseline; commit abi/ with the change that made it"
  exit 0
fi

if [ ! -f "$baseline" ]; then
  older=(abi/libfilekit.so.*.xml)
  old_soname="$(basename "${older[0]}" .xml)"
  if [ -f "${older[0]}" ] && [ "${old_soname##*.}" -lt "${soname##*.}" ]; then
    echo "abi-check: the SOVERSION went up ($old_soname -> $soname); the changes since ${older[0]}:"
    abidiff --no-show-locs "${older[0]}" "$current" || true
    echo "abi-check: passed, as the SOVERSION went up. Record the new baseline with tools/abi-check.sh --record and commit abi/."
    exit 0
  fi
  echo "abi-check: no baseline for $soname: record it with tools/abi-check.sh --record and commit abi/." >&2
  exit 1
fi

# abidiff's exit code is a bit field: 1 error, 2 usage error, 4 ABI changed,
# 8 incompatible (which comes with 4). The first run reports every change,
# the second leaves added symbols out and gives the verdict.
status=0
abidiff --no-show-locs "$baseline" "$current" >"$build/abi.diff" || status=$?
verdict=0
[ "$status" -eq 0 ] || abidiff --no-show-locs --no-added-syms "$baseline" "$current" >/dev/null || verdict=$?
cat "$build/abi.diff"
if [ $(((status | verdict) & 3)) -ne 0 ]; then
  echo "abi-check: abidiff failed (exit $status, then $verdict)" >&2
  exit 2
elif [ "$status" -eq 0 ]; then
  echo "abi-check: $soname has the ABI of $baseline"
elif [ "$verdict" -eq 0 ]; then
  echo "abi-check: compatible: $soname only adds to the ABI of $baseline. Record the baseline" \
    "(tools/abi-check.sh --record) so that what was added is held to from now on."
else
  echo "abi-check: INCOMPATIBLE: $soname breaks the ABI of $baseline (above). A deliberate break raises" \
    "FILEKIT_SOVERSION in CMakeLists.txt; then record the new baseline with tools/abi-check.sh --record" \
    "and commit abi/." >&2
  exit 1
fi
