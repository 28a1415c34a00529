// SPDX-License-Identifier: MIT
/// \file
/// filekit — INI files: CINIFile with its keys and sections.
///
/// An INI file is read into an in-memory model that keeps every comment,
/// changed there by section and key name, and written back whole. The model:
/// CINIFile holds an ordered list of sections (heap objects it owns); each
/// section holds an ordered list of keys (values, copied in and out). Every
/// item carries a name, a comment and a state; a key also carries a value.
///
/// The text format, as read:
/// ~~~
///   ;comment        a ';' in the first column; consecutive comment lines
///                   become the comment of the header or key line below them
///   [name]          a section header; the name is everything between the
///                   first '[' and the first ']', spaces included (a name
///                   that is never closed makes the line a key line)
///   name=value      a key line; spaces around name and value are dropped,
///                   a line without '=' is a key with an empty value
/// ~~~
/// Lines are cut into pieces of at most 999 bytes, each classified on its own.
/// Keys above the first header belong to the first section; a file without a
/// header adds no section. Comment lines after the last key or header of the
/// file belong to no item and are not kept. CR LF line ends read exactly
/// like LF. A UTF-8 byte order mark (EF BB BF) at the very start of the file
/// is not part of its text; anywhere else those bytes are ordinary text.

///
/// Stored form of a comment: the comment lines joined into one string, with
/// the two characters '\\' 'n' (a "line-break pair") in front of every ';' and
/// in place of every line feed after the first character. "; a" and "; b"
/// are stored as `"; a\n; b"` (backslash, n). The writer turns each pair back
/// into a line end. In the key pass a blank line above a key adds a line
/// feed to that key's comment.
///
/// Deletion is logical: a deleted item keeps its place with STATE_DELETED,
/// is skipped by the lookups by name and by the writer, but is still counted
/// and reachable by index. Names are compared exactly, case-sensitively, up
/// to their first zero byte. Results: 1 success, 0 failure; index lookups -1.
#ifndef FILEKIT_INIFILE_H
#define FILEKIT_INIFILE_H

#include <filekit/Framework.h>

#include <new>

/// An INI file: the in-memory model of its sections, keys and comments,
/// read by Open, changed by name and written whole by Save. The object owns
/// its sections; nothing is saved implicitly.
class FILEKIT_API CINIFile {
public:
    /// \name Item states
    /// Only STATE_DELETED is ever tested; 0 and 1 act alike.
    ///@{

    static constexpr int STATE_LOADED = 0;  ///< read from the file, unchanged since
    static constexpr int STATE_CHANGED = 1;  ///< created or changed in memory
    static constexpr int STATE_DELETED = 2;  ///< deleted in memory; keeps its place
    ///@}

    /// \name Working buffers
    /// Working buffers of the reader and writer, terminating zero included.
    /// Longer input is cut to fit, never written past a buffer.
    ///@{

    static constexpr int kLineBufferBytes = 1000;  ///< one line piece: 999 bytes
    static constexpr int kNameBufferBytes = 500;  ///< section name, key name, value: 499
    static constexpr int kCommentBufferBytes = 1000;  ///< a comment, gathered and stored: 999
    static constexpr int kWriterCommentBufferBytes = 2000;  ///< a comment as written: 1999
    ///@}

    /// A key: a plain record, copied into its section and out again.
    /// Its fields are public; there is no accessor for the state.
    class FILEKIT_API CINIFileKey {
    public:
        /// Empty strings. The state starts at STATE_LOADED; every operation
        /// that creates a key sets the state it needs.
        CINIFileKey() = default;
        CINIFileKey(const CINIFileKey&) = default;  ///< copies all four fields
        CINIFileKey(CINIFileKey&&) noexcept = default;  ///< moves all four fields
        CINIFileKey& operator=(const CINIFileKey&) = default;  ///< copies all four fields
        CINIFileKey& operator=(CINIFileKey&&) noexcept = default;  ///< moves all four fields
        ~CINIFileKey() = default;  ///< releases the strings

        /// \name Fields
        ///@{

        /// The name, the value and the comment, read and replaced as they
        /// are; a key held by a section changes only through CINIFile.
        const CString& GetName() const { return m_strName; }
        const CString& GetValue() const { return m_strValue; }
        const CString& GetComment() const { return m_strComment; }  ///< stored form
        void SetName(const CString& name) { m_strName = name; }
        void SetValue(const CString& value) { m_strValue = value; }
        void SetComment(const CString& comment) { m_strComment = comment; }
        ///@}

        int m_nState = STATE_LOADED;  ///< STATE_LOADED, STATE_CHANGED or STATE_DELETED
        CString m_strComment;  ///< the comment lines above the key, stored form; may be empty
        CString m_strName;  ///< the key name
        CString m_strValue;  ///< may be empty
    };

    /// A section: owned by its CINIFile, reached through GetSection. Its
    /// fields are public so that callers can read a section's name, comment
    /// and state directly (there are no accessors for them).
    class FILEKIT_API CINIFileSection : public CObject {
    public:
        CINIFileSection() = default;  ///< empty, state STATE_LOADED
        ~CINIFileSection() override;

        /// Number of keys, deleted ones included.
        int GetKeyCount();
        /// The key at nIndex, whatever its state; 0 (out-parameters untouched)
        /// when nIndex is outside [0, GetKeyCount()).
        int GetKey(int nIndex, CString& name, CString& value, CString& comment);
        /// The first live key named name; 0 (out-parameters untouched) when none.
        int GetKey(const CString& name, CString& value, CString& comment);
        /// Index of the first live key named name; -1 when none.
        int GetIndexForKey(const CString& name);

        int m_nState = STATE_LOADED;  ///< STATE_LOADED, STATE_CHANGED or STATE_DELETED
        CString m_strComment;  ///< the comment lines above the header; after a save, converted form
        CString m_strName;  ///< the text between the brackets
        CArray<CINIFileKey, CINIFileKey> m_arrKeys;  ///< file order, then order of addition
    };

    /// Where the text after a token begins (null: the text is used up).
    struct CINIFilePointer {
        char* m_pszNext;  ///< the text after the token's delimiter, or null
    };

    static const CString CST_EXT_INI;  ///< "ini": the extension of INI files, without a dot

    CINIFile();  ///< closed, no sections, empty path
    virtual ~CINIFile();  ///< discards the model; nothing is saved
    CINIFile(const CINIFile&) = delete;
    CINIFile& operator=(const CINIFile&) = delete;

    static const CString& GetExtension();  ///< CST_EXT_INI

    /// \name Model
    /// Section pointers are owned by this object: valid until Empty, Close
    /// or destruction, never to be deleted by the caller.
    ///@{

    int IsOpen();  ///< 1 while open
    const CString& GetFile() const;  ///< path of the last successful Open(path)
    int GetSectionCount();  ///< deleted sections included
    CINIFileSection* GetSection(int nIndex);  ///< any state; null outside the list
    CINIFileSection* GetSection(const CString& name);  ///< first live section so named, or null
    int GetIndexForSection(const CString& name);  ///< first live section so named, or -1
    /// Index of the first live key named key in the first live section named
    /// section; -1 when either is missing.
    int GetIndexForKey(const CString& section, const CString& key);
    void Empty();  ///< discards every section; open state and path stay
    ///@}

    /// \name Reading and the open state
    ///@{

    /// Reads path into the model (appending to what it holds) and opens the
    /// object. 0 when already open or when the file cannot be opened.
    /// Only regular files are read: a directory, a device (/dev/null
    /// included) or a FIFO gives 0, since a device may never end and the
    /// file is read twice.
    /// Names and values longer than 499 bytes are cut to 499 (and lose the
    /// trailing spaces the cut leaves); comments are cut to 999 bytes.
    /// The file is opened once and read twice through that one open file
    /// (a section pass, then a key pass from its start again), so a file
    /// replaced meanwhile by a new one (a rename, as an atomic save does) is
    /// read whole in its old version. If the file is cut or extended in
    /// place between the passes, each pass reads what it finds: the n-th
    /// header of the second pass goes with the n-th section of the first,
    /// keys under headers beyond those sections are dropped. A read error in
    /// either pass, or a system that refuses to start the file again for the
    /// key pass, gives 0 with the model as it was before the call (a model
    /// missing some of the file's keys would lose them at the next Save);
    /// the object stays closed.
    /// The read notes whether the file starts with a UTF-8 byte order mark
    /// and how its first line ends (CR LF or LF), for Save; a file without
    /// any line feed leaves the line end as it was. Close forgets both.
    int Open(const CString& path);
    /// Opens the object without reading, to start a file from nothing. 0 when open.
    int Open();
    /// Empties the model and closes the object; the path stays. 0 when not open.
    int Close();
    ///@}

    /// \name Writing
    ///@{

    /// Writes the whole model to path (which may differ from GetFile()):
    /// for each live section its comment lines, "[name]", each live key's
    /// comment lines and "name=value" (or "name" when the value is empty),
    /// then an empty line. Each line-break pair of a comment is written as a
    /// space and a line end; section comments keep that converted text.
    /// A comment is written cut to 1999 bytes (a section keeps the cut text).
    /// A section comment of exactly ";" is written as a lone ';' line.
    /// Line ends and byte order mark follow the file the model was read
    /// from, on every platform: CR LF when its first line ended in CR LF,
    /// LF when it ended in LF (a file that mixes both is written wholly
    /// with the line end of its first line), and a UTF-8 byte order mark
    /// first when the file had one. A model started empty (Open() on a new
    /// or closed object) gets no mark and the platform's line end: CR LF on
    /// Windows, LF elsewhere.
    /// 0 when not open or when path cannot be created (model unchanged);
    /// otherwise 1, write errors after the creation included.
    /// A regular file is replaced whole: the text goes to a new file beside it,
    /// which is renamed over it once written and synced, so a failed or killed
    /// save leaves the old file as it was. Its permission bits stay, and a
    /// symbolic link keeps pointing to the new file; another hard link to the
    /// file keeps the old text. Devices and FIFOs are written in place, as is a
    /// file in a folder that refuses new files for want of permission; a folder
    /// that takes no new file for any other reason (a full disk, a quota, a
    /// read-only file system) gives 0 with the file untouched. A file held by a
    /// handle that shares neither writing nor deletion (CTextFile's, for one)
    /// gives 0 with ERROR_SHARING_VIOLATION, on every platform.
    /// Hidden ".name.XXXXXX" files that killed saves of path left beside it
    /// are removed; those of saves still running are not.
    /// The thread's last error tells what became of the text (read it with
    /// GetLastError() right after the call): NO_ERROR when the whole text
    /// reached the disk; otherwise the failure (ERROR_DISK_FULL for a full
    /// disk or quota, or the system's code), and a replaced file keeps its
    /// old content though the result is 1. A result of 0 because the object
    /// is not open leaves the last error as it was.
    int Save(const CString& path);
    ///@}

    /// \name Editing by name (open or not; changes reach the file on Save)
    /// Sections are found among the live ones only: a deleted section is never
    /// reached again. The add operations store a comment of exactly ";" as
    /// empty; the update operations store their comment unchanged.
    ///@{

    /// Appends section name (state STATE_CHANGED), with no comment or with
    /// comment; its index through pIndex when not null. 0 when a live
    /// section so named exists.
    int AddNewSection(const CString& name, int* pIndex);
    int AddNewSection(const CString& name, const CString& comment, int* pIndex);
    /// Appends key to section, with no comment or with comment, and marks the
    /// section changed; its index in the section through pIndex. 0 when the
    /// section is missing or a live key so named exists in it.

    int AddNewKey(const CString& section, const CString& key, const CString& value, int* pIndex);
    int AddNewKey(const CString& section, const CString& key, const CString& value, const CString& comment,
                  int* pIndex);
    /// Marks the section deleted; its keys keep their states. 0 when there
    /// is no live section so named.
    int DeleteSection(const CString& section);
    /// Renames the section and replaces its comment; no check for duplicates.
    /// 0 when there is no live section so named.
    int UpdateSection(const CString& section, const CString& newName, const CString& newComment);
    /// These three act on the first key so named in any state, deleted keys
    /// included: DeleteKey marks it deleted (again), UpdateKey replaces it in
    /// place by a live key, GetKeyData copies its value and comment out.
    /// Each gives 0, changing nothing, when the section or the key is missing.
    int DeleteKey(const CString& section, const CString& key);
    int UpdateKey(const CString& section, const CString& key, const CString& newName, const CString& newValue,
                  const CString& newComment);
    int GetKeyData(const CString& section, const CString& key, CString& value, CString& comment);
    ///@}

protected:
    /// Reads path into the model: a section pass, then a key pass through
    /// the same open file. 1 on success; 0, with the model as it was, when
    /// the file cannot be opened, read or started again.
    int ReadFile(const CString& path);
    /// Writes the model to path (see Save). 1 when the file could be created.
    int SaveFile(const CString& path);
    /// Deletes every section and empties the list.
    void ClearMemory();

    /// Trims in place: one trailing LF, then one trailing CR, then every trailing space.
    void DeleteTail(char* line);
    /// Writes into contents (kNameBufferBytes long) the text between the
    /// brackets of a header line, "" when line is no header. brackets holds
    /// the opening and closing character (null: no header). Names are cut to
    /// 499 bytes. A line whose name is not closed (it ends first, or another
    /// opening bracket follows name characters) is no header.
    void BracketsContents(char* line, char* contents, char* brackets);
    /// Copies token number (from 1) of text into token (kNameBufferBytes
    /// long), cut to 499 bytes and without leading or trailing spaces. Only the
    /// first character of delimiters is used; delimiters inside double quotes
    /// do not count; a run of spaces is one delimiter when it is the delimiter.
    /// pointer->m_pszNext: the text after the token's delimiter, or null.
    /// 0: a token; 1: an empty token; 2: no such token (token untouched; a
    /// delimiting space at the very end of text also gives 2 and null).
    /// Null or empty delimiters: the whole text is token 1.
    int GetToken(char* text, char* token, CINIFilePointer* pointer, char* delimiters, int number);
    /// The stored form of a gathered comment, cut to 999 bytes (never inside
    /// a line-break pair). The text lives in this object and stays valid until
    /// the next call.
    char* ReplaceFrom0xD_0xA(char* text);
    /// Turns every line-break pair after the first character into a space and
    /// a line feed, in place.
    void ReplaceTo0xD_0xA(char* text);
    /// Called at the end of a successful read; shows nothing and changes nothing.
    void ShowSetOfSections();

    CObArray m_arrSections;  ///< CINIFileSection*, owned
    int m_bOpen;  ///< 1 while open
    CString m_strFile;  ///< path of the last successful Open(path)

private:
    // The line ends that Save writes.
    static constexpr int kLineEndPlatform = 0;
    static constexpr int kLineEndLf = 1;
    static constexpr int kLineEndCrLf = 2;

    char m_szStoredComment[kCommentBufferBytes];  // result of ReplaceFrom0xD_0xA
    int m_bByteOrderMark = 0;  // 1: the file read last started with a UTF-8 byte order mark
    int m_nLineEnd = kLineEndPlatform;  // the line end of the file read last
};

#if defined(_MFC_VER) && _MFC_VER < 0x0700
/// \cond
// A framework that builds new array elements by zero-filling them (MFC
// before 7.0, whose ConstructElements does only that) would leave a key's
// strings unbuilt: keys are built and destroyed as the objects they are.
template <>
inline void AFXAPI ConstructElements<CINIFile::CINIFileKey>(CINIFile::CINIFileKey* keys, int count)
{
    for (; count > 0; --count) ::new (static_cast<void*>(keys++)) CINIFile::CINIFileKey;
}
template <>
inline void AFXAPI DestructElements<CINIFile::CINIFileKey>(CINIFile::CINIFileKey* keys, int count)
{
    for (; count > 0; --count) (keys++)->~CINIFileKey();
}
/// \endcond
#endif

#endif
