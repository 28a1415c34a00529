// SPDX-License-Identifier: MIT
// errno to Win32 error codes, and the per-thread last error.
#include "platform/posix/Errors.h"

#include <cerrno>

namespace filekit {

DWORD ErrorFromErrno(int err)
{
    switch (err) {
    case 0: return NO_ERROR;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ELOOP: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY: return ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_FILE_EXISTS;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return ERROR_DISK_FULL;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EBADF: return ERROR_INVALID_HANDLE;
    case EIO: return ERROR_IO_DEVICE;
    case EWOULDBLOCK: return ERROR_SHARING_VIOLATION;
    default: return ERROR_GEN_FAILURE;
    }
}

}  // namespace filekit

namespace {
thread_local DWORD t_lastError = NO_ERROR;
}

DWORD GetLastError() { return t_lastError; }
void SetLastError(DWORD errorCode) { t_lastError = errorCode; }
