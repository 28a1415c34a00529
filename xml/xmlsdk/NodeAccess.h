// SPDX-License-Identifier: MIT
// Node routines the wrapper needs beyond the XMLSDK interface, internal.
//
// They work on handles like the interface does, but in one pass over the
// children where the interface would count and index them.
#ifndef FILEKIT_XML_XMLSDK_NODEACCESS_H
#define FILEKIT_XML_XMLSDK_NODEACCESS_H

#include <filekit/XMLSDK.h>

namespace filekit::xml {

// The first child that is character data (CXMLNode::IsPCDATA); empty when
// there is none.
XMLSDK::CXMLNode FirstPCDATAChild(const XMLSDK::CXMLNode& node);

// The text of FirstPCDATAChild, "" when there is none.
const char* FirstPCDATAValue(const XMLSDK::CXMLNode& node);

// Appends deep copies of every child of from to to, in order.
void CopyChildren(const XMLSDK::CXMLNode& from, XMLSDK::CXMLNode& to);

}  // namespace filekit::xml

#endif
