// Handle duplication: a second handle on the same open file, as Win32's
// DuplicateHandle gives (on Windows it is that call).
#include "platform/FileHandle.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using filekit_test::ReadBytes;
using filekit_test::TempDir;
using filekit_test::WriteBytes;

HANDLE Open(const std::string& path, DWORD access, DWORD share)
{
    return CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST(DuplicateFileHandle, SharesPositionAndRightsAndOutlivesTheOriginal)
{
    TempDir dir;
    const std::string path = dir.Path("f");
    WriteBytes(path, "abcdef");
    const HANDLE original = Open(path, GENERIC_READ, 0);
    ASSERT_NE(original, INVALID_HANDLE_VALUE);
    const HANDLE copy = filekit::DuplicateFileHandle(original);
    ASSERT_NE(copy, INVALID_HANDLE_VALUE);
    EXPECT_NE(copy, original);

    // One position for both.
    EXPECT_EQ(SetFilePointer(original, 2, nullptr, FILE_BEGIN), 2u);
    EXPECT_EQ(SetFilePointer(copy, 0, nullptr, FILE_CURRENT), 2u);
    // The copy has the original's rights: reading, not writing.
    DWORD count = 0;
    EXPECT_FALSE(WriteFile(copy, "x", 1, &count, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    // The original's share mode still refuses newcomers, not the copy.
    EXPECT_EQ(Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);

    EXPECT_TRUE(CloseHandle(original));
    char buffer[8];
    EXPECT_TRUE(ReadFile(copy, buffer, sizeof buffer, &count, nullptr));
    EXPECT_EQ(std::string(buffer, count), "cdef");
    // The file stays held until the last handle on it is closed.
    EXPECT_EQ(Open(path, GENERIC_READ, FILE_SHARE_READ), INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CloseHandle(copy));
    const HANDLE again = Open(path, GENERIC_READ, 0);
    EXPECT_NE(again, INVALID_HANDLE_VALUE);
    CloseHandle(again);
    EXPECT_EQ(ReadBytes(path), "abcdef");
}

TEST(DuplicateFileHandle, RefusesHandlesThatAreNotOpen)
{
    TempDir dir;
    WriteBytes(dir.Path("f"), "x");
    const HANDLE closed = Open(dir.Path("f"), GENERIC_READ, 0);
    ASSERT_NE(closed, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(CloseHandle(closed));
    for (const HANDLE h : {INVALID_HANDLE_VALUE, closed, static_cast<HANDLE>(nullptr)}) {
        SetLastError(NO_ERROR);
        EXPECT_EQ(filekit::DuplicateFileHandle(h), INVALID_HANDLE_VALUE) << h;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE)) << h;
    }
}

}  // namespace
