// SPDX-License-Identifier: MIT
// Round trips of real files: each line of tests/data/roundtrip/cases.txt
// opens an INI file with CINIFile or an XML file with CXMLParserWrapper and
// saves it. Saved INI bytes are compared with the expected bytes and read
// back; a saved XML file is read back by the back end itself, with
// comments, processing instructions, the declaration and the DOCTYPE kept,
// and compared whole with the expected document (only indentation may
// differ).
#include <filekit/XMLParserWrapper.h>

#include "support/Cases.h"

#include <pugixml.hpp>

namespace {

using namespace filekit_test;

std::string Data(const std::string& name) { return DataFolder("roundtrip") + "/" + name; }

// A document as the back end prints it without indentation (text that is
// only whitespace was left out when it was read), its declaration's
// encoding left out (checked apart, by the encoding the file is read in)
// and the line ends of a DOCTYPE, which the back end keeps as written, as
// an XML reader sees them.
std::string Printed(pugi::xml_document& document)
{
    document.child("xml").remove_attribute("encoding");
    std::ostringstream out;
    document.print(out, "", pugi::format_raw);
    std::string text = out.str();
    for (size_t at; (at = text.find("\r\n")) != text.npos;) text.erase(at, 1);
    return text;
}

// "ini FILE": Open's and Save's results and the model read back from the
// saved file ("empty" for a file without sections); the saved bytes must
// be the file's, or those of FILE.expected where there is one.
std::string IniRoundTrip(const Args& args)
{
    const std::string path = Data("ini/" + args[0]), expected = path + (Exists(path + ".expected") ? ".expected" : "");
    TempDir dir;
    CINIFile original, reread;
    const int opened = original.Open(path.c_str()), done = original.Save(dir.Path("saved").c_str());
    EXPECT_EQ(ReadBytes(dir.Path("saved")), ReadBytes(expected)) << args[0];
    reread.Open(dir.Path("saved").c_str());
    const char* const model = Dump(reread) == Dump(original) ? " same" : " changed";
    return Results({opened, done}) + (original.GetSectionCount() ? model : " empty");
}

// "xml FILE [EXPECTED [EDIT]]": the encoding the saved file is in, or "fails".
std::string XmlRoundTrip(const Args& args)
{
    CXMLParserWrapper wrapper;
    if (!wrapper.Open(Data("xml/" + args[0]).c_str())) return wrapper.IsOpen() ? "fails, left open" : "fails";
    pugi::xml_document expected, saved;
    expected.load_file(Data("xml/" + (args.size() > 1 && args[1] != "-" ? args[1] : args[0])).c_str(),
                       pugi::parse_full);
    const std::string rootName = expected.document_element().name(), edit = args.size() > 2 ? args[2] : "";
    XMLSDK::CXMLNode root;
    wrapper.GetRootNode(rootName.c_str(), &root);
    if (edit == "rebuild") {  // as CXMLFile::PrepareData does
        wrapper.EmptyDocument();
        wrapper.CreateRootNode(rootName.c_str(), &root);
        expected.reset();
        expected.append_child(rootName.c_str());
    } else if (edit.rfind("add=", 0) == 0) {
        CXMLParserWrapper::AddNewNode(root, "added", edit.substr(4).c_str(), nullptr);
        expected.document_element().append_child("added").text().set(edit.substr(4).c_str());
    }
    if (expected.first_child().type() != pugi::node_declaration)  // saved files always start with one
        expected.prepend_child(pugi::node_declaration).append_attribute("version") = "1.0";
    TempDir dir;
    wrapper.Save(dir.Path("saved.xml").c_str());  // a failed save leaves no file to read back
    const pugi::xml_parse_result read = saved.load_file(dir.Path("saved.xml").c_str(), pugi::parse_full);
    EXPECT_EQ(Printed(saved), Printed(expected)) << args[0];
    // pugi's encodings, in its order
    static const char* const encodings[] = {"auto",    "utf8",    "utf16le", "utf16be", "utf16",
                                            "utf32le", "utf32be", "utf32",   "wchar",   "latin1"};
    return read ? encodings[read.encoding] : std::string("not read back: ") + read.description();
}

TEST(RoundTrip, Cases) { RunCases("roundtrip", "cases.txt", {{"ini", IniRoundTrip}, {"xml", XmlRoundTrip}}); }

}  // namespace
