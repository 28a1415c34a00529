// SPDX-License-Identifier: MIT
// An application's own framework, as filekit meets it when built with
// FILEKIT_FRAMEWORK=header: a port of the framework classes written from the
// framework's documentation alone, none of it filekit's, with MFC 4.2's
// shape where that shape can trip filekit up. A CString is one pointer to
// shared, reference-counted text, with no move operations and comparisons
// that stop at the first zero byte. The arrays move their elements by
// copying memory, build new ones by zero-filling them (ConstructElements)
// and stop the program on a bad index; a const CObArray hands out
// const CObject**. AppFrameworkToday.h gives it today's MFC shape instead:
// pointer-sized sizes, GetString, a bool IsEmpty and constructed elements.
#ifndef APPFRAMEWORK_H
#define APPFRAMEWORK_H

#include <atomic>
#include <cstddef>
#include <cstring>
#include <new>

#ifdef _WIN32
#include <windows.h>
#if defined(APPFRAMEWORK_BUILDING)
#define APP_API __declspec(dllexport)
#else
#define APP_API __declspec(dllimport)
#endif
#else
// The Windows types the port brings; _WINDEF_ tells filekit so.
#define _WINDEF_
typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef unsigned int DWORD;
typedef int LONG;
typedef unsigned int UINT;
typedef long INT_PTR;
typedef long LONG_PTR;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef DWORD* LPDWORD;
typedef LONG* PLONG;
typedef void* HANDLE;
typedef void* HINSTANCE;
typedef const char* LPCSTR;
typedef const char* LPCTSTR;
typedef char* LPSTR;
typedef char* LPTSTR;
#define TRUE 1
#define FALSE 0
#define APP_API
#endif
#define AFXAPI

#if defined(APPFRAMEWORK_TODAY)
#define _MFC_VER 0x0E00
typedef INT_PTR APP_SIZE;
#else
#define _MFC_VER 0x0420
typedef int APP_SIZE;
#endif

// Stops the program: a bad index, a string used before it was built.
[[noreturn]] APP_API void AppFault(const char* what);

struct CStringData {
    std::atomic<long> refs;  // -1: the shared empty string
    int length;
    char* text() { return reinterpret_cast<char*>(this + 1); }
};

class APP_API CString {
public:
    CString();
    CString(const CString& source);
    CString(LPCTSTR text);
    CString(LPCTSTR text, int length);
    ~CString();
    const CString& operator=(const CString& source);
    const CString& operator=(LPCTSTR text);

    int GetLength() const { return Data()->length; }
#if defined(APPFRAMEWORK_TODAY)
    bool IsEmpty() const { return GetLength() == 0; }
    LPCTSTR GetString() const { return Data()->text(); }
#else
    BOOL IsEmpty() const { return GetLength() == 0; }
#endif
    operator LPCTSTR() const { return Data()->text(); }
    int Compare(LPCTSTR text) const { return std::strcmp(*this, text); }
    // What the application's own code uses, which filekit never does.
    int Find(char ch) const
    {
        const char* found = std::strchr(*this, ch);
        return found ? static_cast<int>(found - m_pchData) : -1;
    }

private:
    CStringData* Data() const;
    void Assign(const char* text, int length);
    void Release();

    LPTSTR m_pchData;
};

APP_API CString operator+(const CString& a, const CString& b);
APP_API CString operator+(const CString& a, LPCTSTR b);
APP_API CString operator+(LPCTSTR a, const CString& b);
inline bool operator==(const CString& a, const CString& b) { return a.Compare(b) == 0; }
inline bool operator==(const CString& a, LPCTSTR b) { return a.Compare(b) == 0; }
inline bool operator==(LPCTSTR a, const CString& b) { return b.Compare(a) == 0; }
inline bool operator!=(const CString& a, LPCTSTR b) { return a.Compare(b) != 0; }

// Of its run-time class, serialisation and diagnostics nothing is used here.
class CObject {
public:
    virtual ~CObject() {}

protected:
    CObject() {}

private:
    CObject(const CObject&);
    void operator=(const CObject&);
};

#if !defined(APPFRAMEWORK_TODAY)
// New elements are zero bytes until a type says otherwise.
template <class TYPE>
inline void AFXAPI ConstructElements(TYPE* elements, int count)
{
    std::memset(static_cast<void*>(elements), 0, static_cast<size_t>(count) * sizeof(TYPE));
}
template <>
inline void AFXAPI ConstructElements<CString>(CString* elements, int count)
{
    for (; count > 0; --count) ::new (static_cast<void*>(elements++)) CString;
}
#else
// Zero bytes first (null pointers, zero numbers), then the constructor.
template <class TYPE>
inline void AFXAPI ConstructElements(TYPE* elements, INT_PTR count)
{
    std::memset(static_cast<void*>(elements), 0, static_cast<size_t>(count) * sizeof(TYPE));
    for (; count > 0; --count) ::new (static_cast<void*>(elements++)) TYPE;
}
#endif
template <class TYPE>
inline void AFXAPI DestructElements(TYPE* elements, APP_SIZE count)
{
    for (; count > 0; --count) (elements++)->~TYPE();
}

template <class TYPE, class ARG_TYPE>
class CArray : public CObject {
public:
    CArray() : m_pData(nullptr), m_nSize(0), m_nMaxSize(0), m_nGrowBy(0) {}
    ~CArray() override { SetSize(0); }

    APP_SIZE GetSize() const { return m_nSize; }
    void RemoveAll() { SetSize(0); }
    TYPE GetAt(APP_SIZE index) const { return m_pData[Checked(index)]; }
    TYPE& ElementAt(APP_SIZE index) { return m_pData[Checked(index)]; }
    TYPE operator[](APP_SIZE index) const { return GetAt(index); }
    TYPE& operator[](APP_SIZE index) { return ElementAt(index); }
    const TYPE* GetData() const { return m_pData; }

    // growBy: how many entries the next growth makes room for (-1 keeps it).
    void SetSize(APP_SIZE size, APP_SIZE growBy = -1);
    APP_SIZE Add(ARG_TYPE element)
    {
        const APP_SIZE index = m_nSize;
        SetAtGrow(index, element);
        return index;
    }
    void SetAtGrow(APP_SIZE index, ARG_TYPE element);
    void InsertAt(APP_SIZE index, ARG_TYPE element, APP_SIZE count = 1);
    void RemoveAt(APP_SIZE index, APP_SIZE count = 1);

protected:
    APP_SIZE Checked(APP_SIZE index) const
    {
        if (index < 0 || index >= m_nSize) AppFault("array index out of bounds");
        return index;
    }

    TYPE* m_pData;
    APP_SIZE m_nSize;
    APP_SIZE m_nMaxSize;
    APP_SIZE m_nGrowBy;
};

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::SetSize(APP_SIZE size, APP_SIZE growBy)
{
    if (size < 0) AppFault("negative array size");
    if (growBy >= 0) m_nGrowBy = growBy;
    if (size == 0) {
        DestructElements(m_pData, m_nSize);
        delete[] reinterpret_cast<unsigned char*>(m_pData);
        m_pData = nullptr;
        m_nSize = m_nMaxSize = 0;
        return;
    }
    if (size > m_nMaxSize) {
        APP_SIZE step = m_nGrowBy;
        if (step == 0) step = m_nSize / 8 < 4 ? 4 : (m_nSize / 8 > 1024 ? 1024 : m_nSize / 8);
        const APP_SIZE capacity = size > m_nMaxSize + step ? size : m_nMaxSize + step;
        auto* data = reinterpret_cast<TYPE*>(new unsigned char[static_cast<size_t>(capacity) * sizeof(TYPE)]);
        if (m_nSize > 0) std::memcpy(static_cast<void*>(data), m_pData, static_cast<size_t>(m_nSize) * sizeof(TYPE));
        delete[] reinterpret_cast<unsigned char*>(m_pData);
        m_pData = data;
        m_nMaxSize = capacity;
    }
    if (size > m_nSize)
        ConstructElements<TYPE>(m_pData + m_nSize, size - m_nSize);
    else
        DestructElements(m_pData + size, m_nSize - size);
    m_nSize = size;
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::SetAtGrow(APP_SIZE index, ARG_TYPE element)
{
    if (index < 0) AppFault("negative array index");
    if (index >= m_nSize) SetSize(index + 1);
    m_pData[index] = element;
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::InsertAt(APP_SIZE index, ARG_TYPE element, APP_SIZE count)
{
    if (index < 0 || count <= 0) AppFault("bad insertion");
    if (index >= m_nSize) {
        SetSize(index + count);
    } else {
        const APP_SIZE old = m_nSize;
        SetSize(m_nSize + count);
        DestructElements(m_pData + old, count);
        std::memmove(static_cast<void*>(m_pData + index + count), m_pData + index,
                     static_cast<size_t>(old - index) * sizeof(TYPE));
        ConstructElements<TYPE>(m_pData + index, count);
    }
    while (count-- > 0) m_pData[index++] = element;
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::RemoveAt(APP_SIZE index, APP_SIZE count)
{
    if (index < 0 || count < 0 || index + count > m_nSize) AppFault("removal outside the array");
    DestructElements(m_pData + index, count);
    std::memmove(static_cast<void*>(m_pData + index), m_pData + index + count,
                 static_cast<size_t>(m_nSize - index - count) * sizeof(TYPE));
    m_nSize -= count;
}

class CObArray : public CArray<CObject*, CObject*> {
public:
    const CObject** GetData() const { return const_cast<const CObject**>(m_pData); }
};
class CPtrArray : public CArray<void*, void*> {};
class CStringArray : public CArray<CString, const CString&> {};

#endif
