// The example's XML tokenizer: what it writes is indented XML that parses
// back, with pugixml, to the tree it was given.
#include <filekit/TokenWriter.h>

#include "TreeDump.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

// The example program is compiled into this test so that its tokenizer and
// its catalogue are at hand; its main() is renamed to be callable.
#define main token_xml_main
#include "examples/token_xml.cpp"  // NOLINT(bugprone-suspicious-include): compiled in on purpose, see above
#undef main

namespace {

using filekit_test::Dump;
using filekit_test::TempDir;

// Token nodes for the elements below element: name, text, attributes.
void ReadBack(const pugi::xml_node& element, CTokenNode* node)
{
    for (const pugi::xml_node& child : element.children()) {
        if (child.type() != pugi::node_element) continue;
        CTokenNode* copy = node->AddChild(child.name(), child.child_value(), 0, 0);
        for (const pugi::xml_attribute& attribute : child.attributes())
            copy->AddAttribute(attribute.name(), attribute.value(), 0, 0);
        ReadBack(child, copy);
    }
}

// The file parsed back into a token tree, dumped.
std::string ParsedDump(const std::string& path)
{
    pugi::xml_document xml;
    const pugi::xml_parse_result parsed = xml.load_file(path.c_str(), pugi::parse_default | pugi::parse_trim_pcdata);
    if (!parsed) return std::string("unparsable: ") + parsed.description();
    CTokenNode document;
    ReadBack(xml, &document);
    return Dump(&document);
}

TEST(TokenXML, TheExampleProgramWritesItsCatalog)
{
    TempDir dir;
    std::string program = "token_xml", folder = dir.Root().string();
    char* argv[] = {program.data(), folder.data(), nullptr};
    ASSERT_EQ(token_xml_main(2, argv), 0);
    CTokenWriter catalog;
    BuildCatalog(catalog.GetDocument());
    EXPECT_EQ(ParsedDump(dir.Path("catalog.xml")), Dump(catalog.GetDocument()));
}

TEST(TokenXML, OneTabPerLevelBelowTheTopElement)
{
    TempDir dir;
    CXMLTokenizer tokenizer;
    CTokenWriter writer;
    CTokenNode* a = writer.GetDocument()->AddChild("a", "x<y", 0, 0);
    a->AddAttribute("k", "1 & 2", 0, 0);
    a->AddChild("b", "", 0, 0)->AddChild("c", "", 0, 0);
    CTokenNode* d = a->AddChild("d", "", 0, 0);
    d->InsertChildAt(1, "gone", "", 0, 0);
    d->RemoveChildAt(1);  // d keeps one null entry
    ASSERT_EQ(writer.Open(dir.Path("tabs.xml").c_str(), &tokenizer, nullptr), 1);
    ASSERT_EQ(writer.Save(), 1);
    EXPECT_EQ(filekit_test::ReadBytes(dir.Path("tabs.xml")),
              filekit_test::StoredText("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                       "<a k=\"1 &amp; 2\">x&lt;y\n"
                                       "\t<b>\n"
                                       "\t\t<c/>\n"
                                       "\t</b>\n"
                                       "\t<d>\n"
                                       "\t</d>\n"
                                       "</a>\n"));
}

}  // namespace
