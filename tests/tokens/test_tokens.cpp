// SPDX-License-Identifier: MIT
// Token trees, the token writer and its tokenizer, driven by the scripts in
// tests/data/tokens/calls, one test each: calls on a tree's root, Saves with
// the calls the tokenizer receives, the writer's states and context, and the
// tokenizer's depth string, copies and failed allocations, the example's
// XML tokenizer, and a chain of a million nested nodes saved and destroyed
// with a flat stack.
#include <filekit/TokenWriter.h>

#include "platform/Heap.h"
#include "support/Script.h"
#include "support/TempDir.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <utility>

// The example program is compiled into this test so that its tokenizer is
// at hand; its main() is renamed to be callable.
#define main token_xml_main
#include "examples/token_xml.cpp"  // NOLINT(bugprone-suspicious-include): compiled in on purpose, see above
#undef main

namespace {

using namespace filekit_test;

std::string Num(long long value) { return std::to_string(value); }

// text with its escapes, and nothing for no text.
std::string Text(const std::string& text) { return text.empty() ? text : Escape(text); }

// Token trees written as one line of text and read back from it, so that a
// script gives a whole tree and compares one; tests/data/README.md describes
// the notation.

// The node's fields, its attributes in parentheses, its children in
// brackets; a null entry reads "_", a child whose GetParent() is not the
// node holding it is marked "^!".
std::string Dump(CTokenNode* node)
{
    // "name=value", with "#type/flag" when either is not 0
    const auto fields = [](const auto& item) {
        const std::string numbers = "#" + Num(item.GetType()) + "/" + Num(item.GetFlag());
        return Text(static_cast<const char*>(item.GetName())) + "=" + Text(static_cast<const char*>(item.GetValue())) +
               (numbers == "#0/0" ? "" : numbers);
    };
    std::string text = fields(*node);
    for (int i = 0; i < node->GetAttributeCount(); ++i)
        text += (i ? " " : "(") + fields(*node->GetAttributeAt(i)) + (i + 1 < node->GetAttributeCount() ? "" : ")");
    for (int i = 0; i < node->GetChildCount(); ++i) {
        CTokenNode* child = node->GetChildAt(i);
        const std::string entry = child ? Dump(child) + (child->GetParent() == node ? "" : "^!") : "_";
        text += (i ? "," : "[") + entry + (i + 1 < node->GetChildCount() ? "" : "]");
    }
    return text;
}

// Reads the notation Dump writes, less "#type/flag" (the trees scripts give
// leave them 0), into node from text[at]; returns the position after it.
size_t Parse(const std::string& text, size_t at, CTokenNode* node)
{
    const auto field = [&text, &at](const char* stops) {  // the text up to the next stop
        const size_t end = (std::min)(text.find_first_of(stops, at), text.size());
        const std::string value = Unescape(text.substr(at, end - at));
        at = end;
        return CString(value.data(), static_cast<int>(value.size()));
    };
    node->SetName(field("="));
    node->SetValue((++at, field("([,)] ")));
    for (bool more = text[at] == '('; more; more = text[at] == ' ') {
        const CString name = (++at, field("="));
        node->AddAttribute(name, (++at, field(") ")), 0, 0);
        at += text[at] == ')';
    }
    const bool children = text[at] == '[';
    for (bool more = children; more; more = text[at] == ',') {
        const bool null = text[++at] == '_';  // a null entry: left behind by an insertion past the end
        if (null) node->InsertChildAt(node->GetChildCount() + 1, "", "", 0, 0);
        if (null) node->RemoveChildAt(node->GetChildCount() - 1);
        at = null ? at + 1 : Parse(text, at, node->AddChild("", "", 0, 0));
    }
    return at + children;  // past ']'
}

// The first node named name in the subtree, depth first; nullptr if none.
CTokenNode* Find(CTokenNode* node, const std::string& name)
{
    CTokenNode* found = node && node->GetName() == name.c_str() ? node : nullptr;
    for (int i = 0; node && !found && i < node->GetChildCount(); ++i) found = Find(node->GetChildAt(i), name);
    return found;
}

// Records each call as the depth string and the call, such as
// "--BeginNode(B)", followed by "[label]" when the context points to a
// std::string label; Push and Pop are recorded after they changed the depth.
// The tree operations write their record and a line feed to the stream,
// and return what react gives for the call (0 without one).
// Counting (for the deep chain) it keeps only the number of calls and of
// nodes met at a depth other than their type, and counts the depth itself:
// the library's depth string, resized at every level, is copied whole by
// each realloc under AddressSanitizer, which takes hours for a million.
// react then sees a node's call as "BeginNode#type".
struct Recorder : CTokenizer {
    Recorder(char indent, bool onlyCounting) : CTokenizer(indent), counting(onlyCounting) {}

    bool counting;  // records nothing, keeps its own depth
    std::deque<std::string> records;  // those a script has not compared yet
    long long count = 0, misplaced = 0;
    int depth = 0;
    std::function<int(const std::string& call, void*& context)> react;  // none: every call gives 0

    int BeginDocument(std::ostream& o, void*& c) override { return Note("BeginDocument", &o, &c); }
    int BeginNode(CTokenNode* n, std::ostream& o, void*& c) override { return Note("BeginNode", &o, &c, n); }
    int BeginAttributes(CTokenNode* n, std::ostream& o, void*& c) override
    {
        return Note("BeginAttributes", &o, &c, n);
    }
    int WriteAttribute(CTokenNode* n, CTokenAttribute* a, std::ostream& o, void*& c) override
    {
        return Note("WriteAttribute", &o, &c, n, a);
    }
    int EndAttributes(CTokenNode* n, std::ostream& o, void*& c) override { return Note("EndAttributes", &o, &c, n); }
    int BeginChildren(CTokenNode* n, std::ostream& o, void*& c) override { return Note("BeginChildren", &o, &c, n); }
    int EndChildren(CTokenNode* n, std::ostream& o, void*& c) override { return Note("EndChildren", &o, &c, n); }
    int EndNode(CTokenNode* n, std::ostream& o, void*& c) override { return Note("EndNode", &o, &c, n); }
    int EndDocument(std::ostream& o, void*& c) override { return Note("EndDocument", &o, &c); }
    void Push() override { CTokenizer::Push(), ++depth, Note("Push", nullptr, nullptr); }
    void Pop() override { CTokenizer::Pop(), depth -= depth > 0, Note("Pop", nullptr, nullptr); }
    int GetDepth() override { return counting ? depth : CTokenizer::GetDepth(); }

    // A call with its stream and context (Push and Pop have neither).
    int Note(std::string call, std::ostream* o, void** c, CTokenNode* n = nullptr, CTokenAttribute* a = nullptr)
    {
        if (n)
            call += counting ? "#" + Num(n->GetType())
                             : "(" + std::string(n->GetName()) + (a ? "," + std::string(a->GetName()) : "") + ")";
        ++count;
        misplaced += counting && n && n->GetType() != depth;
        const std::string label = c && *c ? "[" + *static_cast<std::string*>(*c) + "]" : "";
        if (!counting) records.push_back(GetDepthString() + call + label);
        if (!counting && o) *o << records.back() << '\n';
        return react && c ? react(call, *c) : 0;
    }
};

// The heap calls of a machine without memory; release stays the real one.
const filekit::HeapCalls kNoMemory = {[](size_t) -> void* { return nullptr; },
                                      [](void*, size_t) -> void* { return nullptr; }, filekit::RealHeapCalls().release};

// Each file is one test: its lines are commands with their results after
// " -> " (none: ""), or calls the tokenizer "t" received, in order; every
// call it received is listed or counted. The test is a writer, whose
// document is the tree the calls go to, with what else the script works on:
// tokenizers by name; context labels; the "at" rules the tokenizers follow;
// the stream Tokenize writes to. Deriving reaches the protected walk.
class CallScript : public ::testing::TestWithParam<std::string>, public CTokenWriter {
protected:
    ~CallScript() override { filekit::g_heap = filekit::RealHeapCalls(); }  // a script may end with allocations failing

    // The result of the line's command, as described in tests/data/README.md.
    std::string Do(const ScriptLine& line)
    {
        const std::vector<std::string> a = Words(line.text);
        const std::string& op = a[0];
        CTokenNode* const root = GetDocument();
        const auto n = [&a](size_t i) { return std::stoi(a[i]); };
        const auto str = [&a](size_t i) { return CString(Unescape(a[i]).c_str()); };
        const auto name = [](auto* item) { return item ? std::string(item->GetName()) : "null"; };
        // tree: the document, after Clear; it must read back as given (else it gives what it reads as)
        if (op == "tree")
            return Clear(), Parse(line.text, 5, root), Dump(root) == line.text.substr(5) ? "" : Dump(root);
        if (op == "dump") return Dump(root);
        if (op == "insert") return name(root->InsertChildAt(n(1), str(2), str(3), n(4), n(5)));
        if (op == "add") return name(root->AddChild(str(1), str(2), n(3), n(4)));
        if (op == "child") return name(root->GetChildAt(n(1)));
        if (op == "remove") return Num(root->RemoveChildAt(n(1)));
        if (op == "attribute-set") return name(root->SetAttribute(str(1), str(2), n(3), n(4)));
        if (op == "attribute") return name(root->GetAttribute(a[1].c_str()));
        if (op == "attribute-value") return Escape(static_cast<const char*>(root->GetAttributeValue(a[1].c_str())));
        if (op == "attribute-at") return name(root->GetAttributeAt(n(1)));
        if (op == "attribute-remove") return Num(root->RemoveAttributeAt(n(1)));
        if (op == "compare")  // the signs of CompareName on a node and on an attribute
            return Num(std::clamp(CTokenNode(str(1), "", 0, 0).CompareName(str(2)), -1, 1)) + " " +
                   Num(std::clamp(CTokenAttribute(str(1), "", 0, 0).CompareName(str(2)), -1, 1));
        if (op == "tokenizer") {
            const bool counting = a.size() > 2 && a[2] == "counting";
            const char indent = a.size() < 3 ? '\t' : a[2] == "none" || counting ? '\0' : a[2][0];
            auto& t = m_tokenizers[a[1]] = std::make_unique<Recorder>(indent, counting);
            return t->react = [this](const std::string& call, void*& c) { return React(call, c); }, "";
        }
        if (op == "counts") {  // "t"'s since last asked: calls, nodes met at another depth than their type, depth
            Recorder& t = *Tokenizer("t");
            const long long depth = std::exchange(t.depth, 0);
            return Num(std::exchange(t.count, 0)) + " " + Num(std::exchange(t.misplaced, 0)) + " " + Num(depth);
        }
        // chain: n(1) nested nodes below the document, each typed with its level
        for (CTokenNode* node = root; op == "chain" && node->GetType() < n(1);)
            node = node->AddChild("n", "", node->GetType() + 1, 0);
        if (op == "chain") return "";
        // trace: "depth string:depth" before and after each step, '+' Push and '-' Pop, not recorded
        if (op == "trace") {
            CTokenizer& t = *Tokenizer(a[1]);
            const auto state = [&t] { return Text(t.GetDepthString()) + ":" + Num(t.GetDepth()); };
            std::string trace = state();
            for (char step : a.size() > 2 ? a[2] : "")
                trace += (step == '+' ? t.CTokenizer::Push() : t.CTokenizer::Pop(), " " + state());
            return trace;
        }
        if (op == "copy") return m_tokenizers[a[1]] = std::make_unique<Recorder>(*Tokenizer(a[2])), "";
        if (op == "assign") return *Tokenizer(a[1]) = *Tokenizer(a[2]), "";
        if (op == "heap") return filekit::g_heap = a[1] == "fail" ? kNoMemory : filekit::RealHeapCalls(), "";
        if (op == "open") {
            CTokenizer* tokenizer = m_tokenizers.count(a[2]) ? Tokenizer(a[2]) : nullptr;
            if (a[2] == "xml") tokenizer = &m_xml;
            return Num(Open(Path(Unescape(a[1])).c_str(), tokenizer, a.size() > 3 ? Label(a[3]) : nullptr));
        }
        if (op == "save") return Num(a.size() > 1 ? Save(Path(a[1]).c_str()) : Save());
        if (op == "tokenize") return Num(Tokenize(Node(a[1]), m_out));
        if (op == "stream") return Escape(m_out.str());
        if (op == "close") return Num(Close());
        if (op == "clear") return Clear(), "";
        if (op == "is-open") return Num(IsOpen());
        // file: the expected text itself when the file holds it as a text-mode stream stores it
        if (op == "file") {
            const std::string& expected = line.expected;
            const std::string text =
                expected[0] == '@' ? ReadBytes(DataFolder("tokens/") + expected.substr(1)) : Unescape(expected);
            const std::string bytes = ReadBytes(Path(a[1]));
            return bytes == StoredText(text) ? expected : Escape(bytes);
        }
        // example: the example program, writing into the script's folder
        if (op == "example") {
            std::string program = "token_xml", folder = m_dir.Root().string();
            char* argv[] = {program.data(), folder.data(), nullptr};
            return Num(token_xml_main(2, argv));
        }
        if (op == "at") return m_rules.push_back(a), "";
        if (op == "forget") return m_rules.clear(), "";
        if (op == "calls") return std::to_string(std::exchange(Unlisted(), {}).size());
        // any other line lists the next call "t" received
        const std::string call = Unlisted().empty() ? "no call" : Unlisted().front();
        if (!Unlisted().empty()) Unlisted().pop_front();
        return call == line.text ? "" : "received " + call;
    }

    // The calls "t" received that the script has not listed yet.
    std::deque<std::string>& Unlisted() { return m_tokenizers.count("t") ? Tokenizer("t")->records : m_none; }

private:
    Recorder* Tokenizer(const std::string& name) { return m_tokenizers.at(name).get(); }
    CTokenNode* Node(const std::string& name) { return Find(GetDocument(), Unescape(name)); }
    std::string Path(const std::string& name) const { return name.empty() ? name : m_dir.Path(name); }
    void* Label(const std::string& name) { return &(m_labels[name] = name); }

    // What a tokenizer answers to call: the first "at CALL answer N" rule for
    // it (CALL * for any call), after acting on the rules for it before; else 0.
    int React(const std::string& call, void*& context)
    {
        for (const std::vector<std::string>& r : m_rules) {  // at CALL what [node|label|answer] [argument]
            if (r[1] != call && r[1] != "*") continue;
            if (r[2] == "answer") return std::stoi(r[3]);
            if (r[2] == "pop") Tokenizer("t")->Pop();
            if (r[2] == "context") context = Label(r[3]);
            if (r[2] == "add-attribute") Node(r[3])->AddAttribute(r[4].c_str(), "", 0, 0);
            if (r[2] == "add-child") Node(r[3])->AddChild(r[4].c_str(), "", 0, 0);
            if (r[2] == "remove-child") Node(r[3])->RemoveChildAt(std::stoi(r[4]));
        }
        return 0;
    }

    TempDir m_dir;
    std::map<std::string, std::unique_ptr<Recorder>> m_tokenizers;
    CXMLTokenizer m_xml;
    std::map<std::string, std::string> m_labels;
    std::vector<std::vector<std::string>> m_rules;
    std::ostringstream m_out;
    std::deque<std::string> m_none;  // the calls of a script without "t"
};

TEST_P(CallScript, ResultsAndCalls)
{
    for (const ScriptLine& line : ReadScript("tokens/calls", GetParam())) {
        std::string result = "bad_alloc";
        try {
            result = Do(line);
        } catch (const std::bad_alloc&) {
        }
        EXPECT_EQ(result, line.expected) << line.where << ": " << line.text;
    }
    EXPECT_EQ(Unlisted(), std::deque<std::string>()) << "calls the script does not list";
}

INSTANTIATE_TEST_SUITE_P(Files, CallScript, ::testing::ValuesIn(DataFiles("tokens/calls")), CaseName);

}  // namespace
