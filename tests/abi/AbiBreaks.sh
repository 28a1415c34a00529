#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Shows that tools/abi-check.sh catches real ABI breaks and lets the rest
# through. The tree is copied to build/abi-breaks/tree (the tree itself is
# never changed); there each case is applied alone to the sources, built and
# checked, and the check's exit code and report must be the case's:
#   unchanged  passes;
#   virtual    a virtual function appended to CTextFile, a class applications
#              derive from (their vtables no longer match the library's):
#              fails, naming the function;
#   param      CTextFile::WriteEmptyLine taking long instead of int: fails,
#              naming the old function;
#   added      a new member function of CTextFile: passes as compatible;
#   private    the document behind CXMLParser, defined in the library's own
#              sources only, grown by a member: passes, against a baseline
#              the copy records first (so that it would fail if the recorded
#              ABI held the library's private types);
#   soversion  the param break with FILEKIT_SOVERSION raised: passes.
# Ends with "N passed, M failed".
set -euo pipefail
cd "$(dirname "$0")/../.."
root="$PWD"
copy="$root/build/abi-breaks/tree"
logs="$root/build/abi-breaks/logs"

# The working tree as it is, without builds and git metadata.
rm -rf "$copy" "$logs"
mkdir -p "$copy" "$logs"
tar -C "$root" --exclude=./build --exclude=./.git --exclude=./.cache -cf - . | tar -C "$copy" -xf -

header=include/filekit/TextFile.h
source=files/TextFile.cpp
private=xml/xmlsdk/Parser.cpp
changed=("$header" "$source" "$private" CMakeLists.txt)

# Puts the files the cases change, and the baseline, back as they are in the tree.
restore() {
  for f in "${changed[@]}"; do cp "$root/$f" "$copy/$f"; done
  rm -rf "$copy/abi"
  cp -R "$root/abi" "$copy/abi"
}

# Appends the given lines to the end of class CTextFile, after "public:".
add_to_class() {
  awk -v lines="public:\n$1" '{ if (open && $0 == "};") { print lines; open = 0 }
    print
    if ($0 ~ /^class FILEKIT_API CTextFile /) open = 1 }' "$root/$header" >"$copy/$header"
  grep -qF "$1" "$copy/$header"
}

case_virtual() { add_to_class "    virtual int AbiProbe() { return 0; }"; }
case_param() {
  sed -i 's/WriteEmptyLine(int count)/WriteEmptyLine(long count)/' "$copy/$header" "$copy/$source"
  grep -q 'WriteEmptyLine(long count)' "$copy/$header" && grep -q 'WriteEmptyLine(long count)' "$copy/$source"
}
case_added() {
  # A body of its own: one the same as another function's could be folded
  # into it, and the new symbol would be an alias rather than a new function.
  add_to_class "    int AbiAdded() const;" &&
    echo 'int CTextFile::AbiAdded() const { return m_bOpen * 3 + 1; }' >>"$copy/$source"
}
case_private() {
  "$copy/tools/abi-check.sh" --record >"$logs/private-record.log" 2>&1 &&
    sed -i 's/^    pugi::xml_document document;$/&\n    long probe[4];/' "$copy/$private"
  grep -q '^    long probe\[4\];$' "$copy/$private"
}
case_soversion() {
  case_param && sed -i 's/^set(FILEKIT_SOVERSION 0)$/set(FILEKIT_SOVERSION 1)/' "$copy/CMakeLists.txt" &&
    grep -q '^set(FILEKIT_SOVERSION 1)$' "$copy/CMakeLists.txt"
}

passed=0
failed=0
# check <case> <expected exit> <text the report must hold>
check() {
  local name=$1 expected=$2 text=$3 status=0
  restore
  if [ "$name" != unchanged ] && ! "case_$name"; then
    echo "$name: the case could not be applied to the copy's sources"
    failed=$((failed + 1))
    return
  fi
  "$copy/tools/abi-check.sh" >"$logs/$name.log" 2>&1 || status=$?
  if [ "$status" -eq "$expected" ] && grep -qF -- "$text" "$logs/$name.log"; then
    echo "$name: abi-check exited $status as expected"
    passed=$((passed + 1))
  else
    echo "$name: abi-check exited $status, expected $expected with \"$text\" in its report:"
    grep -v '^\[[0-9]*/[0-9]*\]' "$logs/$name.log" | sed 's/^/    /'
    failed=$((failed + 1))
  fi
}

check unchanged 0 "has the ABI of"
check virtual 1 "'method virtual int CTextFile::AbiProbe()'"
check param 1 "'method virtual int CTextFile::WriteEmptyLine(int)'"
check added 0 "only adds to the ABI"
check private 0 "has the ABI of"
check soversion 0 "the SOVERSION went up (libfilekit.so.0 -> libfilekit.so.1)"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
