#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages filekit needs to build, test and benchmark,
# when any is missing. Extra package names may be passed as arguments.
set -euo pipefail

packages=(g++ clang cmake ninja-build pkg-config git libgtest-dev libgmock-dev libbenchmark-dev libpugixml-dev "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
