// The eighteen character classifiers over every byte value, and
// ParseValues over the value-list forms in tests/data/files/values.txt.
#include <filekit/TextFile.h>

#include "support/Script.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Range(int first, int last)
{
    std::string bytes;
    for (int b = first; b <= last; ++b) bytes += static_cast<char>(b);
    return bytes;
}

TEST(CharClasses, EveryByteValue)
{
    using C = CTextFile;
    const struct {
        bool (*classify)(char);
        std::string members;  // in ascending byte order
    } rows[] = {
        {C::chartype_symbol, "-.0123456789:" + Range('A', 'Z') + "_" + Range('a', 'z')},
        {C::chartype_digit, "0123456789"},
        {C::chartype_whitespace, " "},
        {C::chartype_space, Range(0x01, 0x20)},
        {C::chartype_spacespecial, Range(0x01, 0x09) + Range(0x0B, 0x0C) + Range(0x0E, 0x20)},
        {C::chartype_enter, "\r"},
        {C::chartype_linefeed, "\n"},
        {C::chartype_dot, "."},
        {C::chartype_leftenter, "<"},
        {C::chartype_rightleave, ">"},
        {C::chartype_close, "/"},
        {C::chartype_equals, "="},
        {C::chartype_special, "!"},
        {C::chartype_pi, "?"},
        {C::chartype_dash, "-"},
        {C::chartype_quote, "\"'"},
        {C::chartype_lbracket, "["},
        {C::chartype_rbracket, "]"},
    };
    int row = 0;
    for (const auto& r : rows) {
        std::string members;
        for (int b = 0; b < 256; ++b) {
            if (r.classify(static_cast<char>(b))) members += static_cast<char>(b);
        }
        EXPECT_EQ(members, r.members) << "row " << row++;
    }
}

// The text of a value as the case files write it.
std::string Text(const char* value) { return *value ? filekit_test::Escape(value) : ""; }

TEST(ParseValues, SplitsValueLists)
{
    for (const filekit_test::ScriptLine& line : filekit_test::ReadScript("files", "values.txt")) {
        const std::vector<std::string> w = filekit_test::Words(line.text);
        const std::string bytes = filekit_test::Unescape(w[0]);
        const CString text(bytes.data(), static_cast<int>(bytes.size())), before = text;
        CStringArray values;
        values.Add("old");
        const char* end = CTextFile::ParseValues(text, values, filekit_test::Unescape(w[1])[0]);
        std::string result = end ? "@" + std::to_string(end - text.GetString()) : "NULL";
        for (int i = 0; i < values.GetSize(); ++i) result += " <" + Text(values[i]) + ">";
        EXPECT_EQ(result + (text == before ? "" : " (text changed)"), line.expected) << line.where;
    }
}

}  // namespace
