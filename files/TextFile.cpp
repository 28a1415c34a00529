// SPDX-License-Identifier: MIT
// CTextFile: opening for reading (through the LoadData hook) or writing,
// closing, saving through the SaveData hook, and line output.
#include <filekit/TextFile.h>

#include "files/OwnedHandle.h"

namespace {

const char kLineEnd[] = "\r\n";  // what WriteEmptyLine writes per line

}  // namespace

CTextFile::CTextFile() : m_hFile(INVALID_HANDLE_VALUE), m_bOpen(0) {}

CTextFile::CTextFile(const CTextFile& other) : m_hFile(INVALID_HANDLE_VALUE), m_strFile(other.m_strFile), m_bOpen(0)
{
    filekit::TakeCopyOfHandle(&m_hFile, &m_bOpen, other.m_hFile, other.m_bOpen);
}

CTextFile& CTextFile::operator=(const CTextFile& other)
{
    if (this != &other) {
        m_strFile = other.m_strFile;
        filekit::TakeCopyOfHandle(&m_hFile, &m_bOpen, other.m_hFile, other.m_bOpen);
    }
    return *this;
}

CTextFile::~CTextFile() { filekit::CloseOwnedHandle(&m_hFile); }

int CTextFile::Open(const CString& name, int write)
{
    if (IsOpen() || m_hFile != INVALID_HANDLE_VALUE) return 0;
    // Share mode 0: nobody else reads or writes the file while it is open.
    // Reading creates a missing file, so opening a new name for reading
    // starts an empty file.
    m_hFile = write ? ::CreateFileA(static_cast<const char*>(name), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr)
                    : ::CreateFileA(static_cast<const char*>(name), GENERIC_READ, 0, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_hFile == INVALID_HANDLE_VALUE) return 0;
    // LoadData sees the new handle while IsOpen() is 0 and GetFile() is the
    // old name; the open only counts once it has accepted the content.
    if (!write && !LoadData()) {
        filekit::CloseOwnedHandle(&m_hFile);
        return 0;
    }
    m_strFile = name;
    m_bOpen = 1;
    return 1;
}

int CTextFile::Close()
{
    if (!IsOpen()) return 0;
    filekit::CloseOwnedHandle(&m_hFile);
    m_bOpen = 0;
    return 1;
}

int CTextFile::Save()
{
    if (!IsOpen()) return 0;
    return SaveData() ? 1 : 0;
}

int CTextFile::IsOpen() { return m_bOpen; }

int CTextFile::WriteString(const CString& text)
{
    if (!IsOpen()) return 0;
    if (text.IsEmpty()) return 1;
    DWORD written = 0;
    return ::WriteFile(m_hFile, static_cast<const char*>(text), static_cast<DWORD>(text.GetLength()), &written,
                       nullptr);
}

int CTextFile::WriteEmptyLine(int count)
{
    if (!IsOpen() || count <= 0) return 0;
    const CString lineEnd(kLineEnd);
    for (int line = 0; line < count; ++line) {
        if (!WriteString(lineEnd)) return 0;
    }
    return 1;
}

int CTextFile::LoadData() { return 1; }

int CTextFile::SaveData() { return 1; }

const CString& CTextFile::GetFile() const { return m_strFile; }

BOOL CTextFile::ReadFile(void* buffer, DWORD count, DWORD* read)
{
    return ::ReadFile(m_hFile, buffer, count, read, nullptr);
}

BOOL CTextFile::WriteFile(const void* buffer, DWORD count, DWORD* written)
{
    return ::WriteFile(m_hFile, buffer, count, written, nullptr);
}
