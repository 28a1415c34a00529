// LoadFile over a 64 MB file with 4 KB, 64 KB and 1 MB chunks, against two
// floors measured first in the same run: read(2) into one buffer allocated
// and touched beforehand ("vs_floor"), and read(2) into a fresh malloc'd
// buffer per iteration ("vs_fresh"), which adds the page faults that any
// loader handing out new heap memory pays.
#include <filekit/TextFile.h>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr size_t kFileBytes = 64u << 20;
constexpr size_t kLineBytes = 64;  // text lines of the test file, LF included

// The test file, written once per run and removed at exit.
const std::string& TestFile()
{
    static const struct File {
        std::string path =
            (std::filesystem::temp_directory_path() / ("filekit-bench-" + std::to_string(getpid()) + ".txt")).string();
        File()
        {
            std::string line(kLineBytes - 1, 'x');
            line += '\n';
            std::ofstream out(path, std::ios::binary);
            for (size_t written = 0; written < kFileBytes; written += kLineBytes) out << line;
        }
        ~File() { std::filesystem::remove(path); }
    } file;
    return file.path;
}

double g_floorSeconds = 0;  // per iteration, from the floor runs
double g_freshSeconds = 0;

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Reads the whole test file into buffer with read(2); false on a short read.
bool ReadWhole(char* buffer)
{
    const int fd = open(TestFile().c_str(), O_RDONLY);
    size_t total = 0;
    for (ssize_t n; (n = read(fd, buffer + total, kFileBytes - total)) > 0;) total += static_cast<size_t>(n);
    close(fd);
    return total == kFileBytes;
}

void BM_ReadFloor(benchmark::State& state)
{
    std::vector<char> buffer(kFileBytes);  // value-initialised: every page touched
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        if (!ReadWhole(buffer.data())) state.SkipWithError("short read");
        benchmark::DoNotOptimize(buffer.data());
    }
    g_floorSeconds = SecondsSince(start) / static_cast<double>(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kFileBytes));
}

void BM_ReadFreshFloor(benchmark::State& state)
{
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        auto* buffer = static_cast<char*>(std::malloc(kFileBytes));
        if (!buffer || !ReadWhole(buffer)) state.SkipWithError("short read");
        benchmark::DoNotOptimize(buffer);
        std::free(buffer);
    }
    g_freshSeconds = SecondsSince(start) / static_cast<double>(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kFileBytes));
}

void BM_LoadFile(benchmark::State& state)
{
    const auto chunk = static_cast<DWORD>(state.range(0));
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        CTextFile file;
        char* text = nullptr;
        DWORD size = 0;
        if (!file.Open(TestFile().c_str(), 0) || !file.LoadFile(&text, &size, chunk) || size != kFileBytes)
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(text);
        std::free(text);
    }
    const double seconds = SecondsSince(start) / static_cast<double>(state.iterations());
    if (g_floorSeconds > 0) state.counters["vs_floor"] = seconds / g_floorSeconds;
    if (g_freshSeconds > 0) state.counters["vs_fresh"] = seconds / g_freshSeconds;
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kFileBytes));
}

BENCHMARK(BM_ReadFloor)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadFreshFloor)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadFile)->Arg(4 << 10)->Arg(64 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
