// The XMLSDK interface over the back end: attribute conversions, node
// navigation and editing, parsing and the saved text.
#include "XmlText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using filekit_test::ReadBytes;
using filekit_test::TempDir;
using XMLSDK::CXMLAttribute;
using XMLSDK::CXMLNode;
using XMLSDK::CXMLNodeList;
using xml_test::Text;

// Every conversion of one attribute, as one comparable line.
std::string Conversions(const CXMLAttribute& attribute)
{
    const std::string text = attribute;
    const char* pointer = attribute;
    const long number = attribute;
    const double real = attribute;
    const bool flag = attribute;
    std::ostringstream out;
    out << '"' << text << "\" " << (pointer ? pointer : "null") << ' ' << number << ' ' << real << ' ' << flag;
    return out.str();
}

TEST(XMLSDKAttribute, ConversionsTable)
{
    const struct {
        const char* element;
        const char* expected;
    } rows[] = {
        {"<a/>", "\"\" null 0 0 0"},                    // no attribute
        {"<a v=''/>", "\"\" null 0 0 0"},               // no value
        {"<a v='42'/>", "\"42\" 42 42 42 0"},
        {"<a v='-17.5abc'/>", "\"-17.5abc\" -17.5abc -17 -17.5 0"},
        {"<a v='  12'/>", "\"  12\"   12 12 12 0"},
        {"<a v='0x1A'/>", "\"0x1A\" 0x1A 0 26 0"},        // base 10 for long, not for double
        {"<a v='1e3'/>", "\"1e3\" 1e3 1 1000 1"},
        {"<a v='true'/>", "\"true\" true 0 0 1"},
        {"<a v='Yes'/>", "\"Yes\" Yes 0 0 1"},
        {"<a v='T'/>", "\"T\" T 0 0 1"},
        {"<a v='y'/>", "\"y\" y 0 0 1"},
        {"<a v='no'/>", "\"no\" no 0 0 0"},
        {"<a v='&amp;&#49;'/>", "\"&1\" &1 0 0 0"},
    };
    for (const auto& row : rows) {
        TempDir dir;
        xml_test::Wrapper wrapper;
        ASSERT_EQ(xml_test::OpenText(wrapper, dir, row.element), 1) << row.element;
        EXPECT_EQ(Conversions(wrapper.Document().GetChild("a").GetAttribute("v")), row.expected) << row.element;
    }
    EXPECT_EQ(Conversions(CXMLAttribute()), "\"\" null 0 0 0");
}

TEST(XMLSDKNode, EmptyHandleGivesNothing)
{
    CXMLNode empty;
    CXMLNodeList list;
    EXPECT_EQ(empty.GetChildrenCount(), 0u);
    EXPECT_TRUE(empty.GetChildAt(0).IsEmpty());
    EXPECT_TRUE(empty.GetChild("a").IsEmpty());
    EXPECT_TRUE(empty.GetParent().IsEmpty());
    EXPECT_FALSE(empty.IsPCDATA() || empty.IsElement() || empty.IsRoot());
    EXPECT_STREQ(empty.GetName(), "");
    EXPECT_STREQ(empty.GetValue(), "");
    EXPECT_FALSE(empty.SetName("a") || empty.SetValue("a"));
    EXPECT_TRUE(empty.AppendChild(XMLSDK::XMLNODE_ELEMENT).IsEmpty());
    EXPECT_FALSE(empty.GetChildrenList(nullptr, list));
    EXPECT_TRUE(empty.GetAttribute("a").IsEmpty());
    EXPECT_TRUE(empty.AddAttribute("a", "1").IsEmpty());
}

TEST(XMLSDKNode, NavigationOfAParsedDocument)
{
    TempDir dir;
    xml_test::Wrapper wrapper;
    ASSERT_EQ(xml_test::OpenText(wrapper, dir, "<r>\n  <a>1</a>\n  <b/>text<![CDATA[c]]><a x='2'/></r>"), 1);
    CXMLNode document = wrapper.Document();
    CXMLNode root = document.GetChild("r");
    EXPECT_TRUE(document.IsRoot() && !root.IsRoot() && root.IsElement());
    EXPECT_TRUE(document.GetParent().IsEmpty());
    EXPECT_EQ(static_cast<XMLSDK::TAG_XMLNODE*>(root.GetParent()), static_cast<XMLSDK::TAG_XMLNODE*>(document));

    std::string children;
    for (unsigned i = 0; i <= root.GetChildrenCount(); ++i) {
        const CXMLNode child = root.GetChildAt(i);
        children += std::string(child.IsEmpty() ? "-" : child.IsPCDATA() ? "t" : "e") + ":" + child.GetName() +
                    "=" + child.GetValue() + " ";
    }
    EXPECT_EQ(children, "e:a=1 e:b= t:=text t:=c e:a= -:= ");
    EXPECT_EQ(Text(root.GetChild("a")), "<a>1</a>");
    EXPECT_TRUE(root.GetChild("c").IsEmpty());

    CXMLNodeList list;
    ASSERT_TRUE(root.GetChildrenList(nullptr, list));
    EXPECT_EQ(list.GetSize(), 5);
    ASSERT_TRUE(root.GetChildrenList("a", list));   // replaces the earlier content
    ASSERT_EQ(list.GetSize(), 2);
    EXPECT_EQ(Text(list.GetAt(0)) + Text(list.GetAt(1)) + Text(list.GetAt(2)), "<a>1</a><a x=\"2\"/><empty>");
    ASSERT_TRUE(root.GetChildrenList("", list));
    EXPECT_EQ(list.GetSize(), 0);
}

TEST(XMLSDKNode, EditingBuildsTheExpectedDocument)
{
    XMLSDK::CXMLParser parser;
    EXPECT_TRUE(parser.GetDocument().IsEmpty());
    ASSERT_TRUE(parser.Create());
    CXMLNode document = parser;
    EXPECT_TRUE(document.AppendChild(XMLSDK::XMLNODE_PCDATA).IsEmpty());   // the document takes elements only
    CXMLNode root = document.AppendChild(XMLSDK::XMLNODE_ELEMENT);
    EXPECT_TRUE(root.SetName("root"));
    EXPECT_TRUE(root.AppendChild(XMLSDK::XMLNODE_DOCUMENT).IsEmpty());

    CXMLNode quiet = root.AppendChild(XMLSDK::XMLNODE_ELEMENT);
    quiet.SetName("quiet");
    EXPECT_TRUE(quiet.SetValue(""));   // no text child for ""
    CXMLNode text = root.AppendChild(XMLSDK::XMLNODE_ELEMENT);
    text.SetName("text");
    EXPECT_TRUE(text.SetValue("x < y"));
    EXPECT_TRUE(text.SetValue("x & y"));   // changes the same child
    EXPECT_FALSE(text.GetChildAt(0).SetName("n"));
    EXPECT_TRUE(root.AddAttribute("k", "1").HasValue());
    EXPECT_STREQ(root.AddAttribute("k", "\"2\"").GetValue(), "\"2\"");   // replaced, not doubled
    EXPECT_TRUE(root.AppendChild(XMLSDK::XMLNODE_CDATA).SetValue("raw <text>"));

    for (const char* bad : {"", "1a", "-a", ".a", "a b", "a<b", "a=b", "a/b", "a\tb"}) {
        EXPECT_FALSE(quiet.SetName(bad)) << bad;
        EXPECT_TRUE(quiet.AddAttribute(bad, "v").IsEmpty()) << bad;
    }
    for (const char* good : {"_a", "a:b", "a-1.b", "\xC3\xA9t\xC3\xA9"}) EXPECT_TRUE(quiet.SetName(good)) << good;

    EXPECT_EQ(Text(document), "<root k=\"&quot;2&quot;\"><\xC3\xA9t\xC3\xA9/><text>x &amp; y</text>"
                              "<![CDATA[raw <text>]]></root>");
    parser.Clear();
    EXPECT_TRUE(parser.GetDocument().IsEmpty());
    EXPECT_FALSE(parser.Save("unused.xml"));
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

TEST(XMLSDKParser, SavedTextIsIndentedWithADeclaration)
{
    TempDir dir;
    xml_test::Wrapper wrapper;
    ASSERT_EQ(xml_test::OpenText(wrapper, dir, "<r><a>1</a><b x='y'><c/></b></r>"), 1);
    ASSERT_EQ(wrapper.Save(dir.Path("out.xml").c_str()), 1);
    EXPECT_EQ(ReadBytes(dir.Path("out.xml")),
              "<?xml version=\"1.0\"?>\n<r>\n\t<a>1</a>\n\t<b x=\"y\">\n\t\t<c />\n\t</b>\n</r>\n");
}

// A chain of depth elements, as a file and as the text the parser saves.
std::string Chain(unsigned depth, bool indented)
{
    std::string text = "<?xml version=\"1.0\"?>\n";
    for (unsigned i = 0; i + 1 < depth; ++i) text += std::string(indented ? i : 0, '\t') + "<a>\n";
    text += std::string(indented ? depth - 1 : 0, '\t') + "<a />\n";
    for (unsigned i = depth - 1; i-- > 0;) text += std::string(indented ? i : 0, '\t') + "</a>\n";
    return text;
}

TEST(XMLSDKParser, DeepDocumentsAreSavedWithoutIndentation)
{
    const unsigned limit = XMLSDK::CXMLParser::kMaxIndentedDepth;
    for (const unsigned depth : {limit, limit + 1}) {
        TempDir dir;
        CXMLParserWrapper wrapper;
        filekit_test::WriteBytes(dir.Path("in.xml"), Chain(depth, false));
        ASSERT_EQ(wrapper.Open(dir.Path("in.xml").c_str()), 1);
        ASSERT_EQ(wrapper.Save(dir.Path("out.xml").c_str()), 1);
        EXPECT_EQ(ReadBytes(dir.Path("out.xml")), Chain(depth, depth <= limit)) << depth;
    }
}

}  // namespace
