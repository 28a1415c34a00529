#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Puts the licence's SPDX line at the top of every tracked source file that
# lacks it: "// SPDX-License-Identifier: MIT" in C++ sources and headers
# (the .h.in templates too), "# SPDX-License-Identifier: MIT" in CMake files,
# shell and Python scripts and any other file that starts with "#!". The
# line is the first one, or the second after a "#!" line. Running it again
# changes nothing. Test data (tests/data/), kept fuzz inputs
# (fuzz/regressions/), Markdown pages and configuration files take no line.
# A file that holds another SPDX line in that place is listed and left as it
# is, and fails the run.
# Usage: tools/spdx.sh            add the line where it is missing
#        tools/spdx.sh --check    only list the files without it; fails if any
set -euo pipefail
cd "$(dirname "$0")/.."
mode="${1:-write}"
case "$mode" in write|--check) ;; *) echo "usage: $0 [--check]" >&2; exit 2 ;; esac
licence="SPDX-License-Identifier: MIT"

# The comment mark a file's SPDX line takes; nothing for a file that takes none.
comment_mark() {
  case "$1" in
  tests/data/* | fuzz/regressions/* | *.md) ;;
  *.cpp | *.h | *.h.in) echo "//" ;;
  CMakeLists.txt | */CMakeLists.txt | *.cmake | *.cmake.in | *.sh | *.py) echo "#" ;;
  *) if [ "$(head -c 2 "$1")" = "#!" ]; then echo "#"; fi ;;
  esac
}

# One block, read whole before it runs: the script may add the line to itself.
{
tmp="$(mktemp)"
trap 'rm -f "$tmp"' EXIT
sources=0
missing=()
foreign=()
while IFS= read -r -d '' file; do
  [ -f "$file" ] && [ ! -L "$file" ] || continue
  mark="$(comment_mark "$file")"
  [ -n "$mark" ] || continue
  sources=$((sources + 1))
  line=1
  [ "$(head -c 2 "$file")" != "#!" ] || line=2
  present="$(sed -n "${line}p" "$file")"
  if [ "$present" = "$mark $licence" ]; then
    continue
  elif [[ "$present" == *SPDX-License-Identifier:* ]]; then
    foreign+=("$file")
  elif [ "$mode" = --check ]; then
    missing+=("$file")
  else
    { head -n $((line - 1)) "$file"; echo "$mark $licence"; tail -n +"$line" "$file"; } >"$tmp"
    cat "$tmp" >"$file"   # in place, so the file keeps its mode
    missing+=("$file")
  fi
done < <(git ls-files -z)

for file in "${foreign[@]}"; do echo "$file: another SPDX line where the MIT one belongs; left as it is" >&2; done
if [ "$mode" = --check ]; then
  [ ${#missing[@]} -eq 0 ] || printf '%s\n' "${missing[@]}"
  echo "spdx: ${#missing[@]} of $sources source files lack \"$licence\""
  [ ${#missing[@]} -eq 0 ] && [ ${#foreign[@]} -eq 0 ]
else
  echo "spdx: added \"$licence\" to ${#missing[@]} of $sources source files"
  [ ${#foreign[@]} -eq 0 ]
fi
exit
}
