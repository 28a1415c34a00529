#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Release configuration with Debian's compiler flags and makes
# the Debian packages libfilekit0 and libfilekit-dev with CPack, has lintian
# check them, installs them to build and run the consumer programs against
# them, and removes them again (tests/package/InstalledDebs.sh). The paths of
# the two .deb files are the last lines printed.
# Usage: tools/package.sh [cmake options, e.g. -DFILEKIT_PACKAGE_MAINTAINER="Name <mail>"]
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh dpkg-dev lintian file
build=build/package

# Debian's hardening flags, as a package built by Debian gets them; CMake
# reads CXXFLAGS and LDFLAGS from the environment, the preprocessor flags
# go with CXXFLAGS.
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CXXFLAGS LDFLAGS
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DFILEKIT_PACKAGE_DEB=ON -DFILEKIT_BUILD_TESTS=OFF -DFILEKIT_BUILD_EXAMPLES=OFF "$@"
cmake --build "$build"
rm -f "$build"/*.deb
(cd "$build" && cpack)
debs=("$PWD/$build"/libfilekit[0-9]*_*.deb "$PWD/$build"/libfilekit-dev_*.deb)

# Warnings fail too: each one that is justified is overridden in the package.
lintian --fail-on error,warning --display-info "${debs[@]}"
tests/package/InstalledDebs.sh "${debs[@]}"
printf '%s\n' "${debs[@]}"
