// SPDX-License-Identifier: MIT
// The table of real POSIX calls behind the OS layer.
#include "platform/posix/Syscalls.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>

namespace filekit {

namespace {
int RealOpen(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }

const SysCalls kReal = {
    RealOpen, ::close, ::read,  ::write,    ::pread,  ::pwrite, ::lseek,  ::fstat,  ::ftruncate,
    ::fsync,  ::flock, ::lstat, ::readlink, ::fchmod, ::fchown, ::rename, ::unlink,
};
}  // namespace

SysCalls g_sys = kReal;

const SysCalls& RealSysCalls() { return kReal; }

}  // namespace filekit
