// Test support for the file classes: the two classes opened for writing
// through one shape, guards that put the OS and heap tables back, and call
// results joined into one line.
#ifndef FILEKIT_TESTS_FILES_FILEPROBES_H
#define FILEKIT_TESTS_FILES_FILEPROBES_H

#include <filekit/BinaryFile.h>
#include <filekit/TextFile.h>

#include "platform/Heap.h"
#ifndef _WIN32
#include "platform/posix/Syscalls.h"
#endif

#include <initializer_list>
#include <string>

namespace filekit_test {

struct BinaryProbe : CBinaryFile {
    int OpenForWriting(const std::string& path)
    {
        return Open(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
    }
    int Write(const char* text) { return WriteFile(CString(text)); }
    const CString& Name() const { return m_strFile; }
    HANDLE Handle() const { return m_hFile; }
};

struct TextProbe : CTextFile {
    int OpenForWriting(const std::string& path) { return Open(path.c_str(), 1); }
    int Write(const char* text) { return WriteString(text); }
    const CString& Name() const { return GetFile(); }
    HANDLE Handle() const { return m_hFile; }
};

// True when nobody holds path open: an open that shares nothing succeeds.
inline bool FileIsFree(const std::string& path)
{
    const HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

// Puts the real system and heap calls back when a test has replaced some.
struct HookGuard {
    ~HookGuard()
    {
#ifndef _WIN32
        filekit::g_sys = filekit::RealSysCalls();
#endif
        filekit::g_heap = filekit::RealHeapCalls();
    }
};

// The results of a sequence of calls, in order, separated by spaces.
inline std::string Results(std::initializer_list<long long> results)
{
    std::string joined;
    for (long long result : results) joined += (joined.empty() ? "" : " ") + std::to_string(result);
    return joined;
}

}  // namespace filekit_test

#endif
