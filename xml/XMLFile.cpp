// SPDX-License-Identifier: MIT
// CXMLFile: the open, prepare and save pattern around the LoadData and
// SaveData hooks.
#include <filekit/XMLFile.h>

CXMLFile::CXMLFile() : m_bOpen(0) {}

CXMLFile::~CXMLFile()
{
    if (CXMLFile::IsOpen()) CXMLFile::Close();
}

int CXMLFile::Open(const CString& path, int bCreate)
{
    if (IsOpen()) return 0;
    if (bCreate) {
        if (!m_XMLParser.Open()) return 0;
    } else {
        if (!m_XMLParser.Open(path)) return 0;
        if (!LoadData()) {
            m_XMLParser.Close();
            return 0;
        }
    }
    m_strFile = path;
    m_bOpen = 1;
    return 1;
}

int CXMLFile::Close()
{
    // From the destructor this reaches CXMLFile's own IsOpen, as it should.
    // NOLINTNEXTLINE(clang-analyzer-optin.cplusplus.VirtualCall)
    if (!IsOpen() || !m_XMLParser.Close()) return 0;
    m_bOpen = 0;
    return 1;
}

int CXMLFile::PrepareData()
{
    if (!IsOpen() || !m_XMLParser.EmptyDocument()) return 0;
    return SaveData() ? 1 : 0;
}

int CXMLFile::Save(const CString& path)
{
    if (!IsOpen()) return 0;
    return m_XMLParser.Save(path) ? 1 : 0;
}

int CXMLFile::Save()
{
    if (!IsOpen()) return 0;
    return m_XMLParser.Save(m_strFile) ? 1 : 0;
}

int CXMLFile::IsOpen() { return m_bOpen; }

int CXMLFile::LoadData() { return 1; }

int CXMLFile::SaveData() { return 1; }
