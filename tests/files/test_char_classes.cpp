// The eighteen character classifiers over every byte value, and
// ParseValues over the value-list forms it must split.
#include <filekit/TextFile.h>

#include <gtest/gtest.h>

#include <string>

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

// The values ParseValues appends behind one existing entry, and where the
// returned pointer stands ("NULL", or its offset in the text).
std::string Split(const CString& text, char separator)
{
    CStringArray values;
    values.Add("old");
    const char* end = CTextFile::ParseValues(text, values, separator);
    std::string line = end ? "@" + std::to_string(end - text.GetString()) : "NULL";
    for (int i = 0; i < values.GetSize(); ++i) line += std::string(" <") + values[i].GetString() + ">";
    return line;
}

TEST(ParseValues, SplitsValueLists)
{
    const struct {
        CString text;
        char separator;
        std::string expected;
    } rows[] = {
        {"", ',', "NULL <old>"},
        {"   ", ',', "@3 <old>"},
        {"a,b,c", ',', "@5 <old> <a> <b> <c>"},
        {"a,,b", ',', "@4 <old> <a> <> <b>"},
        {"a, ", ',', "@3 <old> <a>"},
        {"a , b", ',', "@5 <old> <a > <b>"},  // trailing blanks stay, leading ones go
        {"\t\r\n a\x01,b", ',', "@8 <old> <a\x01> <b>"},
        {"x,\"y,z\",[p,q]", ',', "@13 <old> <x> <y,z> <p,q>"},
        {"\"ab\"cd,e", ',', "@8 <old> <ab> <e>"},  // text after the closing quote is dropped
        {"\"a,b", ',', "@4 <old> <a,b>"},
        {"[a,b", ',', "@4 <old> <a,b>"},  // unterminated: the rest of the line
        {"a\"b\",c", ',', "@6 <old> <a\"b\"> <c>"},  // only a value's first character opens one
        {"a   b", ' ', "@5 <old> <a> <b>"},  // a run of blank separators counts as one
        {"\"a\"\"b\"", '"', "@6 <old> <a> <b>"},  // the closing quote is not the separator
        {CString("a,b\0c,d", 7), ',', "@3 <old> <a> <b>"},  // the text ends at its first zero
    };
    for (const auto& r : rows) {
        const CString before = r.text;
        EXPECT_EQ(Split(r.text, r.separator) + (r.text == before ? "" : " (text changed)"), r.expected)
            << r.text.GetString();
    }
}

}  // namespace
