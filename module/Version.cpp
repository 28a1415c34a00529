// SPDX-License-Identifier: MIT
// The version of the loaded library.
#include <filekit/Version.h>

namespace filekit {

const char* Version() { return FILEKIT_VERSION_STRING; }

}  // namespace filekit
