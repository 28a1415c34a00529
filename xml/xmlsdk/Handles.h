// Conversions between the XMLSDK handles and the back end's node objects.
//
// A public handle stores the back end's node pointer as an opaque
// TAG_XMLNODE* (or TAG_XMLATTRIBUTE*), so a conversion is a cast of one
// pointer each way; nothing is allocated or looked up.
#ifndef FILEKIT_XML_XMLSDK_HANDLES_H
#define FILEKIT_XML_XMLSDK_HANDLES_H

#include <filekit/XMLSDK.h>

#include <pugixml.hpp>

namespace filekit::xml {

inline pugi::xml_node ToBackEnd(const XMLSDK::CXMLNode& node)
{
    return pugi::xml_node(reinterpret_cast<pugi::xml_node_struct*>(static_cast<XMLSDK::TAG_XMLNODE*>(node)));
}

inline pugi::xml_attribute ToBackEnd(XMLSDK::TAG_XMLATTRIBUTE* attribute)
{
    return pugi::xml_attribute(reinterpret_cast<pugi::xml_attribute_struct*>(attribute));
}

inline XMLSDK::CXMLNode ToHandle(pugi::xml_node node)
{
    return XMLSDK::CXMLNode(reinterpret_cast<XMLSDK::TAG_XMLNODE*>(node.internal_object()));
}

inline XMLSDK::CXMLAttribute ToHandle(pugi::xml_attribute attribute)
{
    return XMLSDK::CXMLAttribute(reinterpret_cast<XMLSDK::TAG_XMLATTRIBUTE*>(attribute.internal_object()));
}

}  // namespace filekit::xml

#endif
