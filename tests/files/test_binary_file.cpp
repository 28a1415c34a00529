// CBinaryFile: open and close rules, and forwarding operations that hand
// the system's own results back, on closed and open objects.
#include "FileProbes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>

namespace {

using namespace filekit_test;

constexpr DWORD kUnset = 0xDEADBEEF;   // last-error value that no call sets

TEST(BinaryFile, OpenAndCloseRules)
{
    TempDir dir;
    const std::string first = dir.Path("first"), second = dir.Path("second");
    {
        BinaryProbe f;
        EXPECT_EQ(f.Close(), 0);
        ASSERT_EQ(f.OpenForWriting(first), 1);
        EXPECT_EQ(f.OpenForWriting(second), 0);   // refused; the first file stays usable
        EXPECT_FALSE(Exists(second));
        EXPECT_EQ(f.Write("x"), 1);
        EXPECT_EQ(f.Close(), 1);
        EXPECT_EQ(f.IsOpen(), 0);
        EXPECT_EQ(f.Open(dir.Path("no/such").c_str(), GENERIC_READ, 0, OPEN_EXISTING, 0), 0);
        EXPECT_EQ(f.Name(), first.c_str());   // a failed open keeps the earlier name
        EXPECT_EQ(f.Handle(), INVALID_HANDLE_VALUE);
        ASSERT_EQ(f.Open(first.c_str(), GENERIC_READ, 0, OPEN_EXISTING, 0), 1);
        EXPECT_FALSE(FileIsFree(first));
    }
    EXPECT_TRUE(FileIsFree(first));   // destruction closed the handle
    EXPECT_EQ(ReadBytes(first), "x");
}

TEST(BinaryFile, ForwardersOnClosedObjectReturnTheSystemsFailure)
{
    BinaryProbe f;
    char buffer[4] = {};
    DWORD count = 0;
    LONG high = 0;
    struct Row {
        const char* name;
        std::function<DWORD()> call;
        DWORD result;
        DWORD error;   // kUnset: no system call was made
    };
    const Row rows[] = {
        {"ReadFile", [&] { return DWORD(f.ReadFile(buffer, 4, &count)); }, FALSE, ERROR_INVALID_HANDLE},
        {"WriteFile bytes", [&] { return DWORD(f.WriteFile(buffer, 4, &count)); }, FALSE, ERROR_INVALID_HANDLE},
        {"WriteFile text", [&] { return DWORD(f.WriteFile(CString("abc"))); }, FALSE, ERROR_INVALID_HANDLE},
        {"WriteFile empty text", [&] { return DWORD(f.WriteFile(CString())); }, TRUE, kUnset},
        {"SetEndOfFile", [&] { return DWORD(f.SetEndOfFile()); }, FALSE, ERROR_INVALID_HANDLE},
        {"GetFileSize", [&] { return f.GetFileSize(&count); }, INVALID_FILE_SIZE, ERROR_INVALID_HANDLE},
        {"SetFilePointer", [&] { return f.SetFilePointer(0, &high, FILE_BEGIN); }, INVALID_SET_FILE_POINTER,
         ERROR_INVALID_HANDLE},
        {"FlushFileBuffers", [&] { return DWORD(f.FlushFileBuffers()); }, FALSE, ERROR_INVALID_HANDLE},
    };
    for (const Row& r : rows) {
        SetLastError(kUnset);
        EXPECT_EQ(r.call(), r.result) << r.name;
        EXPECT_EQ(GetLastError(), r.error) << r.name;
    }
}

TEST(BinaryFile, ForwardersReachTheOpenFile)
{
    TempDir dir;
    const std::string path = dir.Path("f");
    BinaryProbe f;
    ASSERT_EQ(f.OpenForWriting(path), 1);
    DWORD count = 0, sizeHigh = 7;
    LONG high = 0;
    EXPECT_EQ(f.WriteFile("hello world", 11, &count), TRUE);
    EXPECT_EQ(count, 11u);
    EXPECT_EQ(f.SetFilePointer(5, nullptr, FILE_BEGIN), 5u);
    EXPECT_EQ(f.SetEndOfFile(), TRUE);
    EXPECT_EQ(f.GetFileSize(&sizeHigh), 5u);
    EXPECT_EQ(sizeHigh, 0u);
    EXPECT_EQ(f.SetFilePointer(1, &high, FILE_BEGIN), 1u);
    char buffer[16] = {};
    EXPECT_EQ(f.ReadFile(buffer, sizeof buffer, &count), TRUE);
    EXPECT_EQ(std::string(buffer, count), "ello");
    EXPECT_EQ(f.FlushFileBuffers(), TRUE);
    EXPECT_EQ(ReadBytes(path), "hello");
}

TEST(BinaryFile, AFullDiskReachesTheCaller)
{
    TempDir dir;
    HookGuard guard;
    BinaryProbe f;
    ASSERT_EQ(f.OpenForWriting(dir.Path("f")), 1);
    filekit::g_sys.write = [](int, const void*, size_t) -> ssize_t {
        errno = ENOSPC;
        return -1;
    };
    EXPECT_EQ(f.Write("abc"), FALSE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
}

}  // namespace
