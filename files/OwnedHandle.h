// SPDX-License-Identifier: MIT
// Handle ownership shared by CBinaryFile and CTextFile, internal.
//
// Both classes keep a handle and an open flag under the same rules, without
// either deriving from the other; these routines hold the parts that must
// not differ between them: what a copy takes and how a handle is let go.
#ifndef FILEKIT_FILES_OWNEDHANDLE_H
#define FILEKIT_FILES_OWNEDHANDLE_H

#include <filekit/Win32.h>

namespace filekit {

// Gives *handle / *open what a copy of (source, sourceOpen) holds: its own
// duplicate of an open source's handle, or no handle when the source is
// not open or no duplicate can be made. The handle held before is closed.
void TakeCopyOfHandle(HANDLE* handle, int* open, HANDLE source, int sourceOpen);

// Closes *handle when it is one (the system's answer is not examined) and
// sets it to INVALID_HANDLE_VALUE.
void CloseOwnedHandle(HANDLE* handle);

}  // namespace filekit

#endif
