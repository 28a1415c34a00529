// SPDX-License-Identifier: MIT
// LoadFile over 4 MB and 64 MB files with 4 KB, 64 KB and 1 MB chunks,
// against two floors measured first in the same run for each file: read(2)
// into one buffer allocated and touched beforehand ("vs_floor"), and
// read(2) into a fresh malloc'd block per iteration ("vs_fresh"), which
// adds the page faults that any loader handing out new heap memory pays.
// LoadFile's target is vs_fresh <= 1.3. The process runs as it starts, with
// no allocator tuning, as an application's would.
#include <filekit/TextFile.h>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr size_t kLineBytes = 64;  // text lines of the test files, LF included
constexpr int64_t kSmallFile = int64_t{4} << 20;
constexpr int64_t kLargeFile = int64_t{64} << 20;

// A test file of the given size, written on first use and removed at exit.
class TestFile {
public:
    explicit TestFile(size_t bytes)
        : m_path((std::filesystem::temp_directory_path() /
                  ("filekit-bench-" + std::to_string(getpid()) + "-" + std::to_string(bytes) + ".txt"))
                     .string())
    {
        std::string line(kLineBytes - 1, 'x');
        line += '\n';
        std::ofstream out(m_path, std::ios::binary);
        for (size_t written = 0; written < bytes; written += kLineBytes) out << line;
    }
    ~TestFile() { std::filesystem::remove(m_path); }
    TestFile(const TestFile&) = delete;
    TestFile& operator=(const TestFile&) = delete;

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

const std::string& PathOf(size_t bytes)
{
    static std::map<size_t, std::unique_ptr<TestFile>> files;
    auto& file = files[bytes];
    if (!file) file = std::make_unique<TestFile>(bytes);
    return file->Path();
}

std::map<size_t, double> g_floorSeconds;  // per iteration and file size, from the floor runs
std::map<size_t, double> g_freshSeconds;

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Reads the whole file of the given size into buffer with read(2); false on
// a short read.
bool ReadWhole(size_t bytes, char* buffer)
{
    const int fd = open(PathOf(bytes).c_str(), O_RDONLY);
    size_t total = 0;
    for (ssize_t n; (n = read(fd, buffer + total, bytes - total)) > 0;) total += static_cast<size_t>(n);
    close(fd);
    return total == bytes;
}

void BM_ReadFloor(benchmark::State& state)
{
    const auto bytes = static_cast<size_t>(state.range(0));
    PathOf(bytes);
    std::vector<char> buffer(bytes);  // value-initialised: every page touched
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        if (!ReadWhole(bytes, buffer.data())) state.SkipWithError("short read");
        benchmark::DoNotOptimize(buffer.data());
    }
    g_floorSeconds[bytes] = SecondsSince(start) / static_cast<double>(state.iterations());
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_ReadFreshFloor(benchmark::State& state)
{
    const auto bytes = static_cast<size_t>(state.range(0));
    PathOf(bytes);
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        auto* buffer = static_cast<char*>(std::malloc(bytes + 1));
        if (!buffer || !ReadWhole(bytes, buffer)) state.SkipWithError("short read");
        benchmark::DoNotOptimize(buffer);
        std::free(buffer);
    }
    g_freshSeconds[bytes] = SecondsSince(start) / static_cast<double>(state.iterations());
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_LoadFile(benchmark::State& state)
{
    const auto bytes = static_cast<size_t>(state.range(0));
    const auto chunk = static_cast<DWORD>(state.range(1));
    const std::string& path = PathOf(bytes);
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        CTextFile file;
        char* text = nullptr;
        DWORD size = 0;
        if (!file.Open(path.c_str(), 0) || !file.LoadFile(&text, &size, chunk) || size != bytes)
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(text);
        std::free(text);
    }
    const double seconds = SecondsSince(start) / static_cast<double>(state.iterations());
    if (g_floorSeconds[bytes] > 0) state.counters["vs_floor"] = seconds / g_floorSeconds[bytes];
    if (g_freshSeconds[bytes] > 0) state.counters["vs_fresh"] = seconds / g_freshSeconds[bytes];
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_ReadFloor)->Arg(kSmallFile)->Arg(kLargeFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadFreshFloor)->Arg(kSmallFile)->Arg(kLargeFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadFile)
    ->ArgsProduct({{kSmallFile, kLargeFile}, {4 << 10, 64 << 10, 1 << 20}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
