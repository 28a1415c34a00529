// SPDX-License-Identifier: MIT
// Test support: the interpreter of the Win32 call scripts under
// tests/data (format in tests/data/README.md): the Win32 file functions and
// the text streams built on the platform's file access. It runs against
// the POSIX emulation here and, in the Windows build, against the system's
// own functions; a suite adds steps of its own through More(). The faults
// of the emulation's POSIX calls that scripts and tables make are here too.
#ifndef FILEKIT_TESTS_SUPPORT_WIN32SCRIPT_H
#define FILEKIT_TESTS_SUPPORT_WIN32SCRIPT_H

#include <filekit/Win32.h>

#include "platform/FileHandle.h"
#include "platform/TextStream.h"
#include "support/Script.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>
#ifndef _WIN32
#include "platform/posix/Syscalls.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <tuple>
#include <type_traits>
#endif

namespace filekit_test {

// text with each separator made a space, cut into words.
inline std::vector<std::string> Split(std::string text, char separator)
{
    std::replace(text.begin(), text.end(), separator, ' ');
    return Words(text);
}

// A fault of a POSIX call: its use-th use (0: every use) fails with error,
// or (error 0) reads or writes half of what it is asked, or (error -1)
// runs action through g_action first.
struct Fault {
    std::string call;
    int use, error;
    std::string action;
};
inline std::vector<Fault> g_faults;
inline std::function<void(const std::string&)> g_action;
inline int g_killAt = 0;  // the kill point at which the process kills itself; 0: none
inline int g_points = 0;  // kill points passed, one before and one after each call

#ifndef _WIN32
inline std::map<std::string, int> g_uses;

// The call named call, made through real, with its kill points and faults.
// A failing close still closes, as on Linux; a rename (the only call taking
// two paths) onto a device always fails, so that no fault can replace
// /dev/null on the machine running the tests.
template <typename R, typename... A>
R Hooked(const std::string& call, R (*real)(A...), A... args)
{
    if (++g_points == g_killAt) std::raise(SIGKILL);
    const int use = ++g_uses[call];
    int error = -1;  // none
    for (const Fault& fault : g_faults) {
        if (fault.call != call || (fault.use != 0 && fault.use != use)) continue;
        if (error < 0) error = fault.error;
        if (!fault.action.empty()) g_action(fault.action);
    }
    if constexpr (sizeof...(A) == 3) {
        if (error == 0) std::get<2>(std::tie(args...)) /= 2;
    }
    if constexpr (std::is_same_v<std::tuple<A...>, std::tuple<const char*, const char*>>) {
        if (std::string(std::get<1>(std::tie(args...))).rfind("/dev/", 0) == 0) error = EPERM;
    }
    R result = error <= 0 || call == "close" ? real(args...) : -1;
    if (error > 0) errno = error, result = -1;
    if (++g_points == g_killAt) std::raise(SIGKILL);
    return result;
}

// Every call of the table, hooked.
#define FILEKIT_CALLS(X)                                                                                               \
    X(open)                                                                                                            \
    X(close)                                                                                                           \
    X(write) X(read) X(lseek) X(fstat) X(fsync) X(lstat) X(readlink) X(fchmod) X(fchown) X(rename) X(unlink) X(flock)
#define FILEKIT_HOOK(call)                                                                                             \
    filekit::g_sys.call = [](auto... args) { return Hooked(#call, filekit::RealSysCalls().call, args...); };

// Hooks every call, with the faults listed ("-", or items separated by
// commas as tests/data/README.md shows; an item that names no call is
// skipped) and the process killing itself at kill point killAt (0: nowhere).
inline void Hook(const std::string& faults, int killAt = 0)
{
    g_faults.clear();
    for (const std::string& item : Split(faults, ',')) {
        const size_t mark = item.find_first_of("#*"), equals = item.find('='), dash = item.find('-', mark);
        if (mark == std::string::npos) continue;
        const std::string what = item.substr(equals + 1);
        int error = what == "short" ? 0 : -1;
        for (int e = 1; e < 256 && error < 0; ++e)
            if (const char* name = strerrorname_np(e); name && what == name) error = e;
        const int first = item[mark] == '*' ? 0 : std::stoi(item.substr(mark + 1));
        for (int use = first; use <= (dash < equals ? std::stoi(item.substr(dash + 1)) : first); ++use)
            g_faults.push_back({item.substr(0, mark), use, error, error < 0 ? what : ""});
    }
    g_uses.clear();
    g_points = 0;
    g_killAt = killAt;
    FILEKIT_CALLS(FILEKIT_HOOK);
}

// With free, descriptor 0 is closed (a copy kept), as in a process started
// without a standard input: the next descriptor made takes it. Put back
// without.
inline void FreeStdin(bool free)
{
    static int copy = -1;
    if (free) copy = dup(0), close(0);
    if (!free && copy >= 0) dup2(copy, 0), close(copy), copy = -1;
}
#else
inline void Hook(const std::string&, int = 0) {}  // no call table: what runs here makes no faults
inline void FreeStdin(bool) {}
#endif

inline constexpr DWORD kUnset = 0xDEADBEEF;  // last-error value that no call sets

// The Win32 names the scripts use, with their values.
inline const std::map<std::string, DWORD>& Names()
{
    static std::map<std::string, DWORD> names;
    for (const ScriptLine& line : names.empty() ? ReadScript("", "win32-names.txt") : std::vector<ScriptLine>())
        names[Words(line.text)[0]] = static_cast<DWORD>(std::stoul(Words(line.text)[1], nullptr, 0));
    return names;
}

// A number, a name from Names(), or names joined by '|'.
inline DWORD Value(const std::string& word)
{
    DWORD value = 0;
    for (const std::string& part : Split(word, '|'))
        value |= Names().count(part) ? Names().at(part) : static_cast<DWORD>(std::stol(part));
    return value;
}

inline std::string ErrorName(DWORD error)
{
    for (const auto& [name, value] : Names())
        if (value == error && (name.rfind("ERROR_", 0) == 0 || name == "NO_ERROR")) return name;
    return error == kUnset ? "unset" : std::to_string(error);
}

// "ok" for a call that succeeded and left the last error alone or 0, "ok"
// and the error it set otherwise; for a failed call the error.
inline std::string Outcome(bool ok)
{
    const DWORD error = GetLastError();
    return !ok ? ErrorName(error) : error == kUnset || error == NO_ERROR ? "ok" : "ok " + ErrorName(error);
}

// A share mode: "share=" and the letters r, w, d (read, write, delete), or 0.
inline DWORD Share(const std::string& word)
{
    DWORD share = 0;
    for (const char c : word.substr(6))
        share |= c == 'r' ? FILE_SHARE_READ : c == 'w' ? FILE_SHARE_WRITE : c == 'd' ? FILE_SHARE_DELETE : 0;
    return share;
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
        if (w[0] == "seek" || w[0] == "size") {  // seek h distance [high=H] method, size h
            LONG high = w.size() > 4 ? std::stoi(w[3].substr(5)) : 0;
            DWORD sizeHigh = 0;
            const DWORD low = w[0] == "size"
                                  ? f.GetFileSize(&sizeHigh)
                                  : f.SetFilePointer(std::stoi(w[2]), w.size() > 4 ? &high : nullptr, Value(w.back()));
            const std::string part = w[0] == "size" ? "/" + std::to_string(sizeHigh)
                                     : w.size() > 4 ? "/" + std::to_string(high)
                                                    : "";
            // the error follows the all-ones low part that may mean failure
            return std::to_string(low) + part +
                   (low == INVALID_SET_FILE_POINTER ? " " + ErrorName(GetLastError()) : "");
        }
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

// Runs the steps of a call script in a folder of its own; the actions of
// faults are steps too, written with escapes (\s for a space).
class Interpreter {
public:
    Interpreter()
    {
        g_action = [this](const std::string& step) { m_under += Step(Words(Unescape(step))) + ";"; };
    }
    // Closes the handles left open and puts the real system calls back.
    virtual ~Interpreter()
    {
        for (const std::string& name : m_open) CloseHandle(m_handles[name]);
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
#endif
        if (op == "reader-open") return std::to_string(m_reader.Open(Path(w[1]).c_str()));
        if (op == "writer-open") return std::to_string(m_writer.Open(Path(w[1]).c_str()));
        if (op == "writer-close") return std::to_string(m_writer.Close());
        if (op == "piece") {  // piece N: ReadPiece into N bytes
            std::vector<char> buffer(std::stoul(w[1]));
            return std::to_string(m_reader.ReadPiece(buffer.data(), static_cast<int>(buffer.size())));
        }
        if (op == "writer-write") return m_writer.Write(Unescape(w[1]).c_str()), "";
        return More(w);
    }

protected:
    // The steps a suite adds, w without "name =": here the file steps on a handle.
    virtual std::string More(const std::vector<std::string>& w)
    {
        OVERLAPPED at{};
        const bool offset = w.size() > 3 && w[3].rfind("at=", 0) == 0;
        if (offset) at.Offset = Value(w[3].substr(3));
        HandleFile f{Handle(w.at(1)), offset ? &at : nullptr};
        return FileStep(f, w);
    }

    std::string Path(const std::string& word) const
    {
        if (word == "/") return m_dir.Path("");
        return word.rfind("/dev/", 0) == 0 ? word : Unescape(word).empty() ? "" : m_dir.Path(word);
    }
    HANDLE Handle(const std::string& word)
    {
        if (word == "invalid") return INVALID_HANDLE_VALUE;
        if (word == "null") return nullptr;
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

private:
    std::map<std::string, HANDLE> m_handles;
    std::set<std::string> m_open;
};

// Runs the lines of a case file, each compared with its expectation; a
// step the interpreter does not know fails.
inline void RunScript(Interpreter& interpreter, const std::string& suite, const std::string& name)
{
    for (const ScriptLine& line : ReadScript(suite, name)) {
        const std::string result = interpreter.Step(Words(line.text));
        if (!line.expected.empty() || result.rfind("unknown", 0) == 0) {
            EXPECT_EQ(result, line.expected) << line.where << ": " << line.text;
        }
    }
}

}  // namespace filekit_test

#endif
