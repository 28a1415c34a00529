// SPDX-License-Identifier: MIT
// Fuzz target: the token writer. The input builds a token tree twice (the
// writer's document and a twin) and scripts a recording tokenizer: what
// each call returns, whether it pushes, pops, replaces the context or
// changes the tree. The writer's Save must make exactly the calls, write
// exactly the text and end at the depth of a plain recursive walk of the
// twin, done with a second tokenizer following the same script.
#include <filekit/TokenWriter.h>

#include "FuzzSupport.h"

#include <cstring>
#include <sstream>
#include <string>

using filekit_fuzz::Bytes;
using filekit_fuzz::Input;
using filekit_fuzz::ScratchFolder;
using filekit_fuzz::ToCString;

namespace {

constexpr int kMaxDepth = 600;  // of the built tree: the reference walk recurses once per level
constexpr int kContexts = 4;  // context pointers a tokenizer can switch between
constexpr int kMaxIndex = 9;  // of the builder's entries: many land past the end of a short list
constexpr int kMaxChanges = 32;  // tree changes per tokenizer: a child added at each visit would never end

// What the tokenizer does at one call, decoded from one byte.
struct Step {
    explicit Step(uint8_t value) : byte(value) {}
    bool Stops() const { return byte == 0xFF; }
    int Result() const { return byte & 1; }  // 0 or 1: both go on
    bool Pushes() const { return (byte & 0x0E) == 0x02; }
    bool Pops() const { return (byte & 0x0E) == 0x04; }
    bool SwitchesContext() const { return (byte & 0x30) == 0x30; }
    int Context() const { return byte >> 6; }
    int Change() const { return (byte >> 3) & 7; }  // tree change at BeginNode: 0-3, none otherwise
    uint8_t byte;
};

// Records every call as one line, writes that line to the output, and
// then does what its script says.
class Recorder : public CTokenizer {
public:
    Recorder(char indent, const std::string& script, void** contexts)
        : CTokenizer(indent), m_indent(indent), m_script(script), m_contexts(contexts)
    {
    }

    int BeginDocument(std::ostream& out, void*& context) override
    {
        return Call("BeginDocument", nullptr, nullptr, out, context);
    }
    int BeginNode(CTokenNode* node, std::ostream& out, void*& context) override
    {
        const int result = Call("BeginNode", node, nullptr, out, context);
        ChangeTree(node);
        return result;
    }
    int BeginAttributes(CTokenNode* node, std::ostream& out, void*& context) override
    {
        return Call("BeginAttributes", node, nullptr, out, context);
    }
    int WriteAttribute(CTokenNode* node, CTokenAttribute* attribute, std::ostream& out, void*& context) override
    {
        return Call("WriteAttribute", node, attribute, out, context);
    }
    int EndAttributes(CTokenNode* node, std::ostream& out, void*& context) override
    {
        return Call("EndAttributes", node, nullptr, out, context);
    }
    int BeginChildren(CTokenNode* node, std::ostream& out, void*& context) override
    {
        return Call("BeginChildren", node, nullptr, out, context);
    }
    int EndChildren(CTokenNode* node, std::ostream& out, void*& context) override
    {
        return Call("EndChildren", node, nullptr, out, context);
    }
    int EndNode(CTokenNode* node, std::ostream& out, void*& context) override
    {
        return Call("EndNode", node, nullptr, out, context);
    }
    int EndDocument(std::ostream& out, void*& context) override
    {
        return Call("EndDocument", nullptr, nullptr, out, context);
    }

    const std::string& Log() const { return m_log; }

private:
    Step Next() { return Step(m_script.empty() ? 0 : static_cast<uint8_t>(m_script[m_calls++ % m_script.size()])); }

    int Call(const char* name, CTokenNode* node, CTokenAttribute* attribute, std::ostream& out, void*& context)
    {
        const char* depth = GetDepthString();
        FUZZ_CHECK(std::strlen(depth) == static_cast<size_t>(GetDepth()) && GetDepth() >= 0);
        FUZZ_CHECK(std::strspn(depth, std::string(1, m_indent).c_str()) == std::strlen(depth));
        int contextIndex = 0;
        while (contextIndex < kContexts && m_contexts[contextIndex] != context) ++contextIndex;
        std::string line =
            std::string(name) + " depth " + std::to_string(GetDepth()) + " context " + std::to_string(contextIndex);
        if (node) line += " node " + Bytes(node->GetName()) + "=" + Bytes(node->GetValue());
        if (attribute) line += " attribute " + Bytes(attribute->GetName()) + "=" + Bytes(attribute->GetValue());
        line += "\n";
        out << line;
        m_log += line;

        m_step = Next();
        if (m_step.SwitchesContext()) context = m_contexts[m_step.Context()];
        if (m_step.Pushes()) Push();
        if (m_step.Pops()) Pop();
        return m_step.Stops() ? -1 : m_step.Result();
    }

    // Changes that a tokenizer may make while the walk is at node: to node
    // itself, or to its parent's list after node.
    void ChangeTree(CTokenNode* node)
    {
        const CString mark = ("changed" + std::to_string(m_calls)).c_str();
        CTokenNode* parent = node->GetParent();
        if (m_changes++ >= kMaxChanges) return;
        switch (m_step.Change()) {
        case 0: node->AddChild(mark, "", 0, 0); break;
        case 1: node->AddAttribute(mark, "", 0, 0); break;
        case 2:
            if (parent) parent->AddChild(mark, "", 0, 0);
            break;
        case 3:
            for (int i = 0; parent && i + 1 < parent->GetChildCount(); ++i) {
                if (parent->GetChildAt(i) != node) continue;
                parent->RemoveChildAt(i + 1);
                break;
            }
            break;
        default: break;
        }
    }

    char m_indent;
    const std::string& m_script;
    void** m_contexts;
    size_t m_calls = 0;
    int m_changes = 0;
    Step m_step{0};
    std::string m_log;
};

// The walk as a recursion once per child, with the order the writer
// documents: counts taken before their loops, null entries skipped, the
// depth asked afresh at every decision, stopping at the first negative result.
int ReferenceWalk(CTokenNode* node, Recorder& tokenizer, std::ostream& out, void*& context)
{
    if (tokenizer.GetDepth() == 0) {
        if (tokenizer.BeginDocument(out, context) < 0) return -1;
    } else {
        if (tokenizer.BeginNode(node, out, context) < 0) return -1;
    }
    if (tokenizer.GetDepth() > 0) {
        const int attributes = node->GetAttributeCount();
        if (tokenizer.BeginAttributes(node, out, context) < 0) return -1;
        for (int i = 0; i < attributes; ++i) {
            CTokenAttribute* attribute = node->GetAttributeAt(i);
            if (attribute && tokenizer.WriteAttribute(node, attribute, out, context) < 0) return -1;
        }
        if (tokenizer.EndAttributes(node, out, context) < 0) return -1;
    }
    const int children = node->GetChildCount();
    if (children > 0) {
        if (tokenizer.GetDepth() > 0 && tokenizer.BeginChildren(node, out, context) < 0) return -1;
        tokenizer.Push();
        for (int i = 0; i < children; ++i) {
            CTokenNode* child = node->GetChildAt(i);
            if (child && ReferenceWalk(child, tokenizer, out, context) < 0) return -1;
        }
        tokenizer.Pop();
        if (tokenizer.GetDepth() > 0 && tokenizer.EndChildren(node, out, context) < 0) return -1;
    }
    if (tokenizer.GetDepth() > 0) return tokenizer.EndNode(node, out, context) < 0 ? -1 : 0;
    return tokenizer.EndDocument(out, context) < 0 ? -1 : 0;
}

// Builds a tree under root from the input: children appended or inserted
// (gaps included), attributes added or set, entries removed, and moves up
// and down the tree. Each created node carries a serial number in its value.
void Build(Input& input, CTokenNode* root)
{
    CTokenNode* current = root;
    int depth = 0;
    int serial = 0;
    while (!input.Empty()) {
        const int operation = input.Between(0, 8);
        if (operation == 8) break;  // the rest of the input is the tokenizer's script
        const CString name = ToCString(input.Text(8));
        const CString value = ToCString(input.Text(8) + "#" + std::to_string(++serial));
        const int index = input.Between(0, kMaxIndex);
        switch (operation) {
        case 0: FUZZ_CHECK(current->AddChild(name, value, index, -index)->GetParent() == current); break;
        case 1: FUZZ_CHECK(current->InsertChildAt(index, name, value, 0, 0) == current->GetChildAt(index)); break;
        case 2:
            if (CTokenNode* child = current->GetChildAt(index); child && depth < kMaxDepth) {
                current = child;
                ++depth;
            }
            break;
        case 3:
            if (current->GetParent()) {
                current = current->GetParent();
                --depth;
            }
            break;
        case 4: current->AddAttribute(name, value, index, 0); break;
        case 5: {
            CTokenAttribute* set = current->SetAttribute(name, value, index, 0);
            FUZZ_CHECK(set == current->GetAttribute(name) && set->GetValue() == value);
            FUZZ_CHECK(current->GetAttributeValue(name) == value);
            break;
        }
        case 6: {
            const bool present = index < current->GetChildCount() && current->GetChildAt(index);
            FUZZ_CHECK(current->RemoveChildAt(index) == (present ? 1 : 0));
            break;
        }
        default: {
            const int count = current->GetAttributeCount();
            FUZZ_CHECK(current->RemoveAttributeAt(index) == (index < count ? 1 : 0));
            FUZZ_CHECK(current->GetAttributeCount() == (index < count ? count - 1 : count));
            break;
        }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input header(data, size);
    const char indent = static_cast<char>(header.Byte());
    const size_t skip = std::min<size_t>(size, 1);

    CTokenWriter writer;
    CTokenNode twin;
    Input forWriter(data + skip, size - skip);
    Input forTwin(data + skip, size - skip);
    Build(forWriter, writer.GetDocument());
    Build(forTwin, &twin);
    const std::string script = forWriter.Rest();

    int markers[kContexts] = {};
    void* contexts[kContexts] = {&markers[0], &markers[1], &markers[2], &markers[3]};
    Recorder tokenizer(indent, script, contexts);
    Recorder reference(indent, script, contexts);
    const std::string path = ScratchFolder().Path("tokens.txt");
    FUZZ_CHECK(writer.Save(ToCString(path)) == 0);  // closed: nothing is written
    FUZZ_CHECK(writer.Open(ToCString(path), &tokenizer, contexts[0]) == 1);
    FUZZ_CHECK(writer.Open(ToCString(path), &tokenizer, contexts[0]) == 0);

    // Two saves: a context replaced in the first reaches the second.
    void* context = contexts[0];
    for (int save = 0; save < 2; ++save) {
        const size_t logged = reference.Log().size();
        std::ostringstream expected;
        const int walked = ReferenceWalk(&twin, reference, expected, context);
        FUZZ_CHECK(writer.Save() == (walked < 0 ? 0 : 1));
        FUZZ_CHECK(tokenizer.Log() == reference.Log());
        FUZZ_CHECK(filekit_test::ReadBytes(path) == filekit_test::StoredText(expected.str()));
        FUZZ_CHECK(expected.str() == reference.Log().substr(logged));
        FUZZ_CHECK(tokenizer.GetDepth() == reference.GetDepth());
    }
    FUZZ_CHECK(writer.Close() == 1 && writer.IsOpen() == 0);
    FUZZ_CHECK(writer.GetDocument()->GetChildCount() == 0 && writer.GetDocument()->GetAttributeCount() == 0);
    return 0;
}
