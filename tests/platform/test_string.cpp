// CString: bytes in, bytes out, byte-wise comparison.
#include <filekit/Framework.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Bytes(const CString& s) { return std::string(s.GetString(), static_cast<size_t>(s.GetLength())); }

TEST(CString, ConstructionKeepsEveryByte)
{
    EXPECT_EQ(Bytes(CString()), "");
    EXPECT_EQ(Bytes(CString(static_cast<const char*>(nullptr))), "");
    EXPECT_EQ(Bytes(CString("abc")), "abc");
    EXPECT_EQ(Bytes(CString("a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(Bytes(CString("abc", 0)), "");
    EXPECT_EQ(Bytes(CString("abc", -4)), "");
    EXPECT_EQ(Bytes(CString('x', 3)), "xxx");
    EXPECT_EQ(Bytes(CString('x', 0)), "");
    EXPECT_EQ(Bytes(CString("\xfe\xff\x80")), "\xfe\xff\x80");
}

TEST(CString, ZeroBytesCountInComparisonsBetweenStrings)
{
    const CString withZero("a\0b", 3);
    EXPECT_EQ(withZero.GetLength(), 3);
    EXPECT_NE(withZero, CString("a"));
    EXPECT_EQ(withZero, CString("a\0b", 3));
    EXPECT_TRUE(CString("a") < withZero);
    // Against a C string only the bytes up to its terminator exist.
    EXPECT_NE(withZero, "a");
    EXPECT_GT(withZero.Compare("a"), 0);
}

TEST(CString, ComparesBytesAsUnsigned)
{
    struct Row {
        const char* a;
        const char* b;
        int sign;
    };
    const Row rows[] = {
        {"abc", "abc", 0}, {"abc", "abd", -1},  {"abd", "abc", 1}, {"ab", "abc", -1},    {"", "", 0},
        {"", "a", -1},     {"\x80", "\x7f", 1}, {"\xff", "a", 1},  {"Main", "main", -1},
    };
    for (const Row& r : rows) {
        const int got = CString(r.a).Compare(r.b);
        EXPECT_EQ((got > 0) - (got < 0), r.sign) << r.a << " vs " << r.b;
        EXPECT_EQ(CString(r.a) == r.b, r.sign == 0);
        EXPECT_EQ(CString(r.a) == CString(r.b), r.sign == 0);
        EXPECT_EQ(CString(r.a) < CString(r.b), r.sign < 0);
        EXPECT_EQ(r.a < CString(r.b), r.sign < 0);
    }
}

TEST(CString, CompareNoCaseFoldsAsciiLettersOnly)
{
    EXPECT_EQ(CString("MAIN").CompareNoCase("main"), 0);
    EXPECT_EQ(CString("a[").CompareNoCase("A["), 0);
    EXPECT_NE(CString("\xc4").CompareNoCase("\xe4"), 0);  // no folding beyond ASCII
    EXPECT_LT(CString("a").CompareNoCase("B"), 0);
    EXPECT_GT(CString("\x80").CompareNoCase("z"), 0);
}

TEST(CString, AppendAndConcatenate)
{
    CString s("ab");
    s += CString("c");
    s += "d";
    s += 'e';
    s += static_cast<const char*>(nullptr);
    EXPECT_EQ(s, "abcde");
    EXPECT_EQ(CString("x") + "y" + 'z' + CString("!"), "xyz!");
    EXPECT_EQ('<' + CString("p") + '>', "<p>");
    EXPECT_EQ("pre" + CString("fix"), "prefix");
    EXPECT_EQ(Bytes(CString("a\0", 2) + CString("b")), std::string("a\0b", 3));
}

TEST(CString, AssignmentAndAccess)
{
    CString s;
    s = "hello";
    EXPECT_EQ(s.GetAt(1), 'e');
    EXPECT_EQ(s[4], 'o');
    s.SetAt(0, 'j');
    EXPECT_EQ(s, "jello");
    s = 'q';
    EXPECT_EQ(s, "q");
    s = static_cast<const char*>(nullptr);
    EXPECT_TRUE(s.IsEmpty());
    CString moved(std::move(s));
    EXPECT_TRUE(moved.IsEmpty());
    moved = "x";
    moved.Empty();
    EXPECT_EQ(moved.GetLength(), 0);
}

TEST(CString, BufferAccess)
{
    CString s("abc");
    char* p = s.GetBuffer(10);
    std::strcpy(p, "wxyz");
    s.ReleaseBuffer();
    EXPECT_EQ(Bytes(s), "wxyz");

    p = s.GetBuffer(2);  // never shrinks below the current length
    EXPECT_EQ(std::string(p), "wxyz");
    s.ReleaseBuffer(2);
    EXPECT_EQ(Bytes(s), "wx");

    p = s.GetBufferSetLength(5);
    std::memcpy(p, "12345", 5);
    EXPECT_EQ(Bytes(s), "12345");
    s.ReleaseBuffer(99);  // a length past the buffer ends at the first zero byte
    EXPECT_EQ(Bytes(s), "12345");
}

}  // namespace
