// CTextFile::LoadFile and StrCatGrow: chunking, zero bytes, empty and
// closed files, and failed reads and allocations part-way.
#include "FileProbes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

namespace {

using namespace filekit_test;

// Exposes the protected helper and gives LoadFile's outputs as one line.
struct Loader : TextProbe {
    using CTextFile::StrCatGrow;
    std::string Load(DWORD chunk)
    {
        char unset[] = "unset";   // both outputs must be reset
        char* text = unset;
        DWORD size = 99;
        const int result = LoadFile(&text, &size, chunk);
        std::string line = std::to_string(result) + " " + (text ? '"' + std::string(text) + '"' : "NULL") +
                                 " " + std::to_string(size);
        if (text != unset) std::free(text);
        return line;
    }
};

TEST(LoadFile, ChunkingAndZeroBytes)
{
    const std::string withZeros("ab\0cdefgh\0j", 11);
    struct Row {
        std::string content;
        DWORD chunk;
        std::string expected;
    };
    const Row rows[] = {
        {"0123456789", 4, "1 \"0123456789\" 10"},   // reads 3, 3, 3 and 1 bytes
        {"0123456789", 11, "1 \"0123456789\" 10"},
        {"0123456789", 1, "1 NULL 0"},   // no room for a byte beside the terminator
        {"0123456789", 0, "0 NULL 0"},
        {"", 64, "1 NULL 0"},
        // Each chunk's text ends at its first zero; the size counts every byte.
        {withZeros, 4, "1 \"abcdefgh\" 11"},    // ab\0 | cde | fgh | \0j
        {withZeros, 3, "1 \"abdefghj\" 11"},    // ab | \0c | de | fg | h\0 | j
        {withZeros, 2, "1 \"abcdefghj\" 11"},   // one byte at a time
        {withZeros, 64, "1 \"ab\" 11"},
        {std::string(1, '\0'), 64, "1 \"\" 1"},   // an appended empty chunk is a string, not NULL
    };
    TempDir dir;
    for (const Row& r : rows) {
        WriteBytes(dir.Path("f"), r.content);
        Loader f;
        ASSERT_TRUE(f.Open(dir.Path("f").c_str(), 0));
        EXPECT_EQ(f.Load(r.chunk), r.expected) << r.chunk << " " << r.content.size();
    }
}

TEST(LoadFile, StartsAtTheCurrentPositionAndNeedsAHandle)
{
    TempDir dir;
    WriteBytes(dir.Path("f"), "header|body");
    Loader f;
    EXPECT_EQ(f.Load(64), "0 NULL 0");
    ASSERT_TRUE(f.Open(dir.Path("f").c_str(), 0));
    char head[7];
    DWORD count = 0;
    ASSERT_TRUE(f.ReadFile(head, sizeof head, &count));
    EXPECT_EQ(f.Load(64), "1 \"body\" 4");

    DWORD size = 5;
    EXPECT_EQ(f.LoadFile(nullptr, &size, 64), 0);
    EXPECT_EQ(size, 5u);   // a NULL argument leaves the other output alone
}

TEST(LoadFile, FailuresPartWayKeepWhatWasAppended)
{
    TempDir dir;
    HookGuard guard;
    WriteBytes(dir.Path("f"), "abcdefghij");
    static int calls;
    Loader f;
#ifndef _WIN32   // a failing read is provoked through the POSIX layer's table
    ASSERT_TRUE(f.Open(dir.Path("f").c_str(), 0));
    calls = 0;
    filekit::g_sys.read = [](int fd, void* buffer, size_t count) -> ssize_t {
        if (++calls == 3) {
            errno = EIO;
            return -1;
        }
        return filekit::RealSysCalls().read(fd, buffer, count);
    };
    EXPECT_EQ(f.Load(4), "1 \"abcdef\" 6");

    filekit::g_sys = filekit::RealSysCalls();
    f.Close();
#endif
    ASSERT_TRUE(f.Open(dir.Path("f").c_str(), 0));
    calls = 0;
    filekit::g_heap.reallocate = [](void* block, size_t size) -> void* {
        return ++calls == 2 ? nullptr : filekit::RealHeapCalls().reallocate(block, size);
    };
    EXPECT_EQ(f.Load(4), "1 \"abc\" 3");   // the second append fails and reading stops

    filekit::g_heap.allocate = [](size_t) -> void* { return nullptr; };
    EXPECT_EQ(f.Load(4), "0 NULL 0");
}

TEST(StrCatGrow, AppendsAndLeavesTheStringAloneOnFailure)
{
    HookGuard guard;
    char* text = nullptr;
    EXPECT_TRUE(Loader::StrCatGrow(&text, ""));
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "");
    EXPECT_TRUE(Loader::StrCatGrow(&text, "ab"));
    EXPECT_TRUE(Loader::StrCatGrow(&text, text));   // the text may be the target itself
    EXPECT_STREQ(text, "abab");
    EXPECT_FALSE(Loader::StrCatGrow(nullptr, "x"));
    EXPECT_FALSE(Loader::StrCatGrow(&text, nullptr));
    filekit::g_heap.reallocate = [](void*, size_t) -> void* { return nullptr; };
    EXPECT_FALSE(Loader::StrCatGrow(&text, "cd"));
    EXPECT_STREQ(text, "abab");
    std::free(text);
}

}  // namespace
