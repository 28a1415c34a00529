// Crash-safe saves over POSIX: a new file beside the target, fsync, rename,
// fsync of the folder. Every call goes through g_sys so that tests can make
// any step fail.
#include "platform/SafeFile.h"

#include "platform/posix/Syscalls.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

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

// Whether the existing file at path may be opened for writing (it is not
// changed: no truncation, no byte written).
bool MayWrite(const std::string& path)
{
    const int fd = g_sys.open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0);
    if (fd < 0) return false;
    g_sys.close(fd);
    return true;
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
    m_target = FollowLinks(path);
    struct stat info {};
    const bool exists = g_sys.lstat(m_target.c_str(), &info) == 0;
    const bool replaceable = exists ? S_ISREG(info.st_mode) : errno == ENOENT;
    if (replaceable) {
        if (exists && !MayWrite(m_target)) return false;
        // A new file starts private: the old file's bits are set before any
        // byte is written. A file that did not exist gets the bits (and the
        // umask) that creating it in place would give.
        const mode_t createMode = exists ? S_IRUSR | S_IWUSR : 0666;
        for (int attempt = 0; attempt < kMaxTemporaryNameTries && m_fd < 0; ++attempt) {
            m_temporary = TemporaryName(m_target);
            m_fd = g_sys.open(m_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, createMode);
            if (m_fd < 0 && errno != EEXIST) break;
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
    }
    // Written in place, as a plain "wt" stream writes.
    m_fd = g_sys.open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
    return m_fd >= 0;
}

void SafeFile::Write(const void* data, size_t length)
{
    const auto* bytes = static_cast<const char*>(data);
    while (length > 0 && !m_failed && m_fd >= 0) {
        const ssize_t written = g_sys.write(m_fd, bytes, length);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            m_failed = true;
        } else {
            bytes += written;
            length -= static_cast<size_t>(written);
        }
    }
}

bool SafeFile::Commit()
{
    if (m_fd < 0) return false;
    bool ok = !m_failed;
    struct stat info {};
    // Devices and FIFOs cannot be synced; a regular file written in place can.
    const bool syncs = !m_temporary.empty() || (g_sys.fstat(m_fd, &info) == 0 && S_ISREG(info.st_mode));
    if (ok && syncs && g_sys.fsync(m_fd) != 0) ok = false;
    if (g_sys.close(m_fd) != 0) ok = false;
    m_fd = -1;
    if (m_temporary.empty()) return ok;
    if (ok && g_sys.rename(m_temporary.c_str(), m_target.c_str()) != 0) ok = false;
    if (ok)
        SyncFolder(FolderOf(m_target));
    else
        g_sys.unlink(m_temporary.c_str());
    m_temporary.clear();
    return ok;
}

void SafeFile::Abandon()
{
    if (m_fd >= 0) g_sys.close(m_fd);
    m_fd = -1;
    if (!m_temporary.empty()) g_sys.unlink(m_temporary.c_str());
    m_temporary.clear();
}

}  // namespace filekit
