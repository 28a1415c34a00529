// SPDX-License-Identifier: MIT
/// \file
/// filekit — XML-backed files: CXMLFile and CVersionableXMLFile.
///
/// CXMLFile binds one XML document to a file path and runs a fixed pattern
/// whose two hooks derived classes fill in:
///  - Open reads the file, then LoadData turns the document into the
///    object's own data; the object counts as open only once LoadData has
///    accepted the document;
///  - PrepareData empties the document, then SaveData builds it again from
///    the object's data; Save writes the document as it is, without calling
///    either hook, so a caller that changed its data calls PrepareData first.
/// The hooks work on the document through m_XMLParser: GetRootNode and
/// CreateRootNode, and the wrapper's static node operations.
///
/// Open, Close, PrepareData and both Save operations reach IsOpen, LoadData
/// and SaveData through the virtual table. Every operation that can fail
/// returns 1 on success and 0 on failure. Nothing is ever saved implicitly.
#ifndef FILEKIT_XMLFILE_H
#define FILEKIT_XMLFILE_H

#include <filekit/Framework.h>
#include <filekit/XMLParserWrapper.h>

/// A file held as an XML document, with LoadData and SaveData hooks that
/// derived classes fill in. The object owns its document (in m_XMLParser).
class FILEKIT_API CXMLFile {
public:
    /// Closed, with the path "".
    CXMLFile();
    /// \name Copying
    ///@{

    /// Copies take the path and the open flag; the document is duplicated as
    /// CXMLParserWrapper's copies do, so the two objects then change and
    /// save independently.
    CXMLFile(const CXMLFile& other) = default;
    CXMLFile& operator=(const CXMLFile& other) = default;
    ///@}
    /// Closes an open object without writing: unsaved changes are lost.
    virtual ~CXMLFile();

    /// Opens the object: with bCreate 0 the file at path is read and handed
    /// to LoadData; otherwise a new, empty document is started, no file is
    /// read and LoadData is not called. 0 when the object is already open,
    /// the file cannot be read or parsed, or LoadData returns 0; the object
    /// then stays as it was.
    virtual int Open(const CString& path, int bCreate);
    /// Releases the document without writing it; the path is kept. 0 when
    /// the object is not open, or when its wrapper was already closed (the
    /// object then stays marked open).
    virtual int Close();
    /// Empties the document and calls SaveData to rebuild it; 0 when the
    /// object is not open or SaveData returns 0. The file's comments and
    /// DOCTYPE go with the old document; the rebuilt one is saved in the
    /// encoding the file was read in.
    virtual int PrepareData();
    /// Writes the document to path; the path given to Open stays the one
    /// Save() writes to. A document as read keeps its comments, processing
    /// instructions, DOCTYPE and encoding (CXMLParserWrapper::Save). 0 when
    /// the object is not open or the file cannot be written.
    virtual int Save(const CString& path);
    /// Writes the document to the path given to Open; 0 as Save(path).
    virtual int Save();
    /// 1 while open.
    virtual int IsOpen();

protected:
    /// \name Hooks
    ///@{

    /// Hooks; the defaults do nothing and return 1. LoadData runs inside
    /// Open on the document just read (0 refuses the open); SaveData runs
    /// inside PrepareData on the emptied document (0 fails PrepareData).
    virtual int LoadData();
    virtual int SaveData();
    ///@}

    CXMLParserWrapper m_XMLParser;  ///< the document
    CString m_strFile;  ///< the path of the last successful Open; "" until then
    int m_bOpen;  ///< 1 once Open succeeded, until Close
};

/// An XML file whose version string travels in the "version" attribute of an
/// element that the derived class chooses: its LoadData calls LoadVersion on
/// the element it reads, its SaveData calls SaveVersion on the element it
/// builds. The class calls neither itself.
class FILEKIT_API CVersionableXMLFile : public CXMLFile {
public:
    static const CString CST_TAG_ATTR_VERSION;  ///< "version": the attribute that carries the version

    /// \name Construction and copying
    ///@{

    /// Closed, with the version "". Copies take the version too.
    CVersionableXMLFile();
    CVersionableXMLFile(const CVersionableXMLFile& other) = default;
    CVersionableXMLFile& operator=(const CVersionableXMLFile& other) = default;
    ///@}
    /// As CXMLFile's: an open object is closed without writing.
    ~CVersionableXMLFile() override;

    /// \name Version
    ///@{

    /// The version string, as last set or read by LoadVersion; "" until then.
    const CString& GetVersion();
    void SetVersion(const CString& version);
    ///@}

protected:
    /// Reads the node's version attribute into the version; 0 for an empty
    /// node or one without the attribute, and the version then stays.
    int LoadVersion(XMLSDK::CXMLNode& node);
    /// Gives the node the version attribute; 0 for an empty node.
    int SaveVersion(XMLSDK::CXMLNode& node);

    CString m_strVersion;  ///< the version; "" until set or read
};

#endif
