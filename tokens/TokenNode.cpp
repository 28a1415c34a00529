// SPDX-License-Identifier: MIT
// CTokenNode: a node of a token tree, owning its children and attributes.
//
// Trees may be arbitrarily deep (a file format can nest a million levels),
// so nothing here recurses once per level: subtrees are deleted by walking
// down the parent links that the node sets on every child it creates.
#include <filekit/TokenNode.h>

#include "platform/MbString.h"

#include <memory>

namespace {

template <class T>
T* EntryAt(CPtrArray& list, int index)
{
    return index >= 0 && index < list.GetSize() ? static_cast<T*>(list[index]) : nullptr;
}

// Takes the non-null entry at index out of list and hands it back; NULL,
// with nothing removed, out of range or for a null entry.
template <class T>
T* TakeEntryAt(CPtrArray& list, int index)
{
    T* entry = EntryAt<T>(list, index);
    if (entry) list.RemoveAt(index);
    return entry;
}

}  // namespace

CTokenNode::CTokenNode() : m_pParent(nullptr), m_nType(0), m_nFlag(0) {}

CTokenNode::CTokenNode(const CString& name, const CString& value, int type, int flag)
    : m_pParent(nullptr), m_strName(name), m_strValue(value), m_nType(type), m_nFlag(flag)
{
}

CTokenNode::~CTokenNode()
{
    RemoveAllChild();
    RemoveAllAttribute();
}

CTokenNode* CTokenNode::GetParent() { return m_pParent; }

void CTokenNode::SetParent(CTokenNode* parent) { m_pParent = parent; }

int CTokenNode::CompareName(const CString& name) { return filekit::_mbsicmp(m_strName, name); }

CTokenNode* CTokenNode::AddChild(const CString& name, const CString& value, int type, int flag)
{
    // The list grows before it takes ownership, so a failed allocation
    // leaves it unchanged and the new node is not leaked.
    auto child = std::make_unique<CTokenNode>(name, value, type, flag);
    m_aChildren.Add(child.get());
    child->SetParent(this);
    return child.release();
}

CTokenNode* CTokenNode::InsertChildAt(int index, const CString& name, const CString& value, int type, int flag)
{
    if (index < 0) return nullptr;
    auto child = std::make_unique<CTokenNode>(name, value, type, flag);
    // Both calls leave the list as it was when they cannot allocate.
    if (index >= m_aChildren.GetSize())
        m_aChildren.SetAtGrow(index, child.get());
    else
        m_aChildren.InsertAt(index, child.get());
    child->SetParent(this);
    return child.release();
}

CTokenNode* CTokenNode::GetChildAt(int index) { return EntryAt<CTokenNode>(m_aChildren, index); }

int CTokenNode::RemoveChildAt(int index)
{
    CTokenNode* child = TakeEntryAt<CTokenNode>(m_aChildren, index);
    if (!child) return 0;
    DeleteSubtree(child);
    return 1;
}

void CTokenNode::RemoveAllChild()
{
    for (int i = 0; i < m_aChildren.GetSize(); ++i) {
        if (auto* child = static_cast<CTokenNode*>(m_aChildren[i])) DeleteSubtree(child);
    }
    m_aChildren.RemoveAll();
}

// Descends to a node without children, taking each child out of its
// parent's list on the way, deletes it and climbs back to its parent. A node
// is deleted only once its child list is empty, so its destructor has no
// subtree left to walk; the stack stays flat whatever the depth. Below root,
// nodes go leaves first and, among siblings, last first: nothing can tell
// the order, since children are always plain nodes.
void CTokenNode::DeleteSubtree(CTokenNode* root)
{
    CTokenNode* node = root;
    while (node) {
        CPtrArray& children = node->m_aChildren;
        const int count = filekit::ArraySize(children);
        if (count > 0) {
            const int last = count - 1;
            auto* child = static_cast<CTokenNode*>(children[last]);
            children.RemoveAt(last);
            if (child) node = child;
            continue;
        }
        CTokenNode* parent = node == root ? nullptr : node->m_pParent;
        delete node;
        node = parent;
    }
}

CTokenAttribute* CTokenNode::AddAttribute(const CString& name, const CString& value, int type, int flag)
{
    auto attribute = std::make_unique<CTokenAttribute>(name, value, type, flag);
    m_aAttributes.Add(attribute.get());
    return attribute.release();
}

CTokenAttribute* CTokenNode::SetAttribute(const CString& name, const CString& value, int type, int flag)
{
    CTokenAttribute* attribute = GetAttribute(name);
    if (!attribute) return AddAttribute(name, value, type, flag);
    attribute->SetValue(value);
    attribute->SetType(type);
    attribute->SetFlag(flag);
    return attribute;
}

CTokenAttribute* CTokenNode::GetAttribute(const CString& name)
{
    for (int i = 0; i < m_aAttributes.GetSize(); ++i) {
        auto* attribute = static_cast<CTokenAttribute*>(m_aAttributes[i]);
        if (attribute && attribute->CompareName(name) == 0) return attribute;
    }
    return nullptr;
}

CString CTokenNode::GetAttributeValue(const CString& name)
{
    const CTokenAttribute* attribute = GetAttribute(name);
    return attribute ? attribute->GetValue() : CString();
}

CTokenAttribute* CTokenNode::GetAttributeAt(int index) { return EntryAt<CTokenAttribute>(m_aAttributes, index); }

int CTokenNode::RemoveAttributeAt(int index)
{
    CTokenAttribute* attribute = TakeEntryAt<CTokenAttribute>(m_aAttributes, index);
    if (!attribute) return 0;
    delete attribute;
    return 1;
}

void CTokenNode::RemoveAllAttribute()
{
    for (int i = 0; i < m_aAttributes.GetSize(); ++i) delete static_cast<CTokenAttribute*>(m_aAttributes[i]);
    m_aAttributes.RemoveAll();
}
