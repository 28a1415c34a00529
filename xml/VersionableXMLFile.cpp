// SPDX-License-Identifier: MIT
// CVersionableXMLFile: the version string and its attribute.
#include <filekit/XMLFile.h>

CVersionableXMLFile::CVersionableXMLFile() = default;

CVersionableXMLFile::~CVersionableXMLFile() = default;

const CString& CVersionableXMLFile::GetVersion() { return m_strVersion; }

void CVersionableXMLFile::SetVersion(const CString& version) { m_strVersion = version; }

int CVersionableXMLFile::LoadVersion(XMLSDK::CXMLNode& node)
{
    if (node.IsEmpty()) return 0;
    CString version;
    if (!CXMLParserWrapper::GetAttributeValue(node, CST_TAG_ATTR_VERSION, version)) return 0;
    m_strVersion = version;
    return 1;
}

int CVersionableXMLFile::SaveVersion(XMLSDK::CXMLNode& node)
{
    if (node.IsEmpty()) return 0;
    return CXMLParserWrapper::AddAttribute(node, CST_TAG_ATTR_VERSION, m_strVersion) ? 1 : 0;
}
