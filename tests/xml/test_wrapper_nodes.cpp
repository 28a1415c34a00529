// CXMLParserWrapper's static node operations: guards, the value and
// attribute conventions, building documents, parents and lists.
#include "XmlText.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using filekit_test::TempDir;
using XMLSDK::CXMLNode;
using XMLSDK::CXMLNodeList;
using xml_test::Text;
using W = CXMLParserWrapper;

// A wrapper open on xml, with its top-level element r.
struct Opened {
    explicit Opened(const std::string& xml)
    {
        opened = xml_test::OpenText(wrapper, dir, xml);
        wrapper.GetRootNode("r", &root);
    }
    TempDir dir;
    xml_test::Wrapper wrapper;
    int opened = 0;
    CXMLNode root;
};

TEST(WrapperNodes, EmptyNodeGivesZeroAndLeavesOutputsAlone)
{
    Opened doc("<r value='v'><a value='v'>t</a></r>");
    ASSERT_EQ(doc.opened, 1);
    CXMLNode kept;
    CString text;
    CXMLNodeList list;
    const std::function<int(CXMLNode&)> operations[] = {
        [&](CXMLNode& n) { return W::GetNodeName(n, text); },
        [&](CXMLNode& n) { return W::GetNodeValue(n, text); },
        [&](CXMLNode& n) { return W::SetNodeValue(n, "x"); },
        [&](CXMLNode& n) { return W::GetAttributeValue(n, "value", text); },
        [&](CXMLNode& n) { return W::GetNodeAttrValue(n, text); },
        [&](CXMLNode& n) { return W::AddAttribute(n, "k", "x"); },
        [&](CXMLNode& n) { return W::GetChildNode(n, "a", &kept); },
        [&](CXMLNode& n) { return W::GetChildNodeValue(n, "a", text); },
        [&](CXMLNode& n) { return W::GetChildNodeAttrValue(n, "a", text); },
        [&](CXMLNode& n) { return W::AddNewNode(n, "b", "x", &kept); },
        [&](CXMLNode& n) { return W::AddNewNodeAttr(n, "c", "x", &kept); },
        [&](CXMLNode& n) { return W::GetParentNode(n, &kept); },
        [&](CXMLNode& n) { return W::GetChildrenList(n, nullptr); },
        [&](CXMLNode& n) { return W::GetChildrenByName(n, "a", nullptr); },
        [&](CXMLNode& n) { return W::GetChildrenList(n, &list); },
        [&](CXMLNode& n) { return W::GetChildrenByName(n, "b", &list); },
    };
    int index = 0;
    for (const auto& operation : operations) {
        CXMLNode empty;
        kept = doc.root;
        text = "kept";
        list = CXMLNodeList();
        EXPECT_EQ(operation(empty), 0) << "operation " << index;
        EXPECT_EQ(Text(kept) + std::string(text) + std::to_string(list.GetSize()), Text(doc.root) + "kept0")
            << "operation " << index;
        EXPECT_EQ(operation(doc.root), 1) << "operation " << index++;
    }
    EXPECT_EQ(doc.wrapper.Text(), "<r value=\"v\" k=\"x\"><a value=\"v\">t</a>x<b>x</b><c value=\"x\"/></r>");
    ASSERT_EQ(list.GetSize(), 1);
    EXPECT_EQ(Text(list.GetAt(0)), "<b>x</b>");
}

TEST(WrapperNodes, ValueIsTheFirstCharacterDataChild)
{
    Opened doc("<r><two>one<b/>two</two><none><b/></none><cdata><![CDATA[c]]>d</cdata><attr value='v'/></r>");
    ASSERT_EQ(doc.opened, 1);
    std::string read;
    for (const char* child : {"two", "none", "cdata", "attr", "missing"}) {
        CString value("-"), attribute("-");
        const int valueResult = W::GetChildNodeValue(doc.root, child, value);
        const int attributeResult = W::GetChildNodeAttrValue(doc.root, child, attribute);
        read += std::to_string(valueResult) + std::string(value) + std::to_string(attributeResult) +
                std::string(attribute) + " ";
    }
    EXPECT_EQ(read, "1one0- 10- 1c0- 11v 0-0- ");

    CXMLNode two = doc.root.GetChild("two"), none = doc.root.GetChild("none");
    EXPECT_EQ(W::SetNodeValue(two, "1") + W::SetNodeValue(none, "first") + W::SetNodeValue(none, "second"), 3);
    CXMLNode text = none.GetChildAt(1);
    EXPECT_EQ(W::SetNodeValue(text, "x"), 0);   // character data takes no children
    EXPECT_EQ(xml_test::Text(two) + xml_test::Text(none), "<two>1<b/>two</two><none><b/>second</none>");
}

TEST(WrapperNodes, BuildingADocument)
{
    xml_test::Wrapper wrapper;
    ASSERT_EQ(wrapper.Open(), 1);
    CXMLNode root, node, attr, empty;
    ASSERT_EQ(wrapper.CreateRootNode("settings", &root), 1);
    EXPECT_EQ(W::AddAttribute(root, "version", "1"), 1);
    EXPECT_EQ(W::AddAttribute(root, "version", "2"), 1);
    EXPECT_EQ(W::AddAttribute(root, "bad name", "2"), 0);
    EXPECT_EQ(W::AddNewNode(root, "name", "a & b", &node), 1);
    EXPECT_EQ(W::AddNewNode(root, "blank", "", nullptr), 1);
    EXPECT_EQ(W::AddNewNodeAttr(root, "size", "10", &attr), 1);
    EXPECT_EQ(W::AddNewNode(node, "inner", "x", nullptr), 1);   // after the text
    EXPECT_EQ(W::AddNewNodeAttr(attr, "bad name", "y", &empty), 1);   // nameless element
    EXPECT_TRUE(empty.IsElement());
    CXMLNode text = node.GetChildAt(0);
    EXPECT_EQ(W::AddNewNode(text, "child", "x", &empty), 0);
    EXPECT_EQ(wrapper.Text(), "<settings version=\"2\"><name>a &amp; b<inner>x</inner></name><blank/>"
                              "<size value=\"10\"><:anonymous value=\"y\"/></size></settings>");
    CString value;
    EXPECT_EQ(W::GetNodeName(node, value), 1);
    EXPECT_EQ(value, "name");
    EXPECT_EQ(W::GetNodeAttrValue(attr, value), 1);
    EXPECT_EQ(value, "10");
    EXPECT_EQ(W::GetNodeName(text, value), 1);
    EXPECT_EQ(value, "");
}

TEST(WrapperNodes, ParentOfTopLevelElementIsEmpty)
{
    Opened doc("<r><a/></r>");
    ASSERT_EQ(doc.opened, 1);
    CXMLNode a = doc.root.GetChild("a"), parent = a, document = doc.wrapper.Document();
    EXPECT_EQ(W::GetParentNode(a, &parent), 1);
    EXPECT_EQ(Text(parent), "<r><a/></r>");
    EXPECT_EQ(W::GetParentNode(doc.root, &parent), 1);
    EXPECT_TRUE(parent.IsEmpty());
    parent = a;
    EXPECT_EQ(W::GetParentNode(document, &parent), 0);
    EXPECT_EQ(Text(parent), "<a/>");
}

TEST(WrapperNodes, ListsAndBounds)
{
    Opened doc("<r><a>1</a><b/><a>2</a>t</r>");
    ASSERT_EQ(doc.opened, 1);
    CXMLNodeList all, named;
    long length = 0;
    ASSERT_EQ(W::GetChildrenList(doc.root, &all) + W::GetChildrenByName(doc.root, "a", &named), 2);
    EXPECT_EQ(W::GetListLength(all, nullptr) + W::GetListLength(all, &length), 2);
    EXPECT_EQ(length, 4);
    CXMLNode kept = doc.root;
    const std::string root = "<r><a>1</a><b/><a>2</a>t</r>";
    const struct {
        CXMLNodeList& list;
        int index;
        bool nullOut;
        std::string expected;   // the result, then the out-node
    } rows[] = {{all, -1, false, "0" + root}, {all, 4, false, "0" + root}, {all, 100, true, "0" + root},
                {all, 3, true, "1" + root},   {all, 3, false, "1t"},       {named, 1, false, "1<a>2</a>"},
                {named, 2, false, "0<a>2</a>"}};
    for (const auto& row : rows) {
        const int result = W::GetNodeAt(row.list, row.index, row.nullOut ? nullptr : &kept);
        EXPECT_EQ(std::to_string(result) + Text(kept), row.expected) << row.index;
    }
}

}  // namespace
