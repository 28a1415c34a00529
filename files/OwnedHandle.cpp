// SPDX-License-Identifier: MIT
// Copying and releasing the handle of a file object.
#include "files/OwnedHandle.h"

#include "platform/FileHandle.h"

namespace filekit {

void TakeCopyOfHandle(HANDLE* handle, int* open, HANDLE source, int sourceOpen)
{
    // Duplicate before releasing, so that assigning an object to itself
    // (or to a copy of itself) still finds the source handle open.
    const HANDLE copy = sourceOpen ? DuplicateFileHandle(source) : INVALID_HANDLE_VALUE;
    CloseOwnedHandle(handle);
    *handle = copy;
    *open = copy != INVALID_HANDLE_VALUE ? 1 : 0;
}

void CloseOwnedHandle(HANDLE* handle)
{
    if (*handle != INVALID_HANDLE_VALUE) ::CloseHandle(*handle);
    *handle = INVALID_HANDLE_VALUE;
}

}  // namespace filekit
