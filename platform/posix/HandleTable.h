// The process's table of open file handles and their share modes.
//
// A HANDLE is a slot number of this table (times four, as Win32 hands them
// out), never a raw descriptor, so a stale or made-up handle is detected and
// answered with ERROR_INVALID_HANDLE instead of touching another file.
// Admission to the table applies the Win32 share rules against every other
// handle on the same file and takes the cross-process advisory lock.
#ifndef FILEKIT_PLATFORM_POSIX_HANDLETABLE_H
#define FILEKIT_PLATFORM_POSIX_HANDLETABLE_H

#include <filekit/Win32.h>

#include <sys/stat.h>

namespace filekit {

// What one handle refers to and may do.
struct OpenFile {
    int fd = -1;
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

// Copies the record of a handle; false for a handle that is not open.
bool LookupHandle(HANDLE handle, OpenFile* file);

// Takes a handle out of the table, closes its descriptor and releases its
// share of the file; false for a handle that is not open.
bool ReleaseHandle(HANDLE handle);

}  // namespace filekit

#endif
