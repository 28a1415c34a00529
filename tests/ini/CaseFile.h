// Test cases kept as data under tests/data: a case file cut into named
// sections, the escapes that let a section hold any byte, and scripts of
// calls whose printed results are compared line by line. The file formats
// are described in tests/data/README.md.
#ifndef FILEKIT_TESTS_INI_CASEFILE_H
#define FILEKIT_TESTS_INI_CASEFILE_H

#include "support/Script.h"
#include "support/TempDir.h"

#include <cstdio>
#include <map>

namespace filekit_test {

// text with \xHH and \{N*text} replaced (Expand); every other backslash
// stays.
inline std::string Decode(const std::string& text) { return Expand(text, false); }

// A case file of data/<suite>: free text up to the first "--- name" line,
// then sections.
struct CaseFile {
    std::map<std::string, std::vector<std::string>> sections;

    CaseFile() = default;
    CaseFile(const std::string& suite, const std::string& name)
    {
        std::istringstream in(ReadBytes(DataFolder(suite) + "/" + name));
        std::vector<std::string>* section = &sections[""];  // the free text
        for (std::string line; std::getline(in, line);) {
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
    // The section's lines decoded, each ending with LF except one that ends with \c.
    std::string operator[](const std::string& name) const
    {
        std::string text;
        for (const std::string& line : Lines(name)) {
            const bool joined = line.size() >= 2 && line.compare(line.size() - 2, 2, "\\c") == 0;
            text += Decode(joined ? line.substr(0, line.size() - 2) : line) + (joined ? "" : "\n");
        }
        return text;
    }
};

// The bytes of text with line feeds shown as <LF> and other control or
// non-ASCII bytes as <hh>; a stored line-break pair stays a backslash and n.
inline std::string Show(const std::string& text)
{
    std::string shown;
    char hex[8];
    for (const char byte : text) {
        const auto c = static_cast<unsigned char>(byte);
        shown += c == '\n'               ? "<LF>"
                 : c >= 0x20 && c < 0x7f ? std::string(1, byte)
                                         : (std::snprintf(hex, sizeof hex, "<%02x>", c), hex);
    }
    return shown;
}

// A path argument of a script: "@" the case's input file (named input),
// "." its folder, an absolute path or "" as it is, any other name a file in
// the folder.
inline std::string PathIn(const TempDir& dir, const std::string& input, const std::string& arg)
{
    if (arg == "@" || arg == ".") return arg == "@" ? dir.Path(input) : dir.Root().string();
    return arg.empty() || arg[0] == '/' ? arg : dir.Path(arg);
}

// Runs every line of a script, "Op arg|arg|... -> expected", through
// run(op, decoded arguments) and compares each result with its line's
// expectation, decoded. Blank lines and lines starting with # are skipped.
template <class Run>
void RunScript(const std::vector<std::string>& script, Run run)
{
    for (const std::string& line : script) {
        const size_t arrow = line.rfind(" ->"), space = line.find(' ');
        if (line.empty() || line[0] == '#') continue;
        EXPECT_NE(arrow, std::string::npos) << "no \"->\" in script line: " << line;
        if (arrow == std::string::npos) continue;
        std::vector<std::string> args;
        for (size_t at = space; at < arrow;) {
            const size_t bar = std::min(line.find('|', at + 1), arrow);
            args.push_back(Decode(line.substr(at + 1, bar - at - 1)));
            at = bar;
        }
        EXPECT_EQ(run(line.substr(0, std::min(space, arrow)), args),
                  Decode(line.substr(std::min(line.size(), arrow + 4))))
            << line;
    }
}

}  // namespace filekit_test

#endif
