// Whole document files: reading one into a document and writing one out,
// internal. Every save of the library goes through SaveDocumentFile, so how
// a file is replaced on disk is decided in this one place.
#ifndef FILEKIT_XML_XMLSDK_DOCUMENTFILE_H
#define FILEKIT_XML_XMLSDK_DOCUMENTFILE_H

#include <pugixml.hpp>

namespace filekit::xml {

// Parse options: elements, attributes and character data (text and CDATA
// sections) with entities expanded and line ends made LF. Whitespace-only
// text, comments, processing instructions, the declaration and the document
// type are dropped.
constexpr unsigned int kParseOptions = pugi::parse_default;

// The indentation of one nesting level in saved files.
constexpr const char* kIndent = "\t";

// Replaces document by the one in the regular file at path. False when the
// file cannot be read or does not hold a well-formed document with an element.
bool LoadDocumentFile(pugi::xml_document& document, const char* path);

// Writes document to path as UTF-8 with a declaration, one node per line,
// indented by depth unless the document is nested deeper than
// maxIndentedDepth. False when the file cannot be created or written.
bool SaveDocumentFile(const pugi::xml_document& document, const char* path, unsigned maxIndentedDepth);

}  // namespace filekit::xml

#endif
