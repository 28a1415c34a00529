// Test support: a tokenizer that records every call it receives.
#ifndef FILEKIT_TESTS_TOKENS_RECORDER_H
#define FILEKIT_TESTS_TOKENS_RECORDER_H

#include <filekit/TokenWriter.h>

#include <functional>
#include <string>
#include <vector>

namespace filekit_test {

// Each call is recorded as one line: the depth string, the call, and
// " [label]" when the context points to a std::string label. Push and Pop
// are recorded after they changed the depth. The tree operations also write
// their line, and a line feed, to the file.
class Recorder : public CTokenizer {
public:
    Recorder() = default;   // the tokenizer's default indent, a tab
    explicit Recorder(char indent) : CTokenizer(indent) {}

    // Runs after a tree operation is recorded; its result is the operation's.
    std::function<int(const std::string& call, void*& context)> react = [](const std::string&, void*&) { return 0; };
    std::vector<std::string> calls;

    int BeginDocument(std::ostream& out, void*& context) override { return Note("BeginDocument", out, context); }
    int BeginNode(CTokenNode* node, std::ostream& out, void*& context) override
    {
        return Note("BeginNode(" + Name(node) + ")", out, context);
    }
    int BeginAttributes(CTokenNode* node, std::ostream& out, void*& context) override
    {
        return Note("BeginAttributes(" + Name(node) + ")", out, context);
    }
    int WriteAttribute(CTokenNode* node, CTokenAttribute* attribute, std::ostream& out, void*& context) override
    {
        return Note("WriteAttribute(" + Name(node) + ", " + attribute->GetName().GetString() + ")", out, context);
    }
    int EndAttributes(CTokenNode* node, std::ostream& out, void*& context) override
    {
        return Note("EndAttributes(" + Name(node) + ")", out, context);
    }
    int BeginChildren(CTokenNode* node, std::ostream& out, void*& context) override
    {
        return Note("BeginChildren(" + Name(node) + ")", out, context);
    }
    int EndChildren(CTokenNode* node, std::ostream& out, void*& context) override
    {
        return Note("EndChildren(" + Name(node) + ")", out, context);
    }
    int EndNode(CTokenNode* node, std::ostream& out, void*& context) override
    {
        return Note("EndNode(" + Name(node) + ")", out, context);
    }
    int EndDocument(std::ostream& out, void*& context) override { return Note("EndDocument", out, context); }

    void Push() override
    {
        CTokenizer::Push();
        calls.push_back(std::string(GetDepthString()) + "Push");
    }
    void Pop() override
    {
        CTokenizer::Pop();
        calls.push_back(std::string(GetDepthString()) + "Pop");
    }

private:
    static std::string Name(CTokenNode* node) { return node->GetName().GetString(); }

    int Note(const std::string& call, std::ostream& out, void*& context)
    {
        std::string line = GetDepthString() + call;
        if (context) line += " [" + *static_cast<std::string*>(context) + "]";
        calls.push_back(line);
        out << line << '\n';
        return react(call, context);
    }
};

}  // namespace filekit_test

#endif
