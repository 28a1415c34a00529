// SPDX-License-Identifier: MIT
// Handle duplication over the system's DuplicateHandle.
#include "platform/FileHandle.h"

namespace filekit {

HANDLE DuplicateFileHandle(HANDLE handle)
{
    // INVALID_HANDLE_VALUE is also the pseudo-handle of the current process,
    // which DuplicateHandle would happily copy: refuse it first.
    if (handle == INVALID_HANDLE_VALUE) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_HANDLE_VALUE;
    }
    const HANDLE process = GetCurrentProcess();
    HANDLE copy = INVALID_HANDLE_VALUE;
    if (!DuplicateHandle(process, handle, process, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS)) return INVALID_HANDLE_VALUE;
    return copy;
}

}  // namespace filekit
