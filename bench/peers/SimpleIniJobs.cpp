// SPDX-License-Identifier: MIT
// SimpleIni (CSimpleIniA, single keys, no multi-line values) in the INI
// tasks: it keeps the comments above sections and keys.
#include "IniJobs.h"

// Used header-only, as applications usually take it, so it is compiled with
// the same options as the rest; byte strings only, so no wide-character
// converter (whose extra header the package does not ship) is needed.
#define SI_IMPLEMENTATION
#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <list>
#include <stdexcept>

namespace compare {
namespace {

class SimpleIniModel {
public:
    static constexpr const char* kSystem = system::kSimpleIni;
    using Name = KeyRef;

    Name Prepare(const KeyRef& key) { return key; }
    void Load(const std::string& path) { Check(m_ini.LoadFile(path.c_str()), "LoadFile"); }
    void Save(const std::string& path) { Check(m_ini.SaveFile(path.c_str(), false), "SaveFile"); }
    void Update(const Name& key, const std::string& value)
    {
        Check(m_ini.SetValue(key.section.c_str(), key.key.c_str(), value.c_str()), "SetValue");
    }
    void Add(const std::string& section, const std::string& key, const std::string& value)
    {
        Check(m_ini.SetValue(section.c_str(), key.c_str(), value.c_str()), "SetValue");
    }
    const char* Lookup(const Name& key) { return m_ini.GetValue(key.section.c_str(), key.key.c_str(), nullptr); }
    std::uint64_t Digest()
    {
        CSimpleIniA::TNamesDepend sections;
        m_ini.GetAllSections(sections);
        std::uint64_t keys = 0;
        std::uint64_t bytes = 0;
        for (const auto& section : sections)
            for (const auto& entry : *m_ini.GetSection(section.pItem)) {
                ++keys;
                bytes += std::strlen(entry.second);
            }
        return IniDigest(sections.size(), keys, bytes);
    }

private:
    static void Check(SI_Error result, const char* call)
    {
        if (result < 0) throw std::runtime_error(std::string("SimpleIni ") + call + " failed");
    }
    CSimpleIniA m_ini;
};

[[maybe_unused]] const bool kRegistered[] = {
    RegisterJob<IniOpenJob<SimpleIniModel>>(task::kIniOpen, system::kSimpleIni, Role::Peer),
    RegisterJob<IniOpenJob<SimpleIniModel>>(task::kIniOpenCrLf, system::kSimpleIni, Role::Peer),
    RegisterJob<IniSaveJob<SimpleIniModel>>(task::kIniSave, system::kSimpleIni, Role::Peer),
    RegisterJob<IniEditSaveJob<SimpleIniModel>>(task::kIniEditSave, system::kSimpleIni, Role::Peer),
    RegisterJob<IniLookupJob<SimpleIniModel>>(task::kIniLookup, system::kSimpleIni, Role::Peer),
};

}  // namespace
}  // namespace compare
