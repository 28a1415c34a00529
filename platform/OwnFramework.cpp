// SPDX-License-Identifier: MIT
// The members of filekit's own CString and CObject that are not inline.
#include <filekit/Framework.h>

#include "platform/MbString.h"

int CString::CompareNoCase(const char* text) const { return filekit::_mbsicmp(m_str.c_str(), text ? text : ""); }

char* CString::GetBuffer(int minLength)
{
    if (minLength > GetLength()) m_str.resize(static_cast<size_t>(minLength));
    return &m_str[0];
}

void CString::ReleaseBuffer(int length)
{
    if (length < 0 || length > GetLength()) length = static_cast<int>(std::strlen(m_str.c_str()));
    m_str.resize(static_cast<size_t>(length));
}

char* CString::GetBufferSetLength(int length)
{
    m_str.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return &m_str[0];
}

CRuntimeClass* CObject::GetRuntimeClass() const { return nullptr; }
CObject::~CObject() = default;
void CObject::Serialize(CArchive&) {}
void CObject::AssertValid() const {}
void CObject::Dump(CDumpContext&) const {}
