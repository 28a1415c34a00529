// Test support for table rows (tests/data/saves, tests/data/badinput):
// their escapes, as tests/data/README.md describes them. The case files of
// the INI and XML suites are read by robustness/Cases.h.
#ifndef FILEKIT_TESTS_INI_CASEFILE_H
#define FILEKIT_TESTS_INI_CASEFILE_H

#include "support/Script.h"
#include "support/TempDir.h"

namespace filekit_test {

// text with \xHH and \{N*text} replaced (Expand); every other backslash
// stays.
inline std::string Decode(const std::string& text) { return Expand(text, false); }

}  // namespace filekit_test

#endif
