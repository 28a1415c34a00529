// SPDX-License-Identifier: MIT
// The Win32 file functions over POSIX descriptors.
//
// Each function checks its handle and the handle's access first, then makes
// the POSIX call through g_sys and translates errno into the Win32 code.
#include <filekit/Win32.h>

#include "platform/posix/Errors.h"
#include "platform/posix/HandleTable.h"
#include "platform/posix/Syscalls.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

using filekit::g_sys;
using filekit::OpenFile;

namespace {

constexpr int kCreateRetries = 8;  // a file that vanishes and reappears while we open it

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

// name without the separators it ends with ("/" stays "/").
std::string WithoutTrailingSeparators(const char* name)
{
    std::string stripped(name);
    while (stripped.size() > 1 && stripped.back() == '/') stripped.pop_back();
    return stripped;
}

// ENOENT means a missing file when its folder exists, else a missing path.
DWORD MissingError(const char* name)
{
    std::string folder = WithoutTrailingSeparators(name);
    const size_t slash = folder.find_last_of('/');
    if (slash == std::string::npos) return ERROR_FILE_NOT_FOUND;
    folder.resize(slash == 0 ? 1 : slash);
    struct stat info;
    return (stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

DWORD OpenError(const char* name, int err) { return err == ENOENT ? MissingError(name) : filekit::ErrorFromErrno(err); }

// The descriptor's mode for a handle's access. Win32 empties the file for
// CREATE_ALWAYS and TRUNCATE_EXISTING whatever access the handle asks for,
// as long as the file may be written: such a descriptor needs write access
// while the handle keeps its own rights.
int AccessFlags(DWORD access, bool truncates)
{
    OpenFile probe;
    probe.access = access;
    const bool write = probe.CanWrite() || truncates;
    // A handle that may only append writes at the end, wherever its position.
    const int append = probe.CanOnlyAppend() ? O_APPEND : 0;
    if (probe.CanRead() && write) return O_RDWR | append;
    return (write ? O_WRONLY : O_RDONLY) | append;
}

// Win32 takes a name that ends in a separator for a folder's name. A folder
// under such a name goes on to be refused as every folder is (NO_ERROR
// here); any other name fails now, with the code Win32 gives.
DWORD TrailingSeparatorError(const char* name, DWORD disposition)
{
    const std::string stripped = WithoutTrailingSeparators(name);
    struct stat info;
    if (stat(stripped.c_str(), &info) == 0) {
        if (disposition == CREATE_NEW) return ERROR_FILE_EXISTS;
        return S_ISDIR(info.st_mode) ? NO_ERROR : ERROR_INVALID_NAME;
    }
    const DWORD missing = MissingError(stripped.c_str());
    if (missing == ERROR_PATH_NOT_FOUND) return missing;
    return (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING) ? ERROR_FILE_NOT_FOUND
                                                                              : ERROR_INVALID_NAME;
}

// Opens name by the disposition; *existed tells whether the file was there.
int OpenByDisposition(const char* name, int flags, mode_t mode, DWORD disposition, bool* existed)
{
    *existed = true;
    switch (disposition) {
    case CREATE_NEW: *existed = false; return g_sys.open(name, flags | O_CREAT | O_EXCL, mode);
    case CREATE_ALWAYS:
    case OPEN_ALWAYS:
        for (int attempt = 0; attempt < kCreateRetries; ++attempt) {
            int fd = g_sys.open(name, flags | O_CREAT | O_EXCL, mode);
            if (fd >= 0) {
                *existed = false;
                return fd;
            }
            if (errno != EEXIST) return -1;
            fd = g_sys.open(name, flags, 0);
            if (fd >= 0 || errno != ENOENT) return fd;
        }
        return -1;
    default:  // OPEN_EXISTING, TRUNCATE_EXISTING
        return g_sys.open(name, flags, 0);
    }
}

}  // namespace

HANDLE CreateFileA(const char* fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE)
{
    if (creationDisposition < CREATE_NEW || creationDisposition > TRUNCATE_EXISTING) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if (!fileName || fileName[0] == '\0') {  // a null name is an empty path to Win32
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (fileName[std::strlen(fileName) - 1] == '/') {
        const DWORD error = TrailingSeparatorError(fileName, creationDisposition);
        if (error != NO_ERROR) {
            SetLastError(error);
            return INVALID_HANDLE_VALUE;
        }
    }
    const bool mayTruncate = creationDisposition == CREATE_ALWAYS || creationDisposition == TRUNCATE_EXISTING;
    const int accessFlags = AccessFlags(desiredAccess, mayTruncate);
    const mode_t mode = (flagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    // Non-blocking so that opening a FIFO cannot hang; cleared right after.
    const int flags = accessFlags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

    bool existed = true;
    const int fd = OpenByDisposition(fileName, flags, mode, creationDisposition, &existed);
    if (fd < 0) {
        SetLastError(OpenError(fileName, errno));
        return INVALID_HANDLE_VALUE;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);

    struct stat info;
    DWORD error = NO_ERROR;
    if (g_sys.fstat(fd, &info) != 0)
        error = filekit::ErrorFromErrno(errno);
    else if (S_ISDIR(info.st_mode))
        error = ERROR_ACCESS_DENIED;  // as Win32 answers for a folder
    if (error != NO_ERROR) {
        g_sys.close(fd);
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }

    const HANDLE handle = filekit::AdmitHandle(fd, desiredAccess, shareMode, info, existed && mayTruncate, &error);
    if (handle == INVALID_HANDLE_VALUE) {
        g_sys.close(fd);
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    const bool reportsExisting = creationDisposition == CREATE_ALWAYS || creationDisposition == OPEN_ALWAYS;
    SetLastError(reportsExisting && existed ? ERROR_ALREADY_EXISTS : NO_ERROR);
    return handle;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPOVERLAPPED overlapped)
{
    if (bytesRead) *bytesRead = 0;
    OpenFile f;
    if (!filekit::LookupHandle(file, &f)) return Fail(ERROR_INVALID_HANDLE);
    if (!f.CanRead()) return Fail(ERROR_ACCESS_DENIED);
    if (bytesToRead == 0) return TRUE;
    if (!buffer) return Fail(ERROR_NOACCESS);

    const off_t start =
        overlapped ? static_cast<off_t>((std::uint64_t{overlapped->OffsetHigh} << 32) | overlapped->Offset) : 0;
    auto* out = static_cast<char*>(buffer);
    DWORD done = 0;
    while (done < bytesToRead) {
        const ssize_t n = overlapped ? g_sys.pread(f.fd, out + done, bytesToRead - done, start + done)
                                     : g_sys.read(f.fd, out + done, bytesToRead - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (bytesRead) *bytesRead = done;
            return Fail(filekit::ErrorFromErrno(errno));
        }
        if (n == 0) break;
        done += static_cast<DWORD>(n);
    }
    if (bytesRead) *bytesRead = done;
    if (overlapped) {
        g_sys.lseek(f.fd, start + done, SEEK_SET);  // a synchronous handle's position follows the read
        if (done == 0) return Fail(ERROR_HANDLE_EOF);
    }
    return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten, LPOVERLAPPED overlapped)
{
    if (bytesWritten) *bytesWritten = 0;
    OpenFile f;
    if (!filekit::LookupHandle(file, &f)) return Fail(ERROR_INVALID_HANDLE);
    if (!f.CanWrite()) return Fail(ERROR_ACCESS_DENIED);
    if (bytesToWrite == 0) return TRUE;
    if (!buffer) return Fail(ERROR_INVALID_USER_BUFFER);

    const off_t start =
        overlapped ? static_cast<off_t>((std::uint64_t{overlapped->OffsetHigh} << 32) | overlapped->Offset) : 0;
    const auto* in = static_cast<const char*>(buffer);
    DWORD done = 0;
    while (done < bytesToWrite) {
        const ssize_t n = overlapped ? g_sys.pwrite(f.fd, in + done, bytesToWrite - done, start + done)
                                     : g_sys.write(f.fd, in + done, bytesToWrite - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (bytesWritten) *bytesWritten = done;
            return Fail(n == 0 ? ERROR_DISK_FULL : filekit::ErrorFromErrno(errno));
        }
        done += static_cast<DWORD>(n);
    }
    if (bytesWritten) *bytesWritten = done;
    if (overlapped) g_sys.lseek(f.fd, start + done, SEEK_SET);
    return TRUE;
}

DWORD SetFilePointer(HANDLE file, LONG distanceToMove, PLONG distanceToMoveHigh, DWORD moveMethod)
{
    OpenFile f;
    if (!filekit::LookupHandle(file, &f)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_SET_FILE_POINTER;
    }
    int whence;
    switch (moveMethod) {
    case FILE_BEGIN: whence = SEEK_SET; break;
    case FILE_CURRENT: whence = SEEK_CUR; break;
    case FILE_END: whence = SEEK_END; break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return INVALID_SET_FILE_POINTER;
    }
    // Without a high part the distance is a signed 32-bit number.
    const std::int64_t distance =
        distanceToMoveHigh ? static_cast<std::int64_t>((std::uint64_t{static_cast<DWORD>(*distanceToMoveHigh)} << 32) |
                                                       static_cast<DWORD>(distanceToMove))
                           : std::int64_t{distanceToMove};
    const off_t position = g_sys.lseek(f.fd, static_cast<off_t>(distance), whence);
    if (position < 0) {
        SetLastError(errno == EINVAL ? ERROR_NEGATIVE_SEEK : filekit::ErrorFromErrno(errno));
        return INVALID_SET_FILE_POINTER;
    }
    const auto wide = static_cast<std::uint64_t>(position);
    if (distanceToMoveHigh) *distanceToMoveHigh = static_cast<LONG>(static_cast<DWORD>(wide >> 32));
    const auto low = static_cast<DWORD>(wide);
    if (low == INVALID_SET_FILE_POINTER) SetLastError(NO_ERROR);  // tells success from failure
    return low;
}

DWORD GetFileSize(HANDLE file, LPDWORD fileSizeHigh)
{
    OpenFile f;
    struct stat info;
    if (!filekit::LookupHandle(file, &f)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_FILE_SIZE;
    }
    if (g_sys.fstat(f.fd, &info) != 0) {
        SetLastError(filekit::ErrorFromErrno(errno));
        return INVALID_FILE_SIZE;
    }
    const auto size = static_cast<std::uint64_t>(info.st_size);
    if (fileSizeHigh) *fileSizeHigh = static_cast<DWORD>(size >> 32);
    const auto low = static_cast<DWORD>(size);
    if (low == INVALID_FILE_SIZE) SetLastError(NO_ERROR);
    return low;
}

BOOL SetEndOfFile(HANDLE file)
{
    OpenFile f;
    if (!filekit::LookupHandle(file, &f)) return Fail(ERROR_INVALID_HANDLE);
    if (!f.CanWrite()) return Fail(ERROR_ACCESS_DENIED);
    const off_t position = g_sys.lseek(f.fd, 0, SEEK_CUR);
    if (position < 0 || g_sys.ftruncate(f.fd, position) != 0) return Fail(filekit::ErrorFromErrno(errno));
    return TRUE;
}

BOOL FlushFileBuffers(HANDLE file)
{
    OpenFile f;
    if (!filekit::LookupHandle(file, &f)) return Fail(ERROR_INVALID_HANDLE);
    if (!f.CanWrite()) return Fail(ERROR_ACCESS_DENIED);
    // Devices and pipes have nothing to sync (EINVAL, EROFS): that is success.
    if (g_sys.fsync(f.fd) != 0 && errno != EINVAL && errno != EROFS) return Fail(filekit::ErrorFromErrno(errno));
    return TRUE;
}

BOOL CloseHandle(HANDLE object)
{
    // INVALID_HANDLE_VALUE is also Win32's pseudo-handle of the current
    // process, which CloseHandle accepts and leaves open.
    if (object == INVALID_HANDLE_VALUE) return TRUE;
    if (!filekit::ReleaseHandle(object)) return Fail(ERROR_INVALID_HANDLE);
    return TRUE;
}
