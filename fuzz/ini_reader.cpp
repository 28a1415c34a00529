// SPDX-License-Identifier: MIT
// Fuzz target: the INI reader and writer. The input bytes become a file that
// is opened and walked; the model is saved, the saved file read again, and
// every section and key the writer can represent must come back with the
// same name and value, in the same order. An input without CR bytes must
// also read exactly like its twin with CR LF line ends.
#include <filekit/INIFile.h>

#include "FuzzSupport.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using filekit_fuzz::Bytes;
using filekit_fuzz::ScratchFolder;

namespace {

using Section = CINIFile::CINIFileSection;

struct KeyItem {
    std::string name;
    std::string value;
    bool exact = true;  // false: a key comes back here, but changed
    bool operator==(const KeyItem& other) const { return name == other.name && value == other.value; }
};

struct SectionItem {
    std::string name;
    std::vector<KeyItem> keys;
    bool exact = true;  // false: the keys of this section are not compared
};

// Whether the written line reads back as a header: a '[' first and a ']'
// somewhere after it. Wider than the reader's rule, so never too narrow.
bool MayReadAsHeader(const std::string& line)
{
    return !line.empty() && line[0] == '[' && line.find(']') != std::string::npos;
}

// The lines a stored comment is written as: each line-break pair after the
// first byte becomes a line end.
std::vector<std::string> WrittenCommentLines(const std::string& stored)
{
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < stored.size(); ++i) {
        if (i > 0 && stored[i] == '\\' && i + 1 < stored.size() && stored[i + 1] == 'n') {
            lines.push_back(std::string());
            ++i;
        } else if (stored[i] == '\n') {
            lines.push_back(std::string());
        } else {
            lines.back() += stored[i];
        }
    }
    return lines;
}

// A written comment stays a comment when each of its lines starts with ';'
// or holds nothing but spaces; any other line would read back as an item.
bool StaysComment(const CString& stored)
{
    for (const std::string& line : WrittenCommentLines(Bytes(stored)))
        if (!line.empty() && line[0] != ';' && line.find_first_not_of(' ') != std::string::npos) return false;
    return true;
}

// The whole model, every field of every section and key, as one string.
std::string Dump(CINIFile& ini)
{
    std::string dump;
    for (int i = 0; i < ini.GetSectionCount(); ++i) {
        const Section* section = ini.GetSection(i);
        dump += "[" + Bytes(section->m_strName) + "]{" + Bytes(section->m_strComment) + "}\n";
        for (int k = 0; k < section->m_arrKeys.GetSize(); ++k) {
            const CINIFile::CINIFileKey& key = section->m_arrKeys.GetAt(k);
            dump += Bytes(key.m_strName) + "=" + Bytes(key.m_strValue) + "{" + Bytes(key.m_strComment) + "}\n";
        }
    }
    return dump;
}

// Walks the model read from a file, checks what must hold for it, and
// returns the sections and keys that a save must reproduce. Sets
// comparable to false when the saved text may hold items the model lacks.
std::vector<SectionItem> Walk(CINIFile& ini, bool* comparable)
{
    std::vector<SectionItem> items;
    *comparable = true;
    const int count = ini.GetSectionCount();
    for (int i = 0; i < count; ++i) {
        Section* section = ini.GetSection(i);
        FUZZ_CHECK(section != nullptr);
        FUZZ_CHECK(section->m_nState == CINIFile::STATE_LOADED);
        FUZZ_CHECK(!section->m_strName.IsEmpty());
        FUZZ_CHECK(section->m_strName.GetLength() < CINIFile::kNameBufferBytes);
        FUZZ_CHECK(section->m_strComment.GetLength() < CINIFile::kCommentBufferBytes);
        // Lookups by name find the first section so named.
        const int found = ini.GetIndexForSection(section->m_strName);
        FUZZ_CHECK(found >= 0 && found <= i && ini.GetSection(found)->m_strName == section->m_strName);
        if (!StaysComment(section->m_strComment)) *comparable = false;

        SectionItem item{Bytes(section->m_strName), {}, true};
        for (int k = 0; k < section->GetKeyCount(); ++k) {
            CString name, value, comment;
            FUZZ_CHECK(section->GetKey(k, name, value, comment) == 1);
            FUZZ_CHECK(section->m_arrKeys.GetAt(k).m_nState == CINIFile::STATE_LOADED);
            FUZZ_CHECK(name.GetLength() < CINIFile::kNameBufferBytes);
            FUZZ_CHECK(value.GetLength() < CINIFile::kNameBufferBytes);
            FUZZ_CHECK(comment.GetLength() < CINIFile::kCommentBufferBytes);
            FUZZ_CHECK(std::strlen(name) == static_cast<size_t>(name.GetLength()));
            const int first = section->GetIndexForKey(name);
            FUZZ_CHECK(first >= 0 && first <= k);
            if (found == i) {  // the section that lookups by its name reach
                CString firstValue, firstComment;
                FUZZ_CHECK(ini.GetKeyData(section->m_strName, name, firstValue, firstComment) == 1);
                FUZZ_CHECK(firstValue == section->m_arrKeys.GetAt(first).m_strValue);
                FUZZ_CHECK(firstComment == section->m_arrKeys.GetAt(first).m_strComment);
            }
            if (!StaysComment(comment)) *comparable = false;

            const std::string line = Bytes(name) + (value.IsEmpty() ? "" : "=" + Bytes(value));
            if (MayReadAsHeader(line)) *comparable = false;
            if (line.empty() || line[0] == ';') continue;  // an empty line, or a comment line
            // A line end written after a CR reads back as a lone line end,
            // and the spaces before that CR are dropped then.
            if (line.back() == '\r') item.exact = false;
            // A name cut inside quotes leaves one open, and that quote
            // swallows the '=' written after it.
            const bool openQuote = std::count(line.begin(), line.begin() + name.GetLength(), '"') % 2 != 0;
            item.keys.push_back(KeyItem{Bytes(name), Bytes(value), !openQuote});
        }
        items.push_back(std::move(item));
    }
    return items;
}

void CheckSameItems(const std::vector<SectionItem>& expected, const std::vector<SectionItem>& read)
{
    FUZZ_CHECK(expected.size() == read.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        FUZZ_CHECK(expected[i].name == read[i].name);
        if (!expected[i].exact) continue;
        FUZZ_CHECK(expected[i].keys.size() == read[i].keys.size());
        for (size_t k = 0; k < expected[i].keys.size(); ++k)
            if (expected[i].keys[k].exact) FUZZ_CHECK(expected[i].keys[k] == read[i].keys[k]);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string source = ScratchFolder().Path("source.ini");
    const std::string saved = ScratchFolder().Path("saved.ini");
    const std::string text(reinterpret_cast<const char*>(data), size);
    filekit_test::WriteBytes(source, text);

    CINIFile ini;
    FUZZ_CHECK(ini.Open(source.c_str()) == 1);
    FUZZ_CHECK(ini.Open(source.c_str()) == 0);  // already open
    bool comparable = true;
    const std::vector<SectionItem> expected = Walk(ini, &comparable);
    if (text.find('\r') == std::string::npos) {
        std::string crlf;
        for (const char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        const std::string twin = ScratchFolder().Path("crlf.ini");
        filekit_test::WriteBytes(twin, crlf);
        CINIFile crlfIni;
        FUZZ_CHECK(crlfIni.Open(twin.c_str()) == 1 && Dump(crlfIni) == Dump(ini));
    }
    FUZZ_CHECK(ini.Save(saved.c_str()) == 1);

    CINIFile again;
    FUZZ_CHECK(again.Open(saved.c_str()) == 1);
    bool ignored = true;
    const std::vector<SectionItem> read = Walk(again, &ignored);
    if (comparable) CheckSameItems(expected, read);
    return 0;
}
