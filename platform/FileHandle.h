// SPDX-License-Identifier: MIT
// Handle duplication for the file classes, internal to the library.
//
// Copies of CBinaryFile and CTextFile each own a handle of their own on the
// same open file, so neither can close the other's handle.
#ifndef FILEKIT_PLATFORM_FILEHANDLE_H
#define FILEKIT_PLATFORM_FILEHANDLE_H

#include <filekit/Win32.h>

namespace filekit {

// A second handle on the same open file: shared file position, the same
// access rights and share mode, and no share check, as Win32's
// DuplicateHandle gives. INVALID_HANDLE_VALUE for INVALID_HANDLE_VALUE or
// when no handle can be made (the last error then says why).
HANDLE DuplicateFileHandle(HANDLE handle);

}  // namespace filekit

#endif
