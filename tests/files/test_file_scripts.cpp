// SPDX-License-Identifier: MIT
// CBinaryFile and CTextFile objects driven by the call scripts in
// tests/data/files/scripts (format in tests/data/README.md): the Win32
// steps, plus steps on named objects of either class, their forwarders,
// LoadFile and StrCatGrow with failing heap calls, the character
// classifiers over every byte value and ParseValues over value lists.
#include <filekit/BinaryFile.h>
#include <filekit/TextFile.h>

#include "platform/Heap.h"
#include "support/Win32Script.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace {

using namespace filekit_test;

// A CBinaryFile that shows its name, as CTextFile's GetFile does.
struct BinaryProbe : CBinaryFile {
    const CString& GetFile() const { return m_strFile; }
};

// A CTextFile whose hooks answer as a script sets them (the settings,
// named as the steps that set them): LoadData records what it saw and may
// first call Open again, SaveData is counted, WriteString call number
// failWrite (counted from 0) fails.
struct TextProbe : CTextFile {
    using CTextFile::StrCatGrow;
    std::map<std::string, int> set = {{"record-load", 0}, {"reopen-load", 0}, {"accept-load", 1}, {"save-answer", 1}};
    int saveCalls = 0, writeCalls = 0, failWrite = -1;
    std::string seen;

    int WriteString(const CString& s) override { return writeCalls++ == failWrite ? 0 : CTextFile::WriteString(s); }
    // LoadFile's result, text and size as one line; both outputs must be reset.
    std::string Load(DWORD chunk, bool nullText = false)
    {
        char unset[] = "unset";
        char* text = unset;
        DWORD size = 99;
        const int result = LoadFile(nullText ? nullptr : &text, &size, chunk);
        const std::string shown = nullText ? "" : text ? '"' + std::string(text) + "\" " : "NULL ";
        if (text != unset) std::free(text);
        return std::to_string(result) + " " + shown + std::to_string(size);
    }

protected:
    int LoadData() override
    {
        if (set["reopen-load"]) seen = "reopen=" + std::to_string(Open(GetFile(), 1));
        if (!set["record-load"]) return 1;
        char first = 0;
        DWORD count = 0;
        const BOOL readOk = ReadFile(&first, 1, &count);
        seen = "open=" + std::to_string(IsOpen()) + " write=" + std::to_string(WriteString("x")) +
               " name=" + static_cast<const char*>(GetFile()) + " read=" + std::to_string(readOk) + ":" + first +
               " load=" + Load(64);
        return set["accept-load"];
    }
    int SaveData() override { return ++saveCalls, set["save-answer"]; }
};

// The classifiers by name.
#define FILEKIT_CLASS(name) std::make_pair(#name, CTextFile::chartype_##name)
const std::map<std::string, bool (*)(char)> kClasses = {
    FILEKIT_CLASS(symbol),    FILEKIT_CLASS(digit),        FILEKIT_CLASS(whitespace), FILEKIT_CLASS(space),
    FILEKIT_CLASS(enter),     FILEKIT_CLASS(spacespecial), FILEKIT_CLASS(linefeed),   FILEKIT_CLASS(dot),
    FILEKIT_CLASS(leftenter), FILEKIT_CLASS(close),        FILEKIT_CLASS(equals),     FILEKIT_CLASS(rightleave),
    FILEKIT_CLASS(special),   FILEKIT_CLASS(pi),           FILEKIT_CLASS(dash),       FILEKIT_CLASS(quote),
    FILEKIT_CLASS(lbracket),  FILEKIT_CLASS(rbracket)};
#undef FILEKIT_CLASS

// ParseValues over text with the separator, behind one value "old": where
// the returned pointer stands, the values, and whether text changed.
std::string ParseValues(const std::string& bytes, char separator)
{
    const CString text(bytes.data(), static_cast<int>(bytes.size()));
    CStringArray values;
    values.Add("old");
    const char* end = CTextFile::ParseValues(text, values, separator);
    std::string result = end ? "@" + std::to_string(end - static_cast<const char*>(text)) : "NULL";
    for (int i = 0; i < values.GetSize(); ++i)
        result += " <" + (values[i].IsEmpty() ? "" : Escape(static_cast<const char*>(values[i]))) + ">";
    const bool same = std::string(static_cast<const char*>(text), static_cast<size_t>(text.GetLength())) == bytes;
    return result + (same ? "" : " (text changed)");
}

class FileInterpreter : public Interpreter {
public:
    ~FileInterpreter() override
    {
        std::free(m_grown);
        filekit::g_heap = filekit::RealHeapCalls();
    }

protected:
    std::string More(const std::vector<std::string>& w) override
    {
        if (w[0] == "binary") return m_binary[w[1]] = std::make_unique<BinaryProbe>(), "";
        if (w[0] == "text") return m_text[w[1]] = std::make_unique<TextProbe>(), "";
        if (w[0] == "values") return ParseValues(Unescape(w[1]), Unescape(w[2])[0]);
        if (w[0] == "class") {  // the bytes the classifier accepts
            std::string members;
            for (int b = 0; b < 256; ++b)
                if (kClasses.at(w[1])(static_cast<char>(b))) members += static_cast<char>(b);
            return Escape(members);
        }
        if (w[0] == "grow") {  // grow s|null TEXT|self|null: StrCatGrow onto the script's string
            const std::string text = Unescape(w[2]);
            const char* added = w[2] == "self" ? m_grown : w[2] == "null" ? nullptr : text.c_str();
            const int result = TextProbe::StrCatGrow(w[1] == "null" ? nullptr : &m_grown, added);
            return std::to_string(result) + " " + (m_grown ? Escape(m_grown) : "NULL");
        }
        if (w[0] == "fail-heap") {  // fail-heap allocate|reallocate|none
            filekit::g_heap = filekit::RealHeapCalls();
            if (w[1] == "allocate") filekit::g_heap.allocate = [](size_t) -> void* { return nullptr; };
            if (w[1] == "reallocate") filekit::g_heap.reallocate = [](void*, size_t) -> void* { return nullptr; };
            return "";
        }
#ifndef _WIN32
        if (w[0] == "no-descriptors") {  // the step that follows, with no file descriptor to be had
            rlimit saved{}, none{};
            getrlimit(RLIMIT_NOFILE, &saved);
            none.rlim_max = saved.rlim_max;
            setrlimit(RLIMIT_NOFILE, &none);
            const std::string result = More({w.begin() + 1, w.end()});
            return setrlimit(RLIMIT_NOFILE, &saved), result;
        }
#endif
        const std::string& object = w.size() > 2 && w[0] == "copy" ? w[2] : w.at(1);
        return m_binary.count(object) ? On(m_binary, w) : m_text.count(object) ? On(m_text, w) : Interpreter::More(w);
    }

private:
    template <class Probe>
    std::string On(std::map<std::string, std::unique_ptr<Probe>>& objects, const std::vector<std::string>& w)
    {
        constexpr bool binary = std::is_same_v<Probe, BinaryProbe>;
        const std::string& op = w[0];
        if (op == "copy") return objects[w[1]] = std::make_unique<Probe>(*objects.at(w[2])), "";
        if (op == "delete") return objects.erase(w[1]), "";
        Probe& f = *objects.at(w[1]);
        if (op == "assign") return f = *objects.at(w[2]), "";
        if (op == "close-file") return std::to_string(f.Close());
        if (op == "is-open") return std::to_string(f.IsOpen());
        if (op == "file-name")
            return f.GetFile().IsEmpty() ? "\"\"" : std::string(f.GetFile()).substr(Path("/").size());
        if constexpr (binary) {
            if (op == "open-file")
                return std::to_string(f.Open(Path(w[2]).c_str(), Value(w[3]), Share(w[4]), Value(w[5]), 0));
            if (op == "write-file") return std::to_string(f.WriteFile(CString(Unescape(w[2]).c_str())));
            return FileStep(f, w);
        } else {
            if (op == "open-file") return std::to_string(f.Open(Path(w[2]).c_str(), w[3] == "write"));
            if (op == "write-file") return std::to_string(f.WriteString(Unescape(w[2]).c_str()));
            return OnText(f, w);
        }
    }

    std::string OnText(TextProbe& f, const std::vector<std::string>& w)
    {
        if (f.set.count(w[0])) return f.set[w[0]] = std::stoi(w[2]), "";
        if (w[0] == "fail-write") return f.failWrite = f.writeCalls + std::stoi(w[2]) - 1, "";
        if (w[0] == "load") return f.Load(static_cast<DWORD>(std::stoul(w[2])), w.size() > 3);
        if (w[0] == "empty-lines") return std::to_string(f.WriteEmptyLine(std::stoi(w[2])));
        if (w[0] == "save") return std::to_string(f.Save());
        if (w[0] == "save-calls") return std::to_string(f.saveCalls);
        const size_t folder = f.seen.find(Path("/"));  // seen: its file name relative to the script's folder
        if (w[0] == "seen")
            return f.seen.empty() ? "\"\"" : folder == f.seen.npos ? f.seen : f.seen.erase(folder, Path("/").size());
        return FileStep<false>(f, w);
    }

    char* m_grown = nullptr;  // the string the grow steps append to
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

}  // namespace
