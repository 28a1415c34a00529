#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows build, tested under wine: installs the cross compiler and wine
# when missing, cross-builds GoogleTest (from Debian's googletest sources)
# and pugixml (from Debian's source package) into build/windows-deps,
# builds the "windows" preset, then runs every test program and every
# example under wine, and compares the DLL's exports with those of the Linux
# shared library (built with the "default" preset). Ends with one line
# "N passed, M failed": N and M count gtest test cases, plus one case per
# example program and one for the exports; a test program that dies before
# its summary counts all its cases (at least one) as failed.
#   tools/windows.sh          filekit's own framework
#   tools/windows.sh header   the application framework of tests/appframework,
#                             cross-built into build/windows-appframework as a
#                             DLL ("windows-framework" preset; no export check,
#                             the names carry the framework's tag)
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
mode="${1:-own}"
case "$mode" in
  own) preset=windows ;;
  header) preset=windows-framework ;;
  *) echo "usage: tools/windows.sh [header]" >&2; exit 2 ;;
esac
build="$root/build/$preset"

# Each stage is announced with the seconds spent so far.
stage() { echo "== $1 (at ${SECONDS}s)"; }

triplet=x86_64-w64-mingw32
wine=/usr/lib/wine/wine64
tools/deps.sh g++-mingw-w64-x86-64-posix wine64 googletest dpkg-dev

deps="$root/build/windows-deps"
prefix="$deps/prefix"
toolchain="$root/cmake/toolchains/mingw-w64-x86_64.cmake"
cross=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release
       -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" -DBUILD_SHARED_LIBS=OFF)

# GoogleTest, from the sources the googletest package installs.
if [ ! -f "$prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
  stage "GoogleTest (cross)"
  cmake -S /usr/src/googletest -B "$deps/googletest" "${cross[@]}" >/dev/null
  cmake --build "$deps/googletest" --target install >/dev/null
fi

# pugixml, from Debian's source package. apt reads a deb-src twin of the
# machine's own entries from a private folder, keeping its indexes there
# too, so the system's apt configuration is left as it was.
if [ ! -f "$prefix/lib/cmake/pugixml/pugixml-config.cmake" ]; then
  stage "pugixml (Debian source package, cross)"
  apt_dir="$deps/apt"
  rm -rf "$apt_dir" "$deps"/pugixml-*
  mkdir -p "$apt_dir/sources" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] && sed -n 's/^deb \(.*\)/deb-src \1/p' "$f" >>"$apt_dir/sources/machine.list"
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && sed 's/^Types:.*/Types: deb-src/' "$f" >"$apt_dir/sources/$(basename "$f")"
  done
  apt_options=(-o APT::Sandbox::User=root -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$apt_dir/sources"
               -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir/cache")
  apt-get "${apt_options[@]}" -qq update
  (cd "$deps" && apt-get "${apt_options[@]}" -qq source pugixml >/dev/null)
  source_dir="$(find "$deps" -maxdepth 1 -type d -name 'pugixml-*' | head -n 1)"
  cmake -S "$source_dir" -B "$deps/pugixml" "${cross[@]}" -DPUGIXML_BUILD_TESTS=OFF >/dev/null
  cmake --build "$deps/pugixml" --target install >/dev/null
fi

if [ "$mode" = header ]; then
  stage "the application's framework (cross)"
  cmake -S tests/appframework -B build/windows-appframework -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build/windows-appframework >/dev/null
fi

stage "filekit ($preset preset)"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
cmake --build --preset "$preset" --target filekit_header_check >/dev/null

# wine finds the library and the mingw run-time DLLs through WINEPATH.
to_wine() { printf 'Z:%s' "$1" | tr '/' '\\'; }
runtime_dirs=("$build" "$root/build/windows-appframework"
              "$(dirname "$("$triplet-g++-posix" -print-file-name=libstdc++-6.dll)")"
              "$(dirname "$("$triplet-g++-posix" -print-file-name=libwinpthread-1.dll)")")
winepath=""
for d in "${runtime_dirs[@]}"; do winepath+="$(to_wine "$d");"; done
export WINEPATH="$winepath"
export WINEDEBUG=-all
export WINEPREFIX="$root/build/windows-wine"
export WINEDLLOVERRIDES="mscoree,mshtml="   # no prompts to install .NET or a browser engine

# The prefix is made before the first test, and one wine server serves every
# program: quicker starts, and no program racing a server that shuts down.
wineserver="$(dirname "$wine")/wineserver"
mkdir -p "$WINEPREFIX"
"$wineserver" -w   # a server still ending from an earlier run goes first
"$wineserver" -p
trap '"$wineserver" -k' EXIT
"$wine" wineboot --init >/dev/null 2>&1

# The programs the build defines now: a program left in the build folder by
# an earlier layout of the tests is not run.
programs() { ninja -C "$build" -t targets all | sed -n "s|^\($1[^:]*\.exe\):.*|$build/\1|p" | sort; }

stage "tests under wine"
passed=0
failed=0
log="$build/test-logs"
rm -rf "$log"
mkdir -p "$log"
# The fuzz replays are no gtest programs: each is one case, passed when it
# replays its kept crash inputs and its generated seeds and exits with 0.
seeds="$build/tests/fuzz/seeds"
python3 fuzz/make_seeds.py "$seeds" >/dev/null
while IFS= read -r program; do
  name="$(basename "$program" .exe)"
  target="${name#replay_}"
  inputs=("$(to_wine "$seeds/$target")")
  [ -d "fuzz/regressions/$target" ] && inputs+=("$(to_wine "$root/fuzz/regressions/$target")")
  if "$wine" "$program" "${inputs[@]}" >"$log/$name.txt" 2>&1; then
    passed=$((passed + 1))
    echo "$name: $(tr -d '\r' <"$log/$name.txt" | tail -n 1)"
  else
    echo "$name: failed, see $log/$name.txt"
    failed=$((failed + 1))
  fi
done < <(programs tests/fuzz/replay_)

while IFS= read -r program; do
  name="$(basename "$program" .exe)"
  "$wine" "$program" >"$log/$name.txt" 2>&1 || true
  tr -d '\r' <"$log/$name.txt" >"$log/$name.out"
  ran="$(sed -n 's/^\[==========\] Running \([0-9]*\) tests\{0,1\} .*/\1/p' "$log/$name.out" | head -n 1)"
  ok="$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\{0,1\}\..*/\1/p' "$log/$name.out" | head -n 1)"
  ran="${ran:-1}"
  ok="${ok:-0}"
  if [ "$ok" -ne "$ran" ]; then
    # The output of each failed case, from its RUN line to its FAILED line.
    awk '/^\[ RUN      \]/ { case = "" } { case = case $0 "\n" }
         /^\[  FAILED  \].*\([0-9]+ ms\)$/ { printf "%s", case }' "$log/$name.out"
    grep -q '^\[  PASSED  \]\|^\[  FAILED  \] [0-9]' "$log/$name.out" || echo "$name died; its output: $log/$name.out"
  fi
  echo "$name: $ok of $ran passed"
  passed=$((passed + ok))
  failed=$((failed + ran - ok))
done < <(programs tests/ | grep -v /replay_)

while IFS= read -r program; do
  name="$(basename "$program" .exe)"
  work="$build/smoke/$name"
  rm -rf "$work"
  mkdir -p "$work"
  if "$wine" "$program" "$(to_wine "$work")" >"$log/$name.txt" 2>&1; then
    passed=$((passed + 1))
  else
    echo "$name: failed, see $log/$name.txt"
    failed=$((failed + 1))
  fi
done < <(programs examples/example_)

# The DLL exports the same classes and members as the Linux shared library:
# their demangled names, parameter lists left out (DWORD and LONG are other
# types on the two platforms), and the library's own only.
if [ "$mode" = own ]; then
  stage "exports of libfilekit.dll against libfilekit.so"
  cmake --preset default >/dev/null
  cmake --build --preset default --target filekit >/dev/null
  own_names() { sed 's/(.*//' | grep -E '::|^(vtable|typeinfo) for ' | grep -v -e 'std::' -e '^typeinfo name for ' | sort -u; }
  nm -D --defined-only -C "$root/build/default/libfilekit.so" | sed 's/^[0-9a-f]* [A-Za-z] //' | own_names \
    >"$log/exports-linux.txt"
  "$triplet-objdump" -p "$build/libfilekit.dll" |
    sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/s/^\t\[ *[0-9]*\] //p' | "$triplet-c++filt" | own_names \
    >"$log/exports-windows.txt"
  if diff "$log/exports-linux.txt" "$log/exports-windows.txt" >"$log/exports.diff"; then
    echo "exports: the same $(wc -l <"$log/exports-linux.txt") names"
    passed=$((passed + 1))
  else
    echo "exports differ (< Linux only, > Windows only):"
    grep '^[<>]' "$log/exports.diff"
    failed=$((failed + 1))
  fi
fi

stage "done"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
