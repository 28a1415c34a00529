// CBinaryFile: open and close rules, and forwarding operations that hand
// the system's own results back, on closed and open objects.
#include "FileProbes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace filekit_test;

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
        ASSERT_EQ(f.Open(first.c_str(), GENERIC_READ, 0, OPEN_EXISTING, 0), 1);
        EXPECT_FALSE(FileIsFree(first));
    }
    EXPECT_TRUE(FileIsFree(first));   // destruction closed the handle
    EXPECT_EQ(ReadBytes(first), "x");
}

TEST(BinaryFile, ForwardersOnClosedObjectReturnTheSystemsFailure)
{
    constexpr DWORD kNoCall = 0xDEADBEEF;   // last error that no call sets
    BinaryProbe f;
    char buffer[4] = {};
    DWORD count = 0;
    LONG high = 0;
    struct Row {
        const char* name;
        std::function<DWORD()> call;
        DWORD result;
        DWORD error;
    };
    const Row rows[] = {
        {"ReadFile", [&] { return DWORD(f.ReadFile(buffer, 4, &count)); }, FALSE, ERROR_INVALID_HANDLE},
        {"WriteFile bytes", [&] { return DWORD(f.WriteFile(buffer, 4, &count)); }, FALSE, ERROR_INVALID_HANDLE},
        {"WriteFile text", [&] { return DWORD(f.WriteFile(CString("abc"))); }, FALSE, ERROR_INVALID_HANDLE},
        {"WriteFile empty text", [&] { return DWORD(f.WriteFile(CString())); }, TRUE, kNoCall},
        {"SetEndOfFile", [&] { return DWORD(f.SetEndOfFile()); }, FALSE, ERROR_INVALID_HANDLE},
        {"GetFileSize", [&] { return f.GetFileSize(&count); }, INVALID_FILE_SIZE, ERROR_INVALID_HANDLE},
        {"SetFilePointer", [&] { return f.SetFilePointer(0, &high, FILE_BEGIN); }, INVALID_SET_FILE_POINTER,
         ERROR_INVALID_HANDLE},
        {"FlushFileBuffers", [&] { return DWORD(f.FlushFileBuffers()); }, FALSE, ERROR_INVALID_HANDLE},
    };
    for (const Row& r : rows) {
        SetLastError(kNoCall);
        EXPECT_EQ(r.call(), r.result) << r.name;
        EXPECT_EQ(GetLastError(), r.error) << r.name;
    }
}

TEST(BinaryFile, ForwardersReachTheOpenFile)
{
    TempDir dir;
    BinaryProbe f;
    ASSERT_EQ(f.OpenForWriting(dir.Path("f")), 1);
    DWORD count = 0, sizeHigh = 7;
    char buffer[16] = {};
    std::string results;
    const auto note = [&results](auto value) { results += std::to_string(value) + " "; };
    note(f.WriteFile("hello world", 11, &count));
    note(f.SetFilePointer(5, nullptr, FILE_BEGIN));
    note(f.SetEndOfFile());
    note(f.GetFileSize(&sizeHigh));
    note(sizeHigh);
    note(f.SetFilePointer(-4, nullptr, FILE_END));
    note(f.ReadFile(buffer, sizeof buffer, &count));
    note(f.FlushFileBuffers());
    EXPECT_EQ(results + buffer, "1 5 1 5 0 1 1 1 ello");
    f.Close();   // the file shares nothing while open: on Windows nobody else may read it
    EXPECT_EQ(ReadBytes(dir.Path("f")), "hello");
}

}  // namespace
