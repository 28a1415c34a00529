// SPDX-License-Identifier: MIT
// The application framework's strings: text shared between copies, the
// shared empty string, and the stop for misuse.
#include "AppFramework.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

namespace {

// The empty string every CString starts as; never freed.
struct {
    CStringData header = {-1, 0};
    char text = '\0';
} g_empty;

CStringData* Allocate(int length)
{
    auto* data = static_cast<CStringData*>(::operator new(sizeof(CStringData) + static_cast<size_t>(length) + 1));
    data->refs = 1;
    data->length = length;
    data->text()[length] = '\0';
    return data;
}

CString Joined(const char* a, size_t aLength, const char* b, size_t bLength)
{
    const std::string joined = std::string(a, aLength) + std::string(b, bLength);
    return CString(joined.data(), static_cast<int>(joined.size()));
}

}  // namespace

void AppFault(const char* what)
{
    std::fprintf(stderr, "application framework: %s\n", what);
    std::abort();
}

CStringData* CString::Data() const
{
    if (!m_pchData) AppFault("CString used before it was constructed");
    return reinterpret_cast<CStringData*>(m_pchData) - 1;
}

void CString::Release()
{
    CStringData* data = Data();
    if (data->refs > 0 && --data->refs == 0) ::operator delete(data);
    m_pchData = g_empty.header.text();
}

void CString::Assign(const char* text, int length)
{
    CStringData* data = length > 0 ? Allocate(length) : &g_empty.header;
    if (length > 0) std::memcpy(data->text(), text, static_cast<size_t>(length));
    Release();
    m_pchData = data->text();
}

CString::CString() : m_pchData(g_empty.header.text()) {}
CString::CString(const CString& source) : m_pchData(source.m_pchData)
{
    CStringData* data = Data();
    if (data->refs > 0) ++data->refs;
}
CString::CString(LPCTSTR text) : CString() { *this = text; }
CString::CString(LPCTSTR text, int length) : CString() { Assign(text, length); }
CString::~CString() { Release(); }

const CString& CString::operator=(const CString& source)
{
    CString copy(source);
    std::swap(m_pchData, copy.m_pchData);
    return *this;
}

const CString& CString::operator=(LPCTSTR text)
{
    Assign(text, text ? static_cast<int>(std::strlen(text)) : 0);
    return *this;
}

CString operator+(const CString& a, const CString& b)
{
    return Joined(a, static_cast<size_t>(a.GetLength()), b, static_cast<size_t>(b.GetLength()));
}
CString operator+(const CString& a, LPCTSTR b)
{
    return Joined(a, static_cast<size_t>(a.GetLength()), b, std::strlen(b));
}
CString operator+(LPCTSTR a, const CString& b)
{
    return Joined(a, std::strlen(a), b, static_cast<size_t>(b.GetLength()));
}
