// The multibyte helpers: exact and folded comparison, ASCII-only classes.
#include "platform/MbString.h"

#include <gtest/gtest.h>

namespace {

int Sign(int v) { return (v > 0) - (v < 0); }

TEST(MbString, ComparisonTable)
{
    struct Row {
        const char* a;
        const char* b;
        int exact;
        int folded;
    };
    const Row rows[] = {
        {"Main", "Main", 0, 0},   {"Main", "main", -1, 0}, {"KEY", "key", -1, 0}, {"a", "b", -1, -1},
        {"B", "a", -1, 1},        {"", "", 0, 0},          {"", "x", -1, -1},     {"\x80", "\x7f", 1, 1},
        {"\xc4", "\xe4", -1, -1}, {"[", "{", -1, -1},      {"_", "a", -1, -1},    {"Z", "_", -1, 1},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(Sign(filekit::_mbscmp(r.a, r.b)), r.exact) << r.a << " / " << r.b;
        EXPECT_EQ(Sign(filekit::_mbsicmp(r.a, r.b)), r.folded) << r.a << " / " << r.b;
    }
}

TEST(MbString, ClassesCoverAsciiLettersAndDigitsOnly)
{
    for (int c = -128; c < 256; ++c) {
        const bool digit = c >= '0' && c <= '9';
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const auto value = static_cast<unsigned int>(c);  // a sign-widened char as the classes see it
        EXPECT_EQ(filekit::_ismbcdigit(value) != 0, digit) << c;
        EXPECT_EQ(filekit::_ismbcalnum(value) != 0, digit || letter) << c;
    }
}

}  // namespace
