// SPDX-License-Identifier: MIT
// Conversions between the XMLSDK handles and the back end's node objects.
//
// A public handle stores the back end's node pointer as an opaque
// TAG_XMLNODE* (or TAG_XMLATTRIBUTE*), so a conversion is a cast of one
// pointer each way. The back end's handle classes are standard-layout
// wrappers of that one pointer, so the pointer is read and written in place
// rather than through the back end's out-of-line constructor and accessor:
// a walk converts handles several times per node.
#ifndef FILEKIT_XML_XMLSDK_HANDLES_H
#define FILEKIT_XML_XMLSDK_HANDLES_H

#include <filekit/XMLSDK.h>

#include <pugixml.hpp>

#include <type_traits>

namespace filekit::xml {

static_assert(std::is_standard_layout_v<pugi::xml_node> && std::is_trivially_copyable_v<pugi::xml_node> &&
                  sizeof(pugi::xml_node) == sizeof(pugi::xml_node_struct*),
              "a back-end node is one node pointer");
static_assert(std::is_standard_layout_v<pugi::xml_attribute> && std::is_trivially_copyable_v<pugi::xml_attribute> &&
                  sizeof(pugi::xml_attribute) == sizeof(pugi::xml_attribute_struct*),
              "a back-end attribute is one attribute pointer");

// Empty back-end handles, built once, copied to make new ones.
inline const pugi::xml_node kEmptyNode;
inline const pugi::xml_attribute kEmptyAttribute;

inline pugi::xml_node ToBackEnd(const XMLSDK::CXMLNode& node)
{
    pugi::xml_node result = kEmptyNode;
    *reinterpret_cast<pugi::xml_node_struct**>(&result) =
        reinterpret_cast<pugi::xml_node_struct*>(static_cast<XMLSDK::TAG_XMLNODE*>(node));
    return result;
}

inline pugi::xml_attribute ToBackEnd(XMLSDK::TAG_XMLATTRIBUTE* attribute)
{
    pugi::xml_attribute result = kEmptyAttribute;
    *reinterpret_cast<pugi::xml_attribute_struct**>(&result) = reinterpret_cast<pugi::xml_attribute_struct*>(attribute);
    return result;
}

inline pugi::xml_node_struct* NodePointer(const pugi::xml_node& node)
{
    return *reinterpret_cast<pugi::xml_node_struct* const*>(&node);
}

inline XMLSDK::CXMLNode ToHandle(const pugi::xml_node& node)
{
    return XMLSDK::CXMLNode(reinterpret_cast<XMLSDK::TAG_XMLNODE*>(NodePointer(node)));
}

inline XMLSDK::CXMLAttribute ToHandle(const pugi::xml_attribute& attribute)
{
    return XMLSDK::CXMLAttribute(
        reinterpret_cast<XMLSDK::TAG_XMLATTRIBUTE*>(*reinterpret_cast<pugi::xml_attribute_struct* const*>(&attribute)));
}

}  // namespace filekit::xml

#endif
