// Test cases kept as data under tests/data: a case file cut into named
// sections of text or of script lines, and the paths a script names. The
// file formats are described in tests/data/README.md.
#ifndef FILEKIT_TESTS_INI_CASEFILE_H
#define FILEKIT_TESTS_INI_CASEFILE_H

#include "support/Script.h"
#include "support/TempDir.h"

#include <map>

namespace filekit_test {

// text with \xHH and \{N*text} replaced (Expand); every other backslash
// stays.
inline std::string Decode(const std::string& text) { return Expand(text, false); }

// A case file of data/<suite>: free text up to the first "--- name" line,
// then sections.
struct CaseFile {
    std::map<std::string, std::vector<std::string>> sections;

    CaseFile(const std::string& suite, const std::string& name)
    {
        std::vector<std::string>* section = &sections[""];  // the free text
        for (const std::string& line : FileLines(DataFolder(suite) + "/" + name)) {
            if (line.compare(0, 4, "--- ") != 0) section->push_back(line);
            if (line.compare(0, 4, "--- ") == 0) section = &sections[line.substr(4)];
        }
    }
    bool Has(const std::string& name) const { return sections.count(name) != 0; }
    // The section's lines as written, or fallback when there is no such section.
    std::vector<std::string> Lines(const std::string& name, const std::vector<std::string>& fallback = {}) const
    {
        return Has(name) ? sections.at(name) : fallback;
    }
    // The section's lines unescaped, each ending with LF except one that ends with \c.
    std::string operator[](const std::string& name) const
    {
        std::string text;
        for (const std::string& line : Lines(name)) {
            const bool joined = line.size() >= 2 && line.compare(line.size() - 2, 2, "\\c") == 0;
            text += Unescape(joined ? line.substr(0, line.size() - 2) : line) + (joined ? "" : "\n");
        }
        return text;
    }
};

// A path argument of a script: "@" the case's input file (named input),
// "." its folder, an absolute path or "" as it is, any other name a file in
// the folder.
inline std::string PathIn(const TempDir& dir, const std::string& input, const std::string& arg)
{
    if (arg == "@" || arg == ".") return arg == "@" ? dir.Path(input) : dir.Root().string();
    return arg.empty() || arg[0] == '/' ? arg : dir.Path(arg);
}

}  // namespace filekit_test

#endif
