// SPDX-License-Identifier: MIT
/// \file
/// filekit — CXMLParserWrapper, string-based access to XML documents.
///
/// A wrapper owns at most one XMLSDK::CXMLParser and with it one document,
/// read from a file or started empty, which it writes to a file on request.
/// Its static operations read and edit single nodes of any document with
/// CString names and values.
///
/// Every operation that can fail returns 1 on success and 0 on failure;
/// nothing is printed, logged or thrown.
///
/// Two conventions run through the static operations:
///  - the value of a node is the text of its first character-data child
///    (CXMLNode::IsPCDATA), "" when it has none;
///  - the attribute value of a node is its attribute named
///    CST_TAG_ATTR_VALUE ("value").
/// Arguments of the static operations:
///  - an empty node makes every operation return 0 before anything else;
///  - a node handed back goes through an optional CXMLNode*: a null pointer
///    still does the work; the node is assigned only on success;
///  - text handed back goes into a CString&, assigned only on success.
#ifndef FILEKIT_XMLPARSERWRAPPER_H
#define FILEKIT_XMLPARSERWRAPPER_H

#include <filekit/Framework.h>
#include <filekit/XMLSDK.h>

#include <memory>

/// String-based access to one XML document held by the wrapper, and static
/// operations on single nodes of any document (see the top of this header).
/// Node handles handed out refer into a document the wrapper owns: they stay
/// valid until Close, EmptyDocument, an assignment to the wrapper or its
/// destruction.
class FILEKIT_API CXMLParserWrapper {
public:
    static const CString CST_TAG_ATTR_VALUE;  ///< "value": the attribute that carries a node value

    /// Closed: no parser, no document.
    CXMLParserWrapper();
    /// \name Copying
    ///@{

    /// A copy of an open wrapper is open on a duplicate of the document (its
    /// comments and DOCTYPE included, saved as UTF-8 like a new one), and
    /// the two documents change independently from then on (node handles
    /// taken from one keep referring to that one); a copy of a closed wrapper
    /// is closed. No parser ever has two owners.
    CXMLParserWrapper(const CXMLParserWrapper& other);
    CXMLParserWrapper& operator=(const CXMLParserWrapper& other);
    ///@}
    /// Releases the parser and its document; nothing is written.
    virtual ~CXMLParserWrapper();

    /// Reads the document at path, with its comments, processing
    /// instructions and DOCTYPE kept for saving and the entities of its
    /// internal DTD subset expanded (XMLSDK.h tells how). 0 when the wrapper
    /// is already open (the open document stays) or the file cannot be read
    /// or parsed, refers to an external entity, or expands its entities past
    /// XMLSDK::CXMLParser::kMaxEntityExpansion (the wrapper stays closed).
    /// Nothing but the file at path is read.
    int Open(const CString& path);
    /// Starts a new, empty document, saved as UTF-8; 0 when the wrapper is
    /// already open.
    int Open();
    /// Releases the document without writing it; 0 when already closed.
    int Close();
    /// 1 while a document is open.
    int IsOpen();
    /// Writes the document to path; the wrapper stays open. A document read
    /// from a file is written with its comments, processing instructions and
    /// DOCTYPE in their places, in the encoding it was read in, its declaration
    /// naming that encoding. A Latin-1 document writes the characters Latin-1
    /// cannot hold as character references ("&#8230;") in text and attribute
    /// values, and is written as UTF-8 only when such a character stands in a
    /// name, a comment, a processing instruction or a CDATA section (XMLSDK.h).
    /// 0 when closed or when the file cannot be written, and the document is
    /// then unchanged. A regular file is replaced whole (written beside it,
    /// synced, renamed over it), so a failed or killed save leaves the old
    /// file; its permission bits and a symbolic link to it stay, and another
    /// hard link to it keeps the old text. Devices and FIFOs are written in
    /// place, as is a file in a folder that refuses new files for want of
    /// permission; a full disk or any other refusal gives 0 with the file
    /// untouched, as does a file held by a handle that shares neither writing
    /// nor deletion (ERROR_SHARING_VIOLATION). The thread's last error is
    /// NO_ERROR after a save that gives 1, else the failure's code.
    int Save(const CString& path);
    /// Replaces the document by an empty one, comments and DOCTYPE included;
    /// it is saved in the encoding of the file read, if any. 0 when closed.
    int EmptyDocument();

    /// The top-level element named name into *root. 0 when closed or when
    /// there is no such element (root is then left alone).
    int GetRootNode(const CString& name, XMLSDK::CXMLNode* root);
    /// Appends a top-level element named name and hands it back in *root.
    /// Each call appends one more, even when one of that name exists.
    /// A name that is not an XML name leaves the element nameless (saved as
    /// ":anonymous"); the same holds for AddNewNode and AddNewNodeAttr.
    int CreateRootNode(const CString& name, XMLSDK::CXMLNode* root);

    /// \name Reading nodes
    ///@{

    /// The element's name ("" for other nodes); 1 for every non-empty node.
    static int GetNodeName(XMLSDK::CXMLNode& node, CString& name);
    /// The node's value (see above); 1 for every non-empty node.
    static int GetNodeValue(XMLSDK::CXMLNode& node, CString& value);
    /// The attribute name; 0 when the node has none.
    static int GetAttributeValue(XMLSDK::CXMLNode& node, const CString& name, CString& value);
    /// The "value" attribute; 0 when the node has none.
    static int GetNodeAttrValue(XMLSDK::CXMLNode& node, CString& value);
    /// The parent into *parent. A top-level element gives 1 and an empty
    /// node: it has no parent element. 0 for the document node.
    static int GetParentNode(XMLSDK::CXMLNode& node, XMLSDK::CXMLNode* parent);
    ///@}

    /// \name Reading children by name
    /// Each looks for the first child element named name (exact,
    /// case-sensitive) and gives 0 when there is none.
    ///@{

    /// Reading children by name: the first child element named name.
    static int GetChildNode(XMLSDK::CXMLNode& node, const CString& name, XMLSDK::CXMLNode* child);
    /// That child's value (see above).
    static int GetChildNodeValue(XMLSDK::CXMLNode& node, const CString& name, CString& value);
    /// That child's "value" attribute; 0 also when the child has none.
    static int GetChildNodeAttrValue(XMLSDK::CXMLNode& node, const CString& name, CString& value);
    ///@}

    /// \name Lists of children
    ///@{

    /// Lists of children. The list's content is replaced by every element
    /// and character-data child (comments and processing instructions are
    /// never listed), or by the child elements named name; a null list
    /// gives 1 at once.
    static int GetChildrenList(XMLSDK::CXMLNode& node, XMLSDK::CXMLNodeList* list);
    static int GetChildrenByName(XMLSDK::CXMLNode& node, CString name, XMLSDK::CXMLNodeList* list);
    /// The list's length into *length when length is not null; always 1.
    static int GetListLength(XMLSDK::CXMLNodeList& list, long* length);
    /// The node at index (counted from 0) into *node; 0 when index is
    /// outside the list.
    static int GetNodeAt(XMLSDK::CXMLNodeList& list, int index, XMLSDK::CXMLNode* node);
    ///@}

    /// \name Editing nodes
    ///@{

    /// Editing nodes.
    /// Sets the text of the first character-data child, or appends such a
    /// child when there is none.
    static int SetNodeValue(XMLSDK::CXMLNode& node, const CString& value);
    /// Gives the node the attribute name="value" (replacing the value of one
    /// already there); 0 for a node that takes no attributes or a name that
    /// is not an XML name.
    static int AddAttribute(XMLSDK::CXMLNode& node, const CString& name, const CString& value);
    /// Appends a child element name holding value as its text (no text child
    /// when value is ""); it is handed back in *node.
    static int AddNewNode(XMLSDK::CXMLNode& parent, const CString& name, const CString& value, XMLSDK::CXMLNode* node);
    /// Appends a child element name carrying value in its "value" attribute.
    /// When the attribute cannot be added the result is 0 and the element
    /// stays, without it.
    static int AddNewNodeAttr(XMLSDK::CXMLNode& parent, const CString& name, const CString& value,
                              XMLSDK::CXMLNode* node);
    ///@}

protected:
    /// The parser holding the document; null while closed. The wrapper owns
    /// it: valid until Close, an assignment to the wrapper or its destruction.

    XMLSDK::CXMLParser* GetDocument();

private:
    std::unique_ptr<XMLSDK::CXMLParser> m_pParser;  // null while closed
    int m_bOpen;  // 1 exactly while m_pParser is set
};

#endif
