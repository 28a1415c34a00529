// Token nodes and attributes: children with null gaps, attribute lookup by
// name, name comparison, construction and copying.
#include <filekit/TokenNode.h>

#include "TreeDump.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>

namespace {

using filekit_test::Dump;

std::string Name(CTokenNode* node) { return node ? std::string(node->GetName()) : "null"; }
std::string Name(CTokenAttribute* attribute) { return attribute ? std::string(attribute->GetName()) : "null"; }

// A change to a tree, logging the results of its calls.
struct Row {
    const char* what;
    std::function<std::string(CTokenNode&)> change;
    std::string expected;   // the log, " -> ", and the tree afterwards
};

void RunRows(const Row* begin, const Row* end)
{
    for (const Row* r = begin; r != end; ++r) {
        CTokenNode root("R", "", 0, 0);
        const std::string log = r->change(root);
        EXPECT_EQ(log + " -> " + Dump(&root), r->expected) << r->what;
    }
}

TEST(TokenNode, ChildrenTable)
{
    const Row rows[] = {
        {"insert into an empty list", [](CTokenNode& n) { return Name(n.InsertChildAt(0, "A", "1", 2, 3)); },
         "A -> R=[A=1#2/3]"},
        {"insert past the end leaves null entries",
         [](CTokenNode& n) {
             const std::string added = Name(n.InsertChildAt(3, "N", "", 0, 0));
             return added + " " + Name(n.GetChildAt(1)) + " " + std::to_string(n.RemoveChildAt(1));
         },
         "N null 0 -> R=[_,_,_,N=]"},
        {"a list with null entries empties",
         [](CTokenNode& n) {
             n.InsertChildAt(3, "N", "", 0, 0);
             n.RemoveAllChild();
             return std::to_string(n.GetChildCount());
         },
         "0 -> R="},
        {"insert between two children",
         [](CTokenNode& n) {
             n.AddChild("A", "", 0, 0);
             n.AddChild("B", "", 0, 0);
             return Name(n.InsertChildAt(1, "N", "", 0, 0));
         },
         "N -> R=[A=,N=,B=]"},
        {"append after a gap",
         [](CTokenNode& n) {
             n.InsertChildAt(1, "N", "", 0, 0);
             return Name(n.AddChild("M", "v", 0, 7));
         },
         "M -> R=[_,N=,M=v#0/7]"},
        {"indices out of range change nothing",
         [](CTokenNode& n) {
             n.AddChild("A", "", 0, 0);
             n.AddChild("B", "", 0, 0);
             return Name(n.InsertChildAt(-1, "N", "", 0, 0)) + " " + Name(n.GetChildAt(-1)) + " " +
                    Name(n.GetChildAt(2)) + " " + std::to_string(n.RemoveChildAt(-1)) + " " +
                    std::to_string(n.RemoveChildAt(2));
         },
         "null null null 0 0 -> R=[A=,B=]"},
        {"removing a child removes its subtree",
         [](CTokenNode& n) {
             n.AddChild("A", "", 0, 0)->AddChild("A1", "", 0, 0)->AddChild("A2", "", 0, 0);
             n.AddChild("B", "", 0, 0)->AddAttribute("b", "1", 0, 0);
             return std::to_string(n.RemoveChildAt(0));
         },
         "1 -> R=[B=(b=1)]"},
    };
    RunRows(std::begin(rows), std::end(rows));
}

TEST(TokenNode, AttributesTable)
{
    const Row rows[] = {
        {"the first of two equal names wins",
         [](CTokenNode& n) {
             n.AddAttribute("x", "1", 0, 0);
             n.AddAttribute("X", "2", 0, 0);
             const std::string found = n.GetAttributeValue("x").GetString();
             return found + " " + Name(n.SetAttribute("X", "3", 4, 5));
         },
         "1 x -> R=(x=3#4/5 X=2)"},
        {"an update keeps the stored name",
         [](CTokenNode& n) {
             n.AddAttribute("Name", "a", 1, 1);
             return Name(n.SetAttribute("NAME", "b", 0, 0));
         },
         "Name -> R=(Name=b)"},
        {"setting a new name appends",
         [](CTokenNode& n) {
             n.AddAttribute("a", "1", 0, 0);
             return Name(n.SetAttribute("b", "2", 0, 0));
         },
         "b -> R=(a=1 b=2)"},
        {"a missing name reads as an empty value",
         [](CTokenNode& n) {
             n.AddAttribute("empty", "", 0, 0);
             return Name(n.GetAttribute("missing")) + " [" + n.GetAttributeValue("missing").GetString() + "][" +
                    n.GetAttributeValue("EMPTY").GetString() + "]";
         },
         "null [][] -> R=(empty=)"},
        {"removal by index",
         [](CTokenNode& n) {
             n.AddAttribute("a", "", 0, 0);
             n.AddAttribute("b", "", 0, 0);
             return Name(n.GetAttributeAt(-1)) + " " + Name(n.GetAttributeAt(2)) + " " +
                    std::to_string(n.RemoveAttributeAt(2)) + " " + std::to_string(n.RemoveAttributeAt(0));
         },
         "null null 0 1 -> R=(b=)"},
        {"removal of all",
         [](CTokenNode& n) {
             n.AddAttribute("a", "", 0, 0);
             n.AddAttribute("b", "", 0, 0);
             n.RemoveAllAttribute();
             return std::to_string(n.GetAttributeCount());
         },
         "0 -> R="},
    };
    RunRows(std::begin(rows), std::end(rows));
}

TEST(TokenNode, CompareNameFoldsAsciiLettersOnly)
{
    struct Case { const char* own; const char* other; int sign; };
    const Case cases[] = {
        {"Name", "nAME", 0}, {"", "", 0}, {"abc", "abd", -1}, {"b", "A", 1}, {"a", "ab", -1},
        {"Z", "_", 1},              // letters fold to lower case before comparing
        {"\xC9", "\xE9", -1},       // bytes above 0x7F are not letters
    };
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (const Case& c : cases) {
        CTokenNode node(c.own, "", 0, 0);
        CTokenAttribute attribute(c.own, "", 0, 0);
        EXPECT_EQ(sign(node.CompareName(c.other)), c.sign) << c.own << " / " << c.other;
        EXPECT_EQ(sign(attribute.CompareName(c.other)), c.sign) << c.own << " / " << c.other;
    }
}

TEST(TokenNode, ConstructionAndAttributeCopies)
{
    CTokenNode empty;
    CTokenNode filled("A", "1", 2, 3);
    EXPECT_EQ(Dump(&empty) + " " + Dump(&filled), "= A=1#2/3");
    EXPECT_EQ(empty.GetParent(), nullptr);

    auto fields = [](const CTokenAttribute& a) {
        return std::make_tuple(std::string(a.GetName()), std::string(a.GetValue()), a.GetType(), a.GetFlag());
    };
    const CTokenAttribute original("n", "v", 4, 5);
    CTokenAttribute assigned;
    EXPECT_EQ(fields(assigned), std::make_tuple(std::string(), std::string(), 0, 0));
    assigned = original;
    EXPECT_EQ(fields(CTokenAttribute(original)), fields(original));
    EXPECT_EQ(fields(assigned), std::make_tuple(std::string("n"), std::string("v"), 4, 5));
}

}  // namespace
