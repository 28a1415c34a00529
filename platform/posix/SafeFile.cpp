// SPDX-License-Identifier: MIT
// Crash-safe saves over POSIX: a new file beside the target, fsync, rename,
// fsync of the folder. Every call goes through g_sys so that tests can make
// any step fail.
#include "platform/SafeFile.h"

#include "platform/posix/Errors.h"
#include "platform/posix/HandleTable.h"
#include "platform/posix/Syscalls.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace filekit {

namespace {

// Links followed from the path to the file replaced, as the kernel's own
// limit (a longer chain is written in place, where the open fails).
constexpr int kMaxLinkHops = 40;
// The longest link target read; a longer one stops the following.
constexpr size_t kMaxLinkBytes = 4096;

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file that path names once every symbolic link at its end is
// followed; a link's relative target counts from the link's folder.
std::string FollowLinks(std::string path)
{
    std::string link(kMaxLinkBytes, '\0');
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat info {};
        if (g_sys.lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
        const ssize_t length = g_sys.readlink(path.c_str(), link.data(), link.size());
        if (length <= 0 || static_cast<size_t>(length) == link.size()) break;
        const std::string next = link.substr(0, static_cast<size_t>(length));
        if (next[0] == '/' || path.find('/') == std::string::npos)
            path = next;
        else
            path = FolderOf(path).append("/").append(next);
    }
    return path;
}

// The code for a failed create: ENOENT there means the folder to create in
// is missing, which Windows reports as a missing path.
DWORD CreateError(int err) { return err == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(err); }

// Why the existing file described by info cannot be replaced, NO_ERROR
// when it can: it may be opened for writing (nothing is changed: no
// truncation, no byte written) and no handle holds it against a save. A
// save writes the file and deletes its old content, as Windows asks of the
// handles already open on it; another process's exclusive lock refuses it too.
DWORD ReplaceRefusal(const std::string& path, const struct stat& info)
{
    constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    if (ConflictsWithOpenHandle(info, GENERIC_WRITE | DELETE, kShareAll)) return ERROR_SHARING_VIOLATION;
    const int fd = g_sys.open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0);
    if (fd < 0) return ErrorFromErrno(errno);
    const bool heldExclusively = g_sys.flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    g_sys.close(fd);
    return heldExclusively ? ERROR_SHARING_VIOLATION : NO_ERROR;
}

// Locks the new file just created on fd; false when a save cleaning up
// after dead saves took it first and removed (or is removing) it. Where the
// file system has no flock the file goes on unlocked.
bool LockNewFile(int fd)
{
    if (g_sys.flock(fd, LOCK_EX | LOCK_NB) != 0) return errno != EWOULDBLOCK;
    struct stat info {};
    return g_sys.fstat(fd, &info) == 0 && info.st_nlink > 0;
}

// Flushes the folder's entries, so the rename itself survives a crash. Some
// file systems refuse to sync a folder; the file is replaced all the same.
void SyncFolder(const std::string& folder)
{
    const int fd = g_sys.open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0) return;
    g_sys.fsync(fd);
    g_sys.close(fd);
}

}  // namespace

SafeFile::~SafeFile() { Abandon(); }

bool SafeFile::IsOpen() const { return m_fd >= 0; }

bool SafeFile::Open(const char* path)
{
    Abandon();
    m_failed = false;
    m_error = NO_ERROR;
    m_target = FollowLinks(path);
    struct stat info {};
    const bool exists = g_sys.lstat(m_target.c_str(), &info) == 0;
    const bool replaceable = exists ? S_ISREG(info.st_mode) : errno == ENOENT;
    if (replaceable) {
        const DWORD refusal = exists ? ReplaceRefusal(m_target, info) : NO_ERROR;
        if (refusal != NO_ERROR) {
            Fail(refusal);
            return Finish(false);
        }
        // A new file starts private: the old file's bits are set before any
        // byte is written. A file that did not exist gets the bits (and the
        // umask) that creating it in place would give.
        const mode_t createMode = exists ? S_IRUSR | S_IWUSR : 0666;
        int createError = 0;
        for (int attempt = 0; attempt < kMaxTemporaryNameTries && m_fd < 0; ++attempt) {
            m_temporary = TemporaryName(m_target);
            m_fd = g_sys.open(m_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, createMode);
            createError = m_fd < 0 ? errno : 0;
            if (m_fd >= 0 && !LockNewFile(m_fd)) {
                g_sys.close(m_fd);
                m_fd = -1;
                createError = EEXIST;  // the name was taken after all
            } else if (m_fd < 0 && createError != EEXIST) {
                break;
            }
        }
        if (m_fd >= 0) {
            // A second descriptor keeps the lock past the close that Commit
            // checks, until the new file has its final name.
            m_lockFd = fcntl(m_fd, F_DUPFD_CLOEXEC, 0);
            if (m_lockFd < 0) {
                Fail(ErrorFromErrno(errno));
                Abandon();
                return Finish(false);
            }
            RemoveDeadTemporaries();
        }
        if (m_fd >= 0 && exists) {
            // The owner first: changing it clears the set-user and set-group
            // bits. Only a privileged process may give the file away; any
            // other that saves someone else's writable file owns the new one.
            if (info.st_uid != geteuid() || info.st_gid != getegid()) g_sys.fchown(m_fd, info.st_uid, info.st_gid);
            if (g_sys.fchmod(m_fd, info.st_mode & 07777) != 0) Abandon();
        }
        if (m_fd >= 0) return true;
        m_temporary.clear();
        // Only a folder that refuses new files for want of permission may
        // have its file written in place; a full disk must not cut the file.
        if (createError != 0 && createError != EACCES && createError != EPERM) {
            Fail(CreateError(createError));
            return Finish(false);
        }
    }
    // Written in place, as a plain "wt" stream writes.
    m_fd = g_sys.open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
    if (m_fd < 0) Fail(CreateError(errno));
    return Finish(m_fd >= 0);
}

void SafeFile::RemoveDeadTemporaries() const
{
    const std::string folder = FolderOf(m_target);
    std::vector<std::string> leftovers;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = readdir(dir)) {
        const std::string path = folder + "/" + entry->d_name;
        if (IsTemporaryOf(m_target, entry->d_name) && path != m_temporary) leftovers.push_back(path);
    }
    closedir(dir);
    for (const std::string& path : leftovers) {
        // Only regular files are opened: opening anything else may act.
        struct stat named {};
        if (g_sys.lstat(path.c_str(), &named) != 0 || !S_ISREG(named.st_mode)) continue;
        const int fd = g_sys.open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0);
        if (fd < 0) continue;
        // Removed only while the name holds the file whose lock was taken:
        // a cleaner that took it first has unlinked it (no link left), and
        // no other file takes a name that exists.
        struct stat held {};
        if (g_sys.flock(fd, LOCK_EX | LOCK_NB) == 0 && g_sys.fstat(fd, &held) == 0 && held.st_nlink > 0 &&
            named.st_dev == held.st_dev && named.st_ino == held.st_ino)
            g_sys.unlink(path.c_str());
        g_sys.close(fd);
    }
}

void SafeFile::Write(const void* data, size_t length)
{
    const auto* bytes = static_cast<const char*>(data);
    while (length > 0 && !m_failed && m_fd >= 0) {
        const ssize_t written = g_sys.write(m_fd, bytes, length);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            Fail(written == 0 ? ERROR_DISK_FULL : ErrorFromErrno(errno));
        } else {
            bytes += written;
            length -= static_cast<size_t>(written);
        }
    }
}

bool SafeFile::Commit()
{
    if (m_fd < 0) return false;
    struct stat info {};
    // Devices and FIFOs cannot be synced; a regular file written in place can.
    const bool syncs = !m_temporary.empty() || (g_sys.fstat(m_fd, &info) == 0 && S_ISREG(info.st_mode));
    if (!m_failed && syncs && g_sys.fsync(m_fd) != 0) Fail(ErrorFromErrno(errno));
    if (g_sys.close(m_fd) != 0) Fail(ErrorFromErrno(errno));
    m_fd = -1;
    if (!m_temporary.empty()) {
        if (!m_failed && g_sys.rename(m_temporary.c_str(), m_target.c_str()) != 0) Fail(ErrorFromErrno(errno));
        if (!m_failed)
            SyncFolder(FolderOf(m_target));
        else
            g_sys.unlink(m_temporary.c_str());
        m_temporary.clear();
    }
    Abandon();  // lets the lock go
    return Finish(!m_failed);
}

void SafeFile::Abandon()
{
    if (m_fd >= 0) g_sys.close(m_fd);
    m_fd = -1;
    if (!m_temporary.empty()) g_sys.unlink(m_temporary.c_str());
    m_temporary.clear();
    if (m_lockFd >= 0) g_sys.close(m_lockFd);
    m_lockFd = -1;
}

}  // namespace filekit
