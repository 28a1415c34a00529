// The token writer: the recorded call sequence of a Save for the example
// tree and the edge cases, the context, and the writer's states.
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
using Calls = std::vector<std::string>;

// What the recorder writes for calls: every line but Push and Pop.
std::string TextOf(const Calls& calls)
{
    std::string text;
    for (const std::string& line : calls) {
        if (line.find("Push") == std::string::npos && line.find("Pop") == std::string::npos) text += line + "\n";
    }
    return text;
}

TEST(TokenWriter, ExampleTree)
{
    TempDir dir;
    CTokenWriter writer;
    Recorder t('-');
    CTokenNode* a = writer.GetDocument()->AddChild("A", "", 0, 0);
    a->AddAttribute("x", "1", 0, 0);
    a->AddChild("B", "", 0, 0);
    ASSERT_EQ(writer.Open(dir.Path("out.txt").c_str(), &t, nullptr), 1);
    EXPECT_EQ(writer.Save(), 1);
    const Calls expected = {
        "BeginDocument", "-Push", "-BeginNode(A)", "-BeginAttributes(A)", "-WriteAttribute(A, x)",
        "-EndAttributes(A)", "-BeginChildren(A)", "--Push", "--BeginNode(B)", "--BeginAttributes(B)",
        "--EndAttributes(B)", "--EndNode(B)", "-Pop", "-EndChildren(A)", "-EndNode(A)", "Pop", "EndDocument",
    };
    EXPECT_EQ(t.calls, expected);
    EXPECT_EQ(filekit_test::ReadBytes(dir.Path("out.txt")), TextOf(expected));
    EXPECT_EQ(t.GetDepth(), 0);
}

TEST(TokenWriter, EdgeCaseTable)
{
    struct Row {
        const char* what;
        char indent;
        std::function<void(CTokenNode* document, Recorder& t)> setup;
        Calls calls;
        std::string outcome;   // Save's result and the depth afterwards
    };
    auto failAt = [](Recorder& t, const std::string& failing) {
        t.react = [failing](const std::string& call, void*&) { return call == failing ? -1 : 0; };
    };
    const Row rows[] = {
        {"empty document", '-', [](CTokenNode*, Recorder&) {}, {"BeginDocument", "EndDocument"}, "1 0"},
        {"document attributes are not written; a bare node",
         '-',
         [](CTokenNode* d, Recorder&) {
             d->AddAttribute("d", "1", 0, 0);
             d->AddChild("A", "", 0, 0);
         },
         {"BeginDocument", "-Push", "-BeginNode(A)", "-BeginAttributes(A)", "-EndAttributes(A)", "-EndNode(A)", "Pop",
          "EndDocument"},
         "1 0"},
        {"a child list of null entries only",
         '-',
         [](CTokenNode* d, Recorder&) {
             CTokenNode* a = d->AddChild("A", "", 0, 0);
             a->InsertChildAt(2, "gone", "", 0, 0);
             a->RemoveChildAt(2);
         },
         {"BeginDocument", "-Push", "-BeginNode(A)", "-BeginAttributes(A)", "-EndAttributes(A)", "-BeginChildren(A)",
          "--Push", "-Pop", "-EndChildren(A)", "-EndNode(A)", "Pop", "EndDocument"},
         "1 0"},
        {"failure at the second of three nodes",
         '-',
         [&](CTokenNode* d, Recorder& t) {
             for (const char* name : {"A", "B", "C"}) d->AddChild(name, "", 0, 0);
             failAt(t, "BeginNode(B)");
         },
         {"BeginDocument", "-Push", "-BeginNode(A)", "-BeginAttributes(A)", "-EndAttributes(A)", "-EndNode(A)",
          "-BeginNode(B)"},
         "0 1"},
        {"failure in an end operation leaves no level",
         '-',
         [&](CTokenNode* d, Recorder& t) {
             d->AddChild("A", "", 0, 0)->AddChild("B", "", 0, 0);
             failAt(t, "EndNode(B)");
         },
         {"BeginDocument", "-Push", "-BeginNode(A)", "-BeginAttributes(A)", "-EndAttributes(A)", "-BeginChildren(A)",
          "--Push", "--BeginNode(B)", "--BeginAttributes(B)", "--EndAttributes(B)", "--EndNode(B)"},
         "0 2"},
        {"positive results are success",
         '-',
         [](CTokenNode* d, Recorder& t) {
             d->AddChild("A", "", 0, 0)->AddAttribute("x", "", 0, 0);
             t.react = [](const std::string&, void*&) { return 1; };
         },
         {"BeginDocument", "-Push", "-BeginNode(A)", "-BeginAttributes(A)", "-WriteAttribute(A, x)",
          "-EndAttributes(A)", "-EndNode(A)", "Pop", "EndDocument"},
         "1 0"},
        {"indent 0 sees every node at depth 0",
         '\0',
         [](CTokenNode* d, Recorder&) {
             d->AddChild("A", "", 0, 0)->AddChild("B", "", 0, 0);
             d->AddChild("C", "", 0, 0)->AddAttribute("x", "", 0, 0);
         },
         {"BeginDocument", "Push", "BeginDocument", "Push", "BeginDocument", "EndDocument", "Pop", "EndDocument",
          "BeginDocument", "EndDocument", "Pop", "EndDocument"},
         "1 0"},
        {"the depth is asked afresh after an operation pops",
         '-',
         [](CTokenNode* d, Recorder& t) {
             CTokenNode* a = d->AddChild("A", "", 0, 0);
             a->AddAttribute("x", "", 0, 0);
             a->AddChild("B", "", 0, 0);
             t.react = [&t](const std::string& call, void*&) {
                 if (call == "BeginNode(A)") t.Pop();
                 return 0;
             };
         },
         {"BeginDocument", "-Push", "-BeginNode(A)", "Pop", "-Push", "-BeginNode(B)", "-BeginAttributes(B)",
          "-EndAttributes(B)", "-EndNode(B)", "Pop", "EndDocument", "Pop", "EndDocument"},
         "1 0"},
        {"counts are taken before the loops",
         '-',
         [](CTokenNode* d, Recorder& t) {
             CTokenNode* a = d->AddChild("A", "", 0, 0);
             a->AddAttribute("a1", "", 0, 0);
             a->AddChild("A1", "", 0, 0);
             d->AddChild("B", "", 0, 0);
             d->AddChild("C", "", 0, 0);
             t.react = [a, d](const std::string& call, void*&) {
                 if (call == "BeginAttributes(A)") a->AddAttribute("late", "", 0, 0);
                 if (call == "BeginChildren(A)") a->AddChild("late", "", 0, 0);
                 if (call == "BeginNode(B)") d->RemoveChildAt(2);
                 return 0;
             };
         },
         {"BeginDocument", "-Push", "-BeginNode(A)", "-BeginAttributes(A)", "-WriteAttribute(A, a1)",
          "-EndAttributes(A)", "-BeginChildren(A)", "--Push", "--BeginNode(A1)", "--BeginAttributes(A1)",
          "--EndAttributes(A1)", "--EndNode(A1)", "-Pop", "-EndChildren(A)", "-EndNode(A)", "-BeginNode(B)",
          "-BeginAttributes(B)", "-EndAttributes(B)", "-EndNode(B)", "Pop", "EndDocument"},
         "1 0"},
    };
    for (const Row& r : rows) {
        TempDir dir;
        CTokenWriter writer;
        Recorder t(r.indent);
        r.setup(writer.GetDocument(), t);
        ASSERT_EQ(writer.Open(dir.Path("out.txt").c_str(), &t, nullptr), 1);
        const int saved = writer.Save();
        EXPECT_EQ(t.calls, r.calls) << r.what;
        EXPECT_EQ(std::to_string(saved) + " " + std::to_string(t.GetDepth()), r.outcome) << r.what;
        EXPECT_EQ(filekit_test::ReadBytes(dir.Path("out.txt")), TextOf(r.calls)) << r.what;
    }
}

TEST(TokenWriter, ReplacedContextReachesLaterCallsAndSaves)
{
    TempDir dir;
    std::string first = "first", second = "second";
    CTokenWriter writer;
    writer.GetDocument()->AddChild("A", "", 0, 0);
    Recorder t('-');
    t.react = [&second](const std::string& call, void*& context) {
        if (call == "BeginNode(A)") context = &second;
        return 0;
    };
    ASSERT_EQ(writer.Open(dir.Path("out.txt").c_str(), &t, &first), 1);
    ASSERT_EQ(writer.Save(), 1);
    ASSERT_EQ(writer.Save(), 1);
    const Calls expected = {
        "BeginDocument [first]", "-Push", "-BeginNode(A) [first]", "-BeginAttributes(A) [second]",
        "-EndAttributes(A) [second]", "-EndNode(A) [second]", "Pop", "EndDocument [second]",
        "BeginDocument [second]", "-Push", "-BeginNode(A) [second]", "-BeginAttributes(A) [second]",
        "-EndAttributes(A) [second]", "-EndNode(A) [second]", "Pop", "EndDocument [second]",
    };
    EXPECT_EQ(t.calls, expected);
}

TEST(TokenWriter, OpenSaveCloseStates)
{
    TempDir dir;
    const CString main = dir.Path("main.txt").c_str(), other = dir.Path("other.txt").c_str();
    CTokenWriter writer;
    Recorder t('-');
    writer.GetDocument()->AddChild("A", "", 0, 0);
    std::vector<int> results = {
        writer.Save(), writer.Open("", &t, nullptr), writer.Open(main, nullptr, nullptr), writer.IsOpen(),
        writer.Open(main, &t, nullptr), writer.Open(other, &t, nullptr), writer.IsOpen(),
    };
    const bool createdWhileClosed = filekit_test::Exists(dir.Path("main.txt"));
    results.push_back(writer.Save(other));
    const bool mainAfterSaveOther = filekit_test::Exists(dir.Path("main.txt"));
    results.push_back(writer.Save());
    results.push_back(writer.Save(dir.Root().string().c_str()));   // a folder cannot be opened
    results.push_back(writer.Close());
    results.push_back(writer.GetDocument()->GetChildCount());
    results.push_back(writer.Close());
    results.push_back(writer.Save());
    EXPECT_EQ(results, (std::vector<int>{0, 0, 0, 0, 1, 0, 1, 1, 1, 0, 1, 0, 0, 0}));
    EXPECT_FALSE(createdWhileClosed);
    EXPECT_FALSE(mainAfterSaveOther);
    const std::string text = "BeginDocument\n-BeginNode(A)\n-BeginAttributes(A)\n-EndAttributes(A)\n-EndNode(A)\nEndDocument\n";
    EXPECT_EQ(filekit_test::ReadBytes(dir.Path("main.txt")), text);
    EXPECT_EQ(filekit_test::ReadBytes(dir.Path("other.txt")), text);
}

// A writer that walks a subtree of its own into any stream.
class SubtreeWriter : public CTokenWriter {
public:
    using CTokenWriter::Tokenize;
};

TEST(TokenWriter, TokenizeWalksAnySubtree)
{
    SubtreeWriter writer;
    Recorder t('-');
    CTokenNode* a = writer.GetDocument()->AddChild("A", "", 0, 0);
    a->AddChild("B", "", 0, 0);
    std::ostringstream out;
    EXPECT_EQ(writer.Tokenize(a, out), -1);   // no tokenizer before Open
    ASSERT_EQ(writer.Open("unused", &t, nullptr), 1);
    EXPECT_EQ(writer.Tokenize(nullptr, out), -1);
    EXPECT_EQ(writer.Tokenize(a, out), 0);
    const Calls expected = {"BeginDocument", "-Push", "-BeginNode(B)", "-BeginAttributes(B)", "-EndAttributes(B)",
                            "-EndNode(B)", "Pop", "EndDocument"};
    EXPECT_EQ(t.calls, expected);
    EXPECT_EQ(out.str(), TextOf(expected));
}

}  // namespace
