// Test support for the XML family: documents compared as text, and deep
// documents made on the fly.
#ifndef FILEKIT_TESTS_XML_XMLTEXT_H
#define FILEKIT_TESTS_XML_XMLTEXT_H

#include <filekit/XMLParserWrapper.h>

#include "support/TempDir.h"
#include "xml/xmlsdk/Handles.h"

#include <sstream>
#include <string>

namespace xml_test {

// A node and everything below it in compact form (no declaration, no
// indentation), or "<empty>" for an empty handle.
inline std::string Text(const XMLSDK::CXMLNode& node)
{
    if (node.IsEmpty()) return "<empty>";
    std::ostringstream out;
    filekit::xml::ToBackEnd(node).print(out, "", pugi::format_raw);
    return out.str();
}

// A wrapper whose whole document can be read as text.
class Wrapper : public CXMLParserWrapper {
public:
    XMLSDK::CXMLNode Document() { return GetDocument() ? XMLSDK::CXMLNode(*GetDocument()) : XMLSDK::CXMLNode(); }
    std::string Text() { return GetDocument() ? xml_test::Text(Document()) : "<closed>"; }
};

// A chain of depth nested elements as the parser saves it: indented by
// depth, or not indented at all.
inline std::string Chain(size_t depth, bool indented)
{
    std::string text = "<?xml version=\"1.0\"?>\n";
    for (size_t i = 0; i + 1 < depth; ++i) text += std::string(indented ? i : 0, '\t') + "<a>\n";
    text += std::string(indented ? depth - 1 : 0, '\t') + "<a />\n";
    for (size_t i = depth - 1; i-- > 0;) text += std::string(indented ? i : 0, '\t') + "</a>\n";
    return text;
}

}  // namespace xml_test

#endif
