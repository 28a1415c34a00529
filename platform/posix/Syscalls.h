// SPDX-License-Identifier: MIT
// The POSIX calls that filekit's OS layer makes, reached through one table.
//
// Every file operation of the library goes through g_sys, so tests can make
// a single call fail on purpose (a full disk, a short write, a failed open)
// and check the error path, then put the real call back.
#ifndef FILEKIT_PLATFORM_POSIX_SYSCALLS_H
#define FILEKIT_PLATFORM_POSIX_SYSCALLS_H

#include <sys/stat.h>
#include <sys/types.h>

namespace filekit {

struct SysCalls {
    int (*open)(const char* path, int flags, mode_t mode);
    int (*close)(int fd);
    ssize_t (*read)(int fd, void* buffer, size_t count);
    ssize_t (*write)(int fd, const void* buffer, size_t count);
    ssize_t (*pread)(int fd, void* buffer, size_t count, off_t offset);
    ssize_t (*pwrite)(int fd, const void* buffer, size_t count, off_t offset);
    off_t (*lseek)(int fd, off_t offset, int whence);
    int (*fstat)(int fd, struct stat* info);
    int (*ftruncate)(int fd, off_t length);
    int (*fsync)(int fd);
    int (*flock)(int fd, int operation);
    // What a crash-safe save needs besides reading and writing.
    int (*lstat)(const char* path, struct stat* info);
    ssize_t (*readlink)(const char* path, char* buffer, size_t size);
    int (*fchmod)(int fd, mode_t mode);
    int (*fchown)(int fd, uid_t owner, gid_t group);
    int (*rename)(const char* from, const char* to);
    int (*unlink)(const char* path);
};

// The table in use; starts with the real calls.
extern SysCalls g_sys;

// The real calls, for putting them back.
const SysCalls& RealSysCalls();

}  // namespace filekit

#endif
