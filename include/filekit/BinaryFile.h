// SPDX-License-Identifier: MIT
/// \file
/// filekit — CBinaryFile, a thin owner of one OS file handle.
///
/// Opens a file with the caller's access, sharing, creation and attribute
/// values, remembers its name and an open flag, and hands reads, writes,
/// positioning, truncation, size queries and flushing straight to the OS.
/// Every forwarding operation returns the system's own result unchanged and
/// does not look at the open flag: on a closed object the invalid handle is
/// passed and the system's failure comes back.
#ifndef FILEKIT_BINARYFILE_H
#define FILEKIT_BINARYFILE_H

#include <filekit/Export.h>
#include <filekit/Framework.h>
#include <filekit/Win32.h>

/// A binary file: one OS file handle, owned by the object and closed by
/// Close or the destructor, with its name and an open flag.
///
/// Failures of the forwarding operations are the system's: FALSE,
/// INVALID_FILE_SIZE or INVALID_SET_FILE_POINTER, with the reason in
/// GetLastError().
class FILEKIT_API CBinaryFile {
public:
    /// Closed: invalid handle, empty name, open flag 0.
    CBinaryFile();

    /// \name Copying
    ///@{

    /// Copies take the name and the open state. An open source gives the copy
    /// a duplicate handle of its own on the same open file (one shared file
    /// position, no share check), so each object closes only its own handle.
    /// If no duplicate can be made (the process is out of descriptors) the
    /// copy starts closed with the source's name. Assignment first closes the
    /// target's own file, if it has one.
    CBinaryFile(const CBinaryFile& other);
    CBinaryFile& operator=(const CBinaryFile& other);
    ///@}

    /// Closes the file if it is open.
    virtual ~CBinaryFile();

    /// CreateFileA(name, access, share, NULL, disposition, flags, NULL).
    /// 0 when the object is already open (the open file is left untouched) or
    /// the system refuses; the name and open flag then keep their values.
    /// A handle still held while the open flag reads 0 counts as open too,
    /// so an override of IsOpen can never make Open leak a handle.
    virtual int Open(const CString& name, DWORD access, DWORD share, DWORD disposition, DWORD flags);

    /// Closes the handle: 1 if a file was closed, 0 if none was open. The
    /// name is kept.
    virtual int Close();

    /// The open flag: 1 while a file is open.
    virtual int IsOpen();

    /// ReadFile(handle, buffer, count, read, NULL): a synchronous read.
    BOOL ReadFile(void* buffer, DWORD count, DWORD* read);

    /// WriteFile(handle, buffer, count, written, NULL).
    BOOL WriteFile(const void* buffer, DWORD count, DWORD* written);

    /// Writes the bytes of text (no terminator). An empty text makes no
    /// system call and returns 1; the count written is not reported.
    BOOL WriteFile(const CString& text);

    /// SetEndOfFile(handle): the file ends at the current position.
    BOOL SetEndOfFile();

    /// GetFileSize(handle, high): the low 32 bits of the size.
    DWORD GetFileSize(DWORD* high);

    /// SetFilePointer(handle, distance, high, method): the new low 32 bits of
    /// the position; method is FILE_BEGIN, FILE_CURRENT or FILE_END.
    DWORD SetFilePointer(LONG distance, LONG* high, DWORD method);

    /// FlushFileBuffers(handle).
    BOOL FlushFileBuffers();

protected:
    HANDLE m_hFile;  ///< INVALID_HANDLE_VALUE whenever no file is open
    CString m_strFile;  ///< name given to the last successful Open
    int m_bOpen;  ///< 1 exactly while m_hFile is a handle from Open
};

#endif
