// The tokenizer's depth and depth string: levels, indent 0, copies, and
// what a failed allocation leaves behind.
#include <filekit/TokenWriter.h>

#include "Recorder.h"
#include "platform/Heap.h"

#include <gtest/gtest.h>

#include <new>
#include <string>

namespace {

using filekit_test::Recorder;

// "depth string:depth" before and after each step: '+' Push, '-' Pop.
std::string Trace(CTokenizer& t, const std::string& steps)
{
    auto state = [&t] { return std::string(t.GetDepthString()) + ":" + std::to_string(t.GetDepth()); };
    std::string trace = state();
    for (char step : steps) {
        step == '+' ? t.Push() : t.Pop();
        trace += " " + state();
    }
    return trace;
}

TEST(Tokenizer, DepthTable)
{
    struct Row { char indent; const char* steps; const char* trace; };
    const Row rows[] = {
        {'-', "++-+--", ":0 -:1 --:2 -:1 --:2 -:1 :0"},
        {'-', "-+-", ":0 :0 -:1 :0"},
        {'\0', "++-", ":0 :0 :0 :0"},
    };
    for (const Row& r : rows) {
        Recorder t(r.indent);
        EXPECT_EQ(Trace(t, r.steps), r.trace) << r.steps;
    }
    Recorder byDefault;
    EXPECT_EQ(Trace(byDefault, "++"), ":0 \t:1 \t\t:2");
}

TEST(Tokenizer, CopiesHoldTheirOwnDepthString)
{
    Recorder original('-');
    Trace(original, "++");
    Recorder copy(original);
    Recorder assigned('*');
    Trace(assigned, "+++");
    assigned = original;
    const Recorder& same = assigned;
    assigned = same;
    EXPECT_EQ(Trace(copy, "+") + " | " + Trace(assigned, "-") + " | " + Trace(original, ""),
              "--:2 ---:3 | --:2 -:1 | --:2");
}

// Makes g_heap's calls fail while it lives.
struct FailingHeap {
    FailingHeap()
    {
        filekit::g_heap.allocate = [](size_t) -> void* { return nullptr; };
        filekit::g_heap.reallocate = [](void*, size_t) -> void* { return nullptr; };
    }
    ~FailingHeap() { filekit::g_heap = filekit::RealHeapCalls(); }
};

TEST(Tokenizer, FailedAllocationsKeepDepthAndStringConsistent)
{
    Recorder t('-');
    Recorder target('*');
    Trace(t, "++");
    {
        FailingHeap failing;
        EXPECT_THROW(t.Push(), std::bad_alloc);
        EXPECT_THROW(Recorder copy(t), std::bad_alloc);
        EXPECT_THROW(target = t, std::bad_alloc);
        EXPECT_EQ(Trace(target, "") + " | " + Trace(t, "-"), ":0 | --:2 -:1");   // Pop keeps the larger block
    }
    EXPECT_EQ(Trace(t, "++--"), "-:1 --:2 ---:3 --:2 -:1");
}

}  // namespace
