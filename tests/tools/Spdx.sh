#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# tools/spdx.sh on a scratch git repository of sample files: --check lists
# the sources without the line and fails; a run adds the line in the right
# form and place (after a "#!" line), keeps the files' modes and leaves data
# files and Markdown alone; a second run changes nothing; --check then
# passes. A file holding another SPDX line is left as it is and fails both.
# Ends with "N passed, M failed".
set -euo pipefail
script="$(cd "$(dirname "$0")/../../tools" && pwd)/spdx.sh"
repo="$(mktemp -d)"
trap 'rm -rf "$repo"' EXIT
cd "$repo"
git init -q .
mkdir -p tools src tests/data cmake bench
sed "2{/SPDX-License-Identifier: MIT/d}" "$script" >tools/spdx.sh   # without its own line: a run adds it to itself
chmod +x tools/spdx.sh
printf 'int f();\n' >src/a.h
printf '#include "a.h"\nint f() { return 0; }' >src/a.cpp   # no line end at the end
printf '#!/usr/bin/env bash\necho run\n' >tools/run.sh
chmod +x tools/run.sh
printf '#!/usr/bin/env bash\necho compare\n' >bench/compare
printf 'project(x)\n' >CMakeLists.txt
printf 'set(a 1)\n' >cmake/A.cmake
printf 'int data;\n' >tests/data/case.cpp
printf '# Notes\n' >README.md
printf '// SPDX-License-Identifier: Apache-2.0\nint g();\n' >src/other.h
git add .

passed=0
failed=0
expect() {   # expect <what> <command...>: the command must succeed
  local what=$1
  shift
  if "$@"; then
    echo "ok: $what"
    passed=$((passed + 1))
  else
    echo "FAILED: $what"
    failed=$((failed + 1))
  fi
}
fails() { ! "$@" >/dev/null 2>&1; }
first_lines() { head -n "$2" "$1" | tr '\n' '|'; }

expect "--check fails before any line is added" fails tools/spdx.sh --check
listed="$(tools/spdx.sh --check 2>/dev/null | grep -v '^spdx:' | sort | tr '\n' ' ' || true)"
expect "--check lists the seven sources without the line" \
  test "$listed" = "CMakeLists.txt bench/compare cmake/A.cmake src/a.cpp src/a.h tools/run.sh tools/spdx.sh "

expect "a run with a foreign SPDX line fails" fails tools/spdx.sh
expect "a C++ header gets the // line first" \
  test "$(first_lines src/a.h 2)" = "// SPDX-License-Identifier: MIT|int f();|"
expect "a C++ source gets it and keeps its last line without a line end" \
  cmp -s src/a.cpp <(printf '// SPDX-License-Identifier: MIT\n#include "a.h"\nint f() { return 0; }')
expect "a script gets the # line after its #! line" \
  test "$(first_lines tools/run.sh 3)" = "#!/usr/bin/env bash|# SPDX-License-Identifier: MIT|echo run|"
expect "a script without an extension too" \
  test "$(first_lines bench/compare 2)" = "#!/usr/bin/env bash|# SPDX-License-Identifier: MIT|"
expect "CMake files get the # line first" \
  test "$(first_lines CMakeLists.txt 1)$(first_lines cmake/A.cmake 1)" = \
  "# SPDX-License-Identifier: MIT|# SPDX-License-Identifier: MIT|"
expect "a script stays executable" test -x tools/run.sh
expect "test data is left alone" test "$(cat tests/data/case.cpp)" = "int data;"
expect "Markdown is left alone" test "$(cat README.md)" = "# Notes"
expect "a file with another SPDX line is left alone" \
  test "$(first_lines src/other.h 1)" = "// SPDX-License-Identifier: Apache-2.0|"

before="$(git ls-files -z | xargs -0 md5sum)"
tools/spdx.sh >/dev/null 2>&1 || true
expect "a second run changes nothing" test "$(git ls-files -z | xargs -0 md5sum)" = "$before"

expect "--check still fails on the foreign SPDX line" fails tools/spdx.sh --check
git rm -q -f src/other.h
expect "--check passes once every source has the line" tools/spdx.sh --check

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
