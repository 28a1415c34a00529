// SPDX-License-Identifier: MIT
// CXMLParserWrapper: the owned document — opening, closing, saving, copies
// and the top-level elements.
#include <filekit/XMLParserWrapper.h>

#include "xml/xmlsdk/NodeAccess.h"

using XMLSDK::CXMLNode;
using XMLSDK::CXMLParser;

namespace {

// The flag words the parser is created and called with.
constexpr unsigned long kReadParserOptions = 0xFFFF;
constexpr unsigned long kNewParserOptions = 0xFF3F;
constexpr unsigned long kParseFileOptions = 0x3B1E;
constexpr bool kParserFlag = true;
constexpr long kParserCount = 4;

std::unique_ptr<CXMLParser> NewEmptyParser()
{
    auto parser = std::make_unique<CXMLParser>(kNewParserOptions, kParserFlag, kParserCount);
    parser->Create();
    return parser;
}

}  // namespace

CXMLParserWrapper::CXMLParserWrapper() : m_bOpen(0) {}

CXMLParserWrapper::CXMLParserWrapper(const CXMLParserWrapper& other) : m_bOpen(0)
{
    if (!other.m_pParser) return;
    m_pParser = NewEmptyParser();
    CXMLNode copy = *m_pParser;
    filekit::xml::CopyChildren(*other.m_pParser, copy);
    m_bOpen = 1;
}

CXMLParserWrapper& CXMLParserWrapper::operator=(const CXMLParserWrapper& other)
{
    if (this != &other) {
        CXMLParserWrapper copy(other);
        std::swap(m_pParser, copy.m_pParser);
        std::swap(m_bOpen, copy.m_bOpen);
    }
    return *this;
}

CXMLParserWrapper::~CXMLParserWrapper() = default;

int CXMLParserWrapper::Open(const CString& path)
{
    if (m_bOpen) return 0;
    auto parser = std::make_unique<CXMLParser>(kReadParserOptions, kParserFlag, kParserCount);
    if (!parser->ParseFile(path, kParseFileOptions)) return 0;
    m_pParser = std::move(parser);
    m_bOpen = 1;
    return 1;
}

int CXMLParserWrapper::Open()
{
    if (m_bOpen) return 0;
    m_pParser = NewEmptyParser();
    m_bOpen = 1;
    return 1;
}

int CXMLParserWrapper::Close()
{
    if (!m_bOpen) return 0;
    m_pParser.reset();
    m_bOpen = 0;
    return 1;
}

int CXMLParserWrapper::IsOpen() { return m_bOpen; }

int CXMLParserWrapper::Save(const CString& path) { return m_bOpen && m_pParser->Save(path) ? 1 : 0; }

int CXMLParserWrapper::EmptyDocument() { return m_bOpen && m_pParser->Create() ? 1 : 0; }

int CXMLParserWrapper::GetRootNode(const CString& name, CXMLNode* root)
{
    if (!m_bOpen) return 0;
    CXMLNode document = m_pParser->GetDocument();
    CXMLNode element;
    if (!GetChildNode(document, name, &element) || !element.IsElement()) return 0;
    if (root) *root = element;
    return 1;
}

int CXMLParserWrapper::CreateRootNode(const CString& name, CXMLNode* root)
{
    if (!m_bOpen) return 0;
    CXMLNode document = m_pParser->GetDocument();
    CXMLNode element = document.AppendChild(XMLSDK::XMLNODE_ELEMENT);
    if (element.IsEmpty()) return 0;
    element.SetName(name);
    if (root) *root = element;
    return 1;
}

CXMLParser* CXMLParserWrapper::GetDocument() { return m_pParser.get(); }
