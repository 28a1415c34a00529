// SPDX-License-Identifier: MIT
// Benchmarks of CINIFile: Open and Save of generated files of about 1 MB
// and 64 MB (MB/s, and the memory they take), GetKeyData lookups, and the
// floor an INI reader cannot beat: read(2) of the file with memchr over it.
// Counters: model_MB, the heap the opened model holds; max_rss_MB, the
// process's peak resident size so far.
//
// Run: cmake --preset release && cmake --build --preset release --target ini_bench
//      && build/release/bench/ini/ini_bench
//
// The inputs are generated deterministically into a temporary folder that
// is removed at the end; nothing is written into the source tree.
#include <filekit/INIFile.h>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr size_t kMegabyte = 1024 * 1024;
constexpr int kKeysPerSection = 50;
constexpr int kCommentEvery = 10;  // one key in ten carries a comment line

std::filesystem::path g_folder;

// A fixed pseudo-random sequence, so every run reads the same files.
class Sequence {
public:
    uint32_t Next()
    {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state >> 8;
    }

private:
    uint32_t m_state = 12345;
};

// The path of a generated file of about bytes, with keys of ~60 bytes per
// line in sections of kKeysPerSection keys.
std::string Generate(size_t bytes)
{
    const std::string path = (g_folder / ("gen-" + std::to_string(bytes) + ".ini")).string();
    if (std::filesystem::exists(path)) return path;
    Sequence random;
    std::string text;
    text.reserve(bytes + 256);
    for (int key = 0; text.size() < bytes; ++key) {
        if (key % kKeysPerSection == 0) {
            const std::string section = std::to_string(key / kKeysPerSection);
            text += "\n; section " + section + "\n[section_" + section + "]\n";
        }
        if (key % kCommentEvery == 0) text += "; about key " + std::to_string(key) + "\n";
        text += "key_" + std::to_string(key % kKeysPerSection) + " = ";
        const size_t length = 24 + random.Next() % 24;
        for (size_t i = 0; i < length; ++i) text += static_cast<char>('a' + random.Next() % 26);
        text += '\n';
    }
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

size_t HeapInUse() { return mallinfo2().uordblks; }

double MaxRssMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void ReportFile(benchmark::State& state, const std::string& path)
{
    const auto size = static_cast<int64_t>(std::filesystem::file_size(path));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
    state.counters["max_rss_MB"] = MaxRssMegabytes();
}

void ReadFloor(benchmark::State& state)
{
    const std::string path = Generate(static_cast<size_t>(state.range(0)) * kMegabyte);
    std::vector<char> buffer(64 * 1024);
    for (auto _ : state) {
        const int fd = open(path.c_str(), O_RDONLY);
        size_t lines = 0;
        for (ssize_t got; (got = read(fd, buffer.data(), buffer.size())) > 0;) {
            const char* p = buffer.data();
            const char* end = p + got;
            while ((p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p))))) {
                ++lines;
                ++p;
            }
        }
        close(fd);
        benchmark::DoNotOptimize(lines);
    }
    ReportFile(state, path);
}

void Open(benchmark::State& state)
{
    const std::string path = Generate(static_cast<size_t>(state.range(0)) * kMegabyte);
    size_t modelBytes = 0;
    for (auto _ : state) {
        state.PauseTiming();  // building and destroying the object, and measuring, are not part of Open
        auto ini = std::make_unique<CINIFile>();
        const size_t before = HeapInUse();
        state.ResumeTiming();
        if (!ini->Open(path.c_str())) state.SkipWithError("cannot open");
        state.PauseTiming();
        modelBytes = HeapInUse() - before;
        ini.reset();
        state.ResumeTiming();
    }
    ReportFile(state, path);
    state.counters["model_MB"] = static_cast<double>(modelBytes) / kMegabyte;
}

void Save(benchmark::State& state)
{
    const std::string path = Generate(static_cast<size_t>(state.range(0)) * kMegabyte);
    const std::string out = (g_folder / "saved.ini").string();
    CINIFile ini;
    if (!ini.Open(path.c_str())) state.SkipWithError("cannot open");
    for (auto _ : state) {
        if (!ini.Save(out.c_str())) state.SkipWithError("cannot save");
    }
    ReportFile(state, path);
}

// Lookups of every key of a file of about 1 MB, in file order.
void GetKeyData(benchmark::State& state)
{
    const std::string path = Generate(kMegabyte);
    CINIFile ini;
    if (!ini.Open(path.c_str())) state.SkipWithError("cannot open");
    std::vector<std::pair<CString, CString>> names;
    for (int s = 0; s < ini.GetSectionCount(); ++s) {
        CINIFile::CINIFileSection* section = ini.GetSection(s);
        CString name, value, comment;
        for (int k = 0; section->GetKey(k, name, value, comment); ++k) names.emplace_back(section->m_strName, name);
    }
    CString value, comment;
    size_t next = 0;
    for (auto _ : state) {
        const auto& [section, key] = names[next];
        benchmark::DoNotOptimize(ini.GetKeyData(section, key, value, comment));
        next = next + 1 == names.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
    state.counters["sections"] = ini.GetSectionCount();
}

BENCHMARK(ReadFloor)->Arg(1)->Arg(64)->Unit(benchmark::kMillisecond);
BENCHMARK(Open)->Arg(1)->Arg(64)->Unit(benchmark::kMillisecond);
BENCHMARK(Save)->Arg(1)->Arg(64)->Unit(benchmark::kMillisecond);
BENCHMARK(GetKeyData);

}  // namespace

int main(int argc, char** argv)
{
    char pattern[] = "/tmp/filekit-bench-ini-XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    g_folder = pattern;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(g_folder, ignored);
    return 0;
}
