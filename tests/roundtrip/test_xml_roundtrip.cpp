// Round trips of real XML files: each row of cases.txt opens a file with
// CXMLParserWrapper and saves it, or expects Open to refuse it. The saved
// file is read back by the back end itself with comments, processing
// instructions, the declaration and the DOCTYPE kept, and compared whole
// with the expected document; only indentation may differ. The wrapper's
// own walk of the file must show exactly its elements and text.
#include <filekit/XMLParserWrapper.h>

#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using filekit_test::TempDir;

struct Case {
    std::string file;  // the document read
    std::string outcome;  // the encoding the saved file is in, or "fails"
    std::string expected;  // the document the saved file holds; "-": file itself
    std::string edit;  // "add=TEXT": an element holding TEXT appended to the root; "rebuild": the
                       // document emptied and its root made again; "-": none
};

void PrintTo(const Case& row, std::ostream* out) { *out << row.file << " " << row.outcome; }

std::string Data(const std::string& name) { return std::string(FILEKIT_XML_ROUNDTRIP_DATA) + "/" + name; }

std::vector<Case> ReadCases()
{
    std::vector<Case> cases;
    std::ifstream in(Data("cases.txt"));
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        Case row;
        if (line.empty() || line[0] == '#' || !(fields >> row.file >> row.outcome)) continue;
        if (!(fields >> row.expected >> row.edit)) row.expected = row.edit = "-";
        cases.push_back(row);
    }
    return cases;
}

pugi::xml_encoding EncodingNamed(const std::string& name)
{
    if (name == "latin1") return pugi::encoding_latin1;
    if (name == "utf16le") return pugi::encoding_utf16_le;
    if (name == "utf16be") return pugi::encoding_utf16_be;
    return pugi::encoding_utf8;
}

// text with each CR LF made LF, as an XML reader sees line ends: the back
// end leaves those of the DOCTYPE as they were written.
std::string LineFeeds(std::string text)
{
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) text.erase(at, 1);
    return text;
}

// Every node below node, one per line, indented by depth; text that is only
// whitespace (indentation) is left out. The declaration's encoding is
// checked apart, by the encoding the file is read in.
void Dump(const pugi::xml_node& node, const std::string& indent, std::string& out)
{
    for (const pugi::xml_node child : node.children()) {
        const std::string value = child.type() == pugi::node_doctype ? LineFeeds(child.value()) : child.value();
        if (child.type() == pugi::node_pcdata && value.find_first_not_of(" \t\r\n") == std::string::npos) continue;
        out += indent + std::to_string(child.type()) + " " + child.name() + " [" + value + "]";
        for (const pugi::xml_attribute attribute : child.attributes())
            if (child.type() != pugi::node_declaration || std::string(attribute.name()) != "encoding")
                out += std::string(" ") + attribute.name() + "=[" + attribute.value() + "]";
        out += "\n";
        Dump(child, indent + "  ", out);
    }
}

std::string Dump(const pugi::xml_document& document)
{
    std::string out;
    Dump(document, "", out);
    return out;
}

// The elements and text below node as the wrapper's walk shows them, and
// as the back end holds them.
std::string WrapperWalk(XMLSDK::CXMLNode& node)
{
    std::string out;
    XMLSDK::CXMLNodeList list;
    long count = 0;
    CXMLParserWrapper::GetChildrenList(node, &list);
    CXMLParserWrapper::GetListLength(list, &count);
    for (int i = 0; i < count; ++i) {
        XMLSDK::CXMLNode child;
        CString name;
        CXMLParserWrapper::GetNodeAt(list, i, &child);
        CXMLParserWrapper::GetNodeName(child, name);
        out += std::string(name) + "[" + child.GetValue() + "](" + WrapperWalk(child) + ")";
    }
    return out;
}

std::string BackEndWalk(const pugi::xml_node& node)
{
    std::string out;
    for (const pugi::xml_node child : node.children()) {
        const pugi::xml_node_type type = child.type();
        if (type == pugi::node_element)
            out += std::string(child.name()) + "[" + child.child_value() + "](" + BackEndWalk(child) + ")";
        else if (type == pugi::node_pcdata || type == pugi::node_cdata)
            out += std::string("[") + child.value() + "]()";
    }
    return out;
}

class XmlRoundTrip : public testing::TestWithParam<Case> {};

TEST_P(XmlRoundTrip, SavedFileHoldsTheDocument)
{
    const Case& row = GetParam();
    CXMLParserWrapper wrapper;
    if (row.outcome == "fails") {
        EXPECT_EQ(wrapper.Open(Data(row.file).c_str()), 0);
        EXPECT_EQ(wrapper.IsOpen(), 0);
        return;
    }
    ASSERT_EQ(wrapper.Open(Data(row.file).c_str()), 1);
    pugi::xml_document expected;
    ASSERT_TRUE(expected.load_file(Data(row.expected == "-" ? row.file : row.expected).c_str(), pugi::parse_full));
    pugi::xml_node expectedRoot = expected.document_element();
    const std::string rootName = expectedRoot.name();
    XMLSDK::CXMLNode root;
    ASSERT_EQ(wrapper.GetRootNode(rootName.c_str(), &root), 1);
    EXPECT_EQ(WrapperWalk(root), BackEndWalk(expectedRoot));
    if (row.edit == "rebuild") {  // as CXMLFile::PrepareData does
        ASSERT_EQ(wrapper.EmptyDocument() + wrapper.CreateRootNode(rootName.c_str(), &root), 2);
        expected.reset();
        expected.append_child(rootName.c_str());
    } else if (row.edit.compare(0, 4, "add=") == 0) {
        ASSERT_EQ(CXMLParserWrapper::AddNewNode(root, "added", row.edit.substr(4).c_str(), nullptr), 1);
        expectedRoot.append_child("added").text().set(row.edit.substr(4).c_str());
    }
    if (expected.first_child().type() != pugi::node_declaration)  // saved files always start with one
        expected.prepend_child(pugi::node_declaration).append_attribute("version") = "1.0";

    TempDir dir;
    const std::string saved = dir.Path("saved.xml");
    ASSERT_EQ(wrapper.Save(saved.c_str()), 1);
    pugi::xml_document document;
    const pugi::xml_parse_result result = document.load_file(saved.c_str(), pugi::parse_full);
    ASSERT_TRUE(result) << result.description();
    EXPECT_EQ(result.encoding, EncodingNamed(row.outcome));
    EXPECT_EQ(Dump(document), Dump(expected));
}

std::string CaseName(const testing::TestParamInfo<Case>& info)
{
    std::string name = std::to_string(info.index) + "_" + info.param.file;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Files, XmlRoundTrip, testing::ValuesIn(ReadCases()), CaseName);

}  // namespace
