// Token nodes and attributes, driven by tests/data/tokens/nodes.txt: each
// "tree" line starts a tree, each further line is one call on its root (or a
// name comparison) with the result it gives, "dump" the whole tree; and the
// example's XML tokenizer: the example program's catalog and each tree in
// tests/data/tokens/xml saved through it give the exact XML text kept
// beside them.
#include <filekit/TokenNode.h>
#include <filekit/TokenWriter.h>

#include "TreeDump.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// The example program is compiled into this test so that its tokenizer is
// at hand; its main() is renamed to be callable.
#define main token_xml_main
#include "examples/token_xml.cpp"  // NOLINT(bugprone-suspicious-include): compiled in on purpose, see above
#undef main

namespace {

using namespace filekit_test;

template <class Item>
std::string Name(Item* item)
{
    return item ? std::string(item->GetName()) : "null";
}

int Sign(int value) { return (value > 0) - (value < 0); }

// One call on root; w holds the call's words, fields given from w[first] on
// as name, value, type, flag (missing ones empty or 0).
std::string Call(CTokenNode& root, const std::vector<std::string>& w)
{
    const auto at = [&w](size_t i) { return std::stoi(w[i]); };
    const auto fields = [&w](size_t first, auto add) {
        const auto word = [&w](size_t i, const char* missing) { return i < w.size() ? Unescape(w[i]) : missing; };
        return add(CString(word(first, "").c_str()), CString(word(first + 1, "").c_str()),
                   std::stoi(word(first + 2, "0")), std::stoi(word(first + 3, "0")));
    };
    const std::string& op = w[0];
    if (op == "dump") return Dump(&root);
    if (op == "counts") return std::to_string(root.GetChildCount()) + " " + std::to_string(root.GetAttributeCount());
    if (op == "insert") return Name(fields(2, [&](auto... f) { return root.InsertChildAt(at(1), f...); }));
    if (op == "add") return Name(fields(1, [&](auto... f) { return root.AddChild(f...); }));
    if (op == "child") return Name(root.GetChildAt(at(1)));
    if (op == "remove") return std::to_string(root.RemoveChildAt(at(1)));
    if (op == "remove-all") return root.RemoveAllChild(), "";
    if (op == "attribute-add") return Name(fields(1, [&](auto... f) { return root.AddAttribute(f...); }));
    if (op == "attribute-set") return Name(fields(1, [&](auto... f) { return root.SetAttribute(f...); }));
    if (op == "attribute") return Name(root.GetAttribute(w[1].c_str()));
    if (op == "attribute-value") return Escape(std::string(root.GetAttributeValue(w[1].c_str())));
    if (op == "attribute-at") return Name(root.GetAttributeAt(at(1)));
    if (op == "attribute-remove") return std::to_string(root.RemoveAttributeAt(at(1)));
    if (op == "attribute-remove-all") return root.RemoveAllAttribute(), "";
    if (op == "compare") {  // the name comparison of a node and of an attribute named w[1]
        const CString own = Unescape(w[1]).c_str(), other = Unescape(w[2]).c_str();
        CTokenNode node(own, "", 0, 0);
        CTokenAttribute attribute(own, "", 0, 0);
        return std::to_string(Sign(node.CompareName(other))) + " " + std::to_string(Sign(attribute.CompareName(other)));
    }
    return "unknown call " + op;
}

TEST(TokenNode, CallScript)
{
    auto root = std::make_unique<CTokenNode>();
    for (const ScriptLine& line : ReadScript("tokens", "nodes.txt")) {
        const std::vector<std::string> w = Words(line.text);
        if (w[0] == "tree") {
            root = std::make_unique<CTokenNode>();
            const std::string tree = line.text.substr(5);
            Parse(tree, 0, root.get());
            EXPECT_EQ(Dump(root.get()), tree) << line.where;  // the notation reads back as written
            continue;
        }
        const std::string result = Call(*root, w);
        if (!line.expected.empty() || result.rfind("unknown", 0) == 0) {
            EXPECT_EQ(result, line.expected) << line.where << ": " << line.text;
        }
    }
}

// catalog.xml: what the program writes. NAME.tree and NAME.xml: a tree and
// its text, one tab per level below the top element, escaped values, null
// entries skipped.
TEST(TokenXML, ProgramAndSavedTreesGiveTheirXml)
{
    TempDir dir;
    const std::string data = DataFolder("tokens/xml") + "/";
    std::string program = "token_xml", folder = dir.Root().string();
    char* argv[] = {program.data(), folder.data(), nullptr};
    ASSERT_EQ(token_xml_main(2, argv), 0);
    EXPECT_EQ(ReadBytes(dir.Path("catalog.xml")), StoredText(ReadBytes(data + "catalog.xml")));
    for (const std::string& name : DataFiles("tokens/xml")) {
        if (name.size() < 5 || name.substr(name.size() - 5) != ".tree") continue;
        CXMLTokenizer tokenizer;
        CTokenWriter writer;
        Parse(ReadScript("tokens/xml", name).at(0).text, 0, writer.GetDocument());
        ASSERT_EQ(writer.Open(dir.Path("out.xml").c_str(), &tokenizer, nullptr) + writer.Save(), 2);
        writer.Close();
        EXPECT_EQ(ReadBytes(dir.Path("out.xml")), StoredText(ReadBytes(data + name.substr(0, name.size() - 4) + "xml")))
            << name;
    }
}

}  // namespace
