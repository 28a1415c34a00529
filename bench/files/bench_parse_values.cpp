// SPDX-License-Identifier: MIT
// ParseValues throughput in values per second, over a comma-separated line
// of plain, quoted and bracketed values and over a blank-separated one.
#include <filekit/TextFile.h>

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int kValuesPerLine = 1000;

CString CommaLine()
{
    std::string line;
    for (int i = 0; i < kValuesPerLine; ++i) {
        if (i > 0) line += ", ";
        switch (i % 3) {
        case 0: line += "value" + std::to_string(i); break;
        case 1: line += "\"quoted, " + std::to_string(i) + "\""; break;
        default: line += "[bracketed " + std::to_string(i) + "]"; break;
        }
    }
    return CString(line.c_str());
}

CString BlankLine()
{
    std::string line;
    for (int i = 0; i < kValuesPerLine; ++i) line += "word" + std::to_string(i) + "   ";
    return CString(line.c_str());
}

void Split(benchmark::State& state, const CString& line, char separator)
{
    for (auto _ : state) {
        CStringArray values;
        benchmark::DoNotOptimize(CTextFile::ParseValues(line, values, separator));
        if (values.GetSize() != kValuesPerLine) state.SkipWithError("wrong value count");
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kValuesPerLine);
}

void BM_ParseValuesComma(benchmark::State& state) { Split(state, CommaLine(), ','); }
void BM_ParseValuesBlank(benchmark::State& state) { Split(state, BlankLine(), ' '); }

BENCHMARK(BM_ParseValuesComma);
BENCHMARK(BM_ParseValuesBlank);

}  // namespace
