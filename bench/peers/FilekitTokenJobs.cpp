// SPDX-License-Identifier: MIT
// The token writer on a tree of fanout^3 + fanout^2 + fanout nodes, against
// a hand-written walk that makes the same calls on the same tokenizer. The
// difference is what the writer's own walk costs.
#include "Job.h"
#include "Tasks.h"

#include <filekit/TokenWriter.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace compare {
namespace {

constexpr int kTreeLevels = 3;

// Writes an indented tag per node: <name id="..">value, children, </name>.
class TagTokenizer : public CTokenizer {
public:
    int BeginDocument(std::ostream& out, void*&) override
    {
        out << "<document>\n";
        return 0;
    }
    int BeginNode(CTokenNode* node, std::ostream& out, void*&) override
    {
        out << GetDepthString() << '<';
        Write(out, node->GetName());
        return 0;
    }
    int BeginAttributes(CTokenNode*, std::ostream&, void*&) override { return 0; }
    int WriteAttribute(CTokenNode*, CTokenAttribute* attribute, std::ostream& out, void*&) override
    {
        out << ' ';
        Write(out, attribute->GetName());
        out << "=\"";
        Write(out, attribute->GetValue());
        out << '"';
        return 0;
    }
    int EndAttributes(CTokenNode* node, std::ostream& out, void*&) override
    {
        out << '>';
        Write(out, node->GetValue());
        return 0;
    }
    int BeginChildren(CTokenNode*, std::ostream& out, void*&) override
    {
        out << '\n';
        return 0;
    }
    int EndChildren(CTokenNode*, std::ostream& out, void*&) override
    {
        out << GetDepthString();
        return 0;
    }
    int EndNode(CTokenNode* node, std::ostream& out, void*&) override
    {
        out << "</";
        Write(out, node->GetName());
        out << ">\n";
        return 0;
    }
    int EndDocument(std::ostream& out, void*&) override
    {
        out << "</document>\n";
        return 0;
    }

private:
    static void Write(std::ostream& out, const CString& text) { out.write(text.GetString(), text.GetLength()); }
};

void Build(CTokenNode* parent, int level, int fanout, long long& id)
{
    for (int i = 0; i < fanout; ++i) {
        const std::string number = std::to_string(id++);
        CTokenNode* node = parent->AddChild(level < kTreeLevels ? "group" : "item", ("value " + number).c_str(), 0, 0);
        node->AddAttribute("id", number.c_str(), 0, 0);
        if (level < kTreeLevels) Build(node, level + 1, fanout, id);
    }
}

// The tree, its tokenizer and the file both jobs write.
class TokenJob : public Job {
public:
    TokenJob(const Input& input, const char* file) : m_fanout(input.fanout), m_path(input.scratch + "/" + file) {}
    void Setup() override
    {
        long long id = 0;
        Build(m_writer.GetDocument(), 1, m_fanout, id);
    }
    std::uint64_t Digest() override { return Mix(0, std::filesystem::file_size(m_path)); }

protected:
    int m_fanout;
    std::string m_path;
    CTokenWriter m_writer;
    TagTokenizer m_tokenizer;
};

class WriterJob : public TokenJob {
public:
    explicit WriterJob(const Input& input) : TokenJob(input, "tokens-writer.txt") {}
    void Setup() override
    {
        TokenJob::Setup();
        if (!m_writer.Open(m_path.c_str(), &m_tokenizer, nullptr))
            throw std::runtime_error("CTokenWriter::Open failed");
    }
    void Run() override
    {
        if (!m_writer.Save()) throw std::runtime_error("CTokenWriter::Save failed");
    }
};

// The writer's calls, in the writer's order, through the same CTokenizer
// interface, with the same checks of the results.
class HandLoopJob : public TokenJob {
public:
    explicit HandLoopJob(const Input& input) : TokenJob(input, "tokens-hand.txt") {}
    void Run() override
    {
        std::ofstream out(m_path);
        CTokenizer& tokenizer = m_tokenizer;
        void* context = nullptr;
        CTokenNode* document = m_writer.GetDocument();
        bool ok = tokenizer.BeginDocument(out, context) >= 0;
        if (ok && document->GetChildCount() > 0) {
            tokenizer.Push();
            const int children = document->GetChildCount();
            for (int i = 0; ok && i < children; ++i)
                if (CTokenNode* child = document->GetChildAt(i)) ok = WriteNode(tokenizer, child, out, context);
            tokenizer.Pop();
        }
        if (!ok || tokenizer.EndDocument(out, context) < 0) throw std::runtime_error("tokenizer failed");
    }

private:
    static bool WriteNode(CTokenizer& t, CTokenNode* node, std::ostream& out, void*& context)
    {
        if (t.BeginNode(node, out, context) < 0 || t.BeginAttributes(node, out, context) < 0) return false;
        const int attributes = node->GetAttributeCount();
        for (int i = 0; i < attributes; ++i) {
            CTokenAttribute* attribute = node->GetAttributeAt(i);
            if (attribute && t.WriteAttribute(node, attribute, out, context) < 0) return false;
        }
        if (t.EndAttributes(node, out, context) < 0) return false;
        const int children = node->GetChildCount();
        if (children > 0) {
            if (t.BeginChildren(node, out, context) < 0) return false;
            t.Push();
            for (int i = 0; i < children; ++i) {
                CTokenNode* child = node->GetChildAt(i);
                if (child && !WriteNode(t, child, out, context)) return false;
            }
            t.Pop();
            if (t.EndChildren(node, out, context) < 0) return false;
        }
        return t.EndNode(node, out, context) >= 0;
    }
};

[[maybe_unused]] const bool kRegistered[] = {
    RegisterJob<WriterJob>(task::kTokenWriter, system::kFilekit, Role::Filekit),
    RegisterJob<HandLoopJob>(task::kTokenWriter, system::kHandLoop, Role::Peer),
};

}  // namespace
}  // namespace compare
