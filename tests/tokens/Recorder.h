// Test support: a tokenizer that records every call it receives.
#ifndef FILEKIT_TESTS_TOKENS_RECORDER_H
#define FILEKIT_TESTS_TOKENS_RECORDER_H

#include <filekit/TokenWriter.h>

#include <functional>
#include <string>
#include <vector>

namespace filekit_test {

// Records each call as the depth string and the call, such as
// "--BeginNode(B)", followed by "[label]" when the context points to a
// std::string label; Push and Pop are recorded after they changed the depth.
// The tree operations write their record and a line feed to the file.
class Recorder : public CTokenizer {
public:
    Recorder() = default;   // the tokenizer's default indent, a tab
    explicit Recorder(char indent) : CTokenizer(indent) {}

    std::vector<std::string> calls;
    // Runs after each tree operation is recorded; its result is the operation's.
    std::function<int(const std::string& call, void*& context)> react = [](const std::string&, void*&) { return 0; };

    int BeginDocument(std::ostream& out, void*& ctx) override { return Note("BeginDocument", out, ctx); }
    int BeginNode(CTokenNode* n, std::ostream& out, void*& ctx) override { return Note("BeginNode", out, ctx, n); }
    int BeginAttributes(CTokenNode* n, std::ostream& out, void*& ctx) override
    {
        return Note("BeginAttributes", out, ctx, n);
    }
    int WriteAttribute(CTokenNode* n, CTokenAttribute* a, std::ostream& out, void*& ctx) override
    {
        return Note("WriteAttribute", out, ctx, n, a);
    }
    int EndAttributes(CTokenNode* n, std::ostream& out, void*& ctx) override
    {
        return Note("EndAttributes", out, ctx, n);
    }
    int BeginChildren(CTokenNode* n, std::ostream& out, void*& ctx) override
    {
        return Note("BeginChildren", out, ctx, n);
    }
    int EndChildren(CTokenNode* n, std::ostream& out, void*& ctx) override { return Note("EndChildren", out, ctx, n); }
    int EndNode(CTokenNode* n, std::ostream& out, void*& ctx) override { return Note("EndNode", out, ctx, n); }
    int EndDocument(std::ostream& out, void*& ctx) override { return Note("EndDocument", out, ctx); }
    void Push() override { CTokenizer::Push(); calls.push_back(GetDepthString() + std::string("Push")); }
    void Pop() override { CTokenizer::Pop(); calls.push_back(GetDepthString() + std::string("Pop")); }

    // The records, separated by spaces.
    std::string Calls() const { return Joined(false); }
    // What the tree operations wrote: every record but Push and Pop, one a line.
    std::string Text() const { return Joined(true); }

private:
    int Note(const char* op, std::ostream& out, void*& ctx, CTokenNode* n = nullptr, CTokenAttribute* a = nullptr)
    {
        std::string call = op;
        if (n) call += "(" + std::string(n->GetName()) + (a ? "," + std::string(a->GetName()) : "") + ")";
        const std::string record = GetDepthString() + call + (ctx ? "[" + *static_cast<std::string*>(ctx) + "]" : "");
        calls.push_back(record);
        out << record << '\n';
        return react(call, ctx);
    }

    std::string Joined(bool text) const
    {
        std::string joined;
        for (const std::string& r : calls) {
            const bool level = r.find("Push") != std::string::npos || r.find("Pop") != std::string::npos;
            if (text && !level) joined += r + "\n";
            if (!text) joined += (joined.empty() ? "" : " ") + r;
        }
        return joined;
    }
};

}  // namespace filekit_test

#endif
