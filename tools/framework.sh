#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# filekit against an application's own framework (FILEKIT_FRAMEWORK=header).
# The framework is tests/appframework, with MFC 4.2's shape, built apart as
# an application's framework would be. Against it, filekit, every test, the
# examples and the README's quick starts build and pass under
# AddressSanitizer + UndefinedBehaviorSanitizer ("framework-asan" preset).
# Then the same framework with today's MFC shape ("framework-today"):
# filekit builds with warnings as errors, every test passes, and the
# consumer program hands the framework's own strings to filekit, built
# against the installed package. Last, a program compiled against filekit's
# own framework must fail to link with that library: the mismatch shows at
# link time, not at run time.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh

# build_framework DIR [CMake options]: the application's framework library.
build_framework() {
  local dir="$1"
  shift
  cmake -S tests/appframework -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir"
}

build_framework build/appframework-asan -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake --preset framework-asan
cmake --build --preset framework-asan
ctest --preset framework-asan

build_framework build/appframework-today -DCMAKE_BUILD_TYPE=RelWithDebInfo -DAPPFRAMEWORK_TODAY=ON
cmake --preset framework-today
cmake --build --preset framework-today
ctest --preset framework-today

# The consumer compiled against the own framework's headers, linked with the
# library built against the application's.
cmake --preset default >/dev/null
cmake --build --preset default --target filekit >/dev/null
mismatch=build/framework-today/mismatch
if c++ -std=c++17 -Iinclude -Ibuild/default/generated tests/package/consumer/main.cpp \
     build/framework-today/libfilekit.so -o "$mismatch" 2>"$mismatch.log"; then
  echo "a program built against filekit's own framework linked with the library built against another" >&2
  exit 1
fi
grep -q "undefined reference" "$mismatch.log"
echo "framework mismatch: refused at link time"
