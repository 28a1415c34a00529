// SPDX-License-Identifier: MIT
// Name lookups: the wanted name's length is taken once, so most items are
// rejected by one byte test before any comparison of their text.
#include "ini/Lookup.h"

#include <cstring>

namespace filekit::ini {

namespace {

// Tests names for equality with one wanted name, stopping at zero bytes.
class NameMatcher {
public:
    explicit NameMatcher(const CString& wanted)
        : m_text(static_cast<const char*>(wanted)), m_length(std::strlen(m_text)),
          m_last(m_length > 0 ? m_text[m_length - 1] : '\0')
    {
    }

    bool Matches(const CString& name) const
    {
        // A name can only match if its text ends exactly where the wanted
        // one does; GetLength() bounds the index, so the test stays inside it.
        if (static_cast<size_t>(name.GetLength()) < m_length) return false;
        const char* text = static_cast<const char*>(name);
        if (text[m_length] != '\0') return false;
        // Names of one length mostly differ at their end (numbered names),
        // so the last byte is tested before the others.
        return m_length == 0 || (text[m_length - 1] == m_last && std::memcmp(text, m_text, m_length - 1) == 0);
    }

private:
    const char* m_text;
    size_t m_length;
    char m_last;
};

}  // namespace

int FindSection(const CObArray& sections, const CString& name)
{
    const NameMatcher matcher(name);
    const int count = filekit::ArraySize(sections);
    const CObject* const* items = sections.GetData();
    for (int i = 0; i < count; ++i) {
        const auto* section = static_cast<const CINIFile::CINIFileSection*>(items[i]);
        if (section && section->m_nState != CINIFile::STATE_DELETED && matcher.Matches(section->m_strName)) return i;
    }
    return -1;
}

int FindKey(const CArray<CINIFile::CINIFileKey, CINIFile::CINIFileKey>& keys, const CString& name, DeletedKeys deleted)
{
    const NameMatcher matcher(name);
    const bool skipDeleted = deleted == DeletedKeys::kSkip;
    const int count = filekit::ArraySize(keys);
    const CINIFile::CINIFileKey* items = keys.GetData();
    for (int i = 0; i < count; ++i) {
        if (skipDeleted && items[i].m_nState == CINIFile::STATE_DELETED) continue;
        if (matcher.Matches(items[i].m_strName)) return i;
    }
    return -1;
}

}  // namespace filekit::ini
