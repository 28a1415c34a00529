// SPDX-License-Identifier: MIT
// Example: a text file class for delimited lists, as an application writes
// one on CTextFile.
//
// CListFile loads every line of a comma-separated list in LoadData (the
// whole file with LoadFile, each line split with ParseValues) and writes
// the rows back in SaveData, quoting the values that need it. The demo
// reads a small contact list, adds a row, saves it under a new name and
// reads the saved file back.
#include <filekit/TextFile.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr DWORD kLoadChunk = 4096;  // bytes LoadFile reads at a time
constexpr char kSeparator = ',';

using Row = std::vector<CString>;

class CListFile : public CTextFile {
public:
    std::vector<Row> rows;

protected:
    int LoadData() override
    {
        char* text = nullptr;
        DWORD size = 0;
        if (!LoadFile(&text, &size, kLoadChunk)) return 0;
        rows.clear();
        for (const char* line = text; line && *line != '\0';) {
            const char* end = std::strchr(line, '\n');
            size_t length = end ? static_cast<size_t>(end - line) : std::strlen(line);
            if (length > 0 && chartype_enter(line[length - 1])) --length;  // CR LF line ends
            AddLine(CString(line, static_cast<int>(length)));
            line = end ? end + 1 : nullptr;
        }
        std::free(text);
        return 1;
    }

    int SaveData() override
    {
        for (const Row& row : rows) {
            for (size_t i = 0; i < row.size(); ++i) {
                if (i > 0 && !WriteString(", ")) return 0;
                if (!WriteString(Quoted(row[i]))) return 0;
            }
            if (!WriteEmptyLine(1)) return 0;
        }
        return 1;
    }

private:
    void AddLine(const CString& line)
    {
        CStringArray values;
        if (!ParseValues(line, values, kSeparator)) return;  // an empty line
        Row row;
        for (int i = 0; i < values.GetSize(); ++i) row.push_back(values[i]);
        if (!row.empty()) rows.push_back(row);
    }

    // A value that is empty, holds the separator, a quote or a bracket, or
    // starts with a blank, goes in brackets when it has a quote and in
    // quotes otherwise, so that it reads back the same.
    static CString Quoted(const CString& value)
    {
        const char* text = static_cast<const char*>(value);
        const bool plain = !value.IsEmpty() && !chartype_space(text[0]) && !std::strchr(text, kSeparator) &&
                           !std::strchr(text, '"') && !std::strchr(text, '[');
        if (plain) return value;
        return std::strchr(text, '"') ? "[" + value + "]" : "\"" + value + "\"";
    }
};

void PrintRows(const CListFile& list)
{
    for (const Row& row : list.rows) {
        std::printf("  %zu values:", row.size());
        for (const CString& value : row) std::printf(" <%s>", static_cast<const char*>(value));
        std::printf("\n");
    }
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path folder = argc > 1 ? argv[1] : ".";
    std::filesystem::create_directories(folder);
    const std::string source = (folder / "contacts.txt").string();
    const std::string saved = (folder / "contacts-saved.txt").string();

    std::ofstream(source, std::ios::binary) << "name, phone, note\r\n"
                                               "Ada, 555-0101, \"likes commas, a lot\"\r\n"
                                               "Bob,,[says \"hi\"]\r\n"
                                               "\r\n"
                                               "  Cy  ,555-0303\r\n";
    std::printf("list file %s:\n%s", source.c_str(), ReadAll(source).c_str());

    CListFile list;
    if (!list.Open(source.c_str(), 0)) {
        std::printf("cannot open %s\n", source.c_str());
        return 1;
    }
    list.Close();
    std::printf("read %zu rows:\n", list.rows.size());
    PrintRows(list);

    list.rows.push_back({"Dee", "555-0404", " spaced, quoted"});
    if (!list.Open(saved.c_str(), 1) || !list.Save()) {
        std::printf("cannot save %s\n", saved.c_str());
        return 1;
    }
    list.Close();
    std::printf("saved %s:\n%s", saved.c_str(), ReadAll(saved).c_str());

    CListFile again;
    if (!again.Open(saved.c_str(), 0)) return 1;
    std::printf("read back %zu rows:\n", again.rows.size());
    PrintRows(again);
    return again.rows == list.rows ? 0 : 1;
}
