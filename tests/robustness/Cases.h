// Test support for the robustness and round-trip suites: a case file run
// through a table of commands, and an INI model dumped whole as one line.
#ifndef FILEKIT_TESTS_ROBUSTNESS_CASES_H
#define FILEKIT_TESTS_ROBUSTNESS_CASES_H

#include <filekit/INIFile.h>

#include "support/Script.h"
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

// The whole model: "[name]{comment}" per section, then " name=value{comment}"
// per key, then ";"; comments in stored form; "-" for an empty model.
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
    return dump.empty() ? "-" : dump;
}

}  // namespace filekit_test

#endif
