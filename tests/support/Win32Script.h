// SPDX-License-Identifier: MIT
// Test support: the interpreter of the Win32 call scripts under
// tests/data (format in tests/data/README.md): the Win32 file functions and
// the text streams built on the platform's file access. It runs against
// the POSIX emulation here and, in the Windows build, against the system's
// own functions; a suite adds steps of its own through More().
#ifndef FILEKIT_TESTS_SUPPORT_WIN32SCRIPT_H
#define FILEKIT_TESTS_SUPPORT_WIN32SCRIPT_H

#include <filekit/Win32.h>

#include "platform/FileHandle.h"
#include "platform/TextStream.h"
#include "support/Script.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>
#ifndef _WIN32
#include "platform/posix/Syscalls.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace filekit_test {

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
inline DWORD Value(std::string word)
{
    std::replace(word.begin(), word.end(), '|', ' ');
    DWORD value = 0;
    for (const std::string& part : Words(word))
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

// A position or size: the error follows the all-ones value that may mean failure.
inline std::string Position(DWORD value, const std::string& high)
{
    const std::string text = std::to_string(value) + high;
    return value == INVALID_SET_FILE_POINTER ? text + " " + ErrorName(GetLastError()) : text;
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
// objects give them, so that one step runs on either.
struct HandleFile {
    HANDLE h;
    BOOL ReadFile(void* b, DWORD n, DWORD* done) { return ::ReadFile(h, b, n, done, nullptr); }
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
        LONG high = w.size() > 4 ? std::stoi(w[3].substr(5)) : 0;
        if (w[0] == "seek") {  // seek h distance [high=H] method
            const DWORD low = f.SetFilePointer(std::stoi(w[2]), w.size() > 4 ? &high : nullptr, Value(w.back()));
            return Position(low, w.size() > 4 ? "/" + std::to_string(high) : "");
        }
        if (w[0] == "truncate") return Outcome(f.SetEndOfFile());
        if (w[0] == "flush") return Outcome(f.FlushFileBuffers());
        if (w[0] == "size") {
            DWORD sizeHigh = 0;
            const DWORD low = f.GetFileSize(&sizeHigh);
            return Position(low, "/" + std::to_string(sizeHigh));
        }
    }
    if (w[0] == "read") {
        std::string buffer(Value(w[2]), '\0');
        const std::string outcome = Outcome(f.ReadFile(w.size() > 3 ? nullptr : &buffer[0], Value(w[2]), &count));
        const bool data = count && w.size() < 4 && count <= buffer.size();
        return outcome + " " + std::to_string(count) + (data ? " " + Escape(buffer.substr(0, count)) : "");
    }
    if (w[0] != "write") return "unknown step " + w[0];
    const std::string text = Unescape(w[2]);
    const bool null = w[2] == "null";
    const DWORD size = null ? Value(w[3]) : static_cast<DWORD>(text.size());
    const std::string outcome = Outcome(f.WriteFile(null ? nullptr : text.data(), size, &count));
    return outcome + " " + std::to_string(count);
}

// Runs the steps of a call script in a folder of its own.
class Interpreter {
public:
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
        if (op == "file") return WriteBytes(m_dir.Path(w[1]), w.size() > 2 ? Unescape(w[2]) : ""), "";
        if (op == "folder") return std::filesystem::create_directory(m_dir.Path(w[1])), "";
        if (op == "content") return Exists(m_dir.Path(w[1])) ? Escape(ReadBytes(m_dir.Path(w[1]))) : "missing";
        if (op == "open") {
            const std::string path = Path(w[1]);
            return Keep(target, CreateFileA(w[1] == "null" ? nullptr : path.c_str(), Value(w[2]), Share(w[3]), nullptr,
                                            Value(w[4]), FILE_ATTRIBUTE_NORMAL, nullptr));
        }
        if (op == "dup") return Keep(target, filekit::DuplicateFileHandle(Handle(w[1])));
#ifndef _WIN32
        if (op == "hold" || op == "release" || op == "inject" || op == "stdin") return PosixStep(w);
#endif
        if (op == "close") return CloseHandle(Handle(w[1])) ? (m_open.erase(w[1]), Outcome(true)) : Outcome(false);
        if (op == "read-at") {  // read-at H N OFFSET: ReadFile of N bytes at OFFSET (an OVERLAPPED position)
            OVERLAPPED at{};
            at.Offset = Value(w[3]);
            std::string buffer(Value(w[2]), '\0');
            DWORD count = 99;
            const std::string outcome = Outcome(ReadFile(Handle(w[1]), &buffer[0], Value(w[2]), &count, &at));
            return outcome + " " + std::to_string(count) + (count ? " " + Escape(buffer.substr(0, count)) : "");
        }
        if (op == "reader-open") return std::to_string(m_reader.Open(Path(w[1]).c_str()));
        if (op == "writer-open") return std::to_string(m_writer.Open(Path(w[1]).c_str()));
        if (op == "writer-close") return std::to_string(m_writer.Close());
        if (op == "piece") {  // piece N: ReadPiece into N bytes
            std::vector<char> buffer(std::stoul(w[1]));
            return std::to_string(m_reader.ReadPiece(buffer.data(), static_cast<int>(buffer.size())));
        }
        if (op == "writer-write") {  // writer-write TEXT, or writer-write C N: N bytes C in one write
            const std::string text = Unescape(w[1]), repeated(w.size() > 2 ? std::stoul(w[2]) : 0, text[0]);
            return w.size() > 2 ? m_writer.Write(repeated.data(), repeated.size()) : m_writer.Write(text.c_str()), "";
        }
        return More(w);
    }

protected:
    // The steps a suite adds, w without "name =": here the file steps on a handle.
    virtual std::string More(const std::vector<std::string>& w)
    {
        HandleFile f{Handle(w.at(1))};
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
    // Steps of the emulation only: another process holding a file, and
    // failures provoked through the table of POSIX calls.
    std::string PosixStep(const std::vector<std::string>& w)
    {
        if (w[0] == "stdin") {  // stdin free: descriptor 0 closed, the next one made takes it; stdin kept: put back
            w[1] == "free" ? (m_stdin = dup(0), close(0)) : (dup2(m_stdin, 0), close(m_stdin));
            return "";
        }
        if (w[0] == "hold") {  // hold name access share disposition: opened by another process
            int ready[2];
            if (pipe(ready) != 0 || pipe(m_release) != 0) return "no pipe";
            m_child = fork();
            char flag = '0';
            if (m_child == 0) {  // holds the file until the write end of m_release is closed
                close(m_release[1]);
                const HANDLE h =
                    CreateFileA(Path(w[1]).c_str(), Value(w[2]), Share(w[3]), nullptr, Value(w[4]), 0, nullptr);
                flag = h != INVALID_HANDLE_VALUE ? '1' : '0';
                (void)!write(ready[1], &flag, 1);
                (void)!read(m_release[0], &flag, 1);
                _exit(0);
            }
            (void)!read(ready[0], &flag, 1);
            for (const int fd : {ready[0], ready[1], m_release[0]}) close(fd);
            return flag == '1' ? "ok" : "refused";
        }
        if (w[0] == "release") return close(m_release[1]), waitpid(m_child, nullptr, 0), "";
        // inject write short | inject write|fsync|read ENOSPC|EIO | inject none
        filekit::g_sys = filekit::RealSysCalls();
        if (w[1] == "write" && w[2] == "short")
            filekit::g_sys.write = [](int fd, const void* data, size_t count) {
                return filekit::RealSysCalls().write(fd, data, count > 3 ? 3 : count);
            };
        s_errno = w.size() > 2 && w[2] == "ENOSPC" ? ENOSPC : EIO;
        if (w[1] == "write" && w[2] != "short")
            filekit::g_sys.write = [](int, const void*, size_t) -> ssize_t { return errno = s_errno, -1; };
        if (w[1] == "fsync") filekit::g_sys.fsync = [](int) { return errno = s_errno, -1; };
        if (w[1] == "read") filekit::g_sys.read = [](int, void*, size_t) -> ssize_t { return errno = s_errno, -1; };
        return "";
    }
    static inline int s_errno = 0;
    int m_release[2] = {-1, -1}, m_stdin = -1;  // m_stdin: a copy of descriptor 0 while it is free
    pid_t m_child = -1;
#endif

    TempDir m_dir;
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
