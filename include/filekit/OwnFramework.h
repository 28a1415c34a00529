// SPDX-License-Identifier: MIT
/// \file
/// filekit — its own application framework, the default (FILEKIT_FRAMEWORK=own).
///
/// Byte strings and growable arrays with the member names of the framework
/// the exported classes come from, so application code written against that
/// interface builds unchanged. Everything is backed by the standard library.
/// Include <filekit/Framework.h>, which picks this header or the
/// application's own framework as filekit was built.
///
/// ~~~
///   CString       a byte string; no code-page conversion anywhere
///   CObject       root of the framework's class tree (virtual destructor)
///   CArray<T, A>  growable array of T held by value
///   CObArray      array of CObject*   (does not own what it holds)
///   CPtrArray     array of void*      (does not own what it holds)
///   CStringArray  array of CString
/// ~~~
///
/// Indexes are int, as on the 32-bit platform. Element access with an index
/// outside [0, GetSize()) is a caller error (checked by assert in debug
/// builds); the growing and removing operations accept any index and never
/// touch memory outside the array.
#ifndef FILEKIT_OWNFRAMEWORK_H
#define FILEKIT_OWNFRAMEWORK_H

#include <filekit/Export.h>
#include <filekit/Win32.h>

#if !defined(FILEKIT_FRAMEWORK_OWN)
#error "this filekit was built against the application's framework: include <filekit/Framework.h>"
#endif

/// \def FILEKIT_APP_ONLY
/// Marks a member that filekit's own code does not use, because not every
/// framework filekit builds against has it with this meaning (see
/// <filekit/Framework.h>). Applications use it freely; in filekit's own
/// build it is deprecated, and warnings are errors there.
#if defined(FILEKIT_BUILDING)
#define FILEKIT_APP_ONLY [[deprecated("not among the framework operations filekit's code may use")]]
#else
#define FILEKIT_APP_ONLY
#endif

#include <cassert>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

// ---------------------------------------------------------------------------
// CString
// ---------------------------------------------------------------------------

/// A byte string, as the framework's CString, backed by std::string.
///
/// It may hold zero bytes when built with an explicit length. Comparisons
/// between two CStrings look at every byte (as unsigned values);
/// comparisons with a `const char*` look at the bytes up to that string's
/// terminator. No code-page conversion happens anywhere.
class FILEKIT_API CString {
public:
    /// \name Construction and assignment
    ///@{

    /// A null `const char*` gives the empty string; `CString(text, length)`
    /// copies exactly `length` bytes, zero bytes included (none when
    /// `length` <= 0); `CString(ch, repeat)` repeats `ch` (none when
    /// `repeat` <= 0).
    CString() = default;
    CString(const char* text) : m_str(text ? text : "") {}
    CString(const char* text, int length)
        : m_str(text && length > 0 ? std::string(text, static_cast<size_t>(length)) : std::string())
    {
    }
    FILEKIT_APP_ONLY CString(char ch, int repeat = 1) : m_str(repeat > 0 ? static_cast<size_t>(repeat) : 0, ch) {}
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    ~CString() = default;
    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    CString& operator=(const char* text)
    {
        m_str.assign(text ? text : "");
        return *this;
    }
    FILEKIT_APP_ONLY CString& operator=(char ch)
    {
        m_str.assign(1, ch);
        return *this;
    }
    ///@}

    /// Number of bytes, zero bytes included.
    int GetLength() const { return static_cast<int>(m_str.size()); }
    /// TRUE when the string holds no byte.
    BOOL IsEmpty() const { return m_str.empty() ? TRUE : FALSE; }
    /// Makes the string empty.
    FILEKIT_APP_ONLY void Empty() { m_str.clear(); }

    /// \name Character access
    ///@{

    /// The zero-terminated bytes, valid until the string changes; the byte
    /// at an index (0 <= index < GetLength(), checked by assert in debug
    /// builds); SetAt replaces one byte.
    operator const char*() const { return m_str.c_str(); }
    FILEKIT_APP_ONLY const char* GetString() const { return m_str.c_str(); }
    FILEKIT_APP_ONLY char GetAt(int index) const
    {
        assert(index >= 0 && index < GetLength());
        return m_str[static_cast<size_t>(index)];
    }
    FILEKIT_APP_ONLY char operator[](int index) const
    {
        assert(index >= 0 && index < GetLength());
        return m_str[static_cast<size_t>(index)];
    }
    FILEKIT_APP_ONLY void SetAt(int index, char ch)
    {
        assert(index >= 0 && index < GetLength());
        m_str[static_cast<size_t>(index)] = ch;
    }
    ///@}

    /// \name Appending
    ///@{

    /// Appends the bytes of another string, of a zero-terminated string (a
    /// null pointer appends nothing) or one byte.
    FILEKIT_APP_ONLY CString& operator+=(const CString& other)
    {
        m_str += other.m_str;
        return *this;
    }
    FILEKIT_APP_ONLY CString& operator+=(const char* text)
    {
        if (text) m_str += text;
        return *this;
    }
    FILEKIT_APP_ONLY CString& operator+=(char ch)
    {
        m_str += ch;
        return *this;
    }
    ///@}

    /// Order of the bytes as unsigned values, as strcmp: < 0, 0 or > 0. A
    /// null `text` counts as "".
    FILEKIT_APP_ONLY int Compare(const char* text) const { return m_str.compare(text ? text : ""); }
    /// As Compare, with the ASCII letters folded to one case; other bytes
    /// are compared unchanged.
    FILEKIT_APP_ONLY int CompareNoCase(const char* text) const;

    /// \name Direct buffer access
    ///@{

    /// GetBuffer(n) gives room for at least n bytes plus a terminator,
    /// keeping the content; after writing, ReleaseBuffer(length) ends the
    /// string at length (-1, or a length past the buffer: at the first zero
    /// byte). GetBufferSetLength(n) sets the length to n and gives the
    /// buffer.
    FILEKIT_APP_ONLY char* GetBuffer(int minLength);
    FILEKIT_APP_ONLY void ReleaseBuffer(int length = -1);
    FILEKIT_APP_ONLY char* GetBufferSetLength(int length);
    ///@}

    /// \name Comparison operators
    ///@{

    /// Byte-wise, as Compare.
    FILEKIT_APP_ONLY friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, const char* b) { return a.m_str.compare(b ? b : "") == 0; }
    friend bool operator==(const char* a, const CString& b) { return b == a; }
    FILEKIT_APP_ONLY friend bool operator!=(const CString& a, const CString& b) { return a.m_str != b.m_str; }
    FILEKIT_APP_ONLY friend bool operator!=(const CString& a, const char* b) { return !(a == b); }
    FILEKIT_APP_ONLY friend bool operator!=(const char* a, const CString& b) { return !(b == a); }
    FILEKIT_APP_ONLY friend bool operator<(const CString& a, const CString& b) { return a.m_str < b.m_str; }
    FILEKIT_APP_ONLY friend bool operator<(const CString& a, const char* b) { return a.m_str.compare(b ? b : "") < 0; }
    FILEKIT_APP_ONLY friend bool operator<(const char* a, const CString& b) { return b.m_str.compare(a ? a : "") > 0; }
    ///@}

    /// \name Concatenation
    ///@{

    /// A new string of the bytes of both operands.
    FILEKIT_APP_ONLY friend CString operator+(const CString& a, const CString& b) { return Joined(a, b.m_str); }
    FILEKIT_APP_ONLY friend CString operator+(const CString& a, const char* b) { return Joined(a, b ? b : ""); }
    FILEKIT_APP_ONLY friend CString operator+(const char* a, const CString& b) { return Joined(a, b.m_str); }
    FILEKIT_APP_ONLY friend CString operator+(const CString& a, char b) { return Joined(a, std::string(1, b)); }
    FILEKIT_APP_ONLY friend CString operator+(char a, const CString& b) { return Joined(CString(&a, 1), b.m_str); }
    ///@}

private:
    template <class Tail>
    static CString Joined(CString head, const Tail& tail)
    {
        head.m_str += tail;
        return head;
    }

    std::string m_str;
};

// ---------------------------------------------------------------------------
// CObject
// ---------------------------------------------------------------------------

struct CRuntimeClass;
class CArchive;
class CDumpContext;

/// Root of the framework's class tree: a virtual destructor and diagnostic
/// members that do nothing. Objects are neither copied nor assigned through
/// CObject.
class FILEKIT_API CObject {
public:
    /// Always null: filekit keeps no run-time class data.
    FILEKIT_APP_ONLY virtual CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject();
    /// \name Serialisation and diagnostics
    ///@{

    /// Do nothing.
    FILEKIT_APP_ONLY virtual void Serialize(CArchive& archive);
    FILEKIT_APP_ONLY virtual void AssertValid() const;
    FILEKIT_APP_ONLY virtual void Dump(CDumpContext& context) const;
    ///@}

    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;

protected:
    CObject() = default;
};

// ---------------------------------------------------------------------------
// Arrays
// ---------------------------------------------------------------------------

/// Growable array of TYPE held by value; ARG_TYPE is how elements are
/// passed in. Growth fills gaps with value-initialised elements (null
/// pointers, zero numbers, empty strings).
template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray : public CObject {
public:
    CArray() = default;

    int GetSize() const { return static_cast<int>(m_items.size()); }  ///< number of entries
    FILEKIT_APP_ONLY int GetCount() const { return GetSize(); }  ///< number of entries
    FILEKIT_APP_ONLY int GetUpperBound() const { return GetSize() - 1; }  ///< last index; -1 when empty
    FILEKIT_APP_ONLY BOOL IsEmpty() const { return m_items.empty() ? TRUE : FALSE; }  ///< TRUE when there is no entry

    // Element access: index must be in [0, GetSize()), checked by assert in debug builds.
    const TYPE& GetAt(int index) const { return m_items[Checked(index)]; }  ///< the entry at index
    TYPE& GetAt(int index) { return m_items[Checked(index)]; }  ///< the entry at index
    /// Replaces the entry at index.
    FILEKIT_APP_ONLY void SetAt(int index, ARG_TYPE value) { m_items[Checked(index)] = value; }
    TYPE& ElementAt(int index) { return m_items[Checked(index)]; }  ///< the entry at index
    const TYPE& ElementAt(int index) const { return m_items[Checked(index)]; }  ///< the entry at index
    TYPE& operator[](int index) { return ElementAt(index); }  ///< the entry at index
    const TYPE& operator[](int index) const { return ElementAt(index); }  ///< the entry at index
    FILEKIT_APP_ONLY TYPE* GetData() { return m_items.data(); }  ///< the first entry; null when empty
    const TYPE* GetData() const { return m_items.data(); }  ///< the first entry; null when empty

    /// Appends value; returns its index.
    int Add(ARG_TYPE value)
    {
        m_items.push_back(value);
        return GetSize() - 1;
    }

    /// Inserts count copies of value at index; entries from index on move
    /// up. An index past the end first grows the array to index entries. A
    /// negative index or count inserts nothing.
    void InsertAt(int index, ARG_TYPE value, int count = 1)
    {
        if (index < 0 || count <= 0) return;
        const TYPE copy(value);  // value may refer into this array
        if (index > GetSize()) m_items.resize(static_cast<size_t>(index));
        m_items.insert(m_items.begin() + index, static_cast<size_t>(count), copy);
    }

    /// Removes count entries from index on; later entries move down. The
    /// range is cut to the array; nothing happens outside it.
    void RemoveAt(int index, int count = 1)
    {
        if (index < 0 || index >= GetSize() || count <= 0) return;
        const int end = count > GetSize() - index ? GetSize() : index + count;
        m_items.erase(m_items.begin() + index, m_items.begin() + end);
    }

    /// Sets the number of entries; new ones are value-initialised.
    /// SetSize(0) releases the storage. A growBy above 0 makes room for
    /// that many entries more, so the next growBy additions allocate
    /// nothing, as the framework's growth step does.
    void SetSize(int size, int growBy = -1)
    {
        if (size <= 0)
            std::vector<TYPE>().swap(m_items);
        else
            m_items.resize(static_cast<size_t>(size));
        if (growBy > 0) m_items.reserve(m_items.size() + static_cast<size_t>(growBy));
    }

    /// Sets the entry at index, growing the array first when index is past
    /// the end; a negative index does nothing.
    void SetAtGrow(int index, ARG_TYPE value)
    {
        if (index < 0) return;
        const TYPE copy(value);
        if (index >= GetSize()) m_items.resize(static_cast<size_t>(index) + 1);
        m_items[static_cast<size_t>(index)] = copy;
    }

    /// Removes every entry and releases the storage.
    void RemoveAll() { SetSize(0); }

    /// Reserves room for count entries without changing the size.
    FILEKIT_APP_ONLY void Reserve(int count)
    {
        if (count > 0) m_items.reserve(static_cast<size_t>(count));
    }

private:
    size_t Checked(int index) const
    {
        assert(index >= 0 && index < GetSize());
        return static_cast<size_t>(index);
    }

    std::vector<TYPE> m_items;
};

/// Array of CObject pointers; it does not own what it holds.
class CObArray : public CArray<CObject*, CObject*> {};
/// Array of untyped pointers; it does not own what it holds.
class CPtrArray : public CArray<void*, void*> {};
/// Array of CString values.
class CStringArray : public CArray<CString, const CString&> {};

#endif
