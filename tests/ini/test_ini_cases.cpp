// SPDX-License-Identifier: MIT
// The INI family's cases, one file each under tests/data/ini: an input
// file, a script of calls on a CINIFile, and the model and saved text the
// object ends with. Every input is read as written and, unless it holds a
// CR already, again with CR LF line ends, which must give the same model,
// saved with the input's line end.
#include <filekit/INIFile.h>

#include "support/Cases.h"

namespace {

using namespace filekit_test;

struct TestIni : CINIFile {
    using CINIFile::BracketsContents, CINIFile::DeleteTail, CINIFile::GetToken, CINIFile::ReadFile,
        CINIFile::ReplaceFrom0xD_0xA, CINIFile::ReplaceTo0xD_0xA;
};

// One script step on ini; the printed result.
std::string Do(TestIni& ini, const TempDir& dir, const std::string& op, std::vector<std::string> a)
{
    const auto n = [&](size_t i) { return std::stoi(a[i]); };
    const auto t = [&](size_t i) { return CString(a[i].data(), static_cast<int>(a[i].size())); };
    const auto r = [](long long result) { return std::to_string(result); };
    const auto path = [&] { return PathIn(dir, "t.ini", a[0]); };
    int index = -7;  // an index output left alone prints -7
    int* const out = a.empty() || a.back() != "&" ? nullptr : &index;
    const auto indexed = [&](int result) { return r(result) + (out ? " " + r(index) : ""); };
    CString name = "n", value = "v", comment = "c";  // string outputs left alone print these
    const auto key = [&](int result, bool named = false) {  // with the outputs the call filled in
        return r(result) + (named ? " " + Bytes(name) : "") + " " + Bytes(value) + " " + Bytes(comment);
    };
    char token[CINIFile::kNameBufferBytes] = "#", sentinel = 0;  // a token left alone prints #
    CINIFile::CINIFilePointer pointer{&sentinel};  // a next pointer left alone prints "kept"
    const char* const& next = pointer.m_pszNext;

    if (op == "Open") return r(a.empty() ? ini.Open() : ini.Open(path().c_str()));
    if (op == "ReadFile") return r(ini.ReadFile(path().c_str()));
    if (op == "Save") return r(ini.Save(path().c_str()));
    if (op == "Close") return r(ini.Close());
    if (op == "File") return ReadBytes(path());  // the bytes a file holds
    if (op == "IsOpen") return r(ini.IsOpen());
    if (op == "Empty") return ini.Empty(), "";
    if (op == "GetFile") return std::string(ini.GetFile()) == dir.Path("t.ini") ? "@" : Bytes(ini.GetFile());
    if (op == "GetSectionCount") return r(ini.GetSectionCount());
    if (op == "GetIndexForSection") return r(ini.GetIndexForSection(t(0)));
    if (op == "GetIndexForKey") return r(ini.GetIndexForKey(t(0), t(1)));
    if (op == "AddNewSection" && a.size() == 2) return indexed(ini.AddNewSection(t(0), out));
    if (op == "AddNewSection") return indexed(ini.AddNewSection(t(0), t(1), out));
    if (op == "AddNewKey" && a.size() == 4) return indexed(ini.AddNewKey(t(0), t(1), t(2), out));
    if (op == "AddNewKey") return indexed(ini.AddNewKey(t(0), t(1), t(2), t(3), out));
    if (op == "DeleteSection") return r(ini.DeleteSection(t(0)));
    if (op == "DeleteKey") return r(ini.DeleteKey(t(0), t(1)));
    if (op == "UpdateSection") return r(ini.UpdateSection(t(0), t(1), t(2)));
    if (op == "UpdateKey") return r(ini.UpdateKey(t(0), t(1), t(2), t(3), t(4)));
    if (op == "GetKeyData") return key(ini.GetKeyData(t(0), t(1), value, comment));
    // The section found, as its index, or "null".
    const auto where = [&](const CINIFile::CINIFileSection* found) {
        for (int i = 0; i < ini.GetSectionCount(); ++i)
            if (ini.GetSection(i) == found) return r(i);
        return std::string("null");
    };
    if (op == "GetSectionAt") return where(ini.GetSection(n(0)));
    if (op == "GetSection") return where(ini.GetSection(t(0)));
    // Section operations: the section the first argument indexes (none for the other operations).
    CINIFile::CINIFileSection* section = ini.GetSection(op.compare(0, 8, "Section.") == 0 ? n(0) : -1);
    if (op == "Section.GetKeyCount") return r(section->GetKeyCount());
    if (op == "Section.GetIndexForKey") return r(section->GetIndexForKey(t(1)));
    if (op == "Section.GetKeyAt") return key(section->GetKey(n(1), name, value, comment), true);
    if (op == "Section.GetKey") return key(section->GetKey(t(1), value, comment));
    // The protected text routines, on the first argument (GetToken: the
    // next pointer as an offset into the text, "null" or "kept").
    if (op == "GetToken") {
        const int result = ini.GetToken(a[0] == "~" ? nullptr : a[0].data(), token, &pointer,
                                        a[1] == "~" ? nullptr : a[1].data(), n(2));
        return r(result) + " " + token + " " + (next == &sentinel ? "kept" : next ? r(next - a[0].data()) : "null");
    }
    if (op == "DeleteTail") return ini.DeleteTail(a[0].data()), std::string(a[0].c_str());
    if (op == "ReplaceFrom0xD_0xA") return ini.ReplaceFrom0xD_0xA(a[0].data());
    if (op == "ReplaceTo0xD_0xA") return ini.ReplaceTo0xD_0xA(a[0].data()), std::string(a[0].c_str());
    if (op == "BracketsContents") return ini.BracketsContents(a[0].data(), token, a[1].data()), token;
    return "unknown operation " + op;
}

class IniCase : public testing::TestWithParam<std::string> {};

TEST_P(IniCase, Runs)
{
    const CaseFile test("ini", GetParam());
    for (const char* lineEnd : {"\n", "\r\n"}) {
        SCOPED_TRACE(lineEnd);
        TempDir dir;
        if (test.Has("input")) WriteBytes(dir.Path("t.ini"), WithLineEnds(test["input"], lineEnd));
        TestIni ini;
        RunLines(ScriptLines(GetParam(), test.sections.at("script")),
                 [&](const std::string& op, const Args& a) { return Do(ini, dir, op, a); });
        EXPECT_EQ(test.Has("model") ? Dump(ini) : "", test["model"]);
        if (test.Has("saved")) {
            ASSERT_EQ(ini.Save(dir.Path("saved.ini").c_str()), 1);
            EXPECT_EQ(ReadBytes(dir.Path("saved.ini")),
                      test.Has("input") ? WithLineEnds(test["saved"], lineEnd) : StoredText(test["saved"]));
        }
        if (!test.Has("input") || test["input"].find('\r') != std::string::npos) break;
    }
}

INSTANTIATE_TEST_SUITE_P(Data, IniCase, testing::ValuesIn(DataFiles("ini")), CaseName);

}  // namespace
