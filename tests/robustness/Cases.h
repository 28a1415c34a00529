// Test support for the robustness and round-trip suites: a case file run
// through a table of commands, and an INI model dumped whole.
#ifndef FILEKIT_TESTS_ROBUSTNESS_CASES_H
#define FILEKIT_TESTS_ROBUSTNESS_CASES_H

#include <filekit/INIFile.h>

#include "ini/CaseFile.h"
#include "support/TempDir.h"

#include <functional>
#include <map>

namespace filekit_test {

using Args = std::vector<std::string>;
using Commands = std::map<std::string, std::function<std::string(const Args&)>>;

// Runs each line of data/<suite>/<name>, "command word... -> expected": the
// command is given the words after it unescaped, and the text it gives is
// compared with the expected text unescaped. An unknown command fails.
inline void RunCases(const std::string& suite, const std::string& name, const Commands& commands)
{
    const std::vector<ScriptLine> lines = ReadScript(suite, name);
    EXPECT_FALSE(lines.empty()) << name;
    for (const ScriptLine& line : lines) {
        SCOPED_TRACE(line.where);  // for the checks a command makes itself
        Args args = Words(line.text);
        for (std::string& arg : args) arg = Unescape(arg);
        const auto& command = commands.at(args.at(0));
        args.erase(args.begin());
        EXPECT_EQ(command(args), Unescape(line.expected)) << line.where;
    }
}

// Results of calls, in order, separated by spaces.
inline std::string Results(std::initializer_list<long long> results)
{
    std::string joined;
    for (const long long result : results) joined += (joined.empty() ? "" : " ") + std::to_string(result);
    return joined;
}

// A CString's bytes as Show shows them.
inline std::string ShowText(const CString& text)
{
    return Show(std::string(text.GetString(), static_cast<size_t>(text.GetLength())));
}

// The whole model, each line followed by end: "S<state> [name] {comment}"
// per section, then "K<state> name=value {comment}" per key, deleted items
// included, bytes as Show shows them; "-" for an empty model.
inline std::string Dump(CINIFile& ini, const std::string& end = "\n")
{
    std::string dump;
    const auto line = [&](char kind, int state, const std::string& item, const CString& comment) {
        dump += kind + std::to_string(state) + " " + item + " {" + ShowText(comment) + "}" + end;
    };
    for (int i = 0; i < ini.GetSectionCount(); ++i) {
        const CINIFile::CINIFileSection& section = *ini.GetSection(i);
        line('S', section.m_nState, "[" + ShowText(section.m_strName) + "]", section.m_strComment);
        for (int k = 0; k < section.m_arrKeys.GetSize(); ++k) {
            const CINIFile::CINIFileKey& key = section.m_arrKeys[k];
            line('K', key.m_nState, ShowText(key.m_strName) + "=" + ShowText(key.m_strValue), key.m_strComment);
        }
    }
    return dump.empty() ? "-" + end : dump;
}

}  // namespace filekit_test

#endif
