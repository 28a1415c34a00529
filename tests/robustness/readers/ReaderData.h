// Test support for the reader robustness suite: case tables read from
// tests/data, their escaped byte strings, and an INI model dumped whole.
#ifndef FILEKIT_TESTS_ROBUSTNESS_READERS_READERDATA_H
#define FILEKIT_TESTS_ROBUSTNESS_READERS_READERDATA_H

#include <filekit/INIFile.h>

#include "support/TempDir.h"

#include <cstdio>
#include <string>
#include <vector>

namespace filekit_test {

// A path under tests/data.
inline std::string DataPath(const std::string& name) { return std::string(FILEKIT_TEST_DATA) + "/" + name; }

// Bytes written with the escapes \n \r \t \\ \0 and \xHH.
inline std::string Unescape(const std::string& text)
{
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            bytes += text[i];
            continue;
        }
        const char c = text[++i];
        if (c == 'n')
            bytes += '\n';
        else if (c == 'r')
            bytes += '\r';
        else if (c == 't')
            bytes += '\t';
        else if (c == '0')
            bytes += '\0';
        else if (c == 'x' && i + 2 < text.size())
            bytes += static_cast<char>(std::stoi(text.substr((i += 2) - 1, 2), nullptr, 16));
        else
            bytes += c;
    }
    return bytes;
}

// The rows of a table file: tab-separated fields, unescaped; blank lines and
// lines starting with '#' are skipped.
inline std::vector<std::vector<std::string>> ReadTable(const std::string& name)
{
    std::vector<std::vector<std::string>> rows;
    std::string text = ReadBytes(DataPath(name)), line;
    for (size_t begin = 0; begin < text.size();) {
        size_t end = text.find('\n', begin);
        if (end == std::string::npos) end = text.size();
        line = text.substr(begin, end - begin);
        begin = end + 1;
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> fields;
        for (size_t from = 0;;) {
            const size_t tab = line.find('\t', from);
            fields.push_back(Unescape(line.substr(from, tab == std::string::npos ? std::string::npos : tab - from)));
            if (tab == std::string::npos) break;
            from = tab + 1;
        }
        rows.push_back(fields);
    }
    return rows;
}

// Bytes shown with the escapes Unescape reads, for failure messages and dumps.
inline std::string Escape(const std::string& bytes)
{
    std::string shown;
    char hex[8];
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '\n')
            shown += "\\n";
        else if (c == '\r')
            shown += "\\r";
        else if (c == '\\')
            shown += "\\\\";
        else if (b < 0x20 || b >= 0x7f)
            shown += (std::snprintf(hex, sizeof hex, "\\x%02x", b), hex);
        else
            shown += c;
    }
    return shown;
}

// The whole model as bytes: "[name]{comment}" per section, then
// " name=value{comment}" per key, then ";". Comments in stored form.
inline std::string Dump(CINIFile& ini)
{
    std::string dump;
    for (int i = 0; i < ini.GetSectionCount(); ++i) {
        const CINIFile::CINIFileSection* section = ini.GetSection(i);
        dump += "[" + std::string(section->m_strName.GetString()) + "]{" + section->m_strComment.GetString() + "}";
        for (int k = 0; k < section->m_arrKeys.GetSize(); ++k) {
            const CINIFile::CINIFileKey& key = section->m_arrKeys.GetAt(k);
            dump += " " + std::string(key.m_strName.GetString()) + "=" + key.m_strValue.GetString() + "{" +
                    key.m_strComment.GetString() + "}";
        }
        dump += ";";
    }
    return dump;
}

}  // namespace filekit_test

#endif
