// Raw pugixml in the XML tasks, with its default parse and save options.
#include "XmlJobs.h"

#include <pugixml.hpp>

#include <cstring>
#include <stdexcept>

namespace compare {
namespace {

class PugixmlDocument {
public:
    static constexpr const char* kSystem = system::kPugixml;

    void Load(const std::string& path)
    {
        if (!m_document.load_file(path.c_str())) throw std::runtime_error("pugixml load_file failed");
    }
    void Save(const std::string& path)
    {
        if (!m_document.save_file(path.c_str())) throw std::runtime_error("pugixml save_file failed");
    }
    WalkTotals Walk()
    {
        WalkTotals totals;
        Visit(m_document.document_element(), totals);
        return totals;
    }

private:
    static void Visit(pugi::xml_node element, WalkTotals& totals)
    {
        ++totals.elements;
        totals.bytes += std::strlen(element.name());
        for (pugi::xml_attribute attribute : element.attributes()) {
            ++totals.attributes;
            totals.bytes += std::strlen(attribute.value());
        }
        totals.bytes += std::strlen(element.child_value());
        for (pugi::xml_node child : element.children())
            if (child.type() == pugi::node_element) Visit(child, totals);
    }
    pugi::xml_document m_document;
};

[[maybe_unused]] const bool kRegistered = RegisterXml<PugixmlDocument>(Role::Peer);

}  // namespace
}  // namespace compare
