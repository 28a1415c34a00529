// SPDX-License-Identifier: MIT
// CXMLParserWrapper's static operations: single nodes of any document read
// and edited with CString names and values.
#include <filekit/XMLParserWrapper.h>

#include "xml/xmlsdk/NodeAccess.h"

using XMLSDK::CXMLAttribute;
using XMLSDK::CXMLNode;
using XMLSDK::CXMLNodeList;

int CXMLParserWrapper::GetNodeName(CXMLNode& node, CString& name)
{
    if (node.IsEmpty()) return 0;
    name = node.GetName();
    return 1;
}

int CXMLParserWrapper::GetNodeValue(CXMLNode& node, CString& value)
{
    if (node.IsEmpty()) return 0;
    value = filekit::xml::FirstPCDATAValue(node);
    return 1;
}

int CXMLParserWrapper::SetNodeValue(CXMLNode& node, const CString& value)
{
    if (node.IsEmpty()) return 0;
    CXMLNode text = filekit::xml::FirstPCDATAChild(node);
    if (text.IsEmpty()) text = node.AppendChild(XMLSDK::XMLNODE_PCDATA);
    if (text.IsEmpty()) return 0;
    text.SetValue(value);
    return 1;
}

int CXMLParserWrapper::GetAttributeValue(CXMLNode& node, const CString& name, CString& value)
{
    if (node.IsEmpty()) return 0;
    const CXMLAttribute attribute = node.GetAttribute(name);
    if (attribute.IsEmpty()) return 0;
    value = attribute.GetValue();
    return 1;
}

int CXMLParserWrapper::GetNodeAttrValue(CXMLNode& node, CString& value)
{
    return GetAttributeValue(node, CST_TAG_ATTR_VALUE, value);
}

int CXMLParserWrapper::AddAttribute(CXMLNode& node, const CString& name, const CString& value)
{
    if (node.IsEmpty()) return 0;
    return node.AddAttribute(name, value).IsEmpty() ? 0 : 1;
}

int CXMLParserWrapper::GetChildNode(CXMLNode& node, const CString& name, CXMLNode* child)
{
    if (node.IsEmpty()) return 0;
    const CXMLNode found = node.GetChild(name);
    if (found.IsEmpty()) return 0;
    if (child) *child = found;
    return 1;
}

int CXMLParserWrapper::GetChildNodeValue(CXMLNode& node, const CString& name, CString& value)
{
    CXMLNode child;
    return GetChildNode(node, name, &child) ? GetNodeValue(child, value) : 0;
}

int CXMLParserWrapper::GetChildNodeAttrValue(CXMLNode& node, const CString& name, CString& value)
{
    CXMLNode child;
    return GetChildNode(node, name, &child) ? GetNodeAttrValue(child, value) : 0;
}

int CXMLParserWrapper::AddNewNode(CXMLNode& parent, const CString& name, const CString& value, CXMLNode* node)
{
    if (parent.IsEmpty()) return 0;
    CXMLNode element = parent.AppendChild(XMLSDK::XMLNODE_ELEMENT);
    if (element.IsEmpty()) return 0;
    element.SetName(name);
    element.SetValue(value);
    if (node) *node = element;
    return 1;
}

int CXMLParserWrapper::AddNewNodeAttr(CXMLNode& parent, const CString& name, const CString& value, CXMLNode* node)
{
    if (parent.IsEmpty()) return 0;
    CXMLNode element;
    if (!AddNewNode(parent, name, CString(), &element) || element.IsEmpty()) return 0;
    if (!AddAttribute(element, CST_TAG_ATTR_VALUE, value)) return 0;
    if (node) *node = element;
    return 1;
}

int CXMLParserWrapper::GetParentNode(CXMLNode& node, CXMLNode* parent)
{
    if (node.IsEmpty()) return 0;
    const CXMLNode found = node.GetParent();
    if (found.IsEmpty()) return 0;
    if (parent) *parent = found.IsRoot() ? CXMLNode() : found;
    return 1;
}

int CXMLParserWrapper::GetChildrenList(CXMLNode& node, CXMLNodeList* list)
{
    if (node.IsEmpty()) return 0;
    if (!list) return 1;
    return node.GetChildrenList(nullptr, *list) ? 1 : 0;
}

// The framework's signature takes the name by value.
// cppcheck-suppress passedByValue
int CXMLParserWrapper::GetChildrenByName(CXMLNode& node, CString name,  // NOLINT(performance-unnecessary-value-param)
                                         CXMLNodeList* list)
{
    if (node.IsEmpty()) return 0;
    if (!list) return 1;
    return node.GetChildrenList(name, *list) ? 1 : 0;
}

int CXMLParserWrapper::GetListLength(CXMLNodeList& list, long* length)
{
    if (length) *length = list.GetSize();
    return 1;
}

int CXMLParserWrapper::GetNodeAt(CXMLNodeList& list, int index, CXMLNode* node)
{
    if (index < 0 || index >= list.GetSize()) return 0;
    if (node) *node = list.GetAt(index);
    return 1;
}
