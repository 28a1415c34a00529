// SPDX-License-Identifier: MIT
// Boost.PropertyTree's INI parser and writer in the INI tasks. The tree
// keeps no comments; keys are reached by "section.key" paths, held ready as
// an application's literals would be.
#include "IniJobs.h"

#include <boost/property_tree/ini_parser.hpp>
#include <boost/property_tree/ptree.hpp>

namespace compare {
namespace {

class BoostModel {
public:
    static constexpr const char* kSystem = system::kBoost;
    using Name = boost::property_tree::ptree::path_type;

    Name Prepare(const KeyRef& key) { return Name(key.section + "." + key.key); }
    void Load(const std::string& path) { boost::property_tree::ini_parser::read_ini(path, m_tree); }
    void Save(const std::string& path) { boost::property_tree::ini_parser::write_ini(path, m_tree); }
    void Update(const Name& key, const std::string& value) { m_tree.put(key, value); }
    void Add(const std::string& section, const std::string& key, const std::string& value)
    {
        m_tree.put(section + "." + key, value);
    }
    const char* Lookup(const Name& key)
    {
        const auto child = m_tree.get_child_optional(key);
        return child ? child->data().c_str() : nullptr;
    }
    std::uint64_t Digest()
    {
        std::uint64_t keys = 0;
        std::uint64_t bytes = 0;
        for (const auto& section : m_tree)
            for (const auto& key : section.second) {
                ++keys;
                bytes += key.second.data().size();
            }
        return IniDigest(m_tree.size(), keys, bytes);
    }

private:
    boost::property_tree::ptree m_tree;
};

[[maybe_unused]] const bool kRegistered[] = {
    RegisterJob<IniOpenJob<BoostModel>>(task::kIniOpen, system::kBoost, Role::Peer),
    RegisterJob<IniOpenJob<BoostModel>>(task::kIniOpenCrLf, system::kBoost, Role::Peer),
    RegisterJob<IniSaveJob<BoostModel>>(task::kIniSave, system::kBoost, Role::Peer),
    RegisterJob<IniEditSaveJob<BoostModel>>(task::kIniEditSave, system::kBoost, Role::Peer),
    RegisterJob<IniLookupJob<BoostModel>>(task::kIniLookup, system::kBoost, Role::Peer),
};

}  // namespace
}  // namespace compare
