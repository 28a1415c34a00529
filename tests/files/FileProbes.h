// Test support for the file classes: the two classes opened for writing
// through one shape, and guards that put the OS and heap tables back.
#ifndef FILEKIT_TESTS_FILES_FILEPROBES_H
#define FILEKIT_TESTS_FILES_FILEPROBES_H

#include <filekit/BinaryFile.h>
#include <filekit/TextFile.h>

#include "platform/Heap.h"
#ifndef _WIN32
#include "platform/posix/Syscalls.h"
#endif

#include "support/TempDir.h"

#include <cstdlib>
#include <string>

namespace filekit_test {

struct BinaryProbe : CBinaryFile {
    int OpenForWriting(const std::string& path)
    {
        return Open(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
    }
    int Write(const char* text) { return WriteFile(CString(text)); }
    const CString& Name() const { return m_strFile; }
};

struct TextProbe : CTextFile {
    int OpenForWriting(const std::string& path) { return Open(path.c_str(), 1); }
    int Write(const char* text) { return WriteString(text); }
    const CString& Name() const { return GetFile(); }
};

// Exposes the protected helper and gives LoadFile's outputs as one line.
struct Loader : TextProbe {
    using CTextFile::StrCatGrow;
    std::string Load(DWORD chunk)
    {
        char unset[] = "unset";  // both outputs must be reset
        char* text = unset;
        DWORD size = 99;
        const int result = LoadFile(&text, &size, chunk);
        std::string line =
            std::to_string(result) + " " + (text ? '"' + std::string(text) + '"' : "NULL") + " " + std::to_string(size);
        if (text != unset) std::free(text);
        return line;
    }
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

}  // namespace filekit_test

#endif
