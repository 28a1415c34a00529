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

// Each tree in tests/data/tokens/xml/NAME.tree, saved through the
// tokenizer, gives the text in NAME.xml: one tab per level below the top
// element, escaped values, null entries skipped.
TEST(TokenXML, SavedTreesGiveTheirXml)
{
    int trees = 0;
    for (const std::string& name : filekit_test::DataFiles("tokens/xml")) {
        if (name.size() < 5 || name.substr(name.size() - 5) != ".tree") continue;
        ++trees;
        const std::string base = filekit_test::DataFolder("tokens/xml") + "/" + name.substr(0, name.size() - 5);
        TempDir dir;
        CXMLTokenizer tokenizer;
        CTokenWriter writer;
        filekit_test::Parse(filekit_test::ReadScript("tokens/xml", name).at(0).text, 0, writer.GetDocument());
        ASSERT_EQ(writer.Open(dir.Path("out.xml").c_str(), &tokenizer, nullptr), 1);
        ASSERT_EQ(writer.Save(), 1);
        writer.Close();
        EXPECT_EQ(filekit_test::ReadBytes(dir.Path("out.xml")),
                  filekit_test::StoredText(filekit_test::ReadBytes(base + ".xml")))
            << name;
    }
    EXPECT_GT(trees, 0);
}

}  // namespace
