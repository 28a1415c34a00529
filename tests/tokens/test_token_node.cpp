// Token nodes and attributes: children with null gaps, attribute lookup by
// name, and the name comparison.
#include <filekit/TokenNode.h>

#include "TreeDump.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

using filekit_test::Dump;

std::string Name(CTokenNode* node) { return node ? std::string(node->GetName()) : "null"; }
std::string Name(CTokenAttribute* attribute) { return attribute ? std::string(attribute->GetName()) : "null"; }
std::string Str(int value) { return std::to_string(value); }

// The parts separated by spaces; a braced list evaluates them in order.
std::string Log(std::initializer_list<std::string> parts)
{
    std::string log;
    for (const std::string& part : parts) log += (log.empty() ? "" : " ") + part;
    return log;
}

// A change to a node "R", logging the results of its calls.
struct Row {
    const char* what;
    std::function<std::string(CTokenNode&)> change;
    std::string expected;  // the log, " -> ", the tree afterwards
};

void RunRows(const std::vector<Row>& rows, const std::function<void(CTokenNode&)>& start)
{
    for (const Row& r : rows) {
        CTokenNode root("R", "", 0, 0);
        start(root);
        const std::string log = r.change(root);
        EXPECT_EQ(log + " -> " + Dump(&root), r.expected) << r.what;
    }
}

TEST(TokenNode, ChildrenAndAttributesTable)
{
    using N = CTokenNode&;
    const std::vector<Row> rows = {
        {"insert between two", [](N n) { return Name(n.InsertChildAt(1, "N", "1", 2, 3)); },
         "N -> R=(a=1 b=2)[A=,N=1#2/3,B=]"},
        {"insert past the end leaves null entries, append goes after them",
         [](N n) {
             return Log({Name(n.InsertChildAt(4, "N", "", 0, 0)), Name(n.GetChildAt(3)), Str(n.RemoveChildAt(3)),
                         Name(n.AddChild("M", "v", 0, 7))});
         },
         "N null 0 M -> R=(a=1 b=2)[A=,B=,_,_,N=,M=v#0/7]"},
        {"a list with null entries empties",
         [](N n) {
             n.InsertChildAt(3, "N", "", 0, 0);
             n.RemoveAllChild();
             n.RemoveAllAttribute();
             return Log({Str(n.GetChildCount()), Str(n.GetAttributeCount())});
         },
         "0 0 -> R="},
        {"indices out of range change nothing",
         [](N n) {
             return Log({Name(n.InsertChildAt(-1, "N", "", 0, 0)), Name(n.GetChildAt(-1)), Name(n.GetChildAt(2)),
                         Str(n.RemoveChildAt(-1)), Str(n.RemoveChildAt(2)), Name(n.GetAttributeAt(-1)),
                         Name(n.GetAttributeAt(2)), Str(n.RemoveAttributeAt(2))});
         },
         "null null null 0 0 null null 0 -> R=(a=1 b=2)[A=,B=]"},
        {"removing a child removes its subtree, an attribute by index",
         [](N n) {
             n.GetChildAt(0)->AddChild("A1", "", 0, 0)->AddChild("A2", "", 0, 0);
             return Log({Str(n.RemoveChildAt(0)), Str(n.RemoveAttributeAt(0))});
         },
         "1 1 -> R=(b=2)[B=]"},
        {"the first of two equal attribute names wins, keeping its stored name",
         [](N n) {
             n.AddAttribute("A", "3", 0, 0);
             return Log({Name(n.SetAttribute("A", "4", 5, 6)), std::string(n.GetAttributeValue("a")),
                         Name(n.SetAttribute("c", "3", 0, 0))});
         },
         "a 4 c -> R=(a=4#5/6 b=2 A=3 c=3)[A=,B=]"},
        {"a missing name reads as an empty value",
         [](N n) {
             return Log({Name(n.GetAttribute("c")), "[" + std::string(n.GetAttributeValue("c")) + "]"});
         },
         "null [] -> R=(a=1 b=2)[A=,B=]"},
    };
    RunRows(rows, [](N n) {
        n.AddChild("A", "", 0, 0);
        n.AddChild("B", "", 0, 0);
        n.AddAttribute("a", "1", 0, 0);
        n.AddAttribute("b", "2", 0, 0);
    });
    RunRows({{"insert into an empty list", [](N n) { return Name(n.InsertChildAt(0, "A", "", 0, 0)); }, "A -> R=[A=]"}},
            [](N) {});
}

TEST(TokenNode, CompareNameFoldsAsciiLettersOnly)
{
    struct Case {
        const char* own;
        const char* other;
        int sign;
    };
    const Case cases[] = {
        {"Name", "nAME", 0},  {"", "", 0},     {"abc", "abd", -1},
        {"b", "A", 1},        {"a", "ab", -1}, {"Z", "_", 1},  // letters fold to lower case before comparing
        {"\xC9", "\xE9", -1},  // bytes above 0x7F are not letters
    };
    auto sign = [](int v) { return Str((v > 0) - (v < 0)); };
    for (const Case& c : cases) {
        CTokenNode node(c.own, "", 0, 0);
        CTokenAttribute attribute(c.own, "", 0, 0);
        EXPECT_EQ(Log({sign(node.CompareName(c.other)), sign(attribute.CompareName(c.other))}),
                  Log({Str(c.sign), Str(c.sign)}))
            << c.own << " / " << c.other;
    }
}

}  // namespace
