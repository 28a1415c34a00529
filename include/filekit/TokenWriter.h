// SPDX-License-Identifier: MIT
/// \file
/// filekit — CTokenizer and CTokenWriter: writing a token tree to a file.
///
/// CTokenWriter owns the root of a token tree (`<filekit/TokenNode.h>`) and
/// writes the tree to a text file by walking it depth-first, calling at every
/// step an operation of a CTokenizer that the application supplies. The
/// writer fixes the order of the calls and manages the file and the nesting
/// depth; every character of the file comes from the tokenizer. An
/// application derives one tokenizer per output format.
///
/// For a document with one child A, which has one attribute x and one child
/// B, a Save makes these calls:
///
/// ~~~
///   BeginDocument
///   Push                                                     (depth 1)
///   BeginNode(A) BeginAttributes(A) WriteAttribute(A, x) EndAttributes(A)
///   BeginChildren(A) Push                                    (depth 2)
///   BeginNode(B) BeginAttributes(B) EndAttributes(B) EndNode(B)
///   Pop                                                      (depth 1)
///   EndChildren(A) EndNode(A)
///   Pop                                                      (depth 0)
///   EndDocument
/// ~~~
///
/// The document's own name, value, type, flag and attributes never reach the
/// tokenizer; its children are written at depth 1.
#ifndef FILEKIT_TOKENWRITER_H
#define FILEKIT_TOKENWRITER_H

#include <filekit/Framework.h>
#include <filekit/TokenNode.h>

#include <ostream>

// ---------------------------------------------------------------------------
// CTokenizer
// ---------------------------------------------------------------------------

/// CTokenizer: turns the events of a tree walk into text. Abstract.
///
/// Every operation returns int: a negative value stops the writing at once,
/// 0 or a positive value lets it go on. out is the file being written;
/// context refers to the writer's context pointer, so an operation can read
/// the pointer given to CTokenWriter::Open and also replace it: the
/// replacement is what every later operation, and every later Save of the
/// same writer, receives.
///
/// The tokenizer also keeps the nesting depth, with a depth string of one
/// indent character per level that the operations can print. The depth
/// string lives in a block from malloc, resized with realloc by every Push
/// and Pop and released with free. Copies hold their own depth string.
class FILEKIT_API CTokenizer {
public:
    /// indent is the character repeated once per level; with 0 the depth
    /// stays 0 through every Push and Pop. Depth 0, depth string "".
    explicit CTokenizer(char indent = '\t');
    /// \name Copying
    ///@{

    /// Copies the indent character, the depth and the depth string.
    CTokenizer(const CTokenizer& other);
    CTokenizer& operator=(const CTokenizer& other);
    ///@}
    /// Frees the depth string.
    virtual ~CTokenizer();

    /// \name The nine steps
    /// In the order the writer calls them for one node. Each returns a
    /// negative value to stop the writing, 0 or more to go on.
    ///@{

    /// The document (the node met at depth 0): BeginDocument first.
    virtual int BeginDocument(std::ostream& out, void*& context) = 0;
    /// Every node met at depth above 0: BeginNode first.
    virtual int BeginNode(CTokenNode* node, std::ostream& out, void*& context) = 0;
    /// Then BeginAttributes, also when the node has none.
    virtual int BeginAttributes(CTokenNode* node, std::ostream& out, void*& context) = 0;
    /// Once for each attribute of the node, in index order.
    virtual int WriteAttribute(CTokenNode* node, CTokenAttribute* attribute, std::ostream& out, void*& context) = 0;
    /// After the last attribute.
    virtual int EndAttributes(CTokenNode* node, std::ostream& out, void*& context) = 0;
    /// Before the children, when the child list is not empty.
    virtual int BeginChildren(CTokenNode* node, std::ostream& out, void*& context) = 0;
    /// After the children, when BeginChildren was called.
    virtual int EndChildren(CTokenNode* node, std::ostream& out, void*& context) = 0;
    /// Every node met at depth above 0: EndNode last.
    virtual int EndNode(CTokenNode* node, std::ostream& out, void*& context) = 0;
    /// The document: EndDocument last.
    virtual int EndDocument(std::ostream& out, void*& context) = 0;
    ///@}

    /// One level deeper: the depth string gains an indent character. Nothing
    /// happens with indent 0. When the longer string cannot be allocated,
    /// depth and string stay as they were and std::bad_alloc is thrown, so a
    /// walk never goes on at a depth that does not match its nesting.
    virtual void Push();
    /// One level up; nothing happens at depth 0 or with indent 0. When the
    /// block cannot be shrunk the old, larger block is kept: the depth and
    /// the string still fall by one, so Pop always succeeds.
    virtual void Pop();
    /// The depth string: GetDepth() indent characters. Valid until the next
    /// Push, Pop or destruction.
    virtual const char* GetDepthString();
    /// The depth, never negative.
    virtual int GetDepth();

private:
    char m_cIndent;
    char* m_pszDepth;  // m_nDepth indent characters and a terminating zero
    int m_nDepth;
};

// ---------------------------------------------------------------------------
// CTokenWriter
// ---------------------------------------------------------------------------

/// CTokenWriter: owns a token tree and writes it through a tokenizer.
///
/// Closed -> Open -> open -> Close -> closed. The document can be built, read
/// and cleared in either state; only an open writer saves. Close empties the
/// document, so save before closing. Writers are neither copyable nor
/// assignable.
class FILEKIT_API CTokenWriter {
public:
    /// Empty document, no tokenizer, context NULL, no file name, closed.
    CTokenWriter();
    CTokenWriter(const CTokenWriter&) = delete;
    CTokenWriter& operator=(const CTokenWriter&) = delete;
    /// Close when open; the document goes with whatever it still holds.
    virtual ~CTokenWriter();

    /// The root of the tree; never NULL, usable in every state. The writer
    /// owns it: it lives as long as the writer.
    CTokenNode* GetDocument() { return &m_Document; }

    /// Remembers file, tokenizer (not owned) and context for Save; the file
    /// itself is not touched. 0 when already open, when file is empty or
    /// when tokenizer is NULL.
    int Open(const CString& file, CTokenizer* tokenizer, void* context);
    /// Save to the file given to Open: the results of Save(file).
    int Save();
    /// Writes the document to file, created or emptied, opened for output in
    /// text mode; the file name given to Open is kept. 1 on success; 0 when
    /// the writer is closed (no file is made), when file cannot be opened or
    /// when a tokenizer operation returned a negative value, in which case
    /// the file keeps what was written up to then and the tokenizer's depth
    /// stays where the walk stopped (Pop brings it back to 0). Errors of the
    /// stream itself do not change the result: a tokenizer that must notice
    /// them examines out and returns a negative value. When memory runs out
    /// (the walk's stack of levels, a Push) std::bad_alloc passes through
    /// Save, and the file is closed.
    int Save(const CString& file);
    /// Clear, forget the tokenizer and close: 1. 0 when not open. The context
    /// pointer and the file name keep their values.
    int Close();
    /// 1 while open.
    int IsOpen() { return m_bOpen; }
    /// Removes all attributes of the document, then all its children.
    void Clear();

protected:
    /// Writes the subtree of node through the tokenizer: 0 on success, -1 as
    /// soon as an operation returns a negative value, for a NULL node, or
    /// when no tokenizer is set. The depth is asked afresh through the
    /// virtual GetDepth() at every decision, so an operation that calls Push
    /// or Pop itself changes what follows. Child and attribute counts are
    /// taken before their loops: entries added meanwhile are not visited,
    /// entries removed meanwhile read as NULL and are skipped; an operation
    /// must not delete the node it is given or any node above it.
    ///
    /// The calls are exactly those of a walk that calls Tokenize once per
    /// child, but the walk keeps its place in an explicit stack instead, so
    /// that a tree of any depth is written without exhausting the call
    /// stack. Tokenize is not virtual: Save always walks with this one, and
    /// a derived writer that needs another order writes its own walk.
    int Tokenize(CTokenNode* node, std::ostream& out);

private:
    CTokenNode m_Document;
    CTokenizer* m_pTokenizer;  // not owned
    void* m_pContext;  // not owned

    CString m_strFile;
    int m_bOpen;
};

#endif
