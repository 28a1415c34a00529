// SPDX-License-Identifier: MIT
// The handle table, the Win32 share rules and the cross-process locks.
#include "platform/posix/HandleTable.h"

#include "platform/FileHandle.h"
#include "platform/posix/Syscalls.h"
#include "platform/posix/Errors.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace filekit {

namespace {

constexpr DWORD kReadRights = GENERIC_READ | GENERIC_EXECUTE | GENERIC_ALL | FILE_READ_DATA;
constexpr DWORD kWriteRights = GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA;
constexpr DWORD kDeleteRights = GENERIC_ALL | DELETE;

// Win32 hands out handles that are multiples of four; so does this table.
constexpr std::uintptr_t kHandleStep = 4;

bool WantsRead(DWORD access) { return (access & kReadRights) != 0; }
bool WantsWrite(DWORD access) { return (access & kWriteRights) != 0; }
bool WantsDelete(DWORD access) { return (access & kDeleteRights) != 0; }
bool HasDataAccess(DWORD access) { return WantsRead(access) || WantsWrite(access) || WantsDelete(access); }

// The Win32 rule: each side's access must be allowed by the other's share mode.
bool Conflicts(const OpenFile& held, DWORD access, DWORD share)
{
    if (!HasDataAccess(held.access) || !HasDataAccess(access)) return false;
    if (WantsRead(access) && !(held.share & FILE_SHARE_READ)) return true;
    if (WantsWrite(access) && !(held.share & FILE_SHARE_WRITE)) return true;
    if (WantsDelete(access) && !(held.share & FILE_SHARE_DELETE)) return true;
    if (WantsRead(held.access) && !(share & FILE_SHARE_READ)) return true;
    if (WantsWrite(held.access) && !(share & FILE_SHARE_WRITE)) return true;
    if (WantsDelete(held.access) && !(share & FILE_SHARE_DELETE)) return true;
    return false;
}

// Handles that take part in the cross-process lock, and whether they want it exclusive.
bool TakesLock(const OpenFile& f) { return f.regular && HasDataAccess(f.access); }
bool WantsExclusive(const OpenFile& f) { return TakesLock(f) && !(f.share & (FILE_SHARE_READ | FILE_SHARE_WRITE)); }

// The process's advisory lock on one file: one descriptor (a dup of the
// first handle's) so that the process never conflicts with itself.
struct FileLock {
    int fd = -1;
    bool exclusive = false;
};

using FileKey = std::pair<dev_t, ino_t>;

class Table {
public:
    std::mutex mutex;
    std::vector<OpenFile> slots;  // fd -1: free
    std::map<FileKey, FileLock> locks;

    // Stores file, whose descriptor the table takes over.
    HANDLE Insert(OpenFile file)
    {
        file.owner = std::make_shared<const Descriptor>(file.fd);
        size_t index = 0;
        while (index < slots.size() && slots[index].fd != -1) ++index;
        if (index == slots.size())
            slots.push_back(std::move(file));
        else
            slots[index] = std::move(file);
        return reinterpret_cast<HANDLE>((index + 1) * kHandleStep);
    }

    OpenFile* Find(HANDLE handle)
    {
        const auto value = reinterpret_cast<std::uintptr_t>(handle);
        if (value == 0 || value % kHandleStep != 0) return nullptr;
        const size_t index = value / kHandleStep - 1;
        if (index >= slots.size() || slots[index].fd == -1) return nullptr;
        return &slots[index];
    }

    // Lock mode the process needs on a file, given its handles (optionally one more).
    bool NeedsExclusive(const FileKey& key, const OpenFile* extra) const
    {
        if (extra && WantsExclusive(*extra)) return true;
        for (const OpenFile& f : slots)
            if (f.fd != -1 && f.device == key.first && f.inode == key.second && WantsExclusive(f)) return true;
        return false;
    }

    bool AnyConflict(const FileKey& key, DWORD access, DWORD share) const
    {
        for (const OpenFile& held : slots)
            if (held.fd != -1 && held.device == key.first && held.inode == key.second && Conflicts(held, access, share))
                return true;
        return false;
    }

    bool AnyLockTaker(const FileKey& key) const
    {
        for (const OpenFile& f : slots)
            if (f.fd != -1 && f.device == key.first && f.inode == key.second && TakesLock(f)) return true;
        return false;
    }

    // Brings the process's lock on key to the wanted mode; false when
    // another process holds a conflicting lock. Locks that the file system
    // does not support are skipped: they are advisory only.
    bool SetLock(const FileKey& key, int fdForNewLock, bool exclusive)
    {
        auto it = locks.find(key);
        if (it == locks.end()) {
            FileLock lock;
            lock.fd = fcntl(fdForNewLock, F_DUPFD_CLOEXEC, 0);
            if (lock.fd < 0) return true;
            if (g_sys.flock(lock.fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
                const bool busy = errno == EWOULDBLOCK;
                g_sys.close(lock.fd);
                return !busy;
            }
            lock.exclusive = exclusive;
            locks.emplace(key, lock);
            return true;
        }
        FileLock& lock = it->second;
        if (lock.exclusive == exclusive) return true;
        if (g_sys.flock(lock.fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
            const bool busy = errno == EWOULDBLOCK;
            // A failed conversion may have dropped the old lock: take it back.
            g_sys.flock(lock.fd, (lock.exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB);
            return !busy;
        }
        lock.exclusive = exclusive;
        return true;
    }

    void DropLockIfUnused(const FileKey& key)
    {
        auto it = locks.find(key);
        if (it == locks.end()) return;
        if (!AnyLockTaker(key)) {
            g_sys.close(it->second.fd);
            locks.erase(it);
        } else if (it->second.exclusive && !NeedsExclusive(key, nullptr)) {
            if (g_sys.flock(it->second.fd, LOCK_SH | LOCK_NB) == 0) it->second.exclusive = false;
        }
    }
};

Table& TheTable()
{
    static Table* table = new Table;  // never destroyed: handles may outlive static destruction
    return *table;
}

}  // namespace

Descriptor::~Descriptor() { g_sys.close(m_fd); }

bool OpenFile::CanRead() const { return WantsRead(access); }
bool OpenFile::CanWrite() const { return WantsWrite(access); }
bool OpenFile::CanOnlyAppend() const { return (access & kWriteRights) == FILE_APPEND_DATA; }

HANDLE AdmitHandle(int fd, DWORD access, DWORD share, const struct stat& info, bool truncate, DWORD* error)
{
    OpenFile file;
    file.fd = fd;
    file.access = access;
    file.share = share;
    file.regular = S_ISREG(info.st_mode);
    file.device = info.st_dev;
    file.inode = info.st_ino;
    const FileKey key(info.st_dev, info.st_ino);

    Table& table = TheTable();
    std::lock_guard<std::mutex> guard(table.mutex);
    if (file.regular) {
        if (table.AnyConflict(key, access, share)) {
            *error = ERROR_SHARING_VIOLATION;
            return INVALID_HANDLE_VALUE;
        }
        if (TakesLock(file) && !table.SetLock(key, fd, table.NeedsExclusive(key, &file))) {
            table.DropLockIfUnused(key);
            *error = ERROR_SHARING_VIOLATION;
            return INVALID_HANDLE_VALUE;
        }
    }
    // Devices cannot be truncated (EINVAL); writing to them starts afresh anyway.
    if (truncate && file.regular && g_sys.ftruncate(fd, 0) != 0) {
        *error = ErrorFromErrno(errno);
        table.DropLockIfUnused(key);
        return INVALID_HANDLE_VALUE;
    }
    return table.Insert(file);
}

bool LookupHandle(HANDLE handle, OpenFile* file)
{
    Table& table = TheTable();
    std::lock_guard<std::mutex> guard(table.mutex);
    const OpenFile* found = table.Find(handle);
    if (!found) return false;
    *file = *found;
    return true;
}

bool ReleaseHandle(HANDLE handle)
{
    Table& table = TheTable();
    std::lock_guard<std::mutex> guard(table.mutex);
    OpenFile* found = table.Find(handle);
    if (!found) return false;
    const OpenFile file = std::move(*found);
    found->fd = -1;
    found->owner.reset();
    if (file.regular) table.DropLockIfUnused(FileKey(file.device, file.inode));
    return true;
}

bool ConflictsWithOpenHandle(const struct stat& info, DWORD access, DWORD share)
{
    if (!S_ISREG(info.st_mode)) return false;
    Table& table = TheTable();
    std::lock_guard<std::mutex> guard(table.mutex);
    return table.AnyConflict(FileKey(info.st_dev, info.st_ino), access, share);
}

HANDLE DuplicateFileHandle(HANDLE handle)
{
    Table& table = TheTable();
    std::lock_guard<std::mutex> guard(table.mutex);
    const OpenFile* found = table.Find(handle);
    if (!found) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_HANDLE_VALUE;
    }
    const int fd = fcntl(found->fd, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) {
        SetLastError(ERROR_TOO_MANY_OPEN_FILES);
        return INVALID_HANDLE_VALUE;
    }
    OpenFile copy = *found;
    copy.fd = fd;
    return table.Insert(std::move(copy));
}

}  // namespace filekit
