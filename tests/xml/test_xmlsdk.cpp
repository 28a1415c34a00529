// The XMLSDK interface over the back end: attribute conversions, node
// navigation and editing, what parsing keeps, and indentation by depth.
#include "XmlText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using filekit_test::TempDir;
using xml_test::Text;
using XMLSDK::CXMLAttribute;
using XMLSDK::CXMLNode;

// Every conversion of one attribute, as one comparable line.
std::string Conversions(const CXMLAttribute& attribute)
{
    const std::string text = attribute;
    const char* pointer = attribute;
    std::ostringstream out;
    out << '"' << text << "\" " << (pointer ? pointer : "null") << ' ' << static_cast<long>(attribute) << ' '
        << static_cast<double>(attribute) << ' ' << static_cast<bool>(attribute);
    return out.str();
}

TEST(XMLSDKAttribute, ConversionsTable)
{
    XMLSDK::CXMLParser parser;
    parser.Create();
    CXMLNode element = CXMLNode(parser).AppendChild(XMLSDK::XMLNODE_ELEMENT);
    const struct {
        const char* value;
        const char* expected;
    } rows[] = {
        {"", "\"\" null 0 0 0"},
        {"42", "\"42\" 42 42 42 0"},
        {"-17.5abc", "\"-17.5abc\" -17.5abc -17 -17.5 0"},
        {"0x1A", "\"0x1A\" 0x1A 0 26 0"},  // base 10 for long, not for double
        {"1e3", "\"1e3\" 1e3 1 1000 1"},
        {"true", "\"true\" true 0 0 1"},
        {"Yes", "\"Yes\" Yes 0 0 1"},
        {"T", "\"T\" T 0 0 1"},
        {"y", "\"y\" y 0 0 1"},
        {"no", "\"no\" no 0 0 0"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Conversions(element.AddAttribute("v", row.value)), row.expected) << row.value;
    EXPECT_EQ(Conversions(element.GetAttribute("missing")), "\"\" null 0 0 0");
}

TEST(XMLSDKNode, NavigationOfAParsedDocument)
{
    TempDir dir;
    xml_test::Wrapper wrapper;
    ASSERT_EQ(xml_test::OpenText(wrapper, dir, "<r>\n  <a>1</a>\n  <b/>text<![CDATA[c]]><a x='2'/></r>"), 1);
    CXMLNode document = wrapper.Document();
    CXMLNode root = document.GetChild("r");
    EXPECT_TRUE(document.IsRoot() && !root.IsRoot() && root.IsElement() && document.GetParent().IsEmpty());
    EXPECT_EQ(static_cast<XMLSDK::TAG_XMLNODE*>(root.GetParent()), static_cast<XMLSDK::TAG_XMLNODE*>(document));

    std::string children;
    for (unsigned i = 0; i <= root.GetChildrenCount(); ++i) {
        const CXMLNode child = root.GetChildAt(i);
        children += std::string(child.IsEmpty()    ? "-"
                                : child.IsPCDATA() ? "t"
                                                   : "e") +
                    ":" + child.GetName() + "=" + child.GetValue() + " ";
    }
    EXPECT_EQ(children, "e:a=1 e:b= t:=text t:=c e:a= -:= ");
    EXPECT_EQ(Text(root.GetChild("a")) + Text(root.GetChild("c")), "<a>1</a><empty>");

    XMLSDK::CXMLNodeList list;
    ASSERT_TRUE(root.GetChildrenList(nullptr, list));
    EXPECT_EQ(list.GetSize(), 5);
    ASSERT_TRUE(root.GetChildrenList("a", list));  // replaces the earlier content
    EXPECT_EQ(Text(list.GetAt(0)) + Text(list.GetAt(1)) + Text(list.GetAt(2)), "<a>1</a><a x=\"2\"/><empty>");
    EXPECT_FALSE(CXMLNode().GetChildrenList(nullptr, list));
    EXPECT_EQ(list.GetSize(), 2);
}

TEST(XMLSDKNode, EditingBuildsTheExpectedDocument)
{
    XMLSDK::CXMLParser parser;
    EXPECT_TRUE(parser.GetDocument().IsEmpty());
    ASSERT_TRUE(parser.Create());
    CXMLNode document = parser;
    EXPECT_TRUE(document.AppendChild(XMLSDK::XMLNODE_PCDATA).IsEmpty());  // the document takes elements only
    CXMLNode root = document.AppendChild(XMLSDK::XMLNODE_ELEMENT);
    CXMLNode quiet = root.AppendChild(XMLSDK::XMLNODE_ELEMENT), text = root.AppendChild(XMLSDK::XMLNODE_ELEMENT);
    EXPECT_EQ(xml_test::Results({root.SetName("root"), root.AppendChild(XMLSDK::XMLNODE_DOCUMENT).IsEmpty(),
                                 quiet.SetValue(""),  // no text child for ""
                                 text.SetName("text"), text.SetValue("x < y"),
                                 text.SetValue("x & y"),  // changes the same child
                                 text.GetChildAt(0).SetName("n"), root.AddAttribute("k", "1").HasValue(),
                                 root.AppendChild(XMLSDK::XMLNODE_CDATA).SetValue("raw <text>")}),
              "111111011");
    EXPECT_STREQ(root.AddAttribute("k", "\"2\"").GetValue(), "\"2\"");  // replaced, not doubled
    for (const char* bad : {"", "1a", "-a", ".a", "a b", "a<b", "a=b", "a/b", "a\tb"})
        EXPECT_EQ(xml_test::Results({quiet.SetName(bad), quiet.AddAttribute(bad, "v").IsEmpty()}), "01") << bad;
    for (const char* good : {"_a", "a:b", "a-1.b", "\xC3\xA9t\xC3\xA9"}) EXPECT_TRUE(quiet.SetName(good)) << good;

    EXPECT_EQ(Text(document), "<root k=\"&quot;2&quot;\"><\xC3\xA9t\xC3\xA9/><text>x &amp; y</text>"
                              "<![CDATA[raw <text>]]></root>");
    parser.Clear();
    EXPECT_TRUE(parser.GetDocument().IsEmpty() && !parser.Save("unused.xml"));
}

TEST(XMLSDKParser, ParsingKeepsElementsAndCharacterDataOnly)
{
    TempDir dir;
    xml_test::Wrapper wrapper;
    ASSERT_EQ(xml_test::OpenText(wrapper, dir,
                                 "\xEF\xBB\xBF<?xml version='1.0'?>\r\n<!DOCTYPE r>\r\n<!-- note -->\r\n"
                                 "<r a='1&#10;2'>\r\n  <?pi x?>\r\n  <b>line\r\nnext &lt;&#x41;&gt;</b>\r\n"
                                 "  <c>  <![CDATA[ keep ]]>  </c>\r\n</r>\r\n"),
              1);
    EXPECT_EQ(wrapper.Text(), "<r a=\"1&#10;2\"><b>line\nnext &lt;A&gt;</b><c><![CDATA[ keep ]]></c></r>");
}

TEST(XMLSDKParser, DeepDocumentsAreSavedWithoutIndentation)
{
    const size_t limit = XMLSDK::CXMLParser::kMaxIndentedDepth;
    for (const size_t depth : {limit, limit + 1}) {
        TempDir dir;
        CXMLParserWrapper wrapper;
        ASSERT_EQ(xml_test::OpenText(wrapper, dir, xml_test::Chain(depth, false)), 1);
        ASSERT_EQ(wrapper.Save(dir.Path("out.xml").c_str()), 1);
        EXPECT_EQ(filekit_test::ReadBytes(dir.Path("out.xml")),
                  filekit_test::StoredText(xml_test::Chain(depth, depth <= limit)))
            << depth;
    }
}

}  // namespace
