// SPDX-License-Identifier: MIT
// Example: an application's settings file kept as XML.
//
// SettingsFile is a CVersionableXMLFile: its document is a "settings" root
// element carrying the format version, with one "entry" element per named
// value. LoadData reads the entries and refuses a version it does not know;
// SaveData rebuilds the document from the entries. The demo writes a new
// file, reads it back, changes it, and shows that a file of an unknown
// version is refused.
#include <filekit/XMLFile.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

class SettingsFile : public CVersionableXMLFile {
public:
    static constexpr const char* kFormatVersion = "1.0";

    SettingsFile() { SetVersion(kFormatVersion); }

    void Set(const CString& name, const CString& value) { m_values[std::string(name)] = std::string(value); }
    const std::map<std::string, std::string>& Values() const { return m_values; }

protected:
    int LoadData() override
    {
        XMLSDK::CXMLNode root;
        if (!m_XMLParser.GetRootNode("settings", &root) || !LoadVersion(root)) return 0;
        if (GetVersion() != kFormatVersion) return 0;
        XMLSDK::CXMLNodeList entries;
        CXMLParserWrapper::GetChildrenByName(root, "entry", &entries);
        m_values.clear();
        XMLSDK::CXMLNode entry;
        for (int i = 0; CXMLParserWrapper::GetNodeAt(entries, i, &entry); ++i) {
            CString name, value;
            if (!CXMLParserWrapper::GetAttributeValue(entry, "name", name)) continue;
            CXMLParserWrapper::GetNodeValue(entry, value);
            Set(name, value);
        }
        return 1;
    }

    int SaveData() override
    {
        XMLSDK::CXMLNode root;
        if (!m_XMLParser.CreateRootNode("settings", &root) || !SaveVersion(root)) return 0;
        for (const auto& [name, value] : m_values) {
            XMLSDK::CXMLNode entry;
            if (!CXMLParserWrapper::AddNewNode(root, "entry", value.c_str(), &entry) ||
                !CXMLParserWrapper::AddAttribute(entry, "name", name.c_str()))
                return 0;
        }
        return 1;
    }

private:
    std::map<std::string, std::string> m_values;
};

namespace {

void ShowFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::printf("--- %s ---\n%s", std::filesystem::path(path).filename().string().c_str(), text.c_str());
}

void ShowValues(const SettingsFile& settings)
{
    for (const auto& [name, value] : settings.Values()) std::printf("  %s = %s\n", name.c_str(), value.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path folder = argc > 1 ? argv[1] : ".";
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "settings.xml").string();

    {
        SettingsFile settings;
        if (!settings.Open(path.c_str(), 1)) return 1;
        settings.Set("window.width", "1024");
        settings.Set("window.height", "768");
        settings.Set("theme", "dark & quiet");
        settings.Set("recent", "C:\\Projects\\<unnamed>.prj");
        if (!settings.PrepareData() || !settings.Save()) return 1;
        std::printf("wrote a new settings file, version %s\n", static_cast<const char*>(settings.GetVersion()));
    }
    ShowFile(path);

    {
        SettingsFile settings;
        if (!settings.Open(path.c_str(), 0)) return 1;
        std::printf("\nread back, version %s:\n", static_cast<const char*>(settings.GetVersion()));
        ShowValues(settings);
        settings.Set("theme", "light");
        settings.Set("language", "en");
        if (!settings.PrepareData() || !settings.Save()) return 1;
        std::printf("changed theme, added language, saved\n");
    }
    ShowFile(path);

    const std::string future = (folder / "future.xml").string();
    std::ofstream(future) << "<settings version=\"9.9\"><entry name=\"theme\">neon</entry></settings>\n";
    SettingsFile settings;
    const int opened = settings.Open(future.c_str(), 0);
    std::printf("\nopening a version 9.9 file: %s (IsOpen %d)\n", opened ? "accepted" : "refused", settings.IsOpen());
    return opened ? 1 : 0;
}
