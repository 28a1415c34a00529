// SPDX-License-Identifier: MIT
// Test support for the Win32 call scripts under tests/data (format in
// tests/data/README.md): the Win32 names they use and the way they show
// outcomes, and the faults of the POSIX emulation's calls that the scripts
// and the save tables make.
#ifndef FILEKIT_TESTS_SUPPORT_WIN32SCRIPT_H
#define FILEKIT_TESTS_SUPPORT_WIN32SCRIPT_H

#include <filekit/Win32.h>

#include "support/Script.h"

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>
#ifndef _WIN32
#include "platform/posix/Syscalls.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <type_traits>
#endif

namespace filekit_test {

// text with each separator made a space, cut into words.
inline std::vector<std::string> Split(std::string text, char separator)
{
    std::replace(text.begin(), text.end(), separator, ' ');
    return Words(text);
}

// The faults of POSIX calls, {call, use, error, action}: the call's
// use-th use (0: every use) fails with error, or (error 0) reads or writes
// half of what it is asked, or (error -1) runs action through g_action first.
inline std::vector<std::tuple<std::string, int, int, std::string>> g_faults;
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
    for (const auto& [name, count, code, action] : g_faults) {
        if (name != call || (count != 0 && count != use)) continue;
        if (error < 0) error = code;
        if (!action.empty()) g_action(action);
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
            g_faults.emplace_back(item.substr(0, mark), use, error, error < 0 ? what : "");
    }
    g_uses.clear();
    g_points = 0;
    g_killAt = killAt;
    FILEKIT_CALLS(FILEKIT_HOOK);
}

// With free, descriptor 0 is closed (a copy kept), as in a process started
// without a standard input: the next descriptor made takes it. Without,
// the copy is put back.
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

}  // namespace filekit_test

#endif
