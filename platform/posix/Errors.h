// SPDX-License-Identifier: MIT
// Translation of POSIX errno values into Win32 error codes, and the
// thread's last-error value behind GetLastError / SetLastError.
#ifndef FILEKIT_PLATFORM_POSIX_ERRORS_H
#define FILEKIT_PLATFORM_POSIX_ERRORS_H

#include <filekit/Win32.h>

namespace filekit {

// The Win32 code for errno value err; ERROR_GEN_FAILURE when none fits.
DWORD ErrorFromErrno(int err);

}  // namespace filekit

#endif
