// SPDX-License-Identifier: MIT
/// \file
/// filekit — CTextFile, text files with load and save hooks.
///
/// The base for file classes whose content is text. A file is opened either
/// for writing (fresh content) or for reading, in which case the LoadData
/// hook reads it before the open completes; Save runs the SaveData hook.
/// The hooks write with WriteString / WriteEmptyLine and read with ReadFile
/// or with LoadFile, which returns the rest of the file as one heap string.
/// Static helpers classify single characters and split delimited value
/// lists. Files are opened with share mode 0: while one is open nobody else
/// can open it.
#ifndef FILEKIT_TEXTFILE_H
#define FILEKIT_TEXTFILE_H

#include <filekit/Export.h>
#include <filekit/Framework.h>
#include <filekit/Win32.h>

/// A text file with load and save hooks: one OS file handle, owned by the
/// object and closed by Close or the destructor, with its name and an open
/// flag. Derive from it and override LoadData and SaveData.
class FILEKIT_API CTextFile {
public:
    /// Closed: invalid handle, empty name, open flag 0.
    CTextFile();

    /// \name Copying
    ///@{

    /// Copies take the name and the open state. An open source gives the copy
    /// a duplicate handle of its own on the same open file (one shared file
    /// position, no share check), so each object closes only its own handle.
    /// If no duplicate can be made (the process is out of descriptors) the
    /// copy starts closed with the source's name; a copy made inside LoadData
    /// is closed as its source then is. Assignment first closes the target's
    /// own file, if it has one.
    CTextFile(const CTextFile& other);
    CTextFile& operator=(const CTextFile& other);
    ///@}

    /// Closes the file if it is open.
    virtual ~CTextFile();

    /// write != 0: creates or truncates name for writing; LoadData is not
    /// called. write == 0: opens name for reading, creating it empty when
    /// missing; a device or a FIFO is opened as the system opens it (unlike
    /// the INI and XML readers, which take regular files only), so a
    /// LoadData that loads it reads until the stream ends, a FIFO's read
    /// waiting for its writer, and LoadFile stops an endless device at its
    /// size limit. Then it calls LoadData while the handle is valid but IsOpen()
    /// is still 0 and GetFile() still gives the previous name; a LoadData
    /// that returns 0 closes the handle and fails the open. 0 also when the
    /// object is open or the system refuses. A handle still held while the
    /// open flag reads 0 (an Open called from LoadData) counts as open too,
    /// so no handle is ever lost.
    virtual int Open(const CString& name, int write);

    /// Closes the handle: 1 if a file was closed, 0 if none was open. The
    /// name is kept.
    virtual int Close();

    /// Runs the SaveData hook.
    /// 0 when not open; otherwise 1 if SaveData returned non-zero. Neither

    /// flushes nor closes.
    virtual int Save();

    /// The open flag: 1 while a file is open; 0 while LoadData runs.
    virtual int IsOpen();

    /// Writes the bytes of text as they are (no line end, no translation).
    /// 0 when not open; 1 for an empty text; otherwise the system's result.
    virtual int WriteString(const CString& text);

    /// Writes count line ends (CR LF), each through WriteString. 0 when not
    /// open, when count <= 0, or at the first write that fails; else 1.
    virtual int WriteEmptyLine(int count);

    /// The name given to the last successful Open; "" before any, kept
    /// after Close.
    const CString& GetFile() const;

    /// ReadFile(handle, buffer, count, read, NULL), as CBinaryFile does.
    BOOL ReadFile(void* buffer, DWORD count, DWORD* read);

    /// WriteFile(handle, buffer, count, written, NULL), as CBinaryFile does.
    BOOL WriteFile(const void* buffer, DWORD count, DWORD* written);

    /// Reads the rest of the file, from the current position, into one
    /// zero-terminated string from malloc that the caller frees with free.
    /// The bytes are taken in chunks of chunk - 1 bytes counted from that
    /// position, each chunk's text ending at its first zero byte. Both outputs are reset to NULL and 0 first;
    /// 0 when an argument is NULL (nothing touched), when no handle is held
    /// (the test is on the handle, so this works inside LoadData), when chunk
    /// is 0 (no room for the terminator: nothing is allocated or read), or
    /// when the first block cannot be allocated. 0 also, with NULL and 0,
    /// once the bytes read would no longer fit in *size (4 GiB - 1): an
    /// endless device such as /dev/zero ends there. Otherwise 1, even if a
    /// read or the block's growth stopped part-way: *buffer then holds the
    /// text of what was read (NULL when nothing was) and *size counts every
    /// byte read. The chunk size shapes the text only where the file holds
    /// zero bytes: the file is read straight into one block, in reads of up
    /// to 256 KB whatever the chunk, and the block is sized from the file's
    /// length up front for a regular file, or grows at least twofold for a
    /// stream, so the text is copied a bounded number of times. The block
    /// handed out holds exactly the text and its terminator.
    int LoadFile(char** buffer, DWORD* size, DWORD chunk);

    /// Splits one line into values at separator and appends them to values.
    /// Blanks (codes 0x01-0x20) before a value are skipped; a value opened by
    /// a double quote runs to the next double quote, one opened by '[' to the
    /// next ']', and anything after the closing delimiter up to the next
    /// separator is dropped; other values run to the next separator. The
    /// closing delimiter never doubles as the separator, even when it is the
    /// same character. A separator at the end gives no trailing empty value.
    /// Returns NULL for an empty text; otherwise a pointer into text's own
    /// buffer at its first zero character, valid while text is unchanged and
    /// not to be freed or written through. A value longer than a CString can
    /// hold (INT_MAX bytes) also gives NULL: the values before it are
    /// appended, it and the rest of the line are not.
    static char* ParseValues(const CString& text, CStringArray& values, char separator);

    /// \name Character classes
    /// Each is true when c is in its class. chartype_symbol and chartype_digit
    /// classify bytes 0x80-0xFF as neither letters nor digits, on every
    /// platform.
    ///@{

    static bool chartype_symbol(char c);  ///< letter, digit, '_', ':', '-', '.'
    static bool chartype_digit(char c);  ///< '0'-'9'
    static bool chartype_whitespace(char c);  ///< the blank 0x20 alone
    static bool chartype_space(char c);  ///< 0x01-0x20
    static bool chartype_spacespecial(char c);  ///< 0x01-0x20 except CR and LF
    static bool chartype_enter(char c);  ///< CR, 0x0D
    static bool chartype_linefeed(char c);  ///< LF, 0x0A
    static bool chartype_dot(char c);  ///< '.'
    static bool chartype_leftenter(char c);  ///< '<'
    static bool chartype_rightleave(char c);  ///< '>'
    static bool chartype_close(char c);  ///< '/'
    static bool chartype_equals(char c);  ///< '='
    static bool chartype_special(char c);  ///< '!'
    static bool chartype_pi(char c);  ///< '?'
    static bool chartype_dash(char c);  ///< '-'
    static bool chartype_quote(char c);  ///< '\"' and '\\''
    static bool chartype_lbracket(char c);  ///< '['
    static bool chartype_rbracket(char c);  ///< ']'
    ///@}

protected:
    /// Hook run by Open for reading; non-zero accepts the open. Does nothing
    /// here and returns 1.
    virtual int LoadData();

    /// Hook run by Save; non-zero reports success. Does nothing here and
    /// returns 1.
    virtual int SaveData();

    /// Appends text to the malloc'd string at *target (a NULL *target starts
    /// as ""), resizing the block to exactly the new length plus the
    /// terminator. false when memory runs out (the string is left as it was)
    /// or when target or text is NULL (nothing is touched).
    static bool StrCatGrow(char** target, const char* text);

    HANDLE m_hFile;  ///< INVALID_HANDLE_VALUE whenever no file is held
    CString m_strFile;  ///< name given to the last successful Open
    int m_bOpen;  ///< 1 while open; stays 0 during LoadData
};

#endif
