// The token writer: the recorded calls of a Save for the example tree and
// the edge cases, the context, the writer's states and Tokenize itself.
#include <filekit/TokenWriter.h>

#include "Recorder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using filekit_test::Recorder;
using filekit_test::TempDir;

// Adds children named by the letters of names; returns the last.
CTokenNode* Add(CTokenNode* node, const std::string& names)
{
    CTokenNode* child = nullptr;
    for (char name : names) child = node->AddChild(CString(name), "", 0, 0);
    return child;
}

void FailAt(Recorder& t, const std::string& failing)
{
    t.react = [failing](const std::string& call, void*&) { return call == failing ? -1 : 0; };
}

TEST(TokenWriter, CallSequenceTable)
{
    struct Row {
        const char* what;
        char indent;
        std::function<void(CTokenNode* document, Recorder& t)> setup;
        std::string calls;
        std::string outcome;   // Save's result, then the depth afterwards
    };
    const Row rows[] = {
        {"the example tree", '-',
         [](CTokenNode* d, Recorder&) {
             CTokenNode* a = Add(d, "A");
             a->AddAttribute("x", "", 0, 0);
             Add(a, "B");
         },
         "BeginDocument -Push -BeginNode(A) -BeginAttributes(A) -WriteAttribute(A,x) -EndAttributes(A) "
         "-BeginChildren(A) --Push --BeginNode(B) --BeginAttributes(B) --EndAttributes(B) --EndNode(B) -Pop "
         "-EndChildren(A) -EndNode(A) Pop EndDocument", "1 0"},
        {"empty document", '-', [](CTokenNode*, Recorder&) {}, "BeginDocument EndDocument", "1 0"},
        {"document attributes are never written", '-',
         [](CTokenNode* d, Recorder&) { d->AddAttribute("d", "", 0, 0); Add(d, "A"); },
         "BeginDocument -Push -BeginNode(A) -BeginAttributes(A) -EndAttributes(A) -EndNode(A) Pop EndDocument", "1 0"},
        {"a child list of null entries only", '-',
         [](CTokenNode* d, Recorder&) {
             CTokenNode* a = Add(d, "A");
             a->InsertChildAt(2, "gone", "", 0, 0);
             a->RemoveChildAt(2);
         },
         "BeginDocument -Push -BeginNode(A) -BeginAttributes(A) -EndAttributes(A) -BeginChildren(A) --Push -Pop "
         "-EndChildren(A) -EndNode(A) Pop EndDocument", "1 0"},
        {"failure at the second of three nodes", '-',
         [](CTokenNode* d, Recorder& t) { Add(d, "ABC"); FailAt(t, "BeginNode(B)"); },
         "BeginDocument -Push -BeginNode(A) -BeginAttributes(A) -EndAttributes(A) -EndNode(A) -BeginNode(B)", "0 1"},
        {"positive results are success", '-',
         [](CTokenNode* d, Recorder& t) { Add(d, "A"); t.react = [](const std::string&, void*&) { return 1; }; },
         "BeginDocument -Push -BeginNode(A) -BeginAttributes(A) -EndAttributes(A) -EndNode(A) Pop EndDocument", "1 0"},
        {"indent 0 meets every node at depth 0", '\0',
         [](CTokenNode* d, Recorder&) { Add(Add(d, "A"), "B"); Add(d, "C"); },
         "BeginDocument Push BeginDocument Push BeginDocument EndDocument Pop EndDocument BeginDocument EndDocument "
         "Pop EndDocument", "1 0"},
        {"the depth is asked afresh after an operation pops", '-',
         [](CTokenNode* d, Recorder& t) {
             CTokenNode* a = Add(d, "A");
             a->AddAttribute("x", "", 0, 0);
             Add(a, "B");
             t.react = [&t](const std::string& call, void*&) { if (call == "BeginNode(A)") t.Pop(); return 0; };
         },
         "BeginDocument -Push -BeginNode(A) Pop -Push -BeginNode(B) -BeginAttributes(B) -EndAttributes(B) "
         "-EndNode(B) Pop EndDocument Pop EndDocument", "1 0"},
        {"counts are taken before the loops", '-',
         [](CTokenNode* d, Recorder& t) {
             Add(d, "ABC");
             CTokenNode* a = d->GetChildAt(0);
             Add(a, "D");
             t.react = [a, d](const std::string& call, void*&) {
                 if (call == "BeginAttributes(A)") a->AddAttribute("late", "", 0, 0);
                 if (call == "BeginChildren(A)") a->AddChild("late", "", 0, 0);
                 if (call == "BeginNode(B)") d->RemoveChildAt(2);
                 return 0;
             };
         },
         "BeginDocument -Push -BeginNode(A) -BeginAttributes(A) -EndAttributes(A) -BeginChildren(A) --Push "
         "--BeginNode(D) --BeginAttributes(D) --EndAttributes(D) --EndNode(D) -Pop -EndChildren(A) -EndNode(A) "
         "-BeginNode(B) -BeginAttributes(B) -EndAttributes(B) -EndNode(B) Pop EndDocument", "1 0"},
    };
    for (const Row& r : rows) {
        TempDir dir;
        CTokenWriter writer;
        Recorder t(r.indent);
        r.setup(writer.GetDocument(), t);
        ASSERT_EQ(writer.Open(dir.Path("out.txt").c_str(), &t, nullptr), 1);
        const int saved = writer.Save();
        EXPECT_EQ(t.Calls(), r.calls) << r.what;
        EXPECT_EQ(std::to_string(saved) + " " + std::to_string(t.GetDepth()), r.outcome) << r.what;
        EXPECT_EQ(filekit_test::ReadBytes(dir.Path("out.txt")), filekit_test::StoredText(t.Text())) << r.what;
    }
}

TEST(TokenWriter, ReplacedContextReachesLaterCallsAndSaves)
{
    TempDir dir;
    std::string first = "1", second = "2";
    CTokenWriter writer;
    Add(writer.GetDocument(), "A");
    Recorder t('-');
    t.react = [&second](const std::string& call, void*& context) {
        if (call == "BeginNode(A)") context = &second;
        return 0;
    };
    ASSERT_EQ(writer.Open(dir.Path("out.txt").c_str(), &t, &first), 1);
    EXPECT_EQ(writer.Save() + writer.Save(), 2);
    EXPECT_EQ(t.Calls(), "BeginDocument[1] -Push -BeginNode(A)[1] -BeginAttributes(A)[2] -EndAttributes(A)[2] "
                         "-EndNode(A)[2] Pop EndDocument[2] BeginDocument[2] -Push -BeginNode(A)[2] "
                         "-BeginAttributes(A)[2] -EndAttributes(A)[2] -EndNode(A)[2] Pop EndDocument[2]");
}

TEST(TokenWriter, OpenSaveCloseStates)
{
    TempDir dir;
    const CString main = dir.Path("main.txt").c_str(), other = dir.Path("other.txt").c_str();
    CTokenWriter writer;
    Recorder t('-');
    Add(writer.GetDocument(), "A");
    std::vector<int> results = {writer.Save(), writer.Open("", &t, nullptr), writer.Open(main, nullptr, nullptr),
                                writer.IsOpen(), writer.Open(main, &t, nullptr), writer.Open(other, &t, nullptr)};
    results.push_back(filekit_test::Exists(dir.Path("main.txt")));
    results.push_back(writer.Save(other));
    results.push_back(filekit_test::Exists(dir.Path("main.txt")));
    results.push_back(writer.Save());
    results.push_back(writer.Save(dir.Root().string().c_str()));   // a folder cannot be opened
    for (int result : {writer.Close(), writer.GetDocument()->GetChildCount(), writer.IsOpen(), writer.Close()})
        results.push_back(result);
    EXPECT_EQ(results, (std::vector<int>{0, 0, 0, 0, 1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 0}));
    const std::string text = "BeginDocument\n-BeginNode(A)\n-BeginAttributes(A)\n-EndAttributes(A)\n-EndNode(A)\n"
                             "EndDocument\n";
    using filekit_test::ReadBytes;
    EXPECT_EQ(ReadBytes(dir.Path("main.txt")) + ReadBytes(dir.Path("other.txt")),
              filekit_test::StoredText(text + text));
}

// Reaches the protected walk.
class SubtreeWriter : public CTokenWriter {
public:
    using CTokenWriter::Tokenize;
};

TEST(TokenWriter, TokenizeWalksAnySubtreeIntoAnyStream)
{
    SubtreeWriter writer;
    Recorder t('-');
    CTokenNode* a = Add(writer.GetDocument(), "A");
    Add(a, "B");
    std::ostringstream out;
    EXPECT_EQ(writer.Tokenize(a, out), -1);   // no tokenizer before Open
    ASSERT_EQ(writer.Open("unused", &t, nullptr), 1);
    EXPECT_EQ(writer.Tokenize(nullptr, out), -1);
    EXPECT_EQ(writer.Tokenize(a, out), 0);
    EXPECT_EQ(t.Calls(),
              "BeginDocument -Push -BeginNode(B) -BeginAttributes(B) -EndAttributes(B) -EndNode(B) Pop EndDocument");
    EXPECT_EQ(out.str(), t.Text());
}

}  // namespace
