// CBinaryFile: open and close rules, and forwarding operations that hand
// the system's own results back, on closed and open objects. Copies of
// either file class hold their own handle on the same open file, report the
// same name and open state, and no handle is closed twice or left open.
#include "FileProbes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <memory>
#include <type_traits>
#include <vector>

namespace {

using namespace filekit_test;

TEST(BinaryFile, OpenAndCloseRules)
{
    TempDir dir;
    const std::string first = dir.Path("first"), second = dir.Path("second");
    {
        BinaryProbe f;
        EXPECT_EQ(Results({f.Close(), f.OpenForWriting(first),
                           f.OpenForWriting(second),  // refused; the first file stays usable
                           Exists(second), f.Write("x"), f.Close(), f.IsOpen(),
                           f.Open(dir.Path("no/such").c_str(), GENERIC_READ, 0, OPEN_EXISTING, 0)}),
                  "0 1 0 0 1 1 0 0");
        EXPECT_EQ(f.Name(), first.c_str());  // a failed open keeps the earlier name
        ASSERT_EQ(f.Open(first.c_str(), GENERIC_READ, 0, OPEN_EXISTING, 0), 1);
        EXPECT_FALSE(FileIsFree(first));
    }
    EXPECT_TRUE(FileIsFree(first));  // destruction closed the handle
    EXPECT_EQ(ReadBytes(first), "x");
}

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

template <class Probe>
class FileCopies : public ::testing::Test {
};
struct ProbeNames {
    template <class Probe>
    static std::string GetName(int)
    {
        return std::is_same<Probe, BinaryProbe>::value ? "Binary" : "Text";
    }
};
using ProbeTypes = ::testing::Types<BinaryProbe, TextProbe>;
TYPED_TEST_SUITE(FileCopies, ProbeTypes, ProbeNames);

TYPED_TEST(FileCopies, CopyReachesTheSameFileAndOutlivesItsSource)
{
    TempDir dir;
    const std::string path = dir.Path("f");
    auto source = std::make_unique<TypeParam>();
    ASSERT_EQ(source->OpenForWriting(path), 1);
    source->Write("ab");
    TypeParam copy(*source);
    EXPECT_EQ(copy.Name(), path.c_str());
    EXPECT_TRUE(copy.IsOpen() == 1 && copy.Handle() != source->Handle());
    copy.Write("cd");  // one shared position: lands behind "ab"
    source->Write("ef");
    source.reset();
    EXPECT_EQ(Results({copy.Write("gh"), copy.Close(), FileIsFree(path)}), "1 1 1");
    EXPECT_EQ(ReadBytes(path), "abcdefgh");

    TypeParam copyOfClosed(copy);
    EXPECT_EQ(copyOfClosed.Name(), path.c_str());
    EXPECT_EQ(copyOfClosed.Close(), 0);
}

TYPED_TEST(FileCopies, AssignmentLetsGoOfTheTargetsOwnFile)
{
    TempDir dir;
    const std::string first = dir.Path("first"), second = dir.Path("second");
    TypeParam a, b;
    ASSERT_EQ(a.OpenForWriting(first) + b.OpenForWriting(second), 2);
    b = a;
    EXPECT_TRUE(FileIsFree(second));
    EXPECT_EQ(b.Name(), first.c_str());
    b.Write("b");
    TypeParam& alias = a;
    a = alias;  // assigning an object to itself keeps it open
    EXPECT_EQ(Results({a.Write("a"), a.Close(), b.Close(), FileIsFree(first)}), "1 1 1 1");
    EXPECT_EQ(ReadBytes(first), "ba");
}

// The descriptor limit is a POSIX one; Windows has no such limit to lower.
#ifndef _WIN32
TYPED_TEST(FileCopies, WithoutAFreeDescriptorTheCopyStartsClosed)
{
    TempDir dir;
    TypeParam source;
    ASSERT_EQ(source.OpenForWriting(dir.Path("f")), 1);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit low = saved;
    low.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    std::vector<int> fillers;
    for (int fd = dup(0); fd >= 0; fd = dup(0)) fillers.push_back(fd);
    TypeParam copy(source);
    for (int fd : fillers) close(fd);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);

    EXPECT_TRUE(copy.IsOpen() == 0 && copy.Handle() == INVALID_HANDLE_VALUE);
    EXPECT_EQ(copy.Name(), dir.Path("f").c_str());
    EXPECT_EQ(source.Write("still open"), 1);
}
#endif

}  // namespace
