// CTextFile: opening for reading through LoadData or for writing, share
// mode 0, line output through the virtual WriteString, Save, and LoadFile
// with StrCatGrow: chunking, zero bytes, empty and closed files, and failed
// reads and allocations part-way.
#include "FileProbes.h"
#include "support/Script.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
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
    EXPECT_EQ(f.seenByLoad, "");  // opening for writing does not load
    f.Close();
    ASSERT_EQ(f.Open(path.c_str(), 0), 1);
    EXPECT_EQ(f.seenByLoad, "open=0 write=0 name=" + before + " read=1:a load=1:bc:2");
    EXPECT_EQ(f.GetFile(), path.c_str());
    f.Close();

    refusing.acceptLoad = 0;
    EXPECT_EQ(Results({refusing.Open(path.c_str(), 0), refusing.IsOpen(),
                       FileIsFree(path)}),  // the refused open let go of its handle
              "0 0 1");
    EXPECT_EQ(refusing.GetFile(), "");
}

TEST(TextFile, LineOutput)
{
    const struct {
        std::function<int(CTextFile&)> call;
        int failWriteAt;  // the WriteString call that fails, -1: none
        std::string expected;  // the result and what was written; a closed object writes nothing, returns 0
    } rows[] = {
        {[](CTextFile& f) { return f.WriteString(""); }, -1, "1:"},
        {[](CTextFile& f) { return f.WriteString("a\nb\r"); }, -1, "1:a\nb\r"},
        {[](CTextFile& f) { return f.WriteEmptyLine(3); }, -1, "1:\r\n\r\n\r\n"},
        {[](CTextFile& f) { return f.WriteEmptyLine(0); }, -1, "0:"},
        {[](CTextFile& f) { return f.WriteEmptyLine(-1); }, -1, "0:"},
        // Line ends go through the virtual WriteString and stop at its first failure.
        {[](CTextFile& f) { return f.WriteEmptyLine(5); }, 2, "0:\r\n\r\n"},
    };
    TempDir dir;
    for (const auto& r : rows) {
        HookedFile open, closed;
        ASSERT_EQ(open.Open(dir.Path("out").c_str(), 1), 1);
        open.failWriteAt = r.failWriteAt;
        const int result = r.call(open);
        open.Close();  // the file shares nothing while open: on Windows nobody else may read it
        EXPECT_EQ(std::to_string(result) + ":" + ReadBytes(dir.Path("out")), r.expected);
        EXPECT_EQ(r.call(closed), 0) << r.expected;
    }
}

TEST(TextFile, SaveRunsSaveDataOnlyWhileOpen)
{
    TempDir dir;
    HookedFile f;
    EXPECT_EQ(Results({f.Save(), f.saveCalls, f.Open(dir.Path("f").c_str(), 1)}), "0 0 1");
    f.saveAnswer = 5;
    EXPECT_EQ(f.Save(), 1);
    f.saveAnswer = 0;
    EXPECT_EQ(Results({f.Save(), f.saveCalls, f.Close()}), "0 2 1");  // Save did not close
    EXPECT_EQ(f.GetFile(), dir.Path("f").c_str());
}

TEST(LoadFile, ChunkingAndZeroBytes)
{
    TempDir dir;
    for (const ScriptLine& line : ReadScript("files", "load.txt")) {
        const std::vector<std::string> w = Words(line.text);
        WriteBytes(dir.Path("f"), Unescape(w[0]));
        Loader f;
        ASSERT_TRUE(f.Open(dir.Path("f").c_str(), 0));
        EXPECT_EQ(f.Load(static_cast<DWORD>(std::stoul(w[1]))), line.expected) << line.where;
    }
}

TEST(LoadFile, StartsAtTheCurrentPositionAndNeedsAHandle)
{
    TempDir dir;
    WriteBytes(dir.Path("f"), "header|body");
    Loader f;
    EXPECT_EQ(f.Load(64), "0 NULL 0");
    char head[7];
    DWORD count = 0, size = 5;
    ASSERT_TRUE(f.Open(dir.Path("f").c_str(), 0) && f.ReadFile(head, sizeof head, &count));
    EXPECT_EQ(f.Load(64), "1 \"body\" 4");
    EXPECT_EQ(Results({f.LoadFile(nullptr, &size, 64), size}), "0 5");  // a NULL argument leaves the other alone
}

TEST(StrCatGrow, AppendsAndLeavesTheStringAloneOnFailure)
{
    HookGuard guard;
    char* text = nullptr;
    EXPECT_TRUE(Loader::StrCatGrow(&text, "") && text && *text == '\0');
    EXPECT_TRUE(Loader::StrCatGrow(&text, "ab") && Loader::StrCatGrow(&text, text));  // the text may be the target
    EXPECT_STREQ(text, "abab");
    EXPECT_FALSE(Loader::StrCatGrow(nullptr, "x") || Loader::StrCatGrow(&text, nullptr));
    filekit::g_heap.reallocate = [](void*, size_t) -> void* { return nullptr; };
    EXPECT_FALSE(Loader::StrCatGrow(&text, "cd"));
    EXPECT_STREQ(text, "abab");
    std::free(text);
}

}  // namespace
