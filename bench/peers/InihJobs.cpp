// SPDX-License-Identifier: MIT
// inih in the INI tasks it can do: its parser calls back for every key,
// which fills a map of sections to maps of keys. inih keeps no comments and
// does not write files.
#include "IniJobs.h"

#include <ini.h>

#include <map>
#include <stdexcept>

namespace compare {
namespace {

class InihModel {
public:
    using Name = KeyRef;

    Name Prepare(const KeyRef& key) { return key; }
    void Load(const std::string& path)
    {
        if (ini_parse(path.c_str(), &InihModel::Handle, this) != 0) throw std::runtime_error("inih ini_parse failed");
    }
    const char* Lookup(const Name& key)
    {
        const auto section = m_sections.find(key.section);
        if (section == m_sections.end()) return nullptr;
        const auto value = section->second.find(key.key);
        return value == section->second.end() ? nullptr : value->second.c_str();
    }
    std::uint64_t Digest()
    {
        std::uint64_t keys = 0;
        std::uint64_t bytes = 0;
        for (const auto& section : m_sections)
            for (const auto& key : section.second) {
                ++keys;
                bytes += key.second.size();
            }
        return IniDigest(m_sections.size(), keys, bytes);
    }

private:
    static int Handle(void* user, const char* section, const char* name, const char* value)
    {
        static_cast<InihModel*>(user)->m_sections[section][name] = value;
        return 1;
    }
    std::map<std::string, std::map<std::string, std::string>> m_sections;
};

[[maybe_unused]] const bool kRegistered[] = {
    RegisterJob<IniOpenJob<InihModel>>(task::kIniOpen, system::kInih, Role::Peer),
    RegisterJob<IniOpenJob<InihModel>>(task::kIniOpenCrLf, system::kInih, Role::Peer),
    RegisterJob<IniLookupJob<InihModel>>(task::kIniLookup, system::kInih, Role::Peer),
};

}  // namespace
}  // namespace compare
