// CBinaryFile's forwarding operations hand the system's own results back,
// on closed and open objects. (Opening, closing and copies: the scripts in
// tests/data/files/scripts.)
#include "FileProbes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

using namespace filekit_test;

TEST(BinaryFile, ForwardersOnClosedObjectReturnTheSystemsFailure)
{
    constexpr DWORD kNoCall = 0xDEADBEEF;  // last error that no call sets
    BinaryProbe f;
    char buffer[4] = {};
    DWORD count = 0;
    LONG high = 0;
    // Writing empty text succeeds without a call; the rest fail as the system does.
    EXPECT_EQ(
        Results({f.ReadFile(buffer, 4, &count), GetLastError(), f.WriteFile(buffer, 4, &count), GetLastError(),
                 f.WriteFile(CString("abc")), GetLastError(), (SetLastError(kNoCall), f.WriteFile(CString())),
                 GetLastError() == kNoCall, f.SetEndOfFile(), GetLastError(), f.GetFileSize(&count), GetLastError(),
                 f.SetFilePointer(0, &high, FILE_BEGIN), GetLastError(), f.FlushFileBuffers(), GetLastError()}),
        Results({0, ERROR_INVALID_HANDLE, 0, ERROR_INVALID_HANDLE, 0, ERROR_INVALID_HANDLE, 1, 1, 0,
                 ERROR_INVALID_HANDLE, INVALID_FILE_SIZE, ERROR_INVALID_HANDLE, INVALID_SET_FILE_POINTER,
                 ERROR_INVALID_HANDLE, 0, ERROR_INVALID_HANDLE}));
}

TEST(BinaryFile, ForwardersReachTheOpenFile)
{
    TempDir dir;
    BinaryProbe f;
    ASSERT_EQ(f.OpenForWriting(dir.Path("f")), 1);
    DWORD count = 0, sizeHigh = 7;
    char buffer[16] = {};
    EXPECT_EQ(Results({f.WriteFile("hello world", 11, &count), f.SetFilePointer(5, nullptr, FILE_BEGIN),
                       f.SetEndOfFile(), f.GetFileSize(&sizeHigh), sizeHigh, f.SetFilePointer(-4, nullptr, FILE_END),
                       f.ReadFile(buffer, sizeof buffer, &count), f.FlushFileBuffers()}) +
                  " " + buffer,
              "1 5 1 5 0 1 1 1 ello");
    f.Close();  // the file shares nothing while open: on Windows nobody else may read it
    EXPECT_EQ(ReadBytes(dir.Path("f")), "hello");
}

}  // namespace
