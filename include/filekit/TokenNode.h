// SPDX-License-Identifier: MIT
/// \file
/// filekit — token trees: CTokenAttribute and CTokenNode.
///
/// A token tree is an in-memory tree of named nodes. Every node has a text
/// value, two integers whose meaning belongs to the application (type and
/// flag), an ordered list of attributes and an ordered list of children. The
/// library never interprets names, values, types or flags: it stores them,
/// finds attributes by name and hands everything to a tokenizer
/// (`<filekit/TokenWriter.h>`), which turns the tree into the text of a file.
///
/// Ownership: a node owns every child and attribute in its lists. They are
/// created only by the node itself, as plain CTokenNode and CTokenAttribute
/// objects; removing an entry or destroying a node deletes the entry, and a
/// deleted child takes its whole subtree with it. A pointer handed out by a
/// node stays valid until that entry is removed or its owner destroyed.
///
/// Names of nodes and attributes compare case-insensitively. Only ASCII
/// letters fold; every other byte compares by its unsigned value, the same on
/// every platform, so a tree built from a file finds the same names
/// everywhere.
///
/// Indices are int. Every index-taking operation accepts 0 <= index < count
/// and answers anything else with NULL or 0 without changing anything;
/// InsertChildAt alone accepts any index >= 0. Creating a node or attribute
/// throws std::bad_alloc when memory runs out, and the lists are unchanged.
#ifndef FILEKIT_TOKENNODE_H
#define FILEKIT_TOKENNODE_H

#include <filekit/Framework.h>

// ---------------------------------------------------------------------------
// CTokenAttribute
// ---------------------------------------------------------------------------

/// CTokenAttribute: a named value of a node. Copyable.
class FILEKIT_API CTokenAttribute {
public:
    /// Name "", value "", type 0, flag 0.
    CTokenAttribute();
    /// The four fields from the arguments.
    CTokenAttribute(const CString& name, const CString& value, int type, int flag);
    /// \name Copying
    ///@{

    /// Copying copies all four fields.
    CTokenAttribute(const CTokenAttribute&) = default;
    CTokenAttribute& operator=(const CTokenAttribute&) = default;
    ///@}
    /// Releases the attribute's strings; a node deletes the attributes it owns.
    virtual ~CTokenAttribute();

    /// \name Fields
    ///@{

    /// The name, the value, and the application's type and flag, read and
    /// replaced as they are; the library gives the type and flag no meaning.
    const CString& GetName() const { return m_strName; }
    const CString& GetValue() const { return m_strValue; }
    void SetName(const CString& name) { m_strName = name; }
    void SetValue(const CString& value) { m_strValue = value; }
    int GetType() const { return m_nType; }
    int GetFlag() const { return m_nFlag; }
    void SetType(int type) { m_nType = type; }
    void SetFlag(int flag) { m_nFlag = flag; }
    ///@}

    /// Compares the own name with name, ignoring ASCII letter case: 0 when
    /// equal, negative when the own name sorts first, positive otherwise.
    virtual int CompareName(const CString& name);

private:
    CString m_strName;
    CString m_strValue;
    int m_nType;
    int m_nFlag;
};

// ---------------------------------------------------------------------------
// CTokenNode
// ---------------------------------------------------------------------------

/// CTokenNode: a node of a token tree. Neither copyable nor assignable.
/// It owns its children and attributes (see the top of this header).
class FILEKIT_API CTokenNode {
public:
    /// No children, no attributes, parent NULL, name "", value "", type 0, flag 0.
    CTokenNode();
    /// The same with the four values.
    CTokenNode(const CString& name, const CString& value, int type, int flag);
    CTokenNode(const CTokenNode&) = delete;
    CTokenNode& operator=(const CTokenNode&) = delete;
    /// RemoveAllChild, then RemoveAllAttribute. Deleting a tree of any depth
    /// needs no more stack than a flat one.
    virtual ~CTokenNode();

    /// \name Fields
    ///@{

    /// The name, the value, and the application's type and flag, read and
    /// replaced as they are; the library gives the type and flag no meaning.
    const CString& GetName() const { return m_strName; }
    const CString& GetValue() const { return m_strValue; }
    void SetName(const CString& name) { m_strName = name; }
    void SetValue(const CString& value) { m_strValue = value; }
    int GetType() const { return m_nType; }
    int GetFlag() const { return m_nFlag; }
    void SetType(int type) { m_nType = type; }
    void SetFlag(int flag) { m_nFlag = flag; }
    ///@}

    /// The node whose child list holds this node; NULL for a node made
    /// directly, such as a writer's document.
    virtual CTokenNode* GetParent();
    /// The same comparison as CTokenAttribute::CompareName, on the node name.
    virtual int CompareName(const CString& name);

    /// \name Children
    ///@{

    /// Appends a new node made from the four values; returns it, owned by
    /// this node.
    CTokenNode* AddChild(const CString& name, const CString& value, int type, int flag);
    /// Inserts a new node at index; later entries move up. An index at or
    /// past the end grows the list to index + 1 entries, the gap holding null
    /// entries. Returns the new node, owned by this node; NULL, and nothing
    /// created, when index < 0.
    CTokenNode* InsertChildAt(int index, const CString& name, const CString& value, int type, int flag);
    /// The entry at index, which may be a null entry; NULL out of range.
    CTokenNode* GetChildAt(int index);
    /// Entries in the child list, null entries included.
    int GetChildCount() const { return filekit::ArraySize(m_aChildren); }
    /// Takes the child out of the list and deletes it with its subtree: 1.
    /// 0, and nothing removed, out of range or for a null entry.
    int RemoveChildAt(int index);
    /// Deletes every child with its subtree, in index order, and empties the
    /// list (null entries included).
    void RemoveAllChild();
    ///@}

    /// \name Attributes
    ///@{

    /// Appends a new attribute, even when one of that name exists; returns it,
    /// owned by this node.
    CTokenAttribute* AddAttribute(const CString& name, const CString& value, int type, int flag);
    /// Updates value, type and flag of GetAttribute(name), keeping its stored
    /// name as it is, letter case included; AddAttribute when there is none.
    /// Returns the attribute, owned by this node.
    CTokenAttribute* SetAttribute(const CString& name, const CString& value, int type, int flag);
    /// The first attribute in list order whose CompareName(name) is 0; NULL
    /// when there is none.
    CTokenAttribute* GetAttribute(const CString& name);
    /// A copy of GetAttribute(name)'s value; "" when there is no such
    /// attribute (the same as an empty value).
    CString GetAttributeValue(const CString& name);
    /// The attribute at index; NULL out of range.
    CTokenAttribute* GetAttributeAt(int index);
    /// Entries in the attribute list.
    int GetAttributeCount() const { return filekit::ArraySize(m_aAttributes); }
    /// Takes the attribute out of the list and deletes it: 1. 0, and nothing
    /// removed, out of range or for a null entry.
    int RemoveAttributeAt(int index);
    /// Deletes every attribute, in index order, and empties the list.
    void RemoveAllAttribute();
    ///@}

protected:
    /// Called by the owning node on a child it has just created.
    virtual void SetParent(CTokenNode* parent);

private:
    // Deletes root and every node below it without recursing once per level.
    static void DeleteSubtree(CTokenNode* root);

    CPtrArray m_aChildren;  // CTokenNode*, owned; may hold null entries
    CPtrArray m_aAttributes;  // CTokenAttribute*, owned
    CTokenNode* m_pParent;  // not owned

    CString m_strName;
    CString m_strValue;
    int m_nType;
    int m_nFlag;
};

#endif
