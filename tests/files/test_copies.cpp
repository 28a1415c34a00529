// Copies of CBinaryFile and CTextFile hold their own handle on the same
// open file, report the same name and open state, and no handle is closed
// twice or left open.
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

template <class Probe>
class FileCopies : public ::testing::Test {};
struct ProbeNames {
    template <class Probe>
    static std::string GetName(int) { return std::is_same<Probe, BinaryProbe>::value ? "Binary" : "Text"; }
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
    EXPECT_EQ(copy.IsOpen(), 1);
    EXPECT_NE(copy.Handle(), source->Handle());
    copy.Write("cd");   // one shared position: lands behind "ab"
    source->Write("ef");
    source.reset();
    EXPECT_EQ(copy.Write("gh"), 1);
    EXPECT_EQ(copy.Close(), 1);
    EXPECT_TRUE(FileIsFree(path));
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
    ASSERT_EQ(a.OpenForWriting(first), 1);
    ASSERT_EQ(b.OpenForWriting(second), 1);
    b = a;
    EXPECT_TRUE(FileIsFree(second));
    EXPECT_EQ(b.Name(), first.c_str());
    b.Write("b");
    TypeParam& alias = a;
    a = alias;   // assigning an object to itself keeps it open
    EXPECT_EQ(a.Write("a"), 1);
    a.Close();
    b.Close();
    EXPECT_TRUE(FileIsFree(first));
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

    EXPECT_EQ(copy.IsOpen(), 0);
    EXPECT_EQ(copy.Handle(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(copy.Name(), dir.Path("f").c_str());
    EXPECT_EQ(source.Write("still open"), 1);
}
#endif

}  // namespace
