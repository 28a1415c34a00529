// Test cases kept as data under tests/data: a case file cut into named
// sections, the escapes that let a section hold any byte, and scripts of
// calls whose printed results are compared line by line. The file formats
// are described in tests/data/README.md.
#ifndef FILEKIT_TESTS_INI_CASEFILE_H
#define FILEKIT_TESTS_INI_CASEFILE_H

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace filekit_test {

// The data folder (wine reaches the build machine's files through Z:).
inline std::string DataPath(const std::string& relative)
{
#ifdef _WIN32
    return std::string("Z:") + FILEKIT_TEST_DATA + "/" + relative;
#else
    return std::string(FILEKIT_TEST_DATA) + "/" + relative;
#endif
}

// The } that closes the { at open, counting the braces between; npos if none.
inline size_t Closing(const std::string& text, size_t open)
{
    int depth = 0;
    for (size_t i = open; i < text.size(); ++i) {
        depth += text[i] == '{' ? 1 : text[i] == '}' ? -1 : 0;
        if (depth == 0) return i;
    }
    return std::string::npos;
}

// text with its escapes replaced: \xHH is the byte HH, \{N*text} is text
// repeated N times (itself decoded); every other backslash stays.
inline std::string Decode(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\\x") == 0 && i + 3 < text.size() &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 3]))) {
            out += static_cast<char>(std::strtol(text.substr(i + 2, 2).c_str(), nullptr, 16));
            i += 3;
        } else if (text.compare(i, 2, "\\{") == 0 && Closing(text, i + 1) != std::string::npos) {
            const size_t star = text.find('*', i), end = Closing(text, i + 1);
            const std::string piece = Decode(text.substr(star + 1, end - star - 1));
            for (long n = std::strtol(text.c_str() + i + 2, nullptr, 10); n > 0; --n) out += piece;
            i = end;
        } else {
            out += text[i];
        }
    }
    return out;
}

// A case file: free text up to the first "--- name" line, then sections.
class CaseFile {
public:
    explicit CaseFile(const std::string& path)
    {
        std::istringstream in(ReadBytes(path));
        std::vector<std::string>* section = nullptr;
        for (std::string line; std::getline(in, line);) {
            if (line.compare(0, 4, "--- ") == 0)
                section = &m_sections[line.substr(4)];
            else if (section)
                section->push_back(line);
        }
    }
    bool Has(const std::string& name) const { return m_sections.count(name) != 0; }
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
    // The section's lines as written.
    std::vector<std::string> Lines(const std::string& name) const
    {
        return Has(name) ? m_sections.at(name) : std::vector<std::string>();
    }

private:
    std::map<std::string, std::vector<std::string>> m_sections;
};

// The files of data/<folder>, sorted: one parameter of a suite each.
inline std::vector<std::string> CaseFiles(const std::string& folder)
{
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(DataPath(folder)))
        files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

// A case's test name: its file name, letters and digits only.
inline std::string CaseName(const testing::TestParamInfo<std::string>& info)
{
    std::string name;
    for (const char c : std::filesystem::path(info.param).stem().string())
        if (std::isalnum(static_cast<unsigned char>(c))) name += c;
    return name;
}

// The bytes of text with line feeds shown as <LF> and other control or
// non-ASCII bytes as <hh>; a stored line-break pair stays a backslash and n.
inline std::string Show(const std::string& text)
{
    std::string shown;
    char hex[8];
    for (const char byte : text) {
        const auto c = static_cast<unsigned char>(byte);
        if (c == '\n')
            shown += "<LF>";
        else if (c < 0x20 || c >= 0x7f)
            shown += (std::snprintf(hex, sizeof hex, "<%02x>", c), hex);
        else
            shown += static_cast<char>(c);
    }
    return shown;
}

// A path argument of a script: "@" the case's input file (named input),
// "." its folder, an absolute path or "" as it is, any other name a file in
// the folder.
inline std::string PathIn(const TempDir& dir, const std::string& input, const std::string& arg)
{
    if (arg == "@") return dir.Path(input);
    if (arg == ".") return dir.Root().string();
    return arg.empty() || arg[0] == '/' ? arg : dir.Path(arg);
}

// One script line, "Op arg|arg|... -> expected": the arguments decoded.
struct Step {
    std::string op;
    std::vector<std::string> args;
    std::string expected;
};

// Runs every line of a script through run (Step -> printed result) and
// compares each result with its line's expectation, both decoded. Blank
// lines and lines starting with # are skipped.
template <class Run>
void RunScript(const std::vector<std::string>& script, Run run)
{
    for (const std::string& line : script) {
        const size_t arrow = line.rfind(" ->");
        if (line.empty() || line[0] == '#') continue;
        if (arrow == std::string::npos) {
            ADD_FAILURE() << "no \"->\" in script line: " << line;
            continue;
        }
        Step step;
        step.expected = Decode(line.substr(std::min(line.size(), arrow + 4)));
        const std::string call = line.substr(0, arrow);
        const size_t space = call.find(' ');
        step.op = call.substr(0, space);
        for (size_t at = space; at != std::string::npos;) {
            const size_t bar = call.find('|', at + 1);
            step.args.push_back(Decode(call.substr(at + 1, bar == std::string::npos ? bar : bar - at - 1)));
            at = bar;
        }
        EXPECT_EQ(run(step), step.expected) << line;
    }
}

}  // namespace filekit_test

#endif
