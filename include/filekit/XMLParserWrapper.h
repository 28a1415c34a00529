// filekit — CXMLParserWrapper, string-based access to XML documents.
// (Skeleton: the family's classes are declared here as they are built.)
#ifndef FILEKIT_XMLPARSERWRAPPER_H
#define FILEKIT_XMLPARSERWRAPPER_H

#include <filekit/Framework.h>
#include <filekit/XMLSDK.h>

class FILEKIT_API CXMLParserWrapper {
public:
    static const CString CST_TAG_ATTR_VALUE;   // "value": the attribute that carries a node value
};

#endif
