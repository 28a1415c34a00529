// The tokenizer's depth and depth string: levels, indent 0, copies, and
// what a failed allocation leaves behind.
#include <filekit/TokenWriter.h>

#include "Recorder.h"
#include "tokens/HeapCalls.h"

#include <gtest/gtest.h>

#include <new>
#include <string>

namespace {

using filekit_test::Recorder;

// "depth string:depth" of a tokenizer.
std::string State(CTokenizer& t) { return std::string(t.GetDepthString()) + ":" + std::to_string(t.GetDepth()); }

// The state after each step of steps: '+' Push, '-' Pop.
std::string Trace(CTokenizer& t, const std::string& steps)
{
    std::string trace = State(t);
    for (char step : steps) {
        step == '+' ? t.Push() : t.Pop();
        trace += " " + State(t);
    }
    return trace;
}

TEST(Tokenizer, DepthTable)
{
    struct Row { char indent; const char* steps; const char* trace; };
    const Row rows[] = {
        {'-', "++", ":0 -:1 --:2"},
        {'-', "-+-", ":0 :0 -:1 :0"},
        {'-', "++-+--", ":0 -:1 --:2 -:1 --:2 -:1 :0"},
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
    EXPECT_NE(copy.GetDepthString(), original.GetDepthString());
    EXPECT_EQ(Trace(copy, "+") + " | " + Trace(assigned, "-") + " | " + State(original),
              "--:2 ---:3 | --:2 -:1 | --:2");
}

// Makes g_heap's calls fail while it lives.
class FailingHeap {
public:
    FailingHeap()
    {
        filekit::g_heap.malloc = [](size_t) -> void* { return nullptr; };
        filekit::g_heap.realloc = [](void*, size_t) -> void* { return nullptr; };
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
        EXPECT_EQ(State(t), "--:2");
        EXPECT_THROW(Recorder copy(t), std::bad_alloc);
        EXPECT_THROW(target = t, std::bad_alloc);
        EXPECT_EQ(State(target), ":0");
        // Pop keeps the larger block when it cannot shrink it.
        EXPECT_EQ(Trace(t, "-"), "--:2 -:1");
    }
    EXPECT_EQ(Trace(t, "++--"), "-:1 --:2 ---:3 --:2 -:1");
}

}  // namespace
