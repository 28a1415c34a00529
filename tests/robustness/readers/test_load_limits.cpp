// Loading that never runs away and costs one copy: CTextFile::LoadFile
// reads chunks straight into one block that grows geometrically (or is sized
// from a regular file's length), hands back a block of exactly the text and
// its terminator, and stops with 0 before its DWORD size would wrap. Huge
// streams are faked through the POSIX layer's read, so no test reads
// gigabytes from disk.
#include <filekit/TextFile.h>

#include "platform/Heap.h"
#include "robustness/readers/ReaderData.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include "platform/posix/Syscalls.h"
#endif

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

using namespace filekit_test;

// A text file whose LoadData loads the rest of the file with the chunk
// given, keeping the outputs.
class Loader : public CTextFile {
public:
    explicit Loader(DWORD chunk = 0) : m_chunk(chunk) {}
    ~Loader() override { std::free(m_text); }
    Loader(const Loader&) = delete;
    Loader& operator=(const Loader&) = delete;

    // "result text size", the text shown escaped or as NULL.
    std::string Load(DWORD chunk)
    {
        std::free(m_text);
        m_text = nullptr;
        const int result = LoadFile(&m_text, &m_size, chunk);
        return std::to_string(result) + " " + (m_text ? Escape(m_text) : "NULL") + " " + std::to_string(m_size);
    }

    std::string loaded;  // what LoadData's load gave

private:
    int LoadData() override
    {
        if (m_chunk != 0) loaded = Load(m_chunk);
        return 1;
    }

    DWORD m_chunk;
    char* m_text = nullptr;
    DWORD m_size = 0;
};

TEST(LoadLimits, ChunksOfARegularFile)
{
    const auto rows = ReadTable("robustness/readers/load-chunks.tsv");
    ASSERT_GE(rows.size(), 10u);
    TempDir dir;
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 4u);
        WriteBytes(dir.Path("f"), row[0]);
        Loader f;
        ASSERT_EQ(f.Open(dir.Path("f").c_str(), 0), 1);
        const std::string text = row[2] == "NULL" ? row[2] : Escape(row[2]);
        EXPECT_EQ(f.Load(static_cast<DWORD>(std::stoul(row[1]))), "1 " + text + " " + row[3]) << Escape(row[0]);
    }
}

// Counts of the heap calls LoadFile makes, and the size of the last one.
struct HeapCount {
    static inline int allocations = 0;
    static inline int reallocations = 0;
    static inline std::size_t lastSize = 0;

    static void Start()
    {
        allocations = reallocations = 0;
        lastSize = 0;
        filekit::g_heap.allocate = [](std::size_t size) {
            ++allocations;
            lastSize = size;
            return filekit::RealHeapCalls().allocate(size);
        };
        filekit::g_heap.reallocate = [](void* block, std::size_t size) {
            ++reallocations;
            lastSize = size;
            return filekit::RealHeapCalls().reallocate(block, size);
        };
    }
    static void Stop() { filekit::g_heap = filekit::RealHeapCalls(); }
};

// A regular file's length sizes the block: one allocation and one trim to
// the text and its terminator, whatever the chunk.
TEST(LoadLimits, ARegularFileIsLoadedIntoOneBlock)
{
    TempDir dir;
    const std::string text(size_t{256} << 10, 'a');
    WriteBytes(dir.Path("f"), text);
    for (const DWORD chunk : {DWORD{2}, DWORD{4097}, DWORD{1} << 20, DWORD{4} << 20}) {
        Loader f;
        ASSERT_EQ(f.Open(dir.Path("f").c_str(), 0), 1);
        HeapCount::Start();
        const std::string result = f.Load(chunk);
        HeapCount::Stop();
        EXPECT_EQ(result, "1 " + text + " " + std::to_string(text.size())) << chunk;
        EXPECT_EQ(Results({HeapCount::allocations, HeapCount::reallocations}), "1 1") << chunk;
        EXPECT_EQ(HeapCount::lastSize, text.size() + 1) << chunk;
    }
}

#ifndef _WIN32
// A fake stream behind the POSIX layer's read: g_streamBytes bytes in all,
// each read served whole; g_fill is the byte served. Zeros are written whole
// by the first read only: while its text stays empty, LoadFile reads into
// the same place of its block, so only a marker byte is written after that,
// which keeps gigabytes of zeros cheap.
std::uint64_t g_streamBytes = 0;
std::uint64_t g_served = 0;
char g_fill = '\0';

int g_failAfter = 0;  // reads served before one fails (0: none fails)

ssize_t FakeRead(int, void* buffer, size_t count)
{
    if (g_failAfter > 0 && --g_failAfter == 0) {
        errno = EIO;
        return -1;
    }
    const std::uint64_t left = g_streamBytes - g_served;
    const size_t served = left < count ? static_cast<size_t>(left) : count;
    if (served == 0) return 0;
    if (g_fill == '\0' && g_served > 0)
        static_cast<char*>(buffer)[0] = '\0';
    else
        std::memset(buffer, g_fill, served);
    g_served += served;
    return static_cast<ssize_t>(served);
}

// Loads from the fake stream through an empty regular file, whose length
// gives no size hint.
std::string LoadStream(std::uint64_t bytes, char fill, DWORD chunk)
{
    TempDir dir;
    WriteBytes(dir.Path("f"), "");
    Loader f;
    EXPECT_EQ(f.Open(dir.Path("f").c_str(), 0), 1);
    g_streamBytes = bytes;
    g_served = 0;
    g_fill = fill;
    filekit::g_sys.read = FakeRead;
    const std::string result = f.Load(chunk);
    filekit::g_sys = filekit::RealSysCalls();
    return result;
}

TEST(LoadLimits, StopsBeforeTheSizeWraps)
{
    constexpr DWORD kChunk = (DWORD{1} << 20) + 1;
    constexpr std::uint64_t kMaxSize = 0xFFFFFFFFu;
    // Empty chunk texts (as /dev/zero gives) no longer keep it going for ever.
    EXPECT_EQ(LoadStream(kMaxSize + 1, '\0', kChunk), "0 NULL 0");
    EXPECT_EQ(g_served, kMaxSize + 1);
    EXPECT_EQ(LoadStream(kMaxSize * 2, '\0', kChunk), "0 NULL 0");
    EXPECT_LE(g_served, kMaxSize + kChunk);
    EXPECT_EQ(LoadStream(kMaxSize, '\0', kChunk), "1  " + std::to_string(kMaxSize));  // what fits is loaded
}

TEST(LoadLimits, AStreamGrowsGeometrically)
{
    constexpr std::uint64_t kBytes = std::uint64_t{8} << 20;
    HeapCount::Start();
    const std::string result = LoadStream(kBytes, 'a', 17);
    HeapCount::Stop();
    EXPECT_EQ(result, "1 " + std::string(kBytes, 'a') + " " + std::to_string(kBytes));
    EXPECT_EQ(HeapCount::allocations, 1);
    EXPECT_LE(HeapCount::reallocations, 25);  // doublings from 17 bytes to 8 MB, and the trim
    EXPECT_EQ(HeapCount::lastSize, kBytes + 1);
}

// A stream whose block cannot grow, or whose read fails, part-way: 1, with
// the text read so far and its size.
TEST(LoadLimits, PartWayFailuresKeepWhatWasRead)
{
    constexpr std::uint64_t kBytes = 1000;
    filekit::g_heap.reallocate = [](void* block, std::size_t size) -> void* {
        return size > 100 ? nullptr : filekit::RealHeapCalls().reallocate(block, size);
    };
    const std::string grown = LoadStream(kBytes, 'a', 17);
    filekit::g_heap = filekit::RealHeapCalls();
    const size_t kept = std::stoul(grown.substr(grown.rfind(' ') + 1));
    EXPECT_TRUE(kept > 0 && kept < 100) << grown;
    EXPECT_EQ(grown, "1 " + std::string(kept, 'a') + " " + std::to_string(kept));

    g_failAfter = 3;
    const std::string failed = LoadStream(kBytes, 'a', 17);
    const size_t read = std::stoul(failed.substr(failed.rfind(' ') + 1));
    EXPECT_TRUE(read > 0 && read < kBytes) << failed;
    EXPECT_EQ(failed, "1 " + std::string(read, 'a') + " " + std::to_string(read));
}

// CTextFile::Open for reading takes a device as the system opens it; the
// load then ends at the size limit.
TEST(LoadLimits, EndlessDeviceEndsAtTheLimit)
{
    Loader f((DWORD{16} << 20) + 1);
    ASSERT_EQ(f.Open("/dev/zero", 0), 1);
    EXPECT_EQ(f.loaded, "0 NULL 0");
}
#endif

}  // namespace
