// SPDX-License-Identifier: MIT
// The process's table of open file handles and their share modes.
//
// A HANDLE is a slot number of this table (times four, as Win32 hands them
// out), never a raw descriptor, so a stale or made-up handle is detected and
// answered with ERROR_INVALID_HANDLE instead of touching another file.
// Admission to the table applies the Win32 share rules against every other
// handle on the same file and takes the cross-process advisory lock.
//
// A handle's descriptor is shared by the table and by every call working on
// it: CloseHandle takes the handle out of the table at once, but the
// descriptor is closed only when the last call using it returns, so a call
// under way can never reach another file that reused the descriptor's number.
#ifndef FILEKIT_PLATFORM_POSIX_HANDLETABLE_H
#define FILEKIT_PLATFORM_POSIX_HANDLETABLE_H

#include <filekit/Win32.h>

#include <sys/stat.h>

#include <memory>

namespace filekit {

// An open descriptor, closed when the last owner lets it go.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor();
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

private:
    int m_fd;
};

// What one handle refers to and may do. A copy keeps the descriptor open.
struct OpenFile {
    int fd = -1;
    std::shared_ptr<const Descriptor> owner;  // keeps fd open while the record is held
    DWORD access = 0;  // the access rights asked for, generic rights included
    DWORD share = 0;  // the share mode granted to others
    bool regular = false;
    dev_t device = 0;
    ino_t inode = 0;

    bool CanRead() const;
    bool CanWrite() const;
    bool CanOnlyAppend() const;  // FILE_APPEND_DATA without any other write right
};

// Admits fd (open on the file described by info) as a new handle. Refuses
// with ERROR_SHARING_VIOLATION when access or share conflicts with a handle
// already open on that file, in this process or (as far as flock goes) in
// another. When truncate is set the file is emptied once admitted. On
// success returns the handle and the fd belongs to the table; on failure
// returns INVALID_HANDLE_VALUE with *error set and leaves fd to the caller.
HANDLE AdmitHandle(int fd, DWORD access, DWORD share, const struct stat& info, bool truncate, DWORD* error);

// Copies the record of a handle; false for a handle that is not open. The
// copy keeps the descriptor open until it is destroyed, even when the
// handle is closed meanwhile.
bool LookupHandle(HANDLE handle, OpenFile* file);

// Takes a handle out of the table and releases its share of the file; its
// descriptor is closed once no copy of its record is left. False for a
// handle that is not open.
bool ReleaseHandle(HANDLE handle);

// Whether an open of the file described by info with access and share would
// be refused by a handle of this process, by the rules AdmitHandle applies.
bool ConflictsWithOpenHandle(const struct stat& info, DWORD access, DWORD share);

}  // namespace filekit

#endif
