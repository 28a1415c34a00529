// The protected text routines the reader and writer are built from.
#include "ini/IniSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

namespace {

using filekit_test::Show;
using filekit_test::TestIni;

constexpr int kUntouched = -2;   // next: the pointer kept its old value
constexpr int kNull = -1;        // next: null

struct TokenRow {
    const char* text;
    const char* delimiters;
    int number;
    int result;
    std::string token;   // "#" when the token buffer is untouched
    int next;            // offset into text, kNull or kUntouched
};

TEST(IniText, GetTokenTable)
{
    const std::string longToken(600, 't');
    const TokenRow rows[] = {
        {"a=b", "=", 1, 0, "a", 2},
        {"a=b", "=", 2, 0, "b", kNull},
        {"a=b", "=", 3, 2, "#", kUntouched},
        {"a=b", "=", 0, 2, "#", kUntouched},
        {" a = b ", "=", 1, 0, "a", 4},
        {"=b", "=", 1, 1, "", 1},
        {"a=", "=", 2, 1, "", kNull},
        {"", "=", 1, 1, "", kNull},
        {"\"x=y\"=z", "=", 1, 0, "\"x=y\"", 6},
        {"\"x=y", "=", 1, 0, "\"x=y", kNull},
        {"\"a=\"=\"b=\"=c", "=", 2, 0, "\"b=\"", 10},
        {"a\"b", "\"", 1, 0, "a\"b", kNull},
        {"a,b;c", ",;", 2, 0, "b;c", kNull},
        {"a  b", " ", 1, 0, "a", 3},
        {"a  b", " ", 2, 0, "b", kNull},
        {"  a", " ", 1, 1, "", 2},
        {"a b ", " ", 2, 2, "#", kNull},
        {"a ", " ", 1, 2, "#", kNull},
        {"\" \" x", " ", 1, 0, "\" \"", 4},
        {"ab\xFE" "c\xFE", "\xFE", 2, 0, "c", 5},
        {"a=b", nullptr, 1, 0, "a=b", kNull},
        {"a=b", "", 1, 0, "a=b", kNull},
        {longToken.c_str(), "=", 1, 0, std::string(499, 't'), kNull},
    };
    TestIni ini;
    for (const TokenRow& row : rows) {
        std::vector<char> text(row.text, row.text + std::strlen(row.text) + 1);
        std::vector<char> delimiters;
        if (row.delimiters) delimiters.assign(row.delimiters, row.delimiters + std::strlen(row.delimiters) + 1);
        char token[CINIFile::kNameBufferBytes] = "#";
        char sentinel = 0;
        CINIFile::CINIFilePointer pointer{&sentinel};
        const int result =
            ini.GetToken(text.data(), token, &pointer, row.delimiters ? delimiters.data() : nullptr, row.number);
        const int next = pointer.m_pszNext == &sentinel ? kUntouched
                         : pointer.m_pszNext == nullptr ? kNull
                                                        : static_cast<int>(pointer.m_pszNext - text.data());
        EXPECT_EQ(std::make_tuple(result, std::string(token), next), std::make_tuple(row.result, row.token, row.next))
            << Show(row.text) << " #" << row.number;
    }
    char token[CINIFile::kNameBufferBytes] = "#";
    char sentinel = 0;
    CINIFile::CINIFilePointer pointer{&sentinel};
    char equals[] = "=";
    EXPECT_EQ(ini.GetToken(nullptr, token, &pointer, equals, 1), 2);
    EXPECT_EQ(pointer.m_pszNext, nullptr);
    EXPECT_EQ(std::string(token), "#");
}

struct TextRow {
    std::string in;
    std::string out;
};

// Runs routine over each row's input in a buffer of size bytes.
template <class Routine>
void ExpectRows(const std::vector<TextRow>& rows, size_t size, Routine routine)
{
    for (const TextRow& row : rows) {
        std::vector<char> buffer(std::max(size, row.in.size() + 1), '#');
        std::copy(row.in.begin(), row.in.end(), buffer.begin());
        buffer[row.in.size()] = '\0';
        EXPECT_EQ(std::string(routine(buffer.data())), row.out) << Show(row.in.c_str());
    }
}

TEST(IniText, DeleteTailTable)
{
    TestIni ini;
    ExpectRows({{"a\n", "a"}, {"a\r\n", "a"}, {" a \t \r\n", " a \t"}, {"a\n\n", "a\n"}, {"a\r\r", "a\r"},
                {"a\n \n", "a\n"}, {"   ", ""}, {"", ""}, {"\n", ""}},
               0, [&](char* line) { ini.DeleteTail(line); return line; });
}

TEST(IniText, BracketsContentsTable)
{
    TestIni ini;
    char contents[CINIFile::kNameBufferBytes];
    char square[] = "[]";
    ExpectRows({{"[Main]", "Main"}, {"  [ Main ]  ", " Main "}, {"[Main] more [x]", "Main"}, {"[[Main]]", "Main"},
                {"[]", ""}, {"[[]]", ""}, {"a[b]", ""}, {"]x[y]", ""}, {"[abc", ""}, {"[ab[c]", ""}, {"[ ]", " "},
                {"[" + std::string(600, 'n') + "]", std::string(499, 'n')}},
               0, [&](char* line) { ini.BracketsContents(line, contents, square); return contents; });
    char round[] = "()";
    ExpectRows({{"(a)", "a"}, {"[a]", ""}}, 0,
               [&](char* line) { ini.BracketsContents(line, contents, round); return contents; });
}

TEST(IniText, CommentConversionTables)
{
    TestIni ini;
    std::string stored = ";";
    while (stored.size() + 3 <= 999) stored += "\\n;";
    ExpectRows({{";a;b", ";a\\n;b"}, {"\n;x", "\n\\n;x"}, {";a\nb\n", ";a\\nb\\n"}, {"abc", "abc"}, {"", ""},
                {"a\\b", "a\\b"}, {std::string(1500, ';'), stored}},
               0, [&](char* text) { return ini.ReplaceFrom0xD_0xA(text); });
    ExpectRows({{";a\\n;b", ";a \n;b"}, {"\\n;b", "\\n;b"}, {";a\\n", ";a \n"}, {"x\\\\n", "x\\ \n"}, {";a\\", ";a\\"},
                {";a\\n\\n;b", ";a \n \n;b"}},
               0, [&](char* text) { ini.ReplaceTo0xD_0xA(text); return text; });
}

}  // namespace
