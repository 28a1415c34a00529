// SPDX-License-Identifier: MIT
// Whole document files: reading one into a document and writing one out,
// internal. Every save of the library goes through SaveDocumentFile, so how
// a file is replaced on disk is decided in this one place.
#ifndef FILEKIT_XML_XMLSDK_DOCUMENTFILE_H
#define FILEKIT_XML_XMLSDK_DOCUMENTFILE_H

#include <pugixml.hpp>

namespace filekit::xml {

// Parse options: elements, attributes and character data (text and CDATA
// sections) with references expanded and line ends made LF, and the
// comments, processing instructions, declaration and DOCTYPE, which the
// node interface does not show but saving writes back. Whitespace-only text
// is dropped.
constexpr unsigned int kParseOptions = pugi::parse_full;

// The form a document file was read in, which saving writes again.
struct FileForm {
    pugi::xml_encoding encoding = pugi::encoding_utf8;
    bool byteOrderMark = false;  // a UTF-8 file started with one
};

// The indentation of one nesting level in saved files.
constexpr const char* kIndent = "\t";

// Replaces document by the one in the regular file at path, with the
// entities of its internal DTD subset expanded (Entities.h), and gives the
// form it was read in. False when the file cannot be read, does not hold a
// well-formed document with an element, or its entities cannot be expanded.
bool LoadDocumentFile(pugi::xml_document& document, const char* path, FileForm& form);

// Writes document to path in form, one node per line, indented by depth
// unless the document is nested deeper than maxIndentedDepth. A Latin-1
// form writes a character Latin-1 cannot hold as a decimal character
// reference in text and attribute values, and is written as UTF-8 when such
// a character stands where no reference may (a name, a comment, a
// processing instruction, a CDATA section, the DOCTYPE); the declaration
// names the encoding written (the document itself is left as it was).
// False when the file cannot be created or written.
bool SaveDocumentFile(pugi::xml_document& document, const char* path, unsigned maxIndentedDepth, const FileForm& form);

}  // namespace filekit::xml

#endif
