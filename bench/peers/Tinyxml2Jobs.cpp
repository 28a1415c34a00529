// SPDX-License-Identifier: MIT
// tinyxml2 in the XML tasks, with its default whitespace handling and
// indented output.
#include "XmlJobs.h"

#include <tinyxml2.h>

#include <cstring>
#include <stdexcept>

namespace compare {
namespace {

class Tinyxml2Document {
public:
    static constexpr const char* kSystem = system::kTinyxml2;

    void Load(const std::string& path)
    {
        if (m_document.LoadFile(path.c_str()) != tinyxml2::XML_SUCCESS)
            throw std::runtime_error("tinyxml2 LoadFile failed");
    }
    void Save(const std::string& path)
    {
        if (m_document.SaveFile(path.c_str()) != tinyxml2::XML_SUCCESS)
            throw std::runtime_error("tinyxml2 SaveFile failed");
    }
    WalkTotals Walk()
    {
        WalkTotals totals;
        if (const tinyxml2::XMLElement* root = m_document.RootElement()) Visit(root, totals);
        return totals;
    }

private:
    static void Visit(const tinyxml2::XMLElement* element, WalkTotals& totals)
    {
        ++totals.elements;
        totals.bytes += std::strlen(element->Name());
        for (const tinyxml2::XMLAttribute* attribute = element->FirstAttribute(); attribute;
             attribute = attribute->Next()) {
            ++totals.attributes;
            totals.bytes += std::strlen(attribute->Value());
        }
        if (const char* text = element->GetText()) totals.bytes += std::strlen(text);
        for (const tinyxml2::XMLElement* child = element->FirstChildElement(); child;
             child = child->NextSiblingElement())
            Visit(child, totals);
    }
    tinyxml2::XMLDocument m_document;
};

[[maybe_unused]] const bool kRegistered = RegisterXml<Tinyxml2Document>(Role::Peer);

}  // namespace
}  // namespace compare
