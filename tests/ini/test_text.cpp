// The protected text routines the reader and writer are built from.
#include "ini/IniSupport.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

namespace {

using filekit_test::Show;
using filekit_test::TestIni;

constexpr int kUntouched = -2;  // next: the pointer kept its old value
constexpr int kNull = -1;  // next: null

// GetToken's result, token ("#" when untouched) and next pointer (an
// offset into text, kNull or kUntouched) as one line.
std::string Token(const char* text, const char* delimiters, int number)
{
    std::vector<char> copy, delims;
    if (text) copy.assign(text, text + std::strlen(text) + 1);
    if (delimiters) delims.assign(delimiters, delimiters + std::strlen(delimiters) + 1);
    char token[CINIFile::kNameBufferBytes] = "#";
    char sentinel = 0;
    CINIFile::CINIFilePointer pointer{&sentinel};
    TestIni ini;
    const int result =
        ini.GetToken(text ? copy.data() : nullptr, token, &pointer, delimiters ? delims.data() : nullptr, number);
    const std::ptrdiff_t next = pointer.m_pszNext == &sentinel ? kUntouched
                                : pointer.m_pszNext == nullptr ? kNull
                                                               : pointer.m_pszNext - copy.data();
    return std::to_string(result) + " " + token + " " + std::to_string(next);
}

TEST(IniText, GetTokenTable)
{
    const std::string longToken(600, 't');
    const struct {
        const char* text;
        const char* delimiters;
        int number;
        std::string expected;
    } rows[] = {
        {"a=b", "=", 2, "0 b -1"},
        {"", "=", 1, "1  -1"},
        {nullptr, "=", 1, "2 # -1"},
        {"\"x=y\"=z", "=", 1, "0 \"x=y\" 6"},
        {"\"a=\"=\"b=\"=c", "=", 2, "0 \"b=\" 10"},
        {"a b ", " ", 2, "2 # -1"},
        {"ab\xFE"
         "c\xFE",
         "\xFE", 2, "0 c 5"},
        {"a=b", nullptr, 1, "0 a=b -1"},
        {longToken.c_str(), "=", 1, "0 " + std::string(499, 't') + " -1"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Token(row.text, row.delimiters, row.number), row.expected) << Show(row.text) << " #" << row.number;
}

// Runs routine over each input, given in a buffer of its own length plus a
// terminator, and compares what it returns with the expected text.
template <class Routine>
void ExpectRows(const std::vector<std::pair<std::string, std::string>>& rows, Routine routine)
{
    for (const auto& [in, out] : rows) {
        std::vector<char> buffer(in.begin(), in.end());
        buffer.push_back('\0');
        EXPECT_EQ(std::string(routine(buffer.data())), out) << Show(in.c_str());
    }
}

TEST(IniText, LineRoutineTables)
{
    TestIni ini;
    ExpectRows({{" a \t \r\n", " a \t"}, {"a\n\n", "a\n"}, {"   ", ""}}, [&](char* line) {
        ini.DeleteTail(line);
        return line;
    });

    char contents[CINIFile::kNameBufferBytes];
    char square[] = "[]", round[] = "()";
    ExpectRows({{"  [ Main ]  ", " Main "},
                {"[[Main]] more [x]", "Main"},
                {"[]", ""},
                {"a[b]", ""},
                {"[ab[c", ""},
                {"[" + std::string(600, 'n') + "]", std::string(499, 'n')}},
               [&](char* line) {
                   ini.BracketsContents(line, contents, square);
                   return contents;
               });
    ExpectRows({{"(a)", "a"}, {"[a]", ""}}, [&](char* line) {
        ini.BracketsContents(line, contents, round);
        return contents;
    });
}

TEST(IniText, CommentConversionTables)
{
    TestIni ini;
    std::string stored = ";";
    while (stored.size() + 3 <= 999) stored += "\\n;";
    ExpectRows({{";a;b", ";a\\n;b"},
                {"\n;x", "\n\\n;x"},
                {";a\nb\n", ";a\\nb\\n"},
                {"a\\b", "a\\b"},
                {std::string(1500, ';'), stored}},
               [&](char* text) { return ini.ReplaceFrom0xD_0xA(text); });
    ExpectRows({{";a\\n;b", ";a \n;b"},
                {"\\n;b", "\\n;b"},
                {"x\\\\n", "x\\ \n"},
                {";a\\", ";a\\"},
                {";a\\n\\n;b", ";a \n \n;b"}},
               [&](char* text) {
                   ini.ReplaceTo0xD_0xA(text);
                   return text;
               });
}

}  // namespace
