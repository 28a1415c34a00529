// SPDX-License-Identifier: MIT
// The call scripts under tests/data (format in tests/data/README.md), run
// by one interpreter: in win32/ the Win32 file functions and the text
// streams, against the POSIX emulation here and, in the Windows build,
// against the system's own functions, so a line that fails on one side
// only is a difference between the emulation and Win32; in files/scripts/
// the same steps plus steps on named CBinaryFile and CTextFile objects,
// their forwarders, LoadFile and StrCatGrow with failing heap calls, the
// character classifiers over every byte value and ParseValues over value
// lists. And text-mode streams: CR LF read as LF before the text is cut
// into pieces.
#include <filekit/BinaryFile.h>
#include <filekit/TextFile.h>

#include "platform/FileHandle.h"
#include "platform/Heap.h"
#include "platform/TextStream.h"
#include "support/TempDir.h"
#include "support/Win32Script.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#endif

#include <cstdlib>
#include <memory>
#include <set>
#include <type_traits>
#include <utility>

namespace {

using namespace filekit_test;

// A CBinaryFile that shows its name, as CTextFile's GetFile does.
struct BinaryProbe : CBinaryFile {
    const CString& GetFile() const { return m_strFile; }
};

// A CTextFile whose hooks answer as a script sets them (the settings,
// named as the steps that set and show them): LoadData records what it saw
// and may first call Open again, SaveData is counted, WriteString call
// number failWrite (counted from 0) fails.
struct TextProbe : CTextFile {
    using CTextFile::StrCatGrow;
    std::map<std::string, int> set = {
        {"record-load", 0}, {"reopen-load", 0}, {"accept-load", 1}, {"save-answer", 1}, {"save-calls", 0}};
    int writeCalls = 0, failWrite = -1;
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
    int SaveData() override { return ++set["save-calls"], set["save-answer"]; }
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

// A handle with the calls of the file steps, under the names the file
// objects give them, so that one step runs on either; reads at an offset
// when given one.
struct HandleFile {
    HANDLE h;
    OVERLAPPED* at;
    BOOL ReadFile(void* b, DWORD n, DWORD* done) { return ::ReadFile(h, b, n, done, at); }
    BOOL WriteFile(const void* b, DWORD n, DWORD* done) { return ::WriteFile(h, b, n, done, nullptr); }
    DWORD SetFilePointer(LONG to, LONG* high, DWORD method) { return ::SetFilePointer(h, to, high, method); }
    DWORD GetFileSize(DWORD* high) { return ::GetFileSize(h, high); }
    BOOL SetEndOfFile() { return ::SetEndOfFile(h); }
    BOOL FlushFileBuffers() { return ::FlushFileBuffers(h); }
};

// A file step on f: read and write, and with kAll also seek, size,
// truncate and flush.
template <bool kAll = true, class F>
std::string FileStep(F& f, const std::vector<std::string>& w)
{
    DWORD count = 99;
    if constexpr (kAll) {
        if (w[0] == "truncate") return Outcome(f.SetEndOfFile());
        if (w[0] == "flush") return Outcome(f.FlushFileBuffers());
        LONG high = w.size() > 4 ? std::stoi(w[3].substr(5)) : 0;  // seek h distance [high=H] method, size h
        DWORD low = 0;
        if (w[0] == "size") low = f.GetFileSize(reinterpret_cast<DWORD*>(&high));
        if (w[0] == "seek") low = f.SetFilePointer(std::stoi(w[2]), w.size() > 4 ? &high : nullptr, Value(w.back()));
        const std::string shown =
            std::to_string(low) + (w[0] == "size" || w.size() > 4 ? "/" + std::to_string(high) : "");
        // the error follows the all-ones low part that may mean failure
        if (w[0] == "size" || w[0] == "seek")
            return low == INVALID_SET_FILE_POINTER ? shown + " " + ErrorName(GetLastError()) : shown;
    }
    const bool null = w.size() > 3 && w[3] == "null";
    if (w[0] == "read") {  // read h count [null|at=OFFSET]
        std::string buffer(Value(w[2]), '\0');
        const std::string outcome = Outcome(f.ReadFile(null ? nullptr : &buffer[0], Value(w[2]), &count));
        const bool data = count && !null && count <= buffer.size();
        return outcome + " " + std::to_string(count) + (data ? " " + Escape(buffer.substr(0, count)) : "");
    }
    if (w[0] != "write") return "unknown step " + w[0];
    const std::string text = Unescape(w[2]);
    const DWORD size = w[2] == "null" ? Value(w[3]) : static_cast<DWORD>(text.size());
    const std::string outcome = Outcome(f.WriteFile(w[2] == "null" ? nullptr : text.data(), size, &count));
    return outcome + " " + std::to_string(count);
}

// Runs the steps of a call script in a folder of its own; the operations
// of faults are steps too, written with escapes (\s for a space).
class Interpreter {
public:
    Interpreter()
    {
        g_action = [this](const std::string& step) { m_under += Step(Words(Unescape(step))) + ";"; };
    }
    // Closes the handles left open and puts the real system and heap calls back.
    ~Interpreter()
    {
        for (const std::string& name : m_open) CloseHandle(m_handles[name]);
        std::free(m_grown);
        filekit::g_heap = filekit::RealHeapCalls();
#ifndef _WIN32
        filekit::g_sys = filekit::RealSysCalls();
#endif
    }

    // Runs one line's words; the result the line's expectation is compared with.
    std::string Step(std::vector<std::string> w)
    {
        const std::string target = w.size() > 2 && w[1] == "=" ? w[0] : "";
        if (!target.empty()) w.erase(w.begin(), w.begin() + 2);
        const DWORD last = GetLastError();
        SetLastError(kUnset);
        const std::string& op = w[0];
        if (op == "lasterror") return ErrorName(last);
        if (op == "under") return std::exchange(m_under, "");
        if (op == "file") return WriteBytes(m_dir.Path(w[1]), w.size() > 2 ? Unescape(w[2]) : ""), "";
        if (op == "folder") return std::filesystem::create_directory(m_dir.Path(w[1])), "";
        if (op == "content") return Exists(m_dir.Path(w[1])) ? Escape(ReadBytes(m_dir.Path(w[1]))) : "missing";
        if (op == "open") {
            const std::string path = Path(w[1]);
            return Keep(target, CreateFileA(w[1] == "null" ? nullptr : path.c_str(), Value(w[2]), Share(w[3]), nullptr,
                                            Value(w[4]), FILE_ATTRIBUTE_NORMAL, nullptr));
        }
        if (op == "dup") return Keep(target, filekit::DuplicateFileHandle(Handle(w[1])));
        if (op == "close") return CloseHandle(Handle(w[1])) ? (m_open.erase(w[1]), Outcome(true)) : Outcome(false);
#ifndef _WIN32
        if (op == "inject") return Hook(w[1]), "";
        if (op == "stdin") return FreeStdin(w[1] == "free"), "";
        if (op == "hold" || op == "release") return Hold(w);
        if (op == "fifo") return mkfifo(m_dir.Path(w[1]).c_str(), 0644), "";
        if (op == "descriptors") {  // descriptors N STEP: the step, with only N more descriptors to be had
            rlimit saved{}, few{};
            getrlimit(RLIMIT_NOFILE, &saved);
            const int lowest = open("/dev/null", O_RDONLY);  // the lowest free descriptor
            close(lowest);
            few.rlim_cur = static_cast<rlim_t>(lowest) + std::stoul(w[1]);
            few.rlim_max = saved.rlim_max;
            setrlimit(RLIMIT_NOFILE, &few);
            const std::string result = Step({w.begin() + 2, w.end()});
            return setrlimit(RLIMIT_NOFILE, &saved), result;
        }
#endif
        if (op == "reader-open") return std::to_string(m_reader.Open(Path(w[1]).c_str()));
        if (op == "writer-open") return std::to_string(m_writer.Open(Path(w[1]).c_str()));
        if (op == "writer-close") return std::to_string(m_writer.Close());
        if (op == "piece") {  // piece N: ReadPiece into N bytes
            std::vector<char> buffer(std::stoul(w[1]));
            return std::to_string(m_reader.ReadPiece(buffer.data(), static_cast<int>(buffer.size())));
        }
        if (op == "writer-write") return m_writer.Write(Unescape(w[1]).c_str()), "";
        if (op == "binary") return m_binary[w[1]] = std::make_unique<BinaryProbe>(), "";
        if (op == "text") return m_text[w[1]] = std::make_unique<TextProbe>(), "";
        if (op == "values") return ParseValues(Unescape(w[1]), Unescape(w[2])[0]);
        if (op == "class") {  // the bytes the classifier accepts
            std::string members;
            for (int b = 0; b < 256; ++b)
                if (kClasses.at(w[1])(static_cast<char>(b))) members += static_cast<char>(b);
            return Escape(members);
        }
        if (op == "grow") {  // grow s|null TEXT|self|null: StrCatGrow onto the script's string
            const std::string text = Unescape(w[2]);
            const char* added = w[2] == "self" ? m_grown : w[2] == "null" ? nullptr : text.c_str();
            const int result = TextProbe::StrCatGrow(w[1] == "null" ? nullptr : &m_grown, added);
            return std::to_string(result) + " " + (m_grown ? Escape(m_grown) : "NULL");
        }
        if (op == "fail-heap") {  // fail-heap allocate|reallocate|none
            filekit::g_heap = filekit::RealHeapCalls();
            if (w[1] == "allocate") filekit::g_heap.allocate = [](size_t) -> void* { return nullptr; };
            if (w[1] == "reallocate") filekit::g_heap.reallocate = [](void*, size_t) -> void* { return nullptr; };
            return "";
        }
        const std::string& object = w.size() > 2 && op == "copy" ? w[2] : w.at(1);
        if (m_binary.count(object)) return On(m_binary, w);
        if (m_text.count(object)) return On(m_text, w);
        OVERLAPPED at{};
        const bool offset = w.size() > 3 && w[3].rfind("at=", 0) == 0;
        if (offset) at.Offset = Value(w[3].substr(3));
        HandleFile f{Handle(w.at(1)), offset ? &at : nullptr};
        return FileStep(f, w);
    }

private:
    std::string Path(const std::string& word) const
    {
        if (word == "/") return m_dir.Path("");
        return word.rfind("/dev/", 0) == 0 ? word : Unescape(word).empty() ? "" : m_dir.Path(word);
    }
    HANDLE Handle(const std::string& word)
    {
        if (word == "invalid") return INVALID_HANDLE_VALUE;
        if (word == "null") return nullptr;
        if (word.size() > 2 && word.compare(word.size() - 2, 2, "+1") == 0)  // a handed-out value, one past
            return reinterpret_cast<HANDLE>(reinterpret_cast<std::uintptr_t>(Handle(word.substr(0, word.size() - 2))) +
                                            1);
        return word == "bogus" ? reinterpret_cast<HANDLE>(4000) : m_handles.at(word);
    }
    // Keeps an opened handle under name, or closes it when the line names none.
    std::string Keep(const std::string& name, HANDLE h)
    {
        std::string outcome = Outcome(h != INVALID_HANDLE_VALUE);
        if (h != INVALID_HANDLE_VALUE && name.empty()) CloseHandle(h);
        if (h != INVALID_HANDLE_VALUE && !name.empty()) m_handles[name] = h, m_open.insert(name);
        return outcome;
    }

    // The steps on a named CBinaryFile or CTextFile.
    template <class Probe>
    std::string On(std::map<std::string, std::unique_ptr<Probe>>& objects, const std::vector<std::string>& w)
    {
        const std::string& op = w[0];
        if (op == "copy") return objects[w[1]] = std::make_unique<Probe>(*objects.at(w[2])), "";
        if (op == "delete") return objects.erase(w[1]), "";
        Probe& f = *objects.at(w[1]);
        if (op == "assign") return f = *objects.at(w[2]), "";
        if (op == "close-file") return std::to_string(f.Close());
        if (op == "is-open") return std::to_string(f.IsOpen());
        if (op == "file-name")
            return f.GetFile().IsEmpty() ? "\"\"" : std::string(f.GetFile()).substr(Path("/").size());
        if constexpr (std::is_same_v<Probe, BinaryProbe>) {
            if (op == "open-file")
                return std::to_string(f.Open(Path(w[2]).c_str(), Value(w[3]), Share(w[4]), Value(w[5]), 0));
            if (op == "write-file") return std::to_string(f.WriteFile(CString(Unescape(w[2]).c_str())));
            return FileStep(f, w);
        } else {
            if (op == "open-file") return std::to_string(f.Open(Path(w[2]).c_str(), w[3] == "write"));
            if (op == "write-file") return std::to_string(f.WriteString(Unescape(w[2]).c_str()));
            if (f.set.count(op)) return w.size() > 2 ? (f.set[op] = std::stoi(w[2]), "") : std::to_string(f.set[op]);
            if (op == "fail-write") return f.failWrite = f.writeCalls + std::stoi(w[2]) - 1, "";
            if (op == "load") return f.Load(static_cast<DWORD>(std::stoul(w[2])), w.size() > 3);
            if (op == "empty-lines") return std::to_string(f.WriteEmptyLine(std::stoi(w[2])));
            if (op == "save") return std::to_string(f.Save());
            const size_t folder = f.seen.find(Path("/"));  // seen: its file name relative to the script's folder
            if (op == "seen")
                return f.seen.empty()          ? "\"\""
                       : folder == f.seen.npos ? f.seen
                                               : f.seen.erase(folder, Path("/").size());
            return FileStep<false>(f, w);
        }
    }

#ifndef _WIN32
    // hold name access share disposition: another process opens the file
    // and holds it until release.
    std::string Hold(const std::vector<std::string>& w)
    {
        if (w[0] == "release") return close(m_release[1]), waitpid(m_child, nullptr, 0), "";
        int ready[2];
        if (pipe(ready) != 0 || pipe(m_release) != 0) return "no pipe";
        char flag = '0';
        if ((m_child = fork()) == 0) {  // holds the file until the write end of m_release is closed
            close(m_release[1]);
            flag = Step({"held", "=", "open", w[1], w[2], w[3], w[4]})[0];  // 'o' for ok
            (void)!write(ready[1], &flag, 1);
            (void)!read(m_release[0], &flag, 1);
            _exit(0);
        }
        (void)!read(ready[0], &flag, 1);
        for (const int fd : {ready[0], ready[1], m_release[0]}) close(fd);
        return flag == 'o' ? "ok" : "refused";
    }
    int m_release[2] = {-1, -1};
    pid_t m_child = -1;
#endif

    TempDir m_dir;
    std::string m_under;  // the results of the steps that faults ran, each ending with ';'
    filekit::TextReader m_reader;
    filekit::TextWriter m_writer;
    std::map<std::string, HANDLE> m_handles;
    std::set<std::string> m_open;
    char* m_grown = nullptr;  // the string the grow steps append to
    std::map<std::string, std::unique_ptr<BinaryProbe>> m_binary;
    std::map<std::string, std::unique_ptr<TextProbe>> m_text;
};

// Runs the lines of the case file data/<folder>/<name>, each compared with
// its expectation; a step the interpreter does not know fails.
void RunScript(const std::string& folder, const std::string& name)
{
    Interpreter interpreter;
    for (const ScriptLine& line : ReadScript(folder, name)) {
        const std::string result = interpreter.Step(Words(line.text));
        if (!line.expected.empty() || result.rfind("unknown", 0) == 0) {
            EXPECT_EQ(result, line.expected) << line.where << ": " << line.text;
        }
    }
}

class Win32Script : public ::testing::TestWithParam<std::string> {};
TEST_P(Win32Script, Runs) { RunScript("win32", GetParam()); }
INSTANTIATE_TEST_SUITE_P(Scripts, Win32Script, ::testing::ValuesIn(DataFiles("win32")), CaseName);

class FileScript : public ::testing::TestWithParam<std::string> {};
TEST_P(FileScript, Runs) { RunScript("files/scripts", GetParam()); }
INSTANTIATE_TEST_SUITE_P(Scripts, FileScript, ::testing::ValuesIn(DataFiles("files/scripts")), CaseName);

// The pieces a TextReader gives, each followed by '|'; a piece without its
// terminating zero carries one byte more, so that it differs.
TEST(TextReader, PiecesTable)
{
    TempDir dir;
    for (const ScriptLine& line : ReadScript("textstream", "pieces.txt")) {
        const std::vector<std::string> w = Words(line.text);  // [buffer=N] text
        const int size = w.size() > 1 ? std::stoi(w[0].substr(7)) : 1000;  // 1000: the INI reader's line buffer
        WriteBytes(dir.Path("t"), Unescape(w.back()));
        filekit::TextReader reader;
        std::string pieces = reader.Open(dir.Path("t").c_str()) ? "" : "<cannot open>";
        std::vector<char> buffer(static_cast<size_t>(size));
        for (int n; (n = reader.ReadPiece(buffer.data(), size)) >= 0;)
            pieces.append(buffer.data(), static_cast<size_t>(n) + (buffer[static_cast<size_t>(n)] != '\0')) += '|';
        EXPECT_EQ(pieces, Unescape(line.expected)) << line.where;
    }
}

}  // namespace
