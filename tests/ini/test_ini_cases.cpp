// The INI family's cases, one file each under tests/data/ini: an input
// file, a script of calls on a CINIFile, and the model and saved text the
// object ends with. Every input is read as written and again with CR LF
// line ends, which must give the same model, saved with the input's line end.
#include <filekit/INIFile.h>

#include "ini/CaseFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace filekit_test;

class TestIni : public CINIFile {
public:
    using CINIFile::BracketsContents, CINIFile::DeleteTail, CINIFile::GetToken, CINIFile::ReadFile,
        CINIFile::ReplaceFrom0xD_0xA, CINIFile::ReplaceTo0xD_0xA;
};

std::string Show(const CString& text)
{
    return filekit_test::Show(std::string(text.GetString(), static_cast<size_t>(text.GetLength())));
}

// One line per section ("S<state> [name] {comment}") followed by one line
// per key ("K<state> name=value {comment}"), deleted items included.
std::string Dump(CINIFile& ini)
{
    std::string dump;
    for (int i = 0; i < ini.GetSectionCount(); ++i) {
        const CINIFile::CINIFileSection* section = ini.GetSection(i);
        dump += "S" + std::to_string(section->m_nState) + " [" + Show(section->m_strName) + "] {" +
                Show(section->m_strComment) + "}\n";
        for (int k = 0; k < section->m_arrKeys.GetSize(); ++k) {
            const CINIFile::CINIFileKey& key = section->m_arrKeys.GetAt(k);
            dump += "K" + std::to_string(key.m_nState) + " " + Show(key.m_strName) + "=" + Show(key.m_strValue) + " {" +
                    Show(key.m_strComment) + "}\n";
        }
    }
    return dump;
}

CString Text(const std::string& bytes) { return CString(bytes.data(), static_cast<int>(bytes.size())); }

std::string Joined(std::initializer_list<std::string> parts)
{
    std::string joined;
    for (const std::string& part : parts) joined += (joined.empty() ? "" : " ") + part;
    return joined;
}

// GetToken's result, token ("#" when untouched) and next pointer: an offset
// into the text, "null", or "kept" when left alone.
std::string Token(TestIni& ini, const std::vector<std::string>& a)
{
    std::vector<char> text(a[0].begin(), a[0].end()), delimiters(a[1].begin(), a[1].end());
    text.push_back('\0');
    delimiters.push_back('\0');
    char token[CINIFile::kNameBufferBytes] = "#", sentinel = 0;
    CINIFile::CINIFilePointer pointer{&sentinel};
    const int result = ini.GetToken(a[0] == "~" ? nullptr : text.data(), token, &pointer,
                                    a[1] == "~" ? nullptr : delimiters.data(), std::stoi(a[2]));
    const std::string next = pointer.m_pszNext == &sentinel ? "kept"
                             : pointer.m_pszNext == nullptr ? "null"
                                                            : std::to_string(pointer.m_pszNext - text.data());
    return Joined({std::to_string(result), Show(token), next});
}

// One script step on ini; the printed result.
std::string Do(TestIni& ini, const TempDir& dir, const Step& step)
{
    const std::string& op = step.op;
    const std::vector<std::string>& a = step.args;
    const auto n = [&](size_t i) { return std::stoi(a[i]); };
    const auto r = [](int result) { return std::to_string(result); };
    int index = -7;  // an index output left alone prints -7
    int* const out = a.empty() || a.back() != "&" ? nullptr : &index;
    const auto indexed = [&](int result) { return out ? Joined({r(result), r(index)}) : r(result); };
    CString name = "n", value = "v", comment = "c";  // string outputs left alone print these
    std::vector<char> buffer(a.empty() ? 1 : a[0].size() + 1, '\0');
    if (!a.empty()) std::memcpy(buffer.data(), a[0].data(), a[0].size());

    if (op == "Open") return r(a.empty() ? ini.Open() : ini.Open(PathIn(dir, "t.ini", a[0]).c_str()));
    if (op == "ReadFile") return r(ini.ReadFile(PathIn(dir, "t.ini", a[0]).c_str()));
    if (op == "Save") return r(ini.Save(PathIn(dir, "t.ini", a[0]).c_str()));
    if (op == "Close") return r(ini.Close());
    if (op == "IsOpen") return r(ini.IsOpen());
    if (op == "Empty") return ini.Empty(), "";
    if (op == "GetFile") return std::string(ini.GetFile()) == dir.Path("t.ini") ? "@" : Show(ini.GetFile());
    if (op == "GetSectionCount") return r(ini.GetSectionCount());
    if (op == "GetIndexForSection") return r(ini.GetIndexForSection(Text(a[0])));
    if (op == "GetIndexForKey") return r(ini.GetIndexForKey(Text(a[0]), Text(a[1])));
    if (op == "AddNewSection" && a.size() == 2) return indexed(ini.AddNewSection(Text(a[0]), out));
    if (op == "AddNewSection") return indexed(ini.AddNewSection(Text(a[0]), Text(a[1]), out));
    if (op == "AddNewKey" && a.size() == 4) return indexed(ini.AddNewKey(Text(a[0]), Text(a[1]), Text(a[2]), out));
    if (op == "AddNewKey") return indexed(ini.AddNewKey(Text(a[0]), Text(a[1]), Text(a[2]), Text(a[3]), out));
    if (op == "DeleteSection") return r(ini.DeleteSection(Text(a[0])));
    if (op == "DeleteKey") return r(ini.DeleteKey(Text(a[0]), Text(a[1])));
    if (op == "UpdateSection") return r(ini.UpdateSection(Text(a[0]), Text(a[1]), Text(a[2])));
    if (op == "UpdateKey") return r(ini.UpdateKey(Text(a[0]), Text(a[1]), Text(a[2]), Text(a[3]), Text(a[4])));
    if (op == "GetKeyData")
        return Joined({r(ini.GetKeyData(Text(a[0]), Text(a[1]), value, comment)), Show(value), Show(comment)});
    // The section found, as its index, or "null".
    const auto where = [&](const CINIFile::CINIFileSection* found) {
        for (int i = 0; i < ini.GetSectionCount(); ++i)
            if (ini.GetSection(i) == found) return r(i);
        return std::string("null");
    };
    if (op == "GetSectionAt") return where(ini.GetSection(n(0)));
    if (op == "GetSection") return where(ini.GetSection(Text(a[0])));
    // Section operations: the first argument is the section's index.
    CINIFile::CINIFileSection* section = op.compare(0, 8, "Section.") == 0 ? ini.GetSection(n(0)) : nullptr;
    if (op == "Section.GetKeyCount") return r(section->GetKeyCount());
    if (op == "Section.GetIndexForKey") return r(section->GetIndexForKey(Text(a[1])));
    if (op == "Section.GetKeyAt")
        return Joined({r(section->GetKey(n(1), name, value, comment)), Show(name), Show(value), Show(comment)});
    if (op == "Section.GetKey")
        return Joined({r(section->GetKey(Text(a[1]), value, comment)), Show(value), Show(comment)});
    // The protected text routines, on a copy of the first argument.
    if (op == "GetToken") return Token(ini, a);
    if (op == "DeleteTail") return ini.DeleteTail(buffer.data()), Show(buffer.data());
    if (op == "ReplaceFrom0xD_0xA") return Show(ini.ReplaceFrom0xD_0xA(buffer.data()));
    if (op == "ReplaceTo0xD_0xA") return ini.ReplaceTo0xD_0xA(buffer.data()), Show(buffer.data());
    if (op == "BracketsContents") {
        char contents[CINIFile::kNameBufferBytes] = "#";
        std::string brackets = a[1];
        ini.BracketsContents(buffer.data(), contents, brackets.data());
        return Show(contents);
    }
    return "unknown operation " + op;
}

class IniCase : public testing::TestWithParam<std::string> {};

TEST_P(IniCase, Runs)
{
    const CaseFile test(GetParam());
    for (const bool crlf : {false, true}) {
        SCOPED_TRACE(crlf ? "CR LF" : "LF");
        TempDir dir;
        // Every input is read with LF and with CR LF line ends; a model read
        // from it is saved with the same line end.
        const auto withLineEnds = [crlf](const std::string& text) {
            std::string out;
            for (const char c : text) out += crlf && c == '\n' ? std::string("\r\n") : std::string(1, c);
            return out;
        };
        if (test.Has("input")) WriteBytes(dir.Path("t.ini"), withLineEnds(test["input"]));
        TestIni ini;
        const std::vector<std::string> script =
            test.Has("script") ? test.Lines("script") : std::vector<std::string>{"Open @ -> 1"};
        RunScript(script, [&](const Step& step) { return Do(ini, dir, step); });
        if (test.Has("model")) {
            EXPECT_EQ(Dump(ini), test["model"]);
        }
        if (test.Has("saved")) {
            ASSERT_EQ(ini.Save(dir.Path("saved.ini").c_str()), 1);
            const std::string saved = test["saved"];
            EXPECT_EQ(ReadBytes(dir.Path("saved.ini")), test.Has("input") ? withLineEnds(saved) : StoredText(saved));
        }
        if (!test.Has("input")) break;
    }
}

INSTANTIATE_TEST_SUITE_P(Data, IniCase, testing::ValuesIn(CaseFiles("ini")), CaseName);

}  // namespace
