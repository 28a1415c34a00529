// SPDX-License-Identifier: MIT
// filekit's CINIFile in the INI tasks. Names are passed as const char*, as
// an application's literals would be. An update keeps the key's comment the
// way an application has to: GetKeyData reads it, UpdateKey writes it back.
#include "IniJobs.h"

#include <filekit/INIFile.h>

#include <stdexcept>

namespace compare {
namespace {

class FilekitIniModel {
public:
    static constexpr const char* kSystem = system::kFilekit;
    using Name = KeyRef;

    Name Prepare(const KeyRef& key) { return key; }
    void Load(const std::string& path) { Check(m_ini.Open(path.c_str()), "Open"); }
    void Save(const std::string& path) { Check(m_ini.Save(path.c_str()), "Save"); }
    void Update(const Name& key, const std::string& value)
    {
        const char* section = key.section.c_str();
        const char* name = key.key.c_str();
        Check(m_ini.GetKeyData(section, name, m_value, m_comment), "GetKeyData");
        Check(m_ini.UpdateKey(section, name, name, value.c_str(), m_comment), "UpdateKey");
    }
    void Add(const std::string& section, const std::string& key, const std::string& value)
    {
        Check(m_ini.AddNewKey(section.c_str(), key.c_str(), value.c_str(), static_cast<int*>(nullptr)), "AddNewKey");
    }
    const char* Lookup(const Name& key)
    {
        return m_ini.GetKeyData(key.section.c_str(), key.key.c_str(), m_value, m_comment) ? m_value.GetString()
                                                                                          : nullptr;
    }
    std::uint64_t Digest()
    {
        const int sections = m_ini.GetSectionCount();
        std::uint64_t keys = 0;
        std::uint64_t bytes = 0;
        CString name;
        for (int i = 0; i < sections; ++i) {
            CINIFile::CINIFileSection* section = m_ini.GetSection(i);
            for (int k = 0; k < section->GetKeyCount(); ++k) {
                section->GetKey(k, name, m_value, m_comment);
                ++keys;
                bytes += static_cast<std::uint64_t>(m_value.GetLength());
            }
        }
        return IniDigest(static_cast<std::uint64_t>(sections), keys, bytes);
    }

private:
    static void Check(int result, const char* call)
    {
        if (!result) throw std::runtime_error(std::string("CINIFile::") + call + " failed");
    }
    CINIFile m_ini;
    CString m_value;
    CString m_comment;
};

[[maybe_unused]] const bool kRegistered[] = {
    RegisterJob<IniOpenJob<FilekitIniModel>>(task::kIniOpen, system::kFilekit, Role::Filekit),
    RegisterJob<IniOpenJob<FilekitIniModel>>(task::kIniOpenCrLf, system::kFilekit, Role::Filekit),
    RegisterJob<IniSaveJob<FilekitIniModel>>(task::kIniSave, system::kFilekit, Role::Filekit),
    RegisterJob<IniEditSaveJob<FilekitIniModel>>(task::kIniEditSave, system::kFilekit, Role::Filekit),
    RegisterJob<IniLookupJob<FilekitIniModel>>(task::kIniLookup, system::kFilekit, Role::Filekit),
};

}  // namespace
}  // namespace compare
