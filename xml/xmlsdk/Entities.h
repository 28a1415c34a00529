// SPDX-License-Identifier: MIT
// General entities declared in a document's internal DTD subset, internal:
// the back end leaves such references as text, so they are expanded in the
// document's text before it is parsed.
#ifndef FILEKIT_XML_XMLSDK_ENTITIES_H
#define FILEKIT_XML_XMLSDK_ENTITIES_H

#include <cstdint>
#include <string>
#include <string_view>

namespace filekit::xml {

// Appends the UTF-8 form of the code point ch to out.
void AppendUTF8(std::string& out, std::uint32_t ch);

// Replaces source, a whole document as UTF-8 without a byte-order mark, by
// the same document with every reference to a general entity declared in
// its internal DTD subset expanded, in text and attribute values; the
// prolog and the DOCTYPE stay as they were. References to the five
// predefined entities, character references and references to undeclared
// entities are left to the parser. False, with source unchanged, when a
// referenced entity is external, refers to itself, nests deeper than
// kMaxEntityNesting or would expand past kMaxEntityExpansion
// (CXMLParser's constants).
bool ExpandEntities(std::string& source);

// True when the DOCTYPE text (as the back end keeps it: without
// "<!DOCTYPE" and ">") declares entities, so that ExpandEntities may have
// work to do.
bool DeclaresEntities(std::string_view doctype);

}  // namespace filekit::xml

#endif
