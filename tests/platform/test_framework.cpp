// SPDX-License-Identifier: MIT
// The framework's strings and arrays, and the multibyte comparisons under
// them: byte-exact content, unsigned and ASCII-folded comparison, growth
// with gaps, removal out of range. The multibyte character classes are
// covered through the classifiers built on them (files/scripts/classes.txt).
#include <filekit/Framework.h>

#include "platform/MbString.h"
#include "support/Script.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace filekit_test;

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
    EXPECT_EQ(Bytes('<' + s + "" + 'z' + '>') + Bytes("pre" + CString("a\0", 2) + CString("b")),
              std::string("<abcdez>prea\0b", 14));

    s = "hello";
    s.SetAt(0, 'j');
    EXPECT_EQ(std::string(1, s.GetAt(1)) + s[4] + Bytes(s), "eojello");
    s = 'q';
    CString moved(std::move(s));
    std::string log = Bytes(moved);
    moved.Empty();
    log += std::to_string(moved.IsEmpty()) + Bytes(moved) + " ";

    s = "abc";
    std::memcpy(s.GetBuffer(10), "wxyz", 5);  // with its terminating zero
    s.ReleaseBuffer();
    log += Bytes(s) + " " + s.GetBuffer(2);  // the buffer never shrinks below the current length
    s.ReleaseBuffer(2);
    log += " " + Bytes(s);
    std::memcpy(s.GetBufferSetLength(5), "12345", 5);  // NOLINT(bugprone-not-null-terminated-result)
    s.ReleaseBuffer(99);  // a length past the buffer ends at the first zero byte
    log += " " + Bytes(s);
    s.ReleaseBuffer(0);
    EXPECT_EQ(log + " [" + Bytes(s) + "]", "q1 wxyz wxyz wx 12345 []");
}

// The sign every form gives, "mixed" when they disagree, "-" for none.
std::string Same(const std::vector<int>& signs)
{
    if (signs.empty()) return "-";
    const bool agree = std::count(signs.begin(), signs.end(), signs[0]) == static_cast<long>(signs.size());
    return agree ? std::to_string(signs[0]) : "mixed";
}

TEST(CString, ComparisonTable)
{
    for (const ScriptLine& line : ReadScript("framework", "compare.txt")) {
        const std::vector<std::string> w = Words(line.text);
        const std::string a = Unescape(w[0]), b = Unescape(w[1]);
        const char *ca = a.c_str(), *cb = b.c_str();
        const CString sa(ca, static_cast<int>(a.size())), sb(cb, static_cast<int>(b.size()));
        std::vector<int> exact = {(sb < sa) - (sa < sb)}, folded;
        std::vector<bool> equal = {sa == sb, !(sa != sb)};
        if (b.find('\0') == std::string::npos) {  // the forms that take b as a C string
            exact.insert(exact.end(), {Sign(sa.Compare(cb)), (cb < sa) - (sa < cb)});
            equal.insert(equal.end(), {sa == cb, cb == sa, !(sa != cb), !(cb != sa)});
            folded.push_back(Sign(sa.CompareNoCase(cb)));
        }
        if (a.find('\0') == std::string::npos && b.find('\0') == std::string::npos) {
            exact.insert(exact.end(), {Sign(filekit::_mbscmp(ca, cb)), (sb < ca) - (ca < sb)});
            folded.push_back(Sign(filekit::_mbsicmp(ca, cb)));
        }
        const bool agree = std::count(equal.begin(), equal.end(), exact[0] == 0) == static_cast<long>(equal.size());
        EXPECT_EQ(Same(exact) + " " + Same(folded) + (agree ? "" : " (== disagrees)"), line.expected) << line.where;
    }
}

// The entries separated by commas, "_" for an empty one, "-" for none.
std::string Entries(const CStringArray& a)
{
    std::string text;
    for (int i = 0; i < a.GetSize(); ++i) text += (i ? "," : "") + (a.GetAt(i).IsEmpty() ? "_" : Bytes(a.GetAt(i)));
    return text.empty() ? "-" : text;
}

TEST(CArray, ChangeTable)
{
    for (const ScriptLine& line : ReadScript("framework", "arrays.txt")) {
        const std::vector<std::string> w = Words(line.text);
        std::string before = w[0] == "-" ? "" : w[0];
        std::replace(before.begin(), before.end(), ',', ' ');
        CStringArray a;
        for (const std::string& entry : Words(before)) a.Add(entry.c_str());
        const int index = std::stoi(w.size() > 3 ? w[3] : w[2]);
        const CString given = w.size() > 5 ? w[5].c_str() : "";  // "own J" passes the array's own entry J
        const CString& value = w.size() > 5 && w[4] == "own" ? a[std::stoi(w[5])] : given;
        if (w[1] == "insert") a.InsertAt(index, value, std::stoi(w[7]));
        if (w[1] == "remove") a.RemoveAt(index, std::stoi(w[5]));
        if (w[1] == "setatgrow") a.SetAtGrow(index, value);
        if (w[1] == "setat") a.SetAt(index, value);
        if (w[1] == "setsize") a.SetSize(index);
        EXPECT_EQ(a.GetUpperBound() + 1, a.GetCount()) << line.where;
        EXPECT_EQ(Entries(a), line.expected) << line.where;
    }
}

}  // namespace
