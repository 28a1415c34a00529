#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the source release build/filekit-<version>.tar.gz, the version taken
# from project(VERSION) in CMakeLists.txt: a git archive of the commit checked
# out (HEAD; uncommitted changes are not in it), every file under
# filekit-<version>/. Then unpacks it into an empty folder that no git
# repository reaches (build/release-check/) and runs the README's test
# command, tools/test.sh, there: it passes only if the release holds
# everything the build and the tests need. The archive's path is the last
# line printed.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

version="$(sed -n 's/^project(filekit VERSION \([0-9][0-9.]*\)[ )].*/\1/p' CMakeLists.txt)"
if [ -z "$version" ]; then
  echo "release: no version found in the project() line of CMakeLists.txt" >&2
  exit 1
fi
name="filekit-$version"
archive="$root/build/$name.tar.gz"
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "release: the tree has uncommitted changes; the archive holds HEAD without them"
fi
mkdir -p build
git archive --format=tar.gz --prefix="$name/" -o "$archive" HEAD
echo "release: $archive from $(git rev-parse --short HEAD), $(tar -tzf "$archive" | grep -vc '/$') files"

# The unpacked tree must not reach the repository it came from: git stops
# its search for a repository at the ceiling, the folder above the tree.
check="$root/build/release-check"
rm -rf "$check"
mkdir -p "$check"
tar -C "$check" -xzf "$archive"
unset GIT_DIR GIT_WORK_TREE
export GIT_CEILING_DIRECTORIES="$check"
if git -C "$check/$name" rev-parse --git-dir >/dev/null 2>&1; then
  echo "release: $check/$name is inside a git repository; the check needs a tree without one" >&2
  exit 1
fi
(cd "$check/$name" && tools/test.sh)
echo "release: the unpacked $name builds and passes tools/test.sh"
echo "$archive"
