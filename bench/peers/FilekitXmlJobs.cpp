// SPDX-License-Identifier: MIT
// filekit's CXMLParserWrapper in the XML tasks. The walk goes through the
// wrapper's static operations only; they look attributes up by name, so it
// asks for the attributes the document's elements carry (XmlText.h), as an
// application that knows its document does.
#include "XmlJobs.h"
#include "XmlText.h"

#include <filekit/XMLParserWrapper.h>

#include <stdexcept>

namespace compare {
namespace {

class FilekitXmlDocument {
public:
    static constexpr const char* kSystem = system::kFilekit;

    void Load(const std::string& path)
    {
        if (!m_xml.Open(path.c_str())) throw std::runtime_error("CXMLParserWrapper::Open failed");
    }
    void Save(const std::string& path)
    {
        if (!m_xml.Save(path.c_str())) throw std::runtime_error("CXMLParserWrapper::Save failed");
    }
    WalkTotals Walk()
    {
        WalkTotals totals;
        XMLSDK::CXMLNode root;
        if (!m_xml.GetRootNode("settings", &root)) throw std::runtime_error("CXMLParserWrapper::GetRootNode failed");
        Visit(root, totals);
        return totals;
    }

private:
    static void Visit(XMLSDK::CXMLNode& element, WalkTotals& totals)
    {
        ++totals.elements;
        CString name;
        CString text;
        CXMLParserWrapper::GetNodeName(element, name);
        totals.bytes += static_cast<std::uint64_t>(name.GetLength());
        for (const char* attribute : AttributesOf(name)) {
            CString value;
            if (CXMLParserWrapper::GetAttributeValue(element, attribute, value)) {
                ++totals.attributes;
                totals.bytes += static_cast<std::uint64_t>(value.GetLength());
            }
        }
        CXMLParserWrapper::GetNodeValue(element, text);
        totals.bytes += static_cast<std::uint64_t>(text.GetLength());

        XMLSDK::CXMLNodeList children;
        long count = 0;
        CXMLParserWrapper::GetChildrenList(element, &children);
        CXMLParserWrapper::GetListLength(children, &count);
        for (int i = 0; i < count; ++i) {
            XMLSDK::CXMLNode child;
            if (CXMLParserWrapper::GetNodeAt(children, i, &child) && child.IsElement()) Visit(child, totals);
        }
    }
    CXMLParserWrapper m_xml;
};

[[maybe_unused]] const bool kRegistered = RegisterXml<FilekitXmlDocument>(Role::Filekit);

}  // namespace
}  // namespace compare
