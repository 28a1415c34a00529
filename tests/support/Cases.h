// SPDX-License-Identifier: MIT
// Test support for cases kept as data: script lines run through a table of
// commands, case files cut into named sections, and an INI model dumped
// whole. The file formats are described in tests/data/README.md.
#ifndef FILEKIT_TESTS_SUPPORT_CASES_H
#define FILEKIT_TESTS_SUPPORT_CASES_H

#include <filekit/INIFile.h>

#include "support/Script.h"
#include "support/TempDir.h"

#include <functional>
#include <map>

namespace filekit_test {

using Args = std::vector<std::string>;
using Commands = std::map<std::string, std::function<std::string(const Args&)>>;

// Runs each script line, "command word... -> expected": run is given the
// command and the words after it unescaped, and the text it gives is
// compared with the expected text unescaped.
inline void RunLines(const std::vector<ScriptLine>& lines,
                     const std::function<std::string(const std::string&, const Args&)>& run)
{
    EXPECT_FALSE(lines.empty());
    for (const ScriptLine& line : lines) {
        SCOPED_TRACE(line.where);  // for the checks a command makes itself
        Args args = Words(line.text);
        for (std::string& arg : args) arg = Unescape(arg);
        const std::string command = args.at(0);  // a line without one fails here
        EXPECT_EQ(run(command, Args(args.begin() + 1, args.end())), Unescape(line.expected)) << line.where;
    }
}

// Runs each line of data/<suite>/<name> through the command it names; an
// unknown command fails.
inline void RunCases(const std::string& suite, const std::string& name, const Commands& commands)
{
    RunLines(ReadScript(suite, name),
             [&](const std::string& command, const Args& args) { return commands.at(command)(args); });
}

// Results of calls, in order, separated by spaces.
inline std::string Results(std::initializer_list<long long> results)
{
    std::string joined;
    for (const long long result : results) joined += (joined.empty() ? "" : " ") + std::to_string(result);
    return joined;
}

// A CString's bytes, zero bytes included.
inline std::string Bytes(const CString& text)
{
    return {static_cast<const char*>(text), static_cast<size_t>(text.GetLength())};
}

// The whole model, each line followed by end: "S<state> [name] {comment}"
// per section, then "K<state> name=value {comment}" per key, deleted items
// included; "-" for an empty model.
inline std::string Dump(CINIFile& ini, const std::string& end = "\n")
{
    std::string dump;
    const auto line = [&](char kind, int state, const std::string& item, const CString& comment) {
        dump += kind + std::to_string(state) + " " + item + " {" + Bytes(comment) + "}" + end;
    };
    for (int i = 0; i < ini.GetSectionCount(); ++i) {
        const CINIFile::CINIFileSection& section = *ini.GetSection(i);
        line('S', section.m_nState, "[" + Bytes(section.m_strName) + "]", section.m_strComment);
        for (int k = 0; k < section.m_arrKeys.GetSize(); ++k) {
            const CINIFile::CINIFileKey& key = section.m_arrKeys[k];
            line('K', key.m_nState, Bytes(key.m_strName) + "=" + Bytes(key.m_strValue), key.m_strComment);
        }
    }
    return dump.empty() ? "-" + end : dump;
}

// A case file of data/<suite>: free text up to the first "--- name" line,
// then sections; a case without a script section has "Open @ -> 1".
struct CaseFile {
    std::map<std::string, std::vector<std::string>> sections;

    CaseFile(const std::string& suite, const std::string& name)
    {
        std::vector<std::string>* section = &sections[""];  // the free text
        for (const std::string& line : FileLines(DataFolder(suite) + "/" + name)) {
            if (line.compare(0, 4, "--- ") != 0) section->push_back(line);
            if (line.compare(0, 4, "--- ") == 0) section = &sections[line.substr(4)];
        }
        sections.insert({"script", {"Open @ -> 1"}});
    }
    bool Has(const std::string& name) const { return sections.count(name) != 0; }
    // The section's lines unescaped, each ending with LF except one that ends
    // with \c; "" when there is no such section.
    std::string operator[](const std::string& name) const
    {
        std::string text;
        for (const std::string& line : Has(name) ? sections.at(name) : std::vector<std::string>()) {
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
