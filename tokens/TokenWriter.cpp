// SPDX-License-Identifier: MIT
// CTokenWriter: owns a token tree and writes it through a tokenizer.
//
// The walk makes exactly the calls of a descent that calls Tokenize once per
// child, but keeps its place in an explicit stack of open levels instead of
// the call stack, so that a chain of a million nested nodes is written with
// a flat stack.
#include <filekit/TokenWriter.h>

#include <fstream>
#include <vector>

namespace {

constexpr int kTokenizeSucceeded = 0;
constexpr int kTokenizeFailed = -1;

// A node whose children are being written: its child count, taken before
// the first child, and the index to look at next.
struct OpenLevel {
    CTokenNode* node;
    int count;
    int next;
};

// The tokenizer calls for one node. Each "is the walk inside a node" test
// asks the tokenizer's depth afresh, since an operation may Push or Pop.
class NodeSteps {
public:
    NodeSteps(CTokenizer& tokenizer, std::ostream& out, void*& context)
        : m_tokenizer(tokenizer), m_out(out), m_context(context)
    {
    }

    // Everything before the children: BeginDocument or BeginNode, the
    // attributes (never for the document), and when the child list is not
    // empty BeginChildren and Push. The child count, or -1 on failure.
    int Enter(CTokenNode* node)
    {
        CTokenizer& t = m_tokenizer;
        if (Failed(InsideNode() ? t.BeginNode(node, m_out, m_context) : t.BeginDocument(m_out, m_context)))
            return kTokenizeFailed;
        if (InsideNode()) {
            const int attributes = node->GetAttributeCount();
            if (Failed(t.BeginAttributes(node, m_out, m_context))) return kTokenizeFailed;
            for (int i = 0; i < attributes; ++i) {
                CTokenAttribute* attribute = node->GetAttributeAt(i);
                if (attribute && Failed(t.WriteAttribute(node, attribute, m_out, m_context))) return kTokenizeFailed;
            }
            if (Failed(t.EndAttributes(node, m_out, m_context))) return kTokenizeFailed;
        }
        const int children = node->GetChildCount();
        if (children > 0) {
            if (InsideNode() && Failed(t.BeginChildren(node, m_out, m_context))) return kTokenizeFailed;
            t.Push();
        }
        return children;
    }

    // After the children of a node with a non-empty child list: Pop, then
    // EndChildren. false on failure.
    bool LeaveChildren(CTokenNode* node)
    {
        m_tokenizer.Pop();
        return !(InsideNode() && Failed(m_tokenizer.EndChildren(node, m_out, m_context)));
    }

    // The last call: EndDocument or EndNode. false on failure.
    bool End(CTokenNode* node)
    {
        CTokenizer& t = m_tokenizer;
        return !Failed(InsideNode() ? t.EndNode(node, m_out, m_context) : t.EndDocument(m_out, m_context));
    }

private:
    bool InsideNode() { return m_tokenizer.GetDepth() > 0; }
    static bool Failed(int result) { return result < 0; }

    CTokenizer& m_tokenizer;
    std::ostream& m_out;
    void*& m_context;
};

}  // namespace

CTokenWriter::CTokenWriter() : m_pTokenizer(nullptr), m_pContext(nullptr), m_bOpen(0) {}

CTokenWriter::~CTokenWriter()
{
    if (m_bOpen) Close();
}

int CTokenWriter::Open(const CString& file, CTokenizer* tokenizer, void* context)
{
    if (m_bOpen || file.IsEmpty() || !tokenizer) return 0;
    m_strFile = file;
    m_pTokenizer = tokenizer;
    m_pContext = context;
    m_bOpen = 1;
    return 1;
}

int CTokenWriter::Save() { return Save(m_strFile); }

int CTokenWriter::Save(const CString& file)
{
    if (!m_bOpen) return 0;
    std::ofstream out(static_cast<const char*>(file), std::ios::out);
    if (!out.is_open()) return 0;
    const int result = Tokenize(GetDocument(), out);
    out.close();
    return result < 0 ? 0 : 1;
}

int CTokenWriter::Close()
{
    if (!m_bOpen) return 0;
    Clear();
    m_pTokenizer = nullptr;
    m_bOpen = 0;
    return 1;
}

void CTokenWriter::Clear()
{
    m_Document.RemoveAllAttribute();
    m_Document.RemoveAllChild();
}

int CTokenWriter::Tokenize(CTokenNode* node, std::ostream& out)
{
    if (!node || !m_pTokenizer) return kTokenizeFailed;
    NodeSteps steps(*m_pTokenizer, out, m_pContext);
    std::vector<OpenLevel> levels;
    CTokenNode* next = node;
    for (;;) {
        if (next) {
            const int children = steps.Enter(next);
            if (children < 0) return kTokenizeFailed;
            if (children > 0)
                levels.push_back({next, children, 0});
            else if (!steps.End(next))
                return kTokenizeFailed;
        }
        if (levels.empty()) return kTokenizeSucceeded;
        OpenLevel& level = levels.back();
        next = nullptr;
        while (!next && level.next < level.count) next = level.node->GetChildAt(level.next++);
        if (next) continue;
        CTokenNode* done = level.node;
        levels.pop_back();
        if (!steps.LeaveChildren(done) || !steps.End(done)) return kTokenizeFailed;
    }
}
