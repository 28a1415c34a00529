// SPDX-License-Identifier: MIT
// Test support: the case files under tests/data, read line by line by the
// table drivers. The formats are described in tests/data/README.md.
#ifndef FILEKIT_TESTS_SUPPORT_SCRIPT_H
#define FILEKIT_TESTS_SUPPORT_SCRIPT_H

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace filekit_test {

// One line of a case file: where it stands, the text before " -> " and
// the expected result after it ("" when the line has none).
struct ScriptLine {
    std::string where, text, expected;
};

// The folder of case files for suite, as this platform's file functions
// name it (FILEKIT_TEST_DATA is set by tests/CMakeLists.txt).
inline std::string DataFolder(const std::string& suite) { return std::string(FILEKIT_TEST_DATA) + "/" + suite; }

// The names of the files in a suite's folder, sorted.
inline std::vector<std::string> DataFiles(const std::string& suite)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(DataFolder(suite)))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A case file's test name: its name up to the first '.', any character
// but a letter or digit as '_'.
inline std::string CaseName(const ::testing::TestParamInfo<std::string>& file)
{
    std::string name = file.param.substr(0, file.param.find('.'));
    for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

// The lines of a file as written (a missing file fails the test).
inline std::vector<std::string> FileLines(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) ADD_FAILURE() << "no file " << path;
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The lines of text that apply here, named name:number: blank lines and
// lines starting with '#' are left out, a line starting with "posix:" or
// "windows:" is kept only on that platform, without its prefix.
inline std::vector<ScriptLine> ScriptLines(const std::string& name, const std::vector<std::string>& text)
{
#ifdef _WIN32
    const std::string own = "windows:", other = "posix:";
#else
    const std::string own = "posix:", other = "windows:";
#endif
    std::vector<ScriptLine> lines;
    for (size_t number = 1; number <= text.size(); ++number) {
        std::string line = text[number - 1];
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind(other, 0) == 0) continue;
        if (line.rfind(own, 0) == 0) line = line.substr(own.size());
        line.erase(0, line.find_first_not_of(' '));
        if (line.empty() || line[0] == '#') continue;
        const size_t arrow = line.find(" -> ");
        lines.push_back({name + ":" + std::to_string(number), line.substr(0, arrow),
                         arrow == std::string::npos ? "" : line.substr(arrow + 4)});
    }
    return lines;
}

// The script lines of data/<suite>/<name>.
inline std::vector<ScriptLine> ReadScript(const std::string& suite, const std::string& name)
{
    return ScriptLines(name, FileLines(DataFolder(suite) + "/" + name));
}

// The words of text separated by spaces.
inline std::vector<std::string> Words(const std::string& text)
{
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

// text with its escapes replaced: \xHH is the byte HH, \{N*text} is text
// repeated N times (itself unescaped, its braces balanced), \n \r \t \s (a
// space) and \\ are those bytes, any other escaped character stands for
// itself, and a lone "" is the empty text.
inline std::string Unescape(const std::string& text)
{
    const auto hex = [&](size_t at) { return at < text.size() && std::isxdigit(static_cast<unsigned char>(text[at])); };
    std::string out;
    for (size_t i = 0; text != "\"\"" && i < text.size(); ++i) {
        size_t end = i + 1;  // for a \{ here: the } that closes it, or the text's end
        for (int depth = 0; text.compare(i, 2, "\\{") == 0 && end < text.size(); ++end)
            if ((depth += text[end] == '{' ? 1 : text[end] == '}' ? -1 : 0) == 0) break;
        if (text.compare(i, 2, "\\x") == 0 && hex(i + 2) && hex(i + 3)) {
            out += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else if (text.compare(i, 2, "\\{") == 0 && end < text.size()) {
            const size_t star = text.find('*', i);
            const std::string piece = Unescape(text.substr(star + 1, end - star - 1));
            for (long n = std::strtol(text.c_str() + i + 2, nullptr, 10); n > 0; --n) out += piece;
            i = end;
        } else if (text[i] == '\\' && i + 1 < text.size()) {
            const char c = text[++i];
            out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c == 's' ? ' ' : c;
        } else {
            out += text[i];
        }
    }
    return out;
}

// bytes written with the escapes Unescape reads: spaces, backslashes and
// bytes outside printable ASCII escaped; "" for no bytes.
inline std::string Escape(const std::string& bytes)
{
    std::string out = bytes.empty() ? "\"\"" : "";
    for (const char c : bytes) {
        char hex[5];
        std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(c));
        const char* named = c == '\n' ? "\\n" : c == '\r' ? "\\r" : c == '\t' ? "\\t" : c == ' ' ? "\\s" : nullptr;
        out += named ? named : c == '\\' ? "\\\\" : c < 0x20 || c > 0x7e ? hex : std::string(1, c);
    }
    return out;
}

}  // namespace filekit_test

#endif
