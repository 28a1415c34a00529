// Test support for the INI family: the protected members made reachable,
// and the whole model dumped as one string.
#ifndef FILEKIT_TESTS_INI_INISUPPORT_H
#define FILEKIT_TESTS_INI_INISUPPORT_H

#include <filekit/INIFile.h>

#include <cstdio>
#include <string>

namespace filekit_test {

class TestIni : public CINIFile {
public:
    using CINIFile::BracketsContents, CINIFile::DeleteTail, CINIFile::GetToken, CINIFile::ReadFile,
        CINIFile::ReplaceFrom0xD_0xA, CINIFile::ReplaceTo0xD_0xA;
};

// The bytes of text with line feeds shown as <LF> and other control or
// non-ASCII bytes as <hh>; a stored line-break pair stays a backslash and n.
inline std::string Show(const CString& text)
{
    std::string shown;
    char hex[8];
    for (int i = 0; i < text.GetLength(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\n')
            shown += "<LF>";
        else if (c < 0x20 || c >= 0x7f)
            shown += (std::snprintf(hex, sizeof hex, "<%02x>", c), hex);
        else
            shown += static_cast<char>(c);
    }
    return shown;
}

// One line per section ("S<state> [name] {comment}") followed by one line
// per key ("K<state> name=value {comment}"), deleted items included.
inline std::string Dump(CINIFile& ini)
{
    std::string dump;
    for (int i = 0; i < ini.GetSectionCount(); ++i) {
        const CINIFile::CINIFileSection* section = ini.GetSection(i);
        dump += "S" + std::to_string(section->m_nState) + " [" + Show(section->m_strName) + "] {" +
                Show(section->m_strComment) + "}\n";
        for (int k = 0; k < section->m_arrKeys.GetSize(); ++k) {
            const CINIFile::CINIFileKey& key = section->m_arrKeys.GetAt(k);
            dump += "K" + std::to_string(key.m_nState) + " " + Show(key.m_strName) + "=" + Show(key.m_strValue) + " {" +
                    Show(key.m_strComment) + "}\n";
        }
    }
    return dump;
}

}  // namespace filekit_test

#endif
