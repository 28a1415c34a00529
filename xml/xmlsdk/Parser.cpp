// SPDX-License-Identifier: MIT
// XMLSDK::CXMLParser: the owner of one document.
#include "xml/xmlsdk/DocumentFile.h"
#include "xml/xmlsdk/Handles.h"

struct XMLSDK::TAG_XMLDOCUMENT {
    pugi::xml_document document;
    filekit::xml::FileForm form;  // how Save writes it: as the file last read was, else the default
};

namespace XMLSDK {

CXMLParser::CXMLParser(unsigned long, bool, long) {}

CXMLParser::~CXMLParser() = default;

void CXMLParser::Clear() { m_document.reset(); }

bool CXMLParser::ParseFile(const char* path, unsigned long)
{
    m_document.reset();
    if (!path) return false;
    auto parsed = std::make_unique<TAG_XMLDOCUMENT>();
    if (!filekit::xml::LoadDocumentFile(parsed->document, path, parsed->form)) return false;
    m_document = std::move(parsed);
    return true;
}

bool CXMLParser::Create()
{
    if (m_document)
        m_document->document.reset();
    else
        m_document = std::make_unique<TAG_XMLDOCUMENT>();
    return true;
}

bool CXMLParser::Save(const char* path) const
{
    return m_document && path &&
           filekit::xml::SaveDocumentFile(m_document->document, path, kMaxIndentedDepth, m_document->form);
}

CXMLNode CXMLParser::GetDocument() const
{
    return m_document ? filekit::xml::ToHandle(m_document->document) : CXMLNode();
}

}  // namespace XMLSDK
