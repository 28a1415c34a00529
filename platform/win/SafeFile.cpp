// SPDX-License-Identifier: MIT
// Crash-safe saves over Win32: a new file beside the target, flushed with
// FlushFileBuffers, then ReplaceFileA over an existing target (which keeps
// its attributes and security) or MoveFileExA with write-through for a new
// one. The file system journals the rename; there is no folder to flush.
// The new file is opened sharing nothing, so while its save runs no other
// save can delete it; one that ended left a file that can be deleted. The
// handle must be closed before ReplaceFileA may move the file: a save of
// the same target cleaning up in that instant can delete it, and this save
// then fails with the old file kept.
#include "platform/SafeFile.h"

#include <windows.h>

namespace filekit {

namespace {

// The longest final path asked of the system (its own limit for long names).
constexpr DWORD kMaxPathBytes = 32768;
// Share modes that disturb no other user of the file.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE ToHandle(void* handle) { return handle ? static_cast<HANDLE>(handle) : INVALID_HANDLE_VALUE; }

enum class Kind { kMissing, kRegular, kOther };

// What path names, and for a regular file its final path (links followed).
Kind Inspect(const char* path, std::string& finalPath)
{
    finalPath = path;
    const HANDLE handle = CreateFileA(path, 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND ? Kind::kMissing : Kind::kOther;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool regular = GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info) &&
                         !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    if (regular) {
        std::string buffer(kMaxPathBytes, '\0');
        const DWORD length = GetFinalPathNameByHandleA(handle, buffer.data(), kMaxPathBytes, FILE_NAME_NORMALIZED);
        if (length > 0 && length < kMaxPathBytes) finalPath.assign(buffer.data(), length);
    }
    CloseHandle(handle);
    return regular ? Kind::kRegular : Kind::kOther;
}

// Whether the existing file may be opened for writing; nothing is changed.
bool MayWrite(const std::string& path)
{
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    CloseHandle(handle);
    return true;
}

}  // namespace

SafeFile::~SafeFile() { Abandon(); }

bool SafeFile::IsOpen() const { return m_handle != nullptr; }

bool SafeFile::Open(const char* path)
{
    Abandon();
    m_failed = false;
    m_error = NO_ERROR;
    const Kind kind = Inspect(path, m_target);
    if (kind != Kind::kOther) {
        m_targetExists = kind == Kind::kRegular;
        if (m_targetExists && !MayWrite(m_target)) {
            Fail(GetLastError());
            return Finish(false);
        }
        DWORD createError = NO_ERROR;
        for (int attempt = 0; attempt < kMaxTemporaryNameTries && !m_handle; ++attempt) {
            m_temporary = TemporaryName(m_target);
            const HANDLE handle =
                CreateFileA(m_temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            createError = handle == INVALID_HANDLE_VALUE ? GetLastError() : NO_ERROR;
            if (handle != INVALID_HANDLE_VALUE)
                m_handle = handle;
            else if (createError != ERROR_FILE_EXISTS && createError != ERROR_ALREADY_EXISTS)
                break;
        }
        if (m_handle) {
            RemoveDeadTemporaries();
            return true;
        }
        m_temporary.clear();
        // Only a folder that refuses new files for want of permission may
        // have its file written in place; a full disk must not cut the file.
        if (createError != ERROR_ACCESS_DENIED) {
            Fail(createError);
            return Finish(false);
        }
    }
    // Written in place, as a plain "wt" stream writes.
    const HANDLE handle = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE)
        m_handle = handle;
    else
        Fail(GetLastError());
    return Finish(m_handle != nullptr);
}

void SafeFile::RemoveDeadTemporaries() const
{
    const size_t nameStart = NameStart(m_target);
    const std::string pattern = m_target.substr(0, nameStart) + ".*";
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        // A file still open in a running save shares nothing: deleting it
        // fails with ERROR_SHARING_VIOLATION and it stays.
        const std::string path = m_target.substr(0, nameStart) + found.cFileName;
        if (IsTemporaryOf(m_target, found.cFileName) && path != m_temporary) DeleteFileA(path.c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

void SafeFile::Write(const void* data, size_t length)
{
    const auto* bytes = static_cast<const char*>(data);
    while (length > 0 && !m_failed && m_handle) {
        const DWORD chunk = length > MAXDWORD ? MAXDWORD : static_cast<DWORD>(length);
        DWORD written = 0;
        if (!WriteFile(ToHandle(m_handle), bytes, chunk, &written, nullptr)) {
            Fail(GetLastError());
        } else if (written == 0) {
            Fail(ERROR_DISK_FULL);
        } else {
            bytes += written;
            length -= written;
        }
    }
}

bool SafeFile::Commit()
{
    if (!m_handle) return false;
    const HANDLE handle = ToHandle(m_handle);
    // Devices and pipes cannot be flushed to a disk; files can.
    if (!m_failed && GetFileType(handle) == FILE_TYPE_DISK && !FlushFileBuffers(handle)) Fail(GetLastError());
    if (!CloseHandle(handle)) Fail(GetLastError());
    m_handle = nullptr;
    if (m_temporary.empty()) return Finish(!m_failed);
    if (!m_failed) {
        const bool replaced = m_targetExists ? ReplaceFileA(m_target.c_str(), m_temporary.c_str(), nullptr,
                                                            REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0
                                             : MoveFileExA(m_temporary.c_str(), m_target.c_str(),
                                                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
        if (!replaced) Fail(GetLastError());
    }
    if (m_failed) DeleteFileA(m_temporary.c_str());
    m_temporary.clear();
    return Finish(!m_failed);
}

void SafeFile::Abandon()
{
    if (m_handle) CloseHandle(ToHandle(m_handle));
    m_handle = nullptr;
    if (!m_temporary.empty()) DeleteFileA(m_temporary.c_str());
    m_temporary.clear();
}

}  // namespace filekit
