// CBinaryFile and CTextFile objects driven by the call scripts in
// tests/data/files/scripts: the Win32 steps, plus steps on named objects
// of either class (format in tests/data/README.md); CBinaryFile's
// forwarding operations, which hand the system's own results back; and
// LoadFile with StrCatGrow: chunking, zero bytes, failures part-way; the
// eighteen character classifiers over every byte value, and ParseValues
// over the value-list forms in tests/data/files/values.txt.
#include <filekit/BinaryFile.h>
#include <filekit/TextFile.h>

#include "platform/Heap.h"
#include "support/Win32Script.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <map>
#include <memory>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <type_traits>
#include <vector>

namespace {

using namespace filekit_test;

// The two classes behind one shape: opened from a script line's words,
// written with text, named.
struct BinaryProbe : CBinaryFile {
    int OpenFile(const std::vector<std::string>& w, const std::string& path)
    {
        return Open(path.c_str(), Value(w[3]), Share(w[4]), Value(w[5]), FILE_ATTRIBUTE_NORMAL);
    }
    int Write(const std::string& text) { return WriteFile(CString(text.c_str())); }
    const CString& Name() const { return m_strFile; }
};

// A CTextFile whose hooks answer as a script sets them: LoadData records
// what it saw (with recordLoad), SaveData is counted, WriteString call
// number failWrite (counted from 0) fails.
struct TextProbe : CTextFile {
    using CTextFile::StrCatGrow;
    int recordLoad = 0, acceptLoad = 1, saveAnswer = 1, saveCalls = 0, writeCalls = 0, failWrite = -1;
    std::string seen;

    int OpenFile(const std::vector<std::string>& w, const std::string& path)
    {
        return Open(path.c_str(), w[3] == "write");
    }
    int Write(const std::string& text) { return WriteString(text.c_str()); }
    const CString& Name() const { return GetFile(); }
    int WriteString(const CString& text) override
    {
        return writeCalls++ == failWrite ? 0 : CTextFile::WriteString(text);
    }
    // LoadFile's result, text and size as one line; both outputs must be reset.
    std::string Load(DWORD chunk, bool nullText = false)
    {
        char unset[] = "unset";
        char* text = unset;
        DWORD size = 99;
        const int result = LoadFile(nullText ? nullptr : &text, &size, chunk);
        std::string line = std::to_string(result) + " " + (text ? '"' + std::string(text) + '"' : "NULL") + " ";
        if (text != unset) std::free(text);
        return (nullText ? std::to_string(result) + " " : line) + std::to_string(size);
    }

protected:
    int LoadData() override
    {
        if (!recordLoad) return 1;
        char first = 0;
        DWORD count = 0;
        const BOOL readOk = ReadFile(&first, 1, &count);
        seen = "open=" + std::to_string(IsOpen()) + " write=" + std::to_string(WriteString("x")) +
               " name=" + GetFile().GetString() + " read=" + std::to_string(readOk) + ":" + first + " load=" + Load(64);
        return acceptLoad;
    }
    int SaveData() override { return ++saveCalls, saveAnswer; }
};

class FileInterpreter : public Interpreter {
protected:
    std::string More(const std::vector<std::string>& w) override
    {
        if (w[0] == "binary") return m_binary[w[1]] = std::make_unique<BinaryProbe>(), "";
        if (w[0] == "text") return m_text[w[1]] = std::make_unique<TextProbe>(), "";
#ifndef _WIN32
        if (w[0] == "exhaust-descriptors") {  // leaves no file descriptor free, under a lowered limit
            getrlimit(RLIMIT_NOFILE, &m_saved);
            rlimit low = m_saved;
            low.rlim_cur = 64;
            setrlimit(RLIMIT_NOFILE, &low);
            for (int fd = dup(0); fd >= 0; fd = dup(0)) m_fillers.push_back(fd);
            return "";
        }
        if (w[0] == "restore-descriptors") {
            for (const int fd : m_fillers) close(fd);
            return m_fillers.clear(), setrlimit(RLIMIT_NOFILE, &m_saved), "";
        }
#endif
        const std::string& object = w.size() > 2 && w[0] == "copy" ? w[2] : w.at(1);
        return m_binary.count(object) ? On(m_binary, w) : m_text.count(object) ? On(m_text, w) : "unknown step " + w[0];
    }

private:
    template <class Probe>
    std::string On(std::map<std::string, std::unique_ptr<Probe>>& objects, const std::vector<std::string>& w)
    {
        const std::string& op = w[0];
        if (op == "copy") return objects[w[1]] = std::make_unique<Probe>(*objects.at(w[2])), "";
        if (op == "delete") return objects.erase(w[1]), "";
        Probe& f = *objects.at(w[1]);
        if (op == "assign") return f = *objects.at(w[2]), "";
        if (op == "open-file") return std::to_string(f.OpenFile(w, Path(w[2])));
        if (op == "write-file") return std::to_string(f.Write(Unescape(w[2])));
        if (op == "close-file") return std::to_string(f.Close());
        if (op == "is-open") return std::to_string(f.IsOpen());
        if (op == "file-name") return f.Name().IsEmpty() ? "\"\"" : std::string(f.Name()).substr(Path("/").size());
        if constexpr (std::is_same_v<Probe, TextProbe>) return OnText(f, w);
        return "unknown step " + op;
    }

    // An object's forwarders for the file steps.
    FileCalls Calls(const std::string& word) override
    {
        if (m_text.count(word)) {  // a text object reads and writes only
            TextProbe* t = m_text.at(word).get();
            return {[t](void* b, DWORD n, DWORD* done) { return t->ReadFile(b, n, done); },
                    [t](const void* b, DWORD n, DWORD* done) { return t->WriteFile(b, n, done); },
                    nullptr,
                    nullptr,
                    nullptr,
                    nullptr};
        }
        if (!m_binary.count(word)) return Interpreter::Calls(word);
        BinaryProbe* f = m_binary.at(word).get();
        return {[f](void* b, DWORD n, DWORD* done) { return f->ReadFile(b, n, done); },
                [f](const void* b, DWORD n, DWORD* done) { return f->WriteFile(b, n, done); },
                [f](LONG distance, LONG* high, DWORD method) { return f->SetFilePointer(distance, high, method); },
                [f](DWORD* high) { return f->GetFileSize(high); },
                [f] { return f->SetEndOfFile(); },
                [f] { return f->FlushFileBuffers(); }};
    }

    std::string OnText(TextProbe& f, const std::vector<std::string>& w)
    {
        const std::map<std::string, int*> settings = {
            {"record-load", &f.recordLoad}, {"accept-load", &f.acceptLoad}, {"save-answer", &f.saveAnswer}};
        if (settings.count(w[0])) return *settings.at(w[0]) = std::stoi(w[2]), "";
        if (w[0] == "fail-write") return f.failWrite = f.writeCalls + std::stoi(w[2]) - 1, "";
        if (w[0] == "load") return f.Load(static_cast<DWORD>(std::stoul(w[2])), w.size() > 3);
        if (w[0] == "empty-lines") return std::to_string(f.WriteEmptyLine(std::stoi(w[2])));
        if (w[0] == "save") return std::to_string(f.Save());
        if (w[0] == "save-calls") return std::to_string(f.saveCalls);
        const size_t folder = f.seen.find(Path("/"));  // seen: its file name relative to the script's folder
        if (w[0] == "seen")
            return f.seen.empty() ? "\"\"" : f.seen.erase(folder, folder == f.seen.npos ? 0 : Path("/").size());
        return "unknown step " + w[0];
    }

#ifndef _WIN32
    rlimit m_saved{};
    std::vector<int> m_fillers;
#endif
    std::map<std::string, std::unique_ptr<BinaryProbe>> m_binary;
    std::map<std::string, std::unique_ptr<TextProbe>> m_text;
};

class FileScript : public ::testing::TestWithParam<std::string> {};

TEST_P(FileScript, Runs)
{
    FileInterpreter interpreter;
    RunScript(interpreter, "files/scripts", GetParam());
}

INSTANTIATE_TEST_SUITE_P(Scripts, FileScript, ::testing::ValuesIn(DataFiles("files/scripts")), CaseName);

TEST(LoadFile, ChunkingAndZeroBytes)
{
    TempDir dir;
    for (const ScriptLine& line : ReadScript("files", "load.txt")) {
        const std::vector<std::string> w = Words(line.text);
        WriteBytes(dir.Path("f"), Unescape(w[0]));
        TextProbe f;
        ASSERT_TRUE(f.Open(dir.Path("f").c_str(), 0));
        EXPECT_EQ(f.Load(static_cast<DWORD>(std::stoul(w[1]))), line.expected) << line.where;
    }
}

TEST(LoadFile, FailedAllocationGivesNothing)
{
    TempDir dir;
    WriteBytes(dir.Path("f"), "abcdefghij");
    TextProbe f;
    f.Open(dir.Path("f").c_str(), 0);
    filekit::g_heap.allocate = [](size_t) -> void* { return nullptr; };
    const std::string result = f.Load(4);
    filekit::g_heap = filekit::RealHeapCalls();
    EXPECT_EQ(result, "0 NULL 0");
}

TEST(StrCatGrow, AppendsAndLeavesTheStringAloneOnFailure)
{
    char* text = nullptr;
    std::string results = std::to_string(TextProbe::StrCatGrow(&text, ""));
    results += "<" + std::string(text) + ">";
    results += std::to_string(TextProbe::StrCatGrow(&text, "ab") && TextProbe::StrCatGrow(&text, text));  // itself
    results += std::to_string(TextProbe::StrCatGrow(nullptr, "x") || TextProbe::StrCatGrow(&text, nullptr));
    filekit::g_heap.reallocate = [](void*, size_t) -> void* { return nullptr; };
    results += std::to_string(TextProbe::StrCatGrow(&text, "cd")) + text;
    filekit::g_heap = filekit::RealHeapCalls();
    EXPECT_EQ(results, "1<>100abab");
    std::free(text);
}

TEST(CharClasses, EveryByteValue)
{
    using C = CTextFile;
    const std::map<std::string, bool (*)(char)> classes = {{"symbol", C::chartype_symbol},
                                                           {"digit", C::chartype_digit},
                                                           {"whitespace", C::chartype_whitespace},
                                                           {"space", C::chartype_space},
                                                           {"enter", C::chartype_enter},
                                                           {"spacespecial", C::chartype_spacespecial},
                                                           {"linefeed", C::chartype_linefeed},
                                                           {"dot", C::chartype_dot},
                                                           {"leftenter", C::chartype_leftenter},
                                                           {"close", C::chartype_close},
                                                           {"equals", C::chartype_equals},
                                                           {"rightleave", C::chartype_rightleave},
                                                           {"special", C::chartype_special},
                                                           {"pi", C::chartype_pi},
                                                           {"dash", C::chartype_dash},
                                                           {"quote", C::chartype_quote},
                                                           {"lbracket", C::chartype_lbracket},
                                                           {"rbracket", C::chartype_rbracket}};
    for (const ScriptLine& line : ReadScript("files", "classes.txt")) {
        std::string members;
        for (int b = 0; b < 256; ++b)
            members += classes.at(line.text)(static_cast<char>(b)) ? std::string(1, static_cast<char>(b)) : "";
        EXPECT_EQ(Escape(members), line.expected) << line.where;
    }
}

// The text of a value as the case files write it.
std::string Text(const char* value) { return *value ? Escape(value) : ""; }

TEST(ParseValues, SplitsValueLists)
{
    for (const ScriptLine& line : ReadScript("files", "values.txt")) {
        const std::vector<std::string> w = Words(line.text);
        const std::string bytes = Unescape(w[0]);
        const CString text(bytes.data(), static_cast<int>(bytes.size()));
        CStringArray values;
        values.Add("old");
        const char* end = CTextFile::ParseValues(text, values, Unescape(w[1])[0]);
        std::string result = end ? "@" + std::to_string(end - text.GetString()) : "NULL";
        for (int i = 0; i < values.GetSize(); ++i) result += " <" + Text(values[i]) + ">";
        EXPECT_EQ(result + (std::string(text.GetString(), static_cast<size_t>(text.GetLength())) == bytes
                                ? ""
                                : " (text changed)"),
                  line.expected)
            << line.where;
    }
}

}  // namespace
