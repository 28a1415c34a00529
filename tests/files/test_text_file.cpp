// CTextFile: opening for reading through LoadData or for writing, share
// mode 0, line output through the virtual WriteString, and Save.
#include "FileProbes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace {

using namespace filekit_test;

// Records what LoadData saw and counts SaveData calls; the answers of its
// hooks, and a WriteString call that fails, are set by the test.
class HookedFile : public CTextFile {
public:
    int acceptLoad = 1, saveAnswer = 1, saveCalls = 0, writeCalls = 0, failWriteAt = -1;
    std::string seenByLoad;

    int WriteString(const CString& text) override
    {
        return writeCalls++ == failWriteAt ? 0 : CTextFile::WriteString(text);
    }

protected:
    int LoadData() override
    {
        char first = 0;
        DWORD count = 0, size = 0;
        const BOOL readOk = ReadFile(&first, 1, &count);
        char* rest = nullptr;
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

TEST(TextFile, LoadDataRunsOnTheNewHandleBeforeTheOpenCounts)
{
    TempDir dir;
    const std::string before = dir.Path("before"), path = dir.Path("data");
    WriteBytes(path, "abc");
    HookedFile f, refusing;
    ASSERT_EQ(f.Open(before.c_str(), 1), 1);
    EXPECT_EQ(f.seenByLoad, "");   // opening for writing does not load
    f.Close();
    ASSERT_EQ(f.Open(path.c_str(), 0), 1);
    EXPECT_EQ(f.seenByLoad, "open=0 write=0 name=" + before + " read=1:a load=1:bc:2");
    EXPECT_EQ(f.GetFile(), path.c_str());
    f.Close();

    refusing.acceptLoad = 0;
    EXPECT_EQ(refusing.Open(path.c_str(), 0), 0);
    EXPECT_EQ(refusing.IsOpen(), 0);
    EXPECT_EQ(refusing.GetFile(), "");
    EXPECT_TRUE(FileIsFree(path));   // the refused open let go of its handle
}

TEST(TextFile, ReadingCreatesWritingTruncatesAndNobodyElseGetsIn)
{
    TempDir dir;
    const std::string missing = dir.Path("missing"), existing = dir.Path("existing");
    WriteBytes(existing, "old content");
    CTextFile reader, writer, other;
    EXPECT_EQ(reader.Open(missing.c_str(), 0), 1);
    EXPECT_TRUE(Exists(missing));
    EXPECT_EQ(writer.Open(existing.c_str(), 1), 1);
    EXPECT_EQ(ReadBytes(existing), "");
    EXPECT_EQ(reader.WriteString("abc"), 0);   // a handle without write access
    EXPECT_EQ(reader.Open(existing.c_str(), 0), 0);   // already open
    for (const std::string& held : {missing, existing}) {
        EXPECT_EQ(CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr),
                  INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        EXPECT_EQ(other.Open(held.c_str(), 0), 0);
    }
    reader.Close();
    writer.Close();
    EXPECT_TRUE(FileIsFree(missing) && FileIsFree(existing));
}

TEST(TextFile, LineOutput)
{
    struct Row {
        const char* name;
        std::function<int(CTextFile&)> call;
        int failWriteAt;   // the WriteString call that fails, -1: none
        int openResult;
        std::string written;   // a closed object writes nothing and returns 0
    };
    const Row rows[] = {
        {"empty text", [](CTextFile& f) { return f.WriteString(""); }, -1, 1, ""},
        {"bytes as they are", [](CTextFile& f) { return f.WriteString("a\nb\r"); }, -1, 1, "a\nb\r"},
        {"three line ends", [](CTextFile& f) { return f.WriteEmptyLine(3); }, -1, 1, "\r\n\r\n\r\n"},
        {"zero lines", [](CTextFile& f) { return f.WriteEmptyLine(0); }, -1, 0, ""},
        {"negative lines", [](CTextFile& f) { return f.WriteEmptyLine(-1); }, -1, 0, ""},
        // Line ends go through the virtual WriteString and stop at its first failure.
        {"failing line end", [](CTextFile& f) { return f.WriteEmptyLine(5); }, 2, 0, "\r\n\r\n"},
    };
    TempDir dir;
    for (const Row& r : rows) {
        HookedFile open, closed;
        ASSERT_EQ(open.Open(dir.Path("out").c_str(), 1), 1);
        open.failWriteAt = r.failWriteAt;
        EXPECT_EQ(r.call(open), r.openResult) << r.name;
        open.Close();   // the file shares nothing while open: on Windows nobody else may read it
        EXPECT_EQ(ReadBytes(dir.Path("out")), r.written) << r.name;
        EXPECT_EQ(r.call(closed), 0) << r.name;
    }
}

TEST(TextFile, SaveRunsSaveDataOnlyWhileOpen)
{
    TempDir dir;
    HookedFile f;
    EXPECT_EQ(f.Save(), 0);
    EXPECT_EQ(f.saveCalls, 0);
    ASSERT_EQ(f.Open(dir.Path("f").c_str(), 1), 1);
    f.saveAnswer = 5;
    EXPECT_EQ(f.Save(), 1);
    f.saveAnswer = 0;
    EXPECT_EQ(f.Save(), 0);
    EXPECT_EQ(f.saveCalls, 2);
    EXPECT_EQ(f.Close(), 1);   // Save did not close
    EXPECT_EQ(f.GetFile(), dir.Path("f").c_str());
}

}  // namespace
