// CTextFile: opening for reading through LoadData or for writing, share
// mode 0, line output through the virtual WriteString, and Save.
#include "FileProbes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <vector>

namespace {

using namespace filekit_test;

// Records what its hooks saw; its load and save answers are set by the test.
class HookedFile : public CTextFile {
public:
    int acceptLoad = 1;
    int saveAnswer = 1;
    int saveCalls = 0;
    std::string seenByLoad;

protected:
    int LoadData() override
    {
        char first = 0;
        DWORD count = 0;
        const BOOL readOk = ReadFile(&first, 1, &count);
        char* rest = nullptr;
        DWORD size = 0;
        const int loaded = LoadFile(&rest, &size, 64);
        seenByLoad = "open=" + std::to_string(IsOpen()) + " write=" + std::to_string(WriteString("x")) +
                     " name=" + GetFile().GetString() + " read=" + std::to_string(readOk) + ":" + first +
                     " load=" + std::to_string(loaded) + ":" + (rest ? rest : "(null)") + ":" + std::to_string(size);
        std::free(rest);
        return acceptLoad;
    }
    int SaveData() override
    {
        ++saveCalls;
        return saveAnswer;
    }
};

// Records every WriteString call and fails the one numbered failAt.
class RecordingFile : public CTextFile {
public:
    int failAt = -1;
    std::vector<std::string> writes;
    int WriteString(const CString& text) override
    {
        writes.push_back(text.GetString());
        return static_cast<int>(writes.size()) - 1 == failAt ? 0 : CTextFile::WriteString(text);
    }
};

TEST(TextFile, LoadDataRunsOnTheNewHandleBeforeTheOpenCounts)
{
    TempDir dir;
    const std::string before = dir.Path("before"), path = dir.Path("data");
    WriteBytes(path, "abc");
    HookedFile f;
    ASSERT_EQ(f.Open(before.c_str(), 1), 1);
    EXPECT_EQ(f.seenByLoad, "");   // opening for writing does not load
    f.Close();
    ASSERT_EQ(f.Open(path.c_str(), 0), 1);
    EXPECT_EQ(f.seenByLoad, "open=0 write=0 name=" + before + " read=1:a load=1:bc:2");
    EXPECT_EQ(f.GetFile(), path.c_str());
    EXPECT_EQ(f.IsOpen(), 1);

    HookedFile refusing;
    refusing.acceptLoad = 0;
    f.Close();
    EXPECT_EQ(refusing.Open(path.c_str(), 0), 0);
    EXPECT_EQ(refusing.IsOpen(), 0);
    EXPECT_EQ(refusing.GetFile(), "");
    EXPECT_TRUE(FileIsFree(path));   // the refused open let go of its handle
}

TEST(TextFile, OpenCreatesForReadingAndTruncatesForWriting)
{
    TempDir dir;
    const std::string missing = dir.Path("missing"), existing = dir.Path("existing");
    WriteBytes(existing, "old content");
    CTextFile reader, writer;
    EXPECT_EQ(reader.Open(missing.c_str(), 0), 1);
    EXPECT_TRUE(Exists(missing));
    EXPECT_EQ(writer.Open(existing.c_str(), 1), 1);
    EXPECT_EQ(ReadBytes(existing), "");
    EXPECT_EQ(writer.WriteString("abc"), 1);
    EXPECT_EQ(reader.WriteString("abc"), 0);   // a handle without write access
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(reader.Open(existing.c_str(), 0), 0);   // already open
    EXPECT_EQ(ReadBytes(existing), "abc");
}

TEST(TextFile, ShareModeZeroKeepsEveryOtherOpenerOut)
{
    TempDir dir;
    const std::string path = dir.Path("f");
    for (int write : {0, 1}) {
        CTextFile held, other;
        ASSERT_EQ(held.Open(path.c_str(), write), 1);
        const HANDLE shared = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(shared, INVALID_HANDLE_VALUE) << write;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION)) << write;
        EXPECT_EQ(other.Open(path.c_str(), 0), 0) << write;
        held.Close();
        EXPECT_TRUE(FileIsFree(path)) << write;
    }
}

TEST(TextFile, LineOutput)
{
    struct Row {
        const char* name;
        std::function<int(CTextFile&)> call;
        int openResult;
        std::string written;
        int closedResult;
    };
    const Row rows[] = {
        {"empty text", [](CTextFile& f) { return f.WriteString(""); }, 1, "", 0},
        {"bytes as they are", [](CTextFile& f) { return f.WriteString("a\nb\r"); }, 1, "a\nb\r", 0},
        {"three line ends", [](CTextFile& f) { return f.WriteEmptyLine(3); }, 1, "\r\n\r\n\r\n", 0},
        {"zero lines", [](CTextFile& f) { return f.WriteEmptyLine(0); }, 0, "", 0},
        {"negative lines", [](CTextFile& f) { return f.WriteEmptyLine(-1); }, 0, "", 0},
    };
    TempDir dir;
    for (const Row& r : rows) {
        CTextFile open, closed;
        ASSERT_EQ(open.Open(dir.Path("out").c_str(), 1), 1);
        EXPECT_EQ(r.call(open), r.openResult) << r.name;
        EXPECT_EQ(ReadBytes(dir.Path("out")), r.written) << r.name;
        EXPECT_EQ(r.call(closed), r.closedResult) << r.name;
    }
}

TEST(TextFile, EmptyLinesGoThroughWriteStringAndStopAtAFailure)
{
    TempDir dir;
    RecordingFile f;
    ASSERT_EQ(f.Open(dir.Path("out").c_str(), 1), 1);
    EXPECT_EQ(f.WriteEmptyLine(2), 1);
    f.failAt = 3;
    EXPECT_EQ(f.WriteEmptyLine(5), 0);
    EXPECT_EQ(f.writes, std::vector<std::string>(4, "\r\n"));
    EXPECT_EQ(ReadBytes(dir.Path("out")), "\r\n\r\n\r\n");
}

TEST(TextFile, SaveRunsSaveDataOnlyWhileOpen)
{
    TempDir dir;
    const std::string path = dir.Path("f");
    HookedFile f;
    EXPECT_EQ(f.Save(), 0);
    EXPECT_EQ(f.saveCalls, 0);
    ASSERT_EQ(f.Open(path.c_str(), 1), 1);
    f.saveAnswer = 5;
    EXPECT_EQ(f.Save(), 1);
    f.saveAnswer = 0;
    EXPECT_EQ(f.Save(), 0);
    EXPECT_EQ(f.saveCalls, 2);
    EXPECT_EQ(f.IsOpen(), 1);   // Save does not close
    EXPECT_EQ(f.Close(), 1);
    EXPECT_EQ(f.Close(), 0);
    EXPECT_EQ(f.GetFile(), path.c_str());
}

}  // namespace
