// SPDX-License-Identifier: MIT
/// \file
/// filekit — the XMLSDK interface: XML documents held by a parser object,
/// reached through node and attribute handles.
///
/// This is the small XML library interface the wrapper and the XML file
/// classes are written against. filekit implements it over its own XML back
/// end, which stays private: this header needs nothing but the standard
/// library, and every handle is a single pointer to an opaque node.
///
/// ~~~
///   CXMLParser     owns one document: parsed from a file, or new and empty
///   CXMLNode       handle of a node (document, element, character data)
///   CXMLAttribute  handle of an attribute, with inline value conversions
///   CXMLPtrArray   array of node pointers that the library fills
///   CXMLNodeList   a CXMLPtrArray read as nodes
/// ~~~
///
/// Handles are passed by value and do not own what they refer to: they stay
/// valid while the node exists in its parser's document, and must not be
/// used after the node's parser is cleared, given a new document or
/// destroyed. A handle that refers to nothing is empty; every call on an
/// empty handle does nothing and gives an empty handle, "", 0 or false.
///
/// Documents are held as UTF-8 text; files in UTF-16, UTF-32 or Latin-1 are
/// converted on reading. Parsing keeps elements, attributes and character
/// data, with references expanded and line ends made LF, and also the
/// comments, processing instructions, the XML declaration and the DOCTYPE.
/// Those four are invisible to the node interface: no call counts, finds,
/// lists or hands out such a node, so a walk sees the elements and
/// character data alone. Saving writes them back in their places; they
/// move with the node they are in (a comment inside an element goes when
/// the element goes), and the ones between siblings stay where they are.
/// Text made only of whitespace is not kept.
///
/// Entities: the general entities declared in the document's internal DTD
/// subset (<!ENTITY name "text">) are expanded where they are referenced,
/// in text and in attribute values; their text may hold markup and further
/// references. The markup in an entity's text must be whole: a tag, a
/// comment, a CDATA section, an instruction or an element that the text
/// starts and does not end fails the document, as XML requires. A lone
/// UTF-16 surrogate is dropped, with entities as without. The DOCTYPE is
/// saved as it was read, so a saved document
/// reads back the same. Nothing outside the file is ever read: no external
/// DTD and no external entity, neither from a file nor from the network. A
/// document that refers to an external entity (declared with SYSTEM or
/// PUBLIC) fails to parse, and so does one whose entities refer to
/// themselves, nest deeper than CXMLParser::kMaxEntityNesting or expand past
/// CXMLParser::kMaxEntityExpansion. A reference to an entity declared
/// nowhere in the file (one from an external DTD, say) is kept as text, and
/// saved as such ("&amp;name;"). Parameter entities are not expanded.
///
/// Saved files start with an XML declaration and put each element on a line
/// of its own, indented by its depth; character data keeps its text. A
/// document read from a file is saved in the encoding it was read in (UTF-8,
/// with a byte-order mark when the file had one; UTF-16 and UTF-32 in their
/// byte order, with a byte-order mark; Latin-1), and its declaration always
/// names the encoding written. A Latin-1 document keeps its encoding and
/// declaration when it holds characters Latin-1 cannot (U+0100 and above,
/// read from character references or added): in text and attribute values
/// each is written as a decimal character reference ("&#8230;", one for a
/// character beyond U+FFFF too). Only such a character where no reference
/// may stand (an element or attribute name, a comment, a processing
/// instruction, a CDATA section) has the document saved as UTF-8, its
/// declaration saying so, until no such character is left there; bytes of
/// its text that are no UTF-8 are written as they are. A declaration naming
/// an encoding this library does not convert (windows-1252, say) is kept:
/// such a file's bytes are read and written unconverted. A document that
/// Create started after ParseFile is saved in the encoding of the file read,
/// with a declaration when that needs one; a parser that read no file saves
/// as UTF-8 without a byte-order mark.
#ifndef FILEKIT_XMLSDK_H
#define FILEKIT_XMLSDK_H

#include <filekit/Export.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

/// The XML library interface: parser, node and attribute handles, node
/// lists and node types (see the top of this header).
namespace XMLSDK {

/// Opaque node, attribute and document types of the back end.
struct TAG_XMLNODE;
struct TAG_XMLATTRIBUTE;
struct TAG_XMLDOCUMENT;

/// Node types. The node interface shows elements and character data below
/// the document node; comments, processing instructions, the declaration
/// and the DOCTYPE are kept but never shown.
enum TAG_XMLNODETYPE {
    XMLNODE_NULL = 0,  ///< the type of an empty handle
    XMLNODE_DOCUMENT = 1,  ///< the document node: its children are the top-level nodes
    XMLNODE_ELEMENT = 2,  ///< an element: a name, attributes and children
    XMLNODE_PCDATA = 3,  ///< character data written as text
    XMLNODE_CDATA = 4,  ///< character data written as a CDATA section
};

class FILEKIT_API CXMLNodeList;

/// Handle of an attribute: a name and a value.
class FILEKIT_API CXMLAttribute {
public:
    /// \name Construction
    ///@{

    /// An empty handle, or a handle of the back end's attribute (null gives
    /// an empty handle). The handle does not own the attribute.
    CXMLAttribute() = default;
    explicit CXMLAttribute(TAG_XMLATTRIBUTE* handle) : m_handle(handle) {}
    ///@}

    /// True when the handle refers to nothing.
    bool IsEmpty() const { return m_handle == nullptr; }
    /// True when the attribute exists and its value is not the empty string.
    bool HasValue() const;
    /// The value text; "" for an empty handle. The text belongs to the
    /// document: valid until the attribute changes or goes.
    const char* GetValue() const;

    /// \name Conversions of the value
    ///@{

    /// Conversions of the value. Without a value (see HasValue) they give "",
    /// a null pointer, 0, 0.0 and false. The pointer points into the
    /// document: valid while the attribute exists, never to be freed.

    operator std::string() const { return HasValue() ? std::string(GetValue()) : std::string(); }
    operator const char*() const { return HasValue() ? GetValue() : nullptr; }
    operator long() const { return HasValue() ? std::strtol(GetValue(), nullptr, 10) : 0; }
    operator double() const { return HasValue() ? std::strtod(GetValue(), nullptr) : 0.0; }
    /// True exactly when the value starts with '1', 't', 'T', 'y' or 'Y'.
    operator bool() const
    {
        if (!HasValue()) return false;
        const char first = GetValue()[0];
        return first == '1' || first == 't' || first == 'T' || first == 'y' || first == 'Y';
    }
    ///@}

private:
    TAG_XMLATTRIBUTE* m_handle = nullptr;
};

/// Handle of a node. Children are counted from 0 in document order.
///
/// Names given to SetName and AddAttribute must be XML names (a letter, '_',
/// ':' or a byte of a multibyte character first; then also digits, '-' and
/// '.'); other names are refused, so every saved document can be read back.
class FILEKIT_API CXMLNode {
public:
    /// \name Construction
    ///@{

    /// An empty handle, or a handle of the back end's node (null gives an
    /// empty handle). The handle does not own the node.
    CXMLNode() = default;
    explicit CXMLNode(TAG_XMLNODE* handle) : m_handle(handle) {}
    ///@}

    /// True when the handle refers to nothing.
    bool IsEmpty() const { return m_handle == nullptr; }

    /// Number of children. Counting walks the children: use GetChildrenList
    /// to visit many of them.
    unsigned GetChildrenCount() const;
    /// The child at index, counted from 0; empty past the last one. Walks
    /// from the first child.
    CXMLNode GetChildAt(unsigned index) const;
    /// The first child element named name (exact, case-sensitive).
    CXMLNode GetChild(const char* name) const;
    /// The parent; empty for the document node.
    CXMLNode GetParent() const;

    /// True for character data, written as text or as a CDATA section.
    bool IsPCDATA() const;
    /// True for an element.
    bool IsElement() const;
    /// True only for the document node.
    bool IsRoot() const;

    /// The element's name; "" for other nodes. The text belongs to the
    /// document, as GetValue's does.
    const char* GetName() const;
    /// Character data: its text. An element: the text of its first character
    /// data child, "" when it has none. Other nodes: "". The text belongs to
    /// the document: valid until the node changes or goes.
    const char* GetValue() const;

    /// Renames an element; false for other nodes and for names that are not
    /// XML names.
    bool SetName(const char* name);
    /// Character data: replaces its text. An element: replaces the text of
    /// its first character data child, or appends one holding value when
    /// there is none and value is not "". False for other nodes.
    bool SetValue(const char* value);

    /// Appends a new last child of type XMLNODE_ELEMENT (nameless until
    /// SetName), XMLNODE_PCDATA or XMLNODE_CDATA (both with the text "") and
    /// returns it. Only the document node and elements take children, and
    /// the document node takes only elements; otherwise the result is empty.
    CXMLNode AppendChild(TAG_XMLNODETYPE type);

    /// Replaces the content of list with the children named name (elements
    /// only), or with every child when name is null. False for an empty
    /// handle, which leaves list alone.
    bool GetChildrenList(const char* name, CXMLNodeList& list) const;

    /// The attribute named name (exact, case-sensitive); empty when none.
    CXMLAttribute GetAttribute(const char* name) const;
    /// Gives the element the attribute name="value" and returns it: an
    /// attribute of that name already there has its value replaced, so a
    /// name never appears twice. Empty for other nodes and invalid names.
    CXMLAttribute AddAttribute(const char* name, const char* value);

    /// \name Conversions
    ///@{

    /// The back end's node the handle refers to; null for an empty handle.
    operator void*() const { return m_handle; }
    operator TAG_XMLNODE*() const { return m_handle; }
    ///@}

private:
    TAG_XMLNODE* m_handle = nullptr;
};

/// An array of node pointers filled by the library (CXMLNode::GetChildrenList).
/// Each fill replaces the content and keeps the storage, so one list reused
/// through a walk allocates only when it meets a longer run of children.
class FILEKIT_API CXMLPtrArray {
public:
    /// initialSize: entries reserved ahead of the first fill.
    explicit CXMLPtrArray(long initialSize = 4);

    /// Number of pointers held.
    long GetSize() const { return static_cast<long>(m_items.size()); }
    /// The pointer at index, counted from 0; null outside [0, GetSize()).
    void* GetAt(long index) const
    {
        return index >= 0 && index < GetSize() ? m_items[static_cast<size_t>(index)] : nullptr;
    }

private:
    friend class CXMLNode;
    std::vector<void*> m_items;
};

/// A CXMLPtrArray read as nodes: what CXMLNode::GetChildrenList fills. The
/// list owns its storage, not the nodes.
class FILEKIT_API CXMLNodeList : public CXMLPtrArray {
public:
    /// initialSize: entries reserved ahead of the first fill.
    explicit CXMLNodeList(long initialSize = 4) : CXMLPtrArray(initialSize) {}

    /// The node at index, counted from 0; empty outside [0, GetSize()).
    CXMLNode GetAt(long index) const { return CXMLNode(static_cast<TAG_XMLNODE*>(CXMLPtrArray::GetAt(index))); }
};

/// Owns at most one document: none after construction and Clear, a parsed
/// one after a successful ParseFile, a new empty one after Create.
/// A parser is not copyable: its document has one owner.
class FILEKIT_API CXMLParser {
public:
    /// The arguments are accepted for compatibility and change nothing: this
    /// back end reads and writes with one fixed set of options.
    explicit CXMLParser(unsigned long options = 0xFFFF, bool flag = true, long count = 4);
    /// Releases the document, if any: every handle into it becomes invalid.
    virtual ~CXMLParser();
    CXMLParser(const CXMLParser&) = delete;
    CXMLParser& operator=(const CXMLParser&) = delete;

    /// Releases the document, if any.
    void Clear();
    /// Reads the file at path into a new document (options are ignored),
    /// with the entities of its internal DTD subset expanded (see the top of
    /// this header). False when the path is not a readable regular file, the
    /// text is not a well-formed document with at least one element, or its
    /// entities cannot be expanded within the limits; the parser then holds
    /// no document.
    bool ParseFile(const char* path, unsigned long options);
    /// Replaces any document by a new, empty one, saved in the encoding of
    /// the file the parser read, if any, else as UTF-8.
    bool Create();
    /// Writes the document to path (created or replaced), with its comments,
    /// processing instructions and DOCTYPE, in the encoding it was read in
    /// (see the top of this header). False when there is no document or the
    /// file cannot be written completely. Documents nested
    /// deeper than kMaxIndentedDepth are written with one node per line and
    /// no indentation, so the file stays proportional to the document.
    bool Save(const char* path) const;
    /// Deepest level that Save still indents.
    static constexpr unsigned kMaxIndentedDepth = 256;
    /// Most bytes of entity replacement text that reading one document may
    /// expand, counted at every reference (one more byte each). A document
    /// whose expansion would pass it fails to parse, after a bounded amount
    /// of work and memory.
    static constexpr std::size_t kMaxEntityExpansion = std::size_t{8} << 20;
    /// Deepest nesting of entity references within replacement text.
    static constexpr unsigned kMaxEntityNesting = 64;

    /// The document node; empty when there is no document.
    CXMLNode GetDocument() const;
    /// \name Conversions
    ///@{

    /// The document node, as GetDocument.
    operator TAG_XMLNODE*() const { return GetDocument(); }
    operator CXMLNode() const { return GetDocument(); }
    ///@}

private:
    std::unique_ptr<TAG_XMLDOCUMENT> m_document;
};

}  // namespace XMLSDK

#endif
