// SPDX-License-Identifier: MIT
// The INI model: sections with their keys, and the read-only operations on
// them. Sections are heap objects owned by the CINIFile; keys are values.
#include <filekit/INIFile.h>

#include "ini/Lookup.h"

using filekit::ini::DeletedKeys;

CINIFile::CINIFileSection::~CINIFileSection() = default;

int CINIFile::CINIFileSection::GetKeyCount() { return filekit::ArraySize(m_arrKeys); }

int CINIFile::CINIFileSection::GetKey(int nIndex, CString& name, CString& value, CString& comment)
{
    if (nIndex < 0 || nIndex >= m_arrKeys.GetSize()) return 0;
    const CINIFileKey& key = m_arrKeys.ElementAt(nIndex);
    name = key.m_strName;
    value = key.m_strValue;
    comment = key.m_strComment;
    return 1;
}

int CINIFile::CINIFileSection::GetKey(const CString& name, CString& value, CString& comment)
{
    const int index = GetIndexForKey(name);
    if (index < 0) return 0;
    const CINIFileKey& key = m_arrKeys.ElementAt(index);
    value = key.m_strValue;
    comment = key.m_strComment;
    return 1;
}

int CINIFile::CINIFileSection::GetIndexForKey(const CString& name)
{
    return filekit::ini::FindKey(m_arrKeys, name, DeletedKeys::kSkip);
}

CINIFile::CINIFile() : m_bOpen(0), m_szStoredComment() {}

CINIFile::~CINIFile() { ClearMemory(); }

const CString& CINIFile::GetExtension() { return CST_EXT_INI; }

int CINIFile::IsOpen() { return m_bOpen; }

const CString& CINIFile::GetFile() const { return m_strFile; }

int CINIFile::GetSectionCount() { return filekit::ArraySize(m_arrSections); }

CINIFile::CINIFileSection* CINIFile::GetSection(int nIndex)
{
    if (nIndex < 0 || nIndex >= m_arrSections.GetSize()) return nullptr;
    return static_cast<CINIFileSection*>(m_arrSections.GetAt(nIndex));
}

CINIFile::CINIFileSection* CINIFile::GetSection(const CString& name) { return GetSection(GetIndexForSection(name)); }

int CINIFile::GetIndexForSection(const CString& name) { return filekit::ini::FindSection(m_arrSections, name); }

int CINIFile::GetIndexForKey(const CString& section, const CString& key)
{
    CINIFileSection* found = GetSection(section);
    return found ? found->GetIndexForKey(key) : -1;
}

void CINIFile::Empty() { ClearMemory(); }

void CINIFile::ClearMemory()
{
    const int count = filekit::ArraySize(m_arrSections);
    if (count == 0) return;
    for (int i = 0; i < count; ++i) delete m_arrSections.GetAt(i);
    m_arrSections.SetSize(0);
}
