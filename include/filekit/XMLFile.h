// filekit — XML-backed files: CXMLFile and CVersionableXMLFile.
// (Skeleton: the family's classes are declared here as they are built.)
#ifndef FILEKIT_XMLFILE_H
#define FILEKIT_XMLFILE_H

#include <filekit/Framework.h>
#include <filekit/XMLParserWrapper.h>

class FILEKIT_API CXMLFile {
public:
    virtual ~CXMLFile() = default;
};

class FILEKIT_API CVersionableXMLFile : public CXMLFile {
public:
    static const CString CST_TAG_ATTR_VERSION;   // "version": the attribute that carries the version
};

#endif
