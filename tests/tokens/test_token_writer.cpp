// The token writer and tokenizer: the recorded calls of a Save for the
// example tree and the edge cases, the context, the writer's states,
// Tokenize itself, the tokenizer's depth string, and a chain of a million
// nested nodes built, saved and destroyed with a flat stack.
#include <filekit/TokenWriter.h>

#include "platform/Heap.h"
#include "TreeDump.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <new>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace filekit_test;

// Records each call as the depth string and the call, such as
// "--BeginNode(B)", followed by "[label]" when the context points to a
// std::string label; Push and Pop are recorded after they changed the depth.
// The tree operations write their record and a line feed to the stream.
class Recorder : public CTokenizer {
public:
    Recorder() = default;  // the tokenizer's default indent, a tab
    explicit Recorder(char indent) : CTokenizer(indent) {}

    std::string calls, text;  // every record; what the tree operations wrote
    // Runs after each tree operation is recorded; its result is the operation's.
    std::function<int(const std::string& call, void*& context)> react = [](const std::string&, void*&) { return 0; };

    int BeginDocument(std::ostream& o, void*& c) override { return Note("BeginDocument", o, c); }
    int BeginNode(CTokenNode* n, std::ostream& o, void*& c) override { return Note("BeginNode", o, c, n); }
    int BeginAttributes(CTokenNode* n, std::ostream& o, void*& c) override { return Note("BeginAttributes", o, c, n); }
    int WriteAttribute(CTokenNode* n, CTokenAttribute* a, std::ostream& o, void*& c) override
    {
        return Note("WriteAttribute", o, c, n, a);
    }
    int EndAttributes(CTokenNode* n, std::ostream& o, void*& c) override { return Note("EndAttributes", o, c, n); }
    int BeginChildren(CTokenNode* n, std::ostream& o, void*& c) override { return Note("BeginChildren", o, c, n); }
    int EndChildren(CTokenNode* n, std::ostream& o, void*& c) override { return Note("EndChildren", o, c, n); }
    int EndNode(CTokenNode* n, std::ostream& o, void*& c) override { return Note("EndNode", o, c, n); }
    int EndDocument(std::ostream& o, void*& c) override { return Note("EndDocument", o, c); }
    void Push() override
    {
        CTokenizer::Push();
        Record("Push");
    }
    void Pop() override
    {
        CTokenizer::Pop();
        Record("Pop");
    }

private:
    std::string Record(const std::string& call)
    {
        std::string record = GetDepthString() + call;
        calls += (calls.empty() ? "" : " ") + record;
        return record;
    }
    int Note(const char* op, std::ostream& out, void*& ctx, CTokenNode* n = nullptr, CTokenAttribute* a = nullptr)
    {
        std::string call = op;
        if (n) call += "(" + std::string(n->GetName()) + (a ? "," + std::string(a->GetName()) : "") + ")";
        const std::string record = Record(call + (ctx ? "[" + *static_cast<std::string*>(ctx) + "]" : ""));
        text += record + "\n";
        out << record << '\n';
        return react(call, ctx);
    }
};

// Adds children named by the letters of names; returns the last.
CTokenNode* Add(CTokenNode* node, const std::string& names)
{
    CTokenNode* child = nullptr;
    for (char name : names) child = node->AddChild(CString(name), "", 0, 0);
    return child;
}

// A Save over a tree from tests/data/tokens/save: the calls the tokenizer
// receives, Save's result and depth afterwards, and the text in the file.
class SaveCase : public ::testing::TestWithParam<std::string> {};

TEST_P(SaveCase, CallsResultAndText)
{
    TempDir dir;
    CTokenWriter writer;
    char indent = '\t';
    int answer = 0;
    std::vector<std::vector<std::string>> actions;  // "at CALL what [node] [argument]"
    std::string calls, text, result;
    for (const ScriptLine& line : ReadScript("tokens/save", GetParam())) {
        const std::vector<std::string> w = Words(line.text);
        if (w[0] == "indent") indent = w[1] == "none" ? '\0' : w[1][0];
        if (w[0] == "tree") Parse(line.text.substr(5), 0, writer.GetDocument());
        if (w[0] == "answer") answer = std::stoi(w[1]);
        if (w[0] == "at") actions.push_back(w);
        if (w[0] == "result") result = line.expected;
        if (w[0] != "indent" && w[0] != "tree" && w[0] != "answer" && w[0] != "at" && w[0] != "result") {
            calls += (calls.empty() ? "" : " ") + line.text;
            if (line.text.find("Push") == std::string::npos && line.text.find("Pop") == std::string::npos)
                text += line.text + "\n";
        }
    }
    Recorder t(indent);
    t.react = [&](const std::string& call, void*&) {
        for (const std::vector<std::string>& a : actions) {
            CTokenNode* node =
                a.size() > 3 ? (a[3] == "document" ? writer.GetDocument() : Find(writer.GetDocument(), a[3])) : nullptr;
            if (a[1] != call) continue;
            if (a[2] == "answer") return std::stoi(a[3]);
            if (a[2] == "pop") t.Pop();
            if (a[2] == "add-attribute") node->AddAttribute(a[4].c_str(), "", 0, 0);
            if (a[2] == "add-child") node->AddChild(a[4].c_str(), "", 0, 0);
            if (a[2] == "remove-child") node->RemoveChildAt(std::stoi(a[4]));
        }
        return answer;
    };
    ASSERT_EQ(writer.Open(dir.Path("out.txt").c_str(), &t, nullptr), 1);
    const int saved = writer.Save();
    EXPECT_EQ(t.calls, calls);
    EXPECT_EQ(std::to_string(saved) + " " + std::to_string(t.GetDepth()), result);
    EXPECT_EQ(ReadBytes(dir.Path("out.txt")), filekit_test::StoredText(text));
}

INSTANTIATE_TEST_SUITE_P(Files, SaveCase, ::testing::ValuesIn(DataFiles("tokens/save")), CaseName);

// Reaches the protected walk.
struct SubtreeWriter : CTokenWriter {
    using CTokenWriter::Tokenize;
};

TEST(TokenWriter, OpenSaveCloseStatesAndContext)
{
    TempDir dir;
    const CString main = dir.Path("main.txt").c_str(), other = dir.Path("other.txt").c_str();
    std::string first = "1", second = "2";
    SubtreeWriter writer;
    Recorder t('-');
    CTokenNode* a = Add(writer.GetDocument(), "A");
    t.react = [&second](const std::string& call, void*& context) {
        if (call == "BeginNode(A)") context = &second;  // the replaced context reaches later calls and saves
        return 0;
    };
    std::ostringstream out;
    const std::vector<int> results = {writer.Save(),
                                      writer.Tokenize(a, out),  // no tokenizer before Open
                                      writer.Open("", &t, nullptr),
                                      writer.Open(main, nullptr, nullptr),
                                      writer.IsOpen(),
                                      writer.Open(main, &t, &first),
                                      writer.Open(other, &t, nullptr),
                                      filekit_test::Exists(dir.Path("main.txt")),
                                      writer.Save(other),
                                      filekit_test::Exists(dir.Path("main.txt")),
                                      writer.Save(),
                                      writer.Save(dir.Root().string().c_str()),  // a folder cannot be opened
                                      writer.Tokenize(nullptr, out)};
    EXPECT_EQ(results, (std::vector<int>{0, -1, 0, 0, 0, 1, 0, 0, 1, 0, 1, 0, -1}));
    const std::string text = "-BeginNode(A)[2]\n-BeginAttributes(A)[2]\n-EndAttributes(A)[2]\n-EndNode(A)[2]\n"
                             "EndDocument[2]\n";
    EXPECT_EQ(ReadBytes(dir.Path("other.txt")) + ReadBytes(dir.Path("main.txt")),
              filekit_test::StoredText("BeginDocument[1]\n-BeginNode(A)[1]\n-BeginAttributes(A)[2]\n"
                                       "-EndAttributes(A)[2]\n-EndNode(A)[2]\nEndDocument[2]\nBeginDocument[2]\n" +
                                       text));
    // Any subtree into any stream.
    Add(a, "B");
    t.text.clear();
    EXPECT_EQ(writer.Tokenize(a, out), 0);
    EXPECT_EQ(out.str(), t.text);
    EXPECT_EQ(out.str(), "BeginDocument[2]\n-BeginNode(B)[2]\n-BeginAttributes(B)[2]\n-EndAttributes(B)[2]\n"
                         "-EndNode(B)[2]\nEndDocument[2]\n");
    EXPECT_EQ(Results({writer.Close(), writer.GetDocument()->GetChildCount(), writer.IsOpen(), writer.Close()}),
              "1 0 0 0");
#ifndef _WIN32  // a full disk does not change the result, which only the tokenizer decides
    ASSERT_EQ(writer.Open("/dev/full", &t, nullptr), 1);
    EXPECT_EQ(writer.Save(), 1);
#endif
}

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

TEST(Tokenizer, DepthAndCopies)
{
    Recorder dashes('-'), early('-'), none('\0'), byDefault;
    EXPECT_EQ(Trace(dashes, "++-+--"), ":0 -:1 --:2 -:1 --:2 -:1 :0");
    EXPECT_EQ(Trace(early, "-+-") + " | " + Trace(none, "++-") + " | " + Trace(byDefault, "++"),
              ":0 :0 -:1 :0 | :0 :0 :0 :0 | :0 \t:1 \t\t:2");

    Recorder original('-'), assigned('*');
    Trace(original, "++");
    Recorder copy(original);
    Trace(assigned, "+++");
    assigned = original;
    const Recorder& same = assigned;
    assigned = same;
    EXPECT_EQ(Trace(copy, "+") + " | " + Trace(assigned, "-") + " | " + Trace(original, ""),
              "--:2 ---:3 | --:2 -:1 | --:2");
}

TEST(Tokenizer, FailedAllocationsKeepDepthAndStringConsistent)
{
    Recorder t('-'), target('*');
    Trace(t, "++");
    {
        struct FailingHeap {  // makes the heap calls fail while it lives
            FailingHeap()
            {
                filekit::g_heap.allocate = [](size_t) -> void* { return nullptr; };
                filekit::g_heap.reallocate = [](void*, size_t) -> void* { return nullptr; };
            }
            ~FailingHeap() { filekit::g_heap = filekit::RealHeapCalls(); }
        } failing;
        EXPECT_THROW(t.Push(), std::bad_alloc);
        EXPECT_THROW(Recorder copy(t), std::bad_alloc);  // NOLINT(performance-unnecessary-copy-initialization)
        EXPECT_THROW(target = t, std::bad_alloc);
        EXPECT_EQ(Trace(target, "") + " | " + Trace(t, "-"), ":0 | --:2 -:1");  // Pop keeps the larger block
    }
    EXPECT_EQ(Trace(t, "++--"), "-:1 --:2 ---:3 --:2 -:1");
}

// Records each call as one letter: D/d document, N/n node, A/E attributes,
// C/c children, +/- Push and Pop; a node met at a depth other than its type
// adds '!'. BeginNode or EndNode of the node whose type is stopAt (with
// stopAtEnd: EndNode) fails. It counts the depth itself (through the virtual
// Push, Pop and GetDepth) because the library's depth string, resized by
// realloc at every level, is copied whole by each realloc under
// AddressSanitizer: a million levels would take hours there.
class LetterTokenizer : public CTokenizer {
public:
    LetterTokenizer() : CTokenizer('\0') {}
    std::string letters;
    int stopAt = 0, depth = 0;
    bool stopAtEnd = false;

    int BeginDocument(std::ostream&, void*&) override { return Note('D'); }
    int BeginNode(CTokenNode* node, std::ostream&, void*&) override { return Note('N', node); }
    int BeginAttributes(CTokenNode*, std::ostream&, void*&) override { return Note('A'); }
    int WriteAttribute(CTokenNode*, CTokenAttribute*, std::ostream&, void*&) override { return Note('W'); }
    int EndAttributes(CTokenNode*, std::ostream&, void*&) override { return Note('E'); }
    int BeginChildren(CTokenNode*, std::ostream&, void*&) override { return Note('C'); }
    int EndChildren(CTokenNode*, std::ostream&, void*&) override { return Note('c'); }
    int EndNode(CTokenNode* node, std::ostream&, void*&) override { return Note('n', node); }
    int EndDocument(std::ostream&, void*&) override { return Note('d'); }
    void Push() override { ++depth, letters += '+'; }
    void Pop() override { depth -= depth > 0, letters += '-'; }
    int GetDepth() override { return depth; }

private:
    int Note(char letter, CTokenNode* node = nullptr)
    {
        letters += letter;
        if (node && node->GetType() != depth) letters += '!';
        return node && node->GetType() == stopAt && (letter == 'n') == stopAtEnd ? -1 : 0;
    }
};

TEST(DeepChain, MillionLevelsSaveStopAndDestroy)
{
    constexpr int kChainLength = 1000000;
    std::string expected = "D+";
    for (int level = 1; level <= kChainLength; ++level) expected += level < kChainLength ? "NAEC+" : "NAE";
    for (int level = kChainLength; level >= 1; --level) expected += level < kChainLength ? "-cn" : "n";
    expected += "-d";

    TempDir dir;
    LetterTokenizer t;
    {
        CTokenWriter writer;
        CTokenNode* node = writer.GetDocument();
        for (int level = 1; level <= kChainLength; ++level) node = node->AddChild("n", "", level, 0);
        ASSERT_EQ(writer.Open(dir.Path("chain.txt").c_str(), &t, nullptr), 1);
        EXPECT_EQ(writer.Save(), 1);
        // Compared whole, but reported by the first difference: not megabytes.
        const auto differ = std::mismatch(expected.begin(), expected.end(), t.letters.begin(), t.letters.end()).first;
        const size_t at = static_cast<size_t>(differ - expected.begin());
        EXPECT_TRUE(t.letters == expected) << "first difference at " << at << ": " << t.letters.substr(at, 20);
        EXPECT_EQ(t.GetDepth(), 0);

        // A failure deep in the chain stops the walk at once, at the depth of
        // the node that failed.
        for (const int level : {1, kChainLength}) {
            for (const bool atEnd : {false, true}) {
                t.letters.clear();
                t.depth = 0;
                t.stopAt = level;
                t.stopAtEnd = atEnd;
                const int saved = writer.Save();
                EXPECT_EQ(std::to_string(saved) + " " + std::to_string(t.GetDepth()), "0 " + std::to_string(level))
                    << level << (atEnd ? " at EndNode" : " at BeginNode");
            }
        }
        t.stopAt = 0;
    }  // the writer, still open, closes and deletes the chain
}

}  // namespace
