// The token writer and tokenizer: the recorded calls of a Save for the
// trees in tests/data/tokens/save, the writer's states and context, the
// tokenizer's depth string, and a chain of a million nested nodes saved and
// destroyed with a flat stack.
#include <filekit/TokenWriter.h>

#include "platform/Heap.h"
#include "TreeDump.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

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
// Counting (for the deep chain) it keeps only the number of calls and of
// nodes met at a depth other than their type, and counts the depth itself:
// the library's depth string, resized at every level, is copied whole by
// each realloc under AddressSanitizer, which takes hours for a million.
class Recorder : public CTokenizer {
public:
    explicit Recorder(char indent = '\t', bool counting = false) : CTokenizer(indent), m_counting(counting) {}

    std::string calls;  // every record
    long long count = 0, misplaced = 0;
    int depth = 0;
    // Runs after each tree operation is recorded; its result is the operation's.
    std::function<int(const std::string& call, CTokenNode* node, void*& context)> react =
        [](const std::string&, CTokenNode*, void*&) { return 0; };

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
    void Push() override { CTokenizer::Push(), ++depth, Record("Push"); }
    void Pop() override { CTokenizer::Pop(), depth -= depth > 0, Record("Pop"); }
    int GetDepth() override { return m_counting ? depth : CTokenizer::GetDepth(); }

private:
    std::string Record(const std::string& call)
    {
        ++count;
        if (m_counting) return "";
        std::string record = GetDepthString() + call;
        calls += (calls.empty() ? "" : " ") + record;
        return record;
    }
    int Note(const char* op, std::ostream& out, void*& ctx, CTokenNode* n = nullptr, CTokenAttribute* a = nullptr)
    {
        std::string call = op;
        if (n && !m_counting)
            call += "(" + std::string(n->GetName()) + (a ? "," + std::string(a->GetName()) : "") + ")";
        misplaced += m_counting && n && n->GetType() != depth;
        const std::string record = Record(call + (ctx ? "[" + *static_cast<std::string*>(ctx) + "]" : ""));
        if (!m_counting) out << record << '\n';
        return react(call, n, ctx);
    }
    bool m_counting;
};

// A Save over a tree from tests/data/tokens/save: the calls the tokenizer
// receives, Save's result and depth afterwards, and the text in the file.
class SaveCase : public ::testing::TestWithParam<std::string> {};

TEST_P(SaveCase, CallsResultAndText)
{
    TempDir dir;
    CTokenWriter writer;
    std::vector<ScriptLine> lines = ReadScript("tokens/save", GetParam());
    std::string calls, text, result, indent = "\t";
    for (const ScriptLine& line : lines) {
        const std::string word = Words(line.text)[0];
        if (word == "indent") indent = line.text.substr(7) == "none" ? std::string(1, '\0') : line.text.substr(7);
        if (word == "tree") Parse(line.text.substr(5), 0, writer.GetDocument());
        if (word == "result") result = line.expected;
        if (word == "indent" || word == "tree" || word == "answer" || word == "at" || word == "result") continue;
        calls += (calls.empty() ? "" : " ") + line.text;
        if (line.text.find("Push") == std::string::npos && line.text.find("Pop") == std::string::npos)
            text += line.text + "\n";
    }
    Recorder t(indent[0]);
    t.react = [&](const std::string& call, CTokenNode*, void*&) {
        int answer = 0;
        for (const ScriptLine& line : lines) {  // answer N, at CALL what [node] [argument]
            const std::vector<std::string> a = Words(line.text);
            if (a[0] == "answer") answer = std::stoi(a[1]);
            if (a[0] != "at" || a[1] != call) continue;
            CTokenNode* node = a.size() < 4         ? nullptr
                               : a[3] == "document" ? writer.GetDocument()
                                                    : Find(writer.GetDocument(), a[3]);
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
    EXPECT_EQ(t.calls + "\n" + std::to_string(saved) + " " + std::to_string(t.GetDepth()) + "\n" +
                  ReadBytes(dir.Path("out.txt")),
              calls + "\n" + result + "\n" + StoredText(text));
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
    SubtreeWriter writer;
    std::string first = "1", second = "2";
    Recorder t('-');
    t.react = [&second](const std::string& call, CTokenNode*, void*& context) {
        if (call == "BeginNode(A)") context = &second;  // the replaced context reaches later calls and saves
        return 0;
    };
    CTokenNode* a = writer.GetDocument()->AddChild("A", "", 0, 0);
    std::ostringstream out;
    // No tokenizer before Open; a folder cannot be opened; the replaced
    // context reaches later calls and saves; a subtree goes into any stream.
    const std::vector<int> results = {writer.Save(),
                                      writer.Tokenize(a, out),
                                      writer.Open("", &t, nullptr),
                                      writer.Open(main, nullptr, nullptr),
                                      writer.IsOpen(),
                                      writer.Open(main, &t, &first),
                                      writer.Open(other, &t, nullptr),
                                      Exists(dir.Path("main.txt")),
                                      writer.Save(other),
                                      Exists(dir.Path("main.txt")),
                                      writer.Save(),
                                      writer.Save(dir.Root().string().c_str()),
                                      writer.Tokenize(nullptr, out),
                                      (a->AddChild("B", "", 0, 0), writer.Tokenize(a, out)),
                                      writer.Close(),
                                      writer.GetDocument()->GetChildCount(),
                                      writer.IsOpen(),
                                      writer.Close()};
    EXPECT_EQ(results, (std::vector<int>{0, -1, 0, 0, 0, 1, 0, 0, 1, 0, 1, 0, -1, 0, 1, 0, 0, 0}));
    const auto node = [](const std::string& n, const std::string& label) {
        return "-BeginNode(" + n + ")" + label + "\n-BeginAttributes(" + n + ")[2]\n-EndAttributes(" + n +
               ")[2]\n-EndNode(" + n + ")[2]\nEndDocument[2]\n";
    };
    EXPECT_EQ(ReadBytes(dir.Path("other.txt")) + ReadBytes(dir.Path("main.txt")) + out.str(),
              StoredText("BeginDocument[1]\n" + node("A", "[1]") + "BeginDocument[2]\n" + node("A", "[2]")) +
                  "BeginDocument[2]\n" + node("B", "[2]"));
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
    for (char step : steps) trace += (step == '+' ? t.Push() : t.Pop(), " " + state());
    return trace;
}

TEST(Tokenizer, DepthCopiesAndFailedAllocations)
{
    Recorder dashes('-'), early('-'), none('\0'), byDefault, original('-'), assigned('*');
    EXPECT_EQ(Trace(dashes, "++-+--") + " | " + Trace(early, "-+-") + " | " + Trace(none, "++-") + " | " +
                  Trace(byDefault, "++"),
              ":0 -:1 --:2 -:1 --:2 -:1 :0 | :0 :0 -:1 :0 | :0 :0 :0 :0 | :0 \t:1 \t\t:2");
    Trace(original, "++");
    Recorder copy(original);
    Trace(assigned, "+++");
    assigned = original;
    const Recorder& same = assigned;
    assigned = same;
    EXPECT_EQ(Trace(copy, "+") + " | " + Trace(assigned, "-") + " | " + Trace(original, ""),
              "--:2 ---:3 | --:2 -:1 | --:2");

    Recorder target('*');
    filekit::g_heap.allocate = [](size_t) -> void* { return nullptr; };
    filekit::g_heap.reallocate = [](void*, size_t) -> void* { return nullptr; };
    EXPECT_THROW(original.Push(), std::bad_alloc);
    EXPECT_THROW(Recorder failed(original), std::bad_alloc);  // NOLINT(performance-unnecessary-copy-initialization)
    EXPECT_THROW(target = original, std::bad_alloc);
    const std::string failing = Trace(target, "") + " | " + Trace(original, "-");  // Pop keeps the larger block
    filekit::g_heap = filekit::RealHeapCalls();
    EXPECT_EQ(failing + " | " + Trace(original, "++--"), ":0 | --:2 -:1 | -:1 --:2 ---:3 --:2 -:1");
}

TEST(DeepChain, MillionLevelsSaveStopAndDestroy)
{
    constexpr int kChainLength = 1000000;
    TempDir dir;
    Recorder t('\0', true);
    CTokenWriter writer;  // still open at the end: it closes and deletes the chain
    CTokenNode* node = writer.GetDocument();
    for (int level = 1; level <= kChainLength; ++level) node = node->AddChild("n", "", level, 0);
    ASSERT_EQ(writer.Open(dir.Path("chain.txt").c_str(), &t, nullptr), 1);
    // Eight calls per level with children, four for the last and for the document.
    std::string results = std::to_string(writer.Save());
    results += " " + std::to_string(t.count) + " " + std::to_string(t.misplaced) + " " + std::to_string(t.depth);
    // A failure deep in the chain stops the walk at once, at the depth of the node that failed.
    for (const int level : {1, kChainLength}) {
        for (const char* stop : {"BeginNode", "EndNode"}) {
            t.depth = 0;
            t.react = [level, stop](const std::string& call, CTokenNode* n, void*&) {
                return n && n->GetType() == level && call == stop ? -1 : 0;
            };
            results += " | " + std::to_string(writer.Save());
            results += " " + std::to_string(t.depth);
        }
    }
    EXPECT_EQ(results, "1 " + std::to_string(8LL * (kChainLength - 1) + 8) + " 0 0 | 0 1 | 0 1 | 0 " +
                           std::to_string(kChainLength) + " | 0 " + std::to_string(kChainLength));
}

}  // namespace
