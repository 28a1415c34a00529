// The application framework's strings and objects: text shared between
// copies until one of them changes, the shared empty string, and the stop
// for misuse.
#include "AppFramework.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

// The empty string every CString starts as; never freed.
struct {
    CStringData header = {-1, 0, 0};
    char text = '\0';
} g_empty;

CStringData* Allocate(int length)
{
    auto* data = static_cast<CStringData*>(::operator new(sizeof(CStringData) + static_cast<size_t>(length) + 1));
    data->refs = 1;
    data->length = length;
    data->capacity = length;
    data->text()[length] = '\0';
    return data;
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
CString::CString(char ch, int repeat) : CString()
{
    if (repeat <= 0) return;
    std::memset(GetBufferSetLength(repeat), ch, static_cast<size_t>(repeat));
}
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

char CString::GetAt(int index) const
{
    if (index < 0 || index >= GetLength()) AppFault("string index out of bounds");
    return m_pchData[index];
}

void CString::SetAt(int index, char ch)
{
    if (index < 0 || index >= GetLength()) AppFault("string index out of bounds");
    GetBuffer(0)[index] = ch;
}

int CString::CompareNoCase(LPCTSTR text) const
{
    for (const char* p = *this;; ++p, ++text) {
        const int a = std::tolower(static_cast<unsigned char>(*p));
        const int b = std::tolower(static_cast<unsigned char>(*text));
        if (a != b || a == 0) return a - b;
    }
}

const CString& CString::Append(const char* text, int length)
{
    const int old = GetLength();
    CString joined;
    std::memcpy(joined.GetBufferSetLength(old + length), m_pchData, static_cast<size_t>(old));
    std::memcpy(joined.m_pchData + old, text, static_cast<size_t>(length));
    return *this = joined;
}

CString CString::Mid(int first, int count) const
{
    if (first < 0) first = 0;
    if (first > GetLength()) first = GetLength();
    if (count < 0 || count > GetLength() - first) count = GetLength() - first;
    return CString(m_pchData + first, count);
}

int CString::Find(char ch) const
{
    const char* found = std::strchr(m_pchData, ch);
    return found ? static_cast<int>(found - m_pchData) : -1;
}

void CString::Format(LPCTSTR format, ...)
{
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::vsnprintf(GetBufferSetLength(length), static_cast<size_t>(length) + 1, format, again);
    va_end(again);
}

LPTSTR CString::GetBuffer(int minLength)
{
    const int length = GetLength();
    if (Data()->refs != 1 || minLength > Data()->capacity) {
        CStringData* data = Allocate(minLength > length ? minLength : length);
        std::memcpy(data->text(), m_pchData, static_cast<size_t>(length) + 1);
        data->length = length;
        Release();
        m_pchData = data->text();
    }
    return m_pchData;
}

void CString::ReleaseBuffer(int length)
{
    GetBuffer(0);
    if (length < 0) length = static_cast<int>(std::strlen(m_pchData));
    if (length > Data()->capacity) AppFault("ReleaseBuffer past the buffer");
    Data()->length = length;
    m_pchData[length] = '\0';
}

LPTSTR CString::GetBufferSetLength(int length)
{
    GetBuffer(length);
    Data()->length = length;
    m_pchData[length] = '\0';
    return m_pchData;
}

CString operator+(const CString& a, const CString& b) { return CString(a) += b; }
CString operator+(const CString& a, LPCTSTR b) { return CString(a) += b; }
CString operator+(LPCTSTR a, const CString& b) { return CString(a) += b; }

CRuntimeClass* CObject::GetRuntimeClass() const { return nullptr; }
CObject::~CObject() {}
void CObject::Serialize(CArchive&) {}
void CObject::AssertValid() const {}
void CObject::Dump(CDumpContext&) const {}
