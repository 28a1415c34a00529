// The framework's strings and arrays, and the multibyte helpers under them:
// byte-exact content, unsigned and ASCII-folded comparison, growth with
// gaps, removal out of range.
#include <filekit/Framework.h>

#include "platform/MbString.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Bytes(const CString& s) { return std::string(s.GetString(), static_cast<size_t>(s.GetLength())); }
int Sign(int v) { return (v > 0) - (v < 0); }

TEST(CString, ConstructionAppendAndBuffers)
{
    EXPECT_EQ(Bytes(CString()) + Bytes(CString(static_cast<const char*>(nullptr))) + Bytes(CString("abc", 0)) +
                  Bytes(CString("abc", -4)) + Bytes(CString('x', 0)) + "|" + Bytes(CString('x', 3)) +
                  Bytes(CString("\xfe\xff\x80")),
              "|xxx\xfe\xff\x80");
    CString s("ab");
    s += CString("c");
    s += "d";
    s += 'e';
    s += static_cast<const char*>(nullptr);
    EXPECT_EQ(Bytes('<' + s + "" + 'z' + '>'), "<abcdez>");
    EXPECT_EQ(Bytes("pre" + CString("a\0", 2) + CString("b")), std::string("prea\0b", 6));

    s = "hello";
    s.SetAt(0, 'j');
    EXPECT_EQ(std::string(1, s.GetAt(1)) + s[4] + Bytes(s), "eojello");
    s = 'q';
    CString moved(std::move(s));
    moved.Empty();
    EXPECT_TRUE(moved.IsEmpty());

    s = "abc";
    std::memcpy(s.GetBuffer(10), "wxyz", 5);  // with its terminating zero
    s.ReleaseBuffer();
    EXPECT_EQ(Bytes(s), "wxyz");
    EXPECT_EQ(std::string(s.GetBuffer(2)), "wxyz");  // never shrinks below the current length
    s.ReleaseBuffer(2);
    EXPECT_EQ(Bytes(s), "wx");
    std::memcpy(s.GetBufferSetLength(5), "12345", 5);  // NOLINT(bugprone-not-null-terminated-result)
    s.ReleaseBuffer(99);  // a length past the buffer ends at the first zero byte
    EXPECT_EQ(Bytes(s), "12345");
}

TEST(CString, ComparisonTable)
{
    const struct {
        const char *a, *b;
        int exact, folded;
    } rows[] = {
        {"abc", "abc", 0, 0},   {"abc", "abd", -1, -1},   {"ab", "abc", -1, -1},   {"", "", 0, 0},
        {"", "a", -1, -1},      {"B", "a", -1, 1},        {"Main", "main", -1, 0}, {"a[", "A[", 1, 0},
        {"\x80", "\x7f", 1, 1}, {"\xc4", "\xe4", -1, -1}, {"\xff", "z", 1, 1},     {"Z", "_", -1, 1},
    };
    for (const auto& r : rows) {
        const CString a(r.a);
        EXPECT_EQ(std::to_string(Sign(a.Compare(r.b))) + std::to_string(Sign(filekit::_mbscmp(r.a, r.b))) +
                      std::to_string(Sign(a.CompareNoCase(r.b))) + std::to_string(Sign(filekit::_mbsicmp(r.a, r.b))),
                  std::to_string(r.exact) + std::to_string(r.exact) + std::to_string(r.folded) +
                      std::to_string(r.folded))
            << r.a << " / " << r.b;
        EXPECT_EQ(std::to_string(a == r.b) + std::to_string(a == CString(r.b)) + std::to_string(a < CString(r.b)) +
                      std::to_string(r.a < CString(r.b)),
                  std::to_string(r.exact == 0) + std::to_string(r.exact == 0) + std::to_string(r.exact < 0) +
                      std::to_string(r.exact < 0))
            << r.a << " / " << r.b;
    }
    // Zero bytes count between two strings; a C string ends at its terminator.
    const CString withZero("a\0b", 3);
    EXPECT_TRUE(withZero != CString("a") && withZero == CString("a\0b", 3) && CString("a") < withZero);
    EXPECT_TRUE(withZero != "a" && withZero.Compare("a") > 0);
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

template <class Array>
std::vector<int> Ints(const Array& a)
{
    std::vector<int> out;
    out.reserve(static_cast<size_t>(a.GetSize()));
    for (int i = 0; i < a.GetSize(); ++i) out.push_back(a[i]);
    return out;
}

TEST(CArray, InsertAndRemoveTables)
{
    const struct {
        std::vector<int> before;
        int index, value, count;
        std::vector<int> after;
    } inserts[] = {
        {{}, 0, 5, 1, {5}},
        {{1, 2}, 1, 9, 1, {1, 9, 2}},
        {{1, 2}, 0, 9, 2, {9, 9, 1, 2}},
        {{1}, 4, 9, 2, {1, 0, 0, 0, 9, 9}},  // past the end: default entries fill the gap
        {{1, 2}, -1, 9, 1, {1, 2}},  // nothing happens for a negative index or count 0
        {{1, 2}, 1, 9, 0, {1, 2}},
    };
    for (const auto& r : inserts) {
        CArray<int, int> a;
        for (int v : r.before) a.Add(v);
        a.InsertAt(r.index, r.value, r.count);
        EXPECT_EQ(Ints(a), r.after) << "insert at " << r.index;
    }
    const struct {
        int index, count;
        std::vector<int> after;
    } removals[] = {
        {0, 1, {2, 3, 4}},    {1, 2, {1, 4}},        {2, 99, {1, 2}},
        {4, 1, {1, 2, 3, 4}}, {-1, 1, {1, 2, 3, 4}}, {1, 0, {1, 2, 3, 4}},
    };
    for (const auto& r : removals) {
        CArray<int, int> a;
        for (int v : {1, 2, 3, 4}) EXPECT_EQ(a.Add(v), v - 1);
        a.RemoveAt(r.index, r.count);
        EXPECT_EQ(Ints(a), r.after) << "remove at " << r.index << " count " << r.count;
    }
}

TEST(CArray, GrowShrinkAndPointerGaps)
{
    CArray<int, int> a;
    a.SetAtGrow(2, 5);
    a.SetAt(0, 1);
    a.ElementAt(1) = 2;
    a.SetSize(5);
    EXPECT_EQ(Ints(a), (std::vector<int>{1, 2, 5, 0, 0}));
    EXPECT_EQ(a.GetCount() + a.GetUpperBound(), 9);
    a.SetSize(0);
    EXPECT_TRUE(a.IsEmpty());

    int value = 1;
    CPtrArray p;
    p.InsertAt(2, &value);
    EXPECT_EQ(std::vector<void*>({p[0], p[1], p[2]}), std::vector<void*>({nullptr, nullptr, &value}));
    p.RemoveAll();  // does not touch the pointee
    EXPECT_EQ(p.GetSize() + value, 1);
    CObArray o;
    o.SetAtGrow(1, nullptr);
    EXPECT_EQ(o.GetSize(), 2);
}

TEST(CStringArray, HoldsCopiesAndInsertsOwnElementsSafely)
{
    CStringArray a;
    CString s("first");
    a.Add(s);
    s = "changed";
    for (int i = 0; i < 40; ++i) a.InsertAt(0, a[a.GetUpperBound()]);  // forces reallocations
    a.SetAt(1, "second");
    std::string all;
    for (int i = 0; i < a.GetSize(); ++i) all += std::string(a.GetAt(i)) + " ";
    std::string expected = "first second ";
    for (int i = 2; i < 41; ++i) expected += "first ";
    EXPECT_EQ(all, expected);
}

}  // namespace
