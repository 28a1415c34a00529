// SPDX-License-Identifier: MIT
// Crash-safe replacement of a whole file, internal. Every save of the
// library (the INI writer, the XML saves) writes through it, so how a file
// is replaced on disk is decided here and nowhere else.
//
// The new content goes to a new file in the target's folder, which is
// flushed to the disk and then renamed over the target, and the folder is
// flushed too: at every instant the path holds the whole old file or the
// whole new one, whether the process is killed or the disk fills up during
// the save. The replaced file keeps its permission bits (and its owner,
// where the process may set it), and a symbolic link stays a link: the file
// it points to is the one replaced. A hard link to the file keeps the old
// content, as it does with every save that replaces by renaming.
//
// Only a regular file, or a path where nothing exists yet, is replaced this
// way. A device, a FIFO or anything else is written in place, as is a file
// in a folder that refuses new files for want of permission (EACCES, EPERM;
// on Windows ERROR_ACCESS_DENIED) while the file itself is writable. Any
// other reason the new file cannot be made (a full disk, a quota, a name too
// long, a read-only file system) fails the save with nothing changed: the
// old file is never cut on the chance that the new text fits.
//
// A save that fails removes its new file; only a process killed between
// creating and renaming it leaves it behind, as a hidden file named after
// the target (".name.XXXXXX"). The next save of the same target removes such
// leftovers, and only those of saves that have ended: a save holds its new
// file locked while it runs (an exclusive flock on its own open file
// description, so between threads too; on Windows a handle that shares
// nothing, which keeps the file from being deleted), and a leftover is
// removed only when that lock can be taken without waiting.
//
// A regular file that a handle of this process holds without sharing
// writing or deletion, or that another process holds exclusively, is not
// replaced: the save fails with ERROR_SHARING_VIOLATION, as Windows refuses
// it.
//
// Every save sets the thread's last error: NO_ERROR when Commit succeeds,
// otherwise the first failure's code (ERROR_DISK_FULL for a full disk or
// quota, else what the system gave), also when Open fails.
#ifndef FILEKIT_PLATFORM_SAFEFILE_H
#define FILEKIT_PLATFORM_SAFEFILE_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace filekit {

class SafeFile {
public:
    SafeFile() = default;
    // An uncommitted save is abandoned: the target keeps its old content.
    ~SafeFile();
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    // Starts a save to path. False, with nothing changed on disk, when path
    // cannot be written: an existing file that may not be written, a
    // directory, a missing folder, or no new file and no writable target.
    bool Open(const char* path);
    bool IsOpen() const;

    // Appends the bytes. After a failed write every later one is skipped
    // and Commit fails.
    void Write(const void* data, size_t length);

    // Makes the written bytes the content of the path and closes. False when
    // any write or step failed: a replaced target then keeps its old content
    // and the new file is removed; a target written in place may be cut.
    bool Commit();

    // Ends the save without touching the target; the new file is removed.
    void Abandon();

private:
    // Names tried for the new file before writing in place instead.
    static constexpr int kMaxTemporaryNameTries = 100;

    // ".name.XXXXXX" beside target, the name cut to fit a folder entry.
    static std::string TemporaryName(const std::string& target);
    // Whether entry, a name in target's folder, is one TemporaryName gives.
    static bool IsTemporaryOf(const std::string& target, const std::string& entry);
    // Where target's own name starts (after its folder and separator).
    static size_t NameStart(const std::string& target);

    // Removes the new files that ended saves of m_target left in its folder.
    void RemoveDeadTemporaries() const;
    // Marks the save failed with error, unless an earlier failure is recorded.
    void Fail(std::uint32_t error);
    // Ends Commit or a failed Open: sets the last error, gives ok back.
    bool Finish(bool ok) const;

#ifdef _WIN32
    void* m_handle = nullptr;  // null when closed
    bool m_targetExists = false;  // replaced with ReplaceFileA, else moved into place
#else
    int m_fd = -1;
    int m_lockFd = -1;  // holds the new file's lock from Open until after the rename
#endif
    std::string m_target;  // the file replaced, symbolic links followed
    std::string m_temporary;  // the new file; empty when writing in place
    bool m_failed = false;
    std::uint32_t m_error = 0;  // the first failure's Win32 code
};

}  // namespace filekit

#endif
