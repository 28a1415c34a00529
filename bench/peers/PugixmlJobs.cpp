// SPDX-License-Identifier: MIT
// Raw pugixml in the XML tasks, parsing with filekit's options (comments,
// processing instructions, the declaration and the DOCTYPE kept) and saving
// with its default options,
// and a walk on raw pugixml that does the string work of filekit's wrapper:
// every name, value and text copied into a string of its own, attributes
// looked up by name, and each element's children gathered into a list.
// It tells how much of the wrapper's walk is that work, which its string
// interface makes necessary, and how much is the wrapper's own.
#include "XmlJobs.h"
#include "XmlText.h"

#include <pugixml.hpp>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace compare {
namespace {

// How a walk reads one element and its subtree: as pugixml hands the
// strings out, or copied as the wrapper's interface returns them.
struct DirectReads {
    static constexpr const char* kSystem = system::kPugixml;

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
};

struct CopyingReads {
    static constexpr const char* kSystem = system::kPugixmlCopies;

    static void Visit(pugi::xml_node element, WalkTotals& totals)
    {
        ++totals.elements;
        const std::string name = element.name();
        totals.bytes += name.size();
        for (const char* attribute : AttributesOf(name.c_str())) {
            if (const pugi::xml_attribute found = element.attribute(attribute)) {
                const std::string value = found.value();
                ++totals.attributes;
                totals.bytes += value.size();
            }
        }
        const std::string text = element.child_value();
        totals.bytes += text.size();
        const std::vector<pugi::xml_node> children(element.begin(), element.end());
        for (const pugi::xml_node child : children)
            if (child.type() == pugi::node_element) Visit(child, totals);
    }
};

template <class Reads>
class PugixmlDocument {
public:
    static constexpr const char* kSystem = Reads::kSystem;

    void Load(const std::string& path)
    {
        if (!m_document.load_file(path.c_str(), pugi::parse_full)) throw std::runtime_error("pugixml load_file failed");
    }
    void Save(const std::string& path)
    {
        if (!m_document.save_file(path.c_str())) throw std::runtime_error("pugixml save_file failed");
    }
    WalkTotals Walk()
    {
        WalkTotals totals;
        Reads::Visit(m_document.document_element(), totals);
        return totals;
    }

private:
    pugi::xml_document m_document;
};

[[maybe_unused]] const bool kRegistered =
    RegisterXml<PugixmlDocument<DirectReads>>(Role::Peer) &&
    RegisterJob<XmlWalkJob<PugixmlDocument<CopyingReads>>>(task::kXmlWalk, CopyingReads::kSystem, Role::Peer);

}  // namespace
}  // namespace compare
