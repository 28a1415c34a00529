// SPDX-License-Identifier: MIT
// The editing operations: add, rename, change, delete and query sections and
// keys by name, in memory. Sections are found among the live ones only; the
// add operations look for live keys, while DeleteKey, UpdateKey and
// GetKeyData act on the first key of the name in any state.
#include <filekit/INIFile.h>

#include "ini/Lookup.h"

#include <memory>

using filekit::ini::DeletedKeys;
using filekit::ini::FindKey;

namespace {

// An add operation's comment argument: ";" alone means no comment.
CString AddedComment(const CString& comment) { return comment == ";" ? CString() : comment; }

// The first key named key in any state, or null.
CINIFile::CINIFileKey* AnyKey(CINIFile::CINIFileSection* section, const CString& key)
{
    if (!section) return nullptr;
    const int index = FindKey(section->m_arrKeys, key, DeletedKeys::kFind);
    return index < 0 ? nullptr : &section->m_arrKeys.ElementAt(index);
}

}  // namespace

int CINIFile::AddNewSection(const CString& name, int* pIndex) { return AddNewSection(name, CString(), pIndex); }

int CINIFile::AddNewSection(const CString& name, const CString& comment, int* pIndex)
{
    if (GetIndexForSection(name) >= 0) return 0;
    auto section = std::make_unique<CINIFileSection>();
    section->m_nState = STATE_CHANGED;
    section->m_strName = name;
    section->m_strComment = AddedComment(comment);
    const int index = filekit::ArraySize(m_arrSections);
    m_arrSections.Add(section.get());
    static_cast<void>(section.release());  // the array owns it now
    if (pIndex) *pIndex = index;
    return 1;
}

int CINIFile::AddNewKey(const CString& section, const CString& key, const CString& value, int* pIndex)
{
    return AddNewKey(section, key, value, CString(), pIndex);
}

int CINIFile::AddNewKey(const CString& section, const CString& key, const CString& value, const CString& comment,
                        int* pIndex)
{
    CINIFileSection* found = GetSection(section);
    if (!found || found->GetIndexForKey(key) >= 0) return 0;
    CINIFileKey added;
    added.m_nState = STATE_CHANGED;
    added.m_strComment = AddedComment(comment);
    added.m_strName = key;
    added.m_strValue = value;
    const int index = filekit::ArraySize(found->m_arrKeys);
    found->m_arrKeys.Add(std::move(added));
    if (pIndex) *pIndex = index;
    found->m_nState = STATE_CHANGED;
    return 1;
}

int CINIFile::DeleteSection(const CString& section)
{
    CINIFileSection* found = GetSection(section);
    if (!found) return 0;
    found->m_nState = STATE_DELETED;
    return 1;
}

int CINIFile::DeleteKey(const CString& section, const CString& key)
{
    CINIFileKey* found = AnyKey(GetSection(section), key);
    if (!found) return 0;
    found->m_nState = STATE_DELETED;
    return 1;
}

int CINIFile::UpdateSection(const CString& section, const CString& newName, const CString& newComment)
{
    CINIFileSection* found = GetSection(section);
    if (!found) return 0;
    // Copies first: the arguments may be this section's own fields.
    CString name(newName);
    CString comment(newComment);
    found->m_strName = std::move(name);
    found->m_strComment = std::move(comment);
    found->m_nState = STATE_CHANGED;
    return 1;
}

int CINIFile::UpdateKey(const CString& section, const CString& key, const CString& newName, const CString& newValue,
                        const CString& newComment)
{
    CINIFileKey* found = AnyKey(GetSection(section), key);
    if (!found) return 0;
    CINIFileKey replacement;
    replacement.m_nState = STATE_CHANGED;
    replacement.m_strComment = newComment;
    replacement.m_strName = newName;
    replacement.m_strValue = newValue;
    *found = std::move(replacement);
    return 1;
}

int CINIFile::GetKeyData(const CString& section, const CString& key, CString& value, CString& comment)
{
    const CINIFileKey* found = AnyKey(GetSection(section), key);
    if (!found) return 0;
    value = found->m_strValue;
    comment = found->m_strComment;
    return 1;
}
