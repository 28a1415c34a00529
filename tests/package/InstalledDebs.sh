#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the filekit Debian packages given as arguments with dpkg, builds
# the consumer program against the installed files through find_package and
# through pkg-config and runs it, then purges the packages and fails if any
# of their files is left. A trap purges them whatever fails, so a machine
# that had no filekit installed has none afterwards.
# Usage: tests/package/InstalledDebs.sh RUNTIME.deb DEV.deb
set -euo pipefail
export LC_ALL=C   # one order for sort and comm
here="$(cd "$(dirname "$0")" && pwd)"
mapfile -t names < <(for deb in "$@"; do dpkg-deb --field "$deb" Package; done)
for name in "${names[@]}"; do
  if dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q "installed"; then
    echo "$name is installed already: remove it first (dpkg -r $name)" >&2
    exit 1
  fi
done
work="$(mktemp -d)"
cleanup() {
  dpkg --purge "${names[@]}" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

# What of the packages' paths exists before they are installed (/usr, the
# multiarch folder...) is not theirs to remove.
for deb in "$@"; do dpkg-deb --contents "$deb"; done | awk '{print $6}' | sed 's|^\.||; s|/$||' | sort -u |
  while read -r path; do if [ -e "$path" ]; then echo "$path"; fi; done >"$work/existing"

dpkg -i "$@"
dpkg -L "${names[@]}" | grep -vx '/\.' | sort -u >"$work/owned"
for mode in find_package pkg-config; do
  cmake -DMODE="$mode" -DWORK="$work/$mode" -DSOURCE="$here/consumer" -DCXX="${CXX:-c++}" \
    -DCONFIG_FILE="$(grep '/filekitConfig\.cmake$' "$work/owned")" -DPC_FILE="$(grep '/filekit\.pc$' "$work/owned")" \
    -P "$here/RunConsumer.cmake"
  echo "consumer built through $mode against the installed packages: ok"
done

dpkg --purge "${names[@]}"
while read -r path; do
  if [ -e "$path" ] || [ -L "$path" ]; then echo "$path"; fi
done <"$work/owned" | comm -23 - "$work/existing" >"$work/left"
if [ -s "$work/left" ]; then
  echo "left behind after dpkg --purge:" >&2
  cat "$work/left" >&2
  exit 1
fi
echo "dpkg --purge removed every file of ${names[*]}"
