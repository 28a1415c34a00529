// SPDX-License-Identifier: MIT
// Token trees: writing a tree of a million nodes through a tokenizer that
// writes little, against a hand-written walk that calls the same tokenizer
// operations directly (the cost floor), and building plus destroying the
// same tree.
#include <filekit/TokenWriter.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// 100 top nodes with 100 children each, with 100 children each: 1,010,100
// nodes, every one with one attribute.
constexpr int kFanOut = 100;
constexpr int kLevels = 3;

void Grow(CTokenNode* node, int levels)
{
    for (int i = 0; i < kFanOut; ++i) {
        CTokenNode* child = node->AddChild("node", "value", i, 0);
        child->AddAttribute("id", "1", 0, 0);
        if (levels > 1) Grow(child, levels - 1);
    }
}

int64_t NodeCount()
{
    int64_t count = 0, level = 1;
    for (int i = 0; i < kLevels; ++i) count += level *= kFanOut;
    return count;
}

// One character per node.
class SmallTokenizer : public CTokenizer {
public:
    int BeginDocument(std::ostream&, void*&) override { return 0; }
    int BeginNode(CTokenNode*, std::ostream& out, void*&) override
    {
        out.put('n');
        return 0;
    }
    int BeginAttributes(CTokenNode*, std::ostream&, void*&) override { return 0; }
    int WriteAttribute(CTokenNode*, CTokenAttribute*, std::ostream&, void*&) override { return 0; }
    int EndAttributes(CTokenNode*, std::ostream&, void*&) override { return 0; }
    int BeginChildren(CTokenNode*, std::ostream&, void*&) override { return 0; }
    int EndChildren(CTokenNode*, std::ostream&, void*&) override { return 0; }
    int EndNode(CTokenNode*, std::ostream&, void*&) override { return 0; }
    int EndDocument(std::ostream&, void*&) override { return 0; }
};

// The same calls as the writer makes, by a walk that knows the tree has no
// null entries and never asks the depth.
void WriteDirectly(CTokenizer& t, CTokenNode* node, std::ostream& out, void*& context)
{
    t.BeginNode(node, out, context);
    t.BeginAttributes(node, out, context);
    for (int i = 0; i < node->GetAttributeCount(); ++i) t.WriteAttribute(node, node->GetAttributeAt(i), out, context);
    t.EndAttributes(node, out, context);
    if (node->GetChildCount() > 0) {
        t.BeginChildren(node, out, context);
        t.Push();
        for (int i = 0; i < node->GetChildCount(); ++i) WriteDirectly(t, node->GetChildAt(i), out, context);
        t.Pop();
        t.EndChildren(node, out, context);
    }
    t.EndNode(node, out, context);
}

std::string OutputPath() { return (std::filesystem::temp_directory_path() / "filekit-bench-tokens.txt").string(); }

// One open writer whose tree both walks use, so that they meet the same
// memory layout.
CTokenWriter& SharedWriter()
{
    static SmallTokenizer tokenizer;
    static CTokenWriter writer;
    if (!writer.IsOpen()) {
        Grow(writer.GetDocument(), kLevels);
        writer.Open(OutputPath().c_str(), &tokenizer, nullptr);
    }
    return writer;
}

void BM_WriterSave(benchmark::State& state)
{
    CTokenWriter& writer = SharedWriter();
    for (auto _ : state) benchmark::DoNotOptimize(writer.Save());
    state.SetItemsProcessed(state.iterations() * NodeCount());
    std::remove(OutputPath().c_str());
}
BENCHMARK(BM_WriterSave)->Unit(benchmark::kMillisecond);

void BM_FloorDirectCalls(benchmark::State& state)
{
    CTokenNode* document = SharedWriter().GetDocument();
    SmallTokenizer tokenizer;
    void* context = nullptr;
    for (auto _ : state) {
        std::ofstream out(OutputPath(), std::ios::out);
        tokenizer.BeginDocument(out, context);
        tokenizer.Push();
        for (int i = 0; i < document->GetChildCount(); ++i)
            WriteDirectly(tokenizer, document->GetChildAt(i), out, context);
        tokenizer.Pop();
        tokenizer.EndDocument(out, context);
    }
    state.SetItemsProcessed(state.iterations() * NodeCount());
    std::remove(OutputPath().c_str());
}
BENCHMARK(BM_FloorDirectCalls)->Unit(benchmark::kMillisecond);

// A chain of a million nested nodes: the depth string is resized with
// realloc at every level and is a million characters long at the bottom.
void BM_WriterSaveChain(benchmark::State& state)
{
    constexpr int kChainLength = 1000000;
    CTokenWriter writer;
    CTokenNode* node = writer.GetDocument();
    for (int i = 0; i < kChainLength; ++i) node = node->AddChild("node", "value", i, 0);
    SmallTokenizer tokenizer;
    writer.Open(OutputPath().c_str(), &tokenizer, nullptr);
    for (auto _ : state) benchmark::DoNotOptimize(writer.Save());
    state.SetItemsProcessed(state.iterations() * kChainLength);
    std::remove(OutputPath().c_str());
}
BENCHMARK(BM_WriterSaveChain)->Unit(benchmark::kMillisecond);

void BM_BuildAndDestroy(benchmark::State& state)
{
    for (auto _ : state) {
        CTokenNode document;
        Grow(&document, kLevels);
        benchmark::DoNotOptimize(document.GetChildCount());
    }
    state.SetItemsProcessed(state.iterations() * NodeCount());
}
BENCHMARK(BM_BuildAndDestroy)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
