// SPDX-License-Identifier: MIT
// XMLSDK::CXMLNode and CXMLPtrArray: navigation and editing of one node.
#include "xml/xmlsdk/Handles.h"
#include "xml/xmlsdk/NodeAccess.h"

namespace XMLSDK {

using filekit::xml::NodePointer;
using filekit::xml::ToBackEnd;
using filekit::xml::ToHandle;

static_assert(static_cast<int>(XMLNODE_DOCUMENT) == pugi::node_document &&
                  static_cast<int>(XMLNODE_ELEMENT) == pugi::node_element &&
                  static_cast<int>(XMLNODE_PCDATA) == pugi::node_pcdata &&
                  static_cast<int>(XMLNODE_CDATA) == pugi::node_cdata,
              "node types are passed to the back end unchanged");

namespace {

bool IsCharacterData(pugi::xml_node node)
{
    const pugi::xml_node_type type = node.type();
    return type == pugi::node_pcdata || type == pugi::node_cdata;
}

// The nodes the interface shows: elements and character data. Comments,
// processing instructions, the declaration and the DOCTYPE are kept for
// saving but skipped by every call that counts, finds or lists children.
bool IsShown(pugi::xml_node node)
{
    const pugi::xml_node_type type = node.type();
    return type == pugi::node_element || type == pugi::node_pcdata || type == pugi::node_cdata;
}

pugi::xml_node FirstShown(pugi::xml_node node)
{
    while (node && !IsShown(node)) node = node.next_sibling();
    return node;
}

pugi::xml_node NextShown(pugi::xml_node node) { return FirstShown(node.next_sibling()); }

// The back end's text of a node is its first character-data child, except
// that a character-data node is its own text: that case has no child.
pugi::xml_node FirstCharacterData(pugi::xml_node node)
{
    return IsCharacterData(node) ? pugi::xml_node() : node.text().data();
}

bool IsNameStart(unsigned char ch)
{
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || ch == '_' || ch == ':' || ch >= 0x80;
}

// Names the back end reads back as they were written.
bool IsXMLName(const char* name)
{
    if (!name || !IsNameStart(static_cast<unsigned char>(*name))) return false;
    for (const char* p = name + 1; *p; ++p) {
        const auto ch = static_cast<unsigned char>(*p);
        if (!IsNameStart(ch) && !(ch >= '0' && ch <= '9') && ch != '-' && ch != '.') return false;
    }
    return true;
}

}  // namespace

unsigned CXMLNode::GetChildrenCount() const
{
    unsigned count = 0;
    for (pugi::xml_node child = FirstShown(ToBackEnd(*this).first_child()); child; child = NextShown(child)) ++count;
    return count;
}

CXMLNode CXMLNode::GetChildAt(unsigned index) const
{
    pugi::xml_node child = FirstShown(ToBackEnd(*this).first_child());
    for (; child && index > 0; --index) child = NextShown(child);
    return ToHandle(child);
}

CXMLNode CXMLNode::GetChild(const char* name) const
{
    if (!name) return CXMLNode();
    // The back end finds processing instructions by name too.
    pugi::xml_node child = ToBackEnd(*this).child(name);
    while (child && child.type() != pugi::node_element) child = child.next_sibling(name);
    return ToHandle(child);
}

CXMLNode CXMLNode::GetParent() const { return ToHandle(ToBackEnd(*this).parent()); }

bool CXMLNode::IsPCDATA() const { return IsCharacterData(ToBackEnd(*this)); }

bool CXMLNode::IsElement() const { return ToBackEnd(*this).type() == pugi::node_element; }

bool CXMLNode::IsRoot() const { return ToBackEnd(*this).type() == pugi::node_document; }

const char* CXMLNode::GetName() const { return ToBackEnd(*this).name(); }

const char* CXMLNode::GetValue() const
{
    const pugi::xml_node node = ToBackEnd(*this);
    switch (node.type()) {
    case pugi::node_pcdata:
    case pugi::node_cdata: return node.value();
    case pugi::node_element: return node.text().get();
    default: return "";
    }
}

bool CXMLNode::SetName(const char* name)
{
    pugi::xml_node node = ToBackEnd(*this);
    return node.type() == pugi::node_element && IsXMLName(name) && node.set_name(name);
}

bool CXMLNode::SetValue(const char* value)
{
    pugi::xml_node node = ToBackEnd(*this);
    if (!value) value = "";
    if (node.type() == pugi::node_element) {
        pugi::xml_node text = FirstCharacterData(node);
        if (!text) {
            if (!*value) return true;
            text = node.append_child(pugi::node_pcdata);
        }
        node = text;
    }
    return IsCharacterData(node) && node.set_value(value);
}

CXMLNode CXMLNode::AppendChild(TAG_XMLNODETYPE type)
{
    pugi::xml_node node = ToBackEnd(*this);
    const bool allowed = node.type() == pugi::node_element
                             ? type == XMLNODE_ELEMENT || type == XMLNODE_PCDATA || type == XMLNODE_CDATA
                             : node.type() == pugi::node_document && type == XMLNODE_ELEMENT;
    return allowed ? ToHandle(node.append_child(static_cast<pugi::xml_node_type>(type))) : CXMLNode();
}

bool CXMLNode::GetChildrenList(const char* name, CXMLNodeList& list) const
{
    if (IsEmpty()) return false;
    const pugi::xml_node node = ToBackEnd(*this);
    std::vector<void*>& items = list.m_items;
    items.clear();
    if (name) {
        for (pugi::xml_node child = node.child(name); NodePointer(child); child = child.next_sibling(name))
            if (child.type() == pugi::node_element) items.push_back(NodePointer(child));
    } else {
        for (pugi::xml_node child = node.first_child(); NodePointer(child); child = child.next_sibling())
            if (IsShown(child)) items.push_back(NodePointer(child));
    }
    return true;
}

CXMLAttribute CXMLNode::GetAttribute(const char* name) const
{
    return name ? ToHandle(ToBackEnd(*this).attribute(name)) : CXMLAttribute();
}

CXMLAttribute CXMLNode::AddAttribute(const char* name, const char* value)
{
    pugi::xml_node node = ToBackEnd(*this);
    if (node.type() != pugi::node_element || !IsXMLName(name)) return CXMLAttribute();
    pugi::xml_attribute attribute = node.attribute(name);
    if (!attribute) attribute = node.append_attribute(name);
    return attribute.set_value(value ? value : "") ? ToHandle(attribute) : CXMLAttribute();
}

CXMLPtrArray::CXMLPtrArray(long initialSize)
{
    if (initialSize > 0) m_items.reserve(static_cast<size_t>(initialSize));
}

}  // namespace XMLSDK

namespace filekit::xml {

XMLSDK::CXMLNode FirstPCDATAChild(const XMLSDK::CXMLNode& node)
{
    return ToHandle(XMLSDK::FirstCharacterData(ToBackEnd(node)));
}

const char* FirstPCDATAValue(const XMLSDK::CXMLNode& node)
{
    const pugi::xml_node backEnd = ToBackEnd(node);
    return XMLSDK::IsCharacterData(backEnd) ? "" : backEnd.text().get();
}

void CopyChildren(const XMLSDK::CXMLNode& from, XMLSDK::CXMLNode& to)
{
    pugi::xml_node target = ToBackEnd(to);
    for (pugi::xml_node child = ToBackEnd(from).first_child(); child; child = child.next_sibling())
        target.append_copy(child);
}

}  // namespace filekit::xml
