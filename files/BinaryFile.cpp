// SPDX-License-Identifier: MIT
// CBinaryFile: opening and closing one handle, and the forwarding
// operations that hand the system's results back unchanged.
#include <filekit/BinaryFile.h>

#include "files/OwnedHandle.h"

CBinaryFile::CBinaryFile() : m_hFile(INVALID_HANDLE_VALUE), m_bOpen(0) {}

CBinaryFile::CBinaryFile(const CBinaryFile& other)
    : m_hFile(INVALID_HANDLE_VALUE), m_strFile(other.m_strFile), m_bOpen(0)
{
    filekit::TakeCopyOfHandle(&m_hFile, &m_bOpen, other.m_hFile, other.m_bOpen);
}

CBinaryFile& CBinaryFile::operator=(const CBinaryFile& other)
{
    if (this != &other) {
        m_strFile = other.m_strFile;
        filekit::TakeCopyOfHandle(&m_hFile, &m_bOpen, other.m_hFile, other.m_bOpen);
    }
    return *this;
}

CBinaryFile::~CBinaryFile() { filekit::CloseOwnedHandle(&m_hFile); }

int CBinaryFile::Open(const CString& name, DWORD access, DWORD share, DWORD disposition, DWORD flags)
{
    if (IsOpen() || m_hFile != INVALID_HANDLE_VALUE) return 0;
    m_hFile = ::CreateFileA(static_cast<const char*>(name), access, share, nullptr, disposition, flags, nullptr);
    if (m_hFile == INVALID_HANDLE_VALUE) return 0;
    m_strFile = name;
    m_bOpen = 1;
    return 1;
}

int CBinaryFile::Close()
{
    if (!IsOpen()) return 0;
    filekit::CloseOwnedHandle(&m_hFile);
    m_bOpen = 0;
    return 1;
}

int CBinaryFile::IsOpen() { return m_bOpen; }

BOOL CBinaryFile::ReadFile(void* buffer, DWORD count, DWORD* read)
{
    return ::ReadFile(m_hFile, buffer, count, read, nullptr);
}

BOOL CBinaryFile::WriteFile(const void* buffer, DWORD count, DWORD* written)
{
    return ::WriteFile(m_hFile, buffer, count, written, nullptr);
}

BOOL CBinaryFile::WriteFile(const CString& text)
{
    if (text.IsEmpty()) return TRUE;
    DWORD written = 0;
    return ::WriteFile(m_hFile, static_cast<const char*>(text), static_cast<DWORD>(text.GetLength()), &written,
                       nullptr);
}

BOOL CBinaryFile::SetEndOfFile() { return ::SetEndOfFile(m_hFile); }

DWORD CBinaryFile::GetFileSize(DWORD* high) { return ::GetFileSize(m_hFile, high); }

DWORD CBinaryFile::SetFilePointer(LONG distance, LONG* high, DWORD method)
{
    return ::SetFilePointer(m_hFile, distance, high, method);
}

BOOL CBinaryFile::FlushFileBuffers() { return ::FlushFileBuffers(m_hFile); }
