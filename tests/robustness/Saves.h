// Test support for the robustness suite: the two kinds of save behind one
// call, the table files that hold the cases, and a folder's listing.
#ifndef FILEKIT_TESTS_ROBUSTNESS_SAVES_H
#define FILEKIT_TESTS_ROBUSTNESS_SAVES_H

#include <filekit/INIFile.h>
#include <filekit/Win32.h>
#include <filekit/XMLParserWrapper.h>

#include "support/TempDir.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace filekit_test {

// An INI model or an XML document of about 200 KB (several buffers of the
// text writer), saved by Save with the result its class gives.
class SavedDocument {
public:
    explicit SavedDocument(const std::string& kind) : m_ini(kind == "ini")
    {
        const std::string value(200, 'n');
        if (m_ini) {
            m_iniFile.Open();
            m_iniFile.AddNewSection("S", nullptr);
            for (int key = 0; key < 1000; ++key)
                m_iniFile.AddNewKey("S", ("k" + std::to_string(key)).c_str(), value.c_str(), nullptr);
        } else {
            m_xml.Open();
            XMLSDK::CXMLNode root;
            XMLSDK::CXMLNode item;
            m_xml.CreateRootNode("doc", &root);
            for (int i = 0; i < 1000; ++i) CXMLParserWrapper::AddNewNode(root, "item", value.c_str(), &item);
        }
    }
    int Save(const std::string& path) { return m_ini ? m_iniFile.Save(path.c_str()) : m_xml.Save(path.c_str()); }

private:
    bool m_ini;
    CINIFile m_iniFile;
    CXMLParserWrapper m_xml;
};

// The rows of a table file: each line not empty and not starting with '#',
// split at " -> " into its case and its expected outcome, each cut into words.
struct TableRow {
    std::string line;
    std::vector<std::string> given;
    std::vector<std::string> expected;
};

inline std::vector<std::string> Words(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

inline std::vector<TableRow> ReadTable(const std::string& name)
{
    std::ifstream in(std::string(FILEKIT_ROBUSTNESS_DATA) + "/" + name);
    std::vector<TableRow> rows;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t arrow = line.find(" -> ");
        if (line.empty() || line[0] == '#' || arrow == std::string::npos) continue;
        rows.push_back({line, Words(line.substr(0, arrow)), Words(line.substr(arrow + 4))});
    }
    return rows;
}

// The names of a folder's entries, sorted, separated by spaces.
inline std::string Listing(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string joined;
    for (const std::string& name : names) joined += (joined.empty() ? "" : " ") + name;
    return joined;
}

// The last-error codes the tables name.
inline std::string ErrorName(DWORD error)
{
    static const std::map<DWORD, std::string> names = {
        {NO_ERROR, "NO_ERROR"},
        {ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED"},
        {ERROR_SHARING_VIOLATION, "ERROR_SHARING_VIOLATION"},
        {ERROR_DISK_FULL, "ERROR_DISK_FULL"},
        {ERROR_FILENAME_EXCED_RANGE, "ERROR_FILENAME_EXCED_RANGE"},
        {ERROR_IO_DEVICE, "ERROR_IO_DEVICE"},
    };
    const auto found = names.find(error);
    return found == names.end() ? std::to_string(error) : found->second;
}

// A last error no save sets: one left untouched shows.
constexpr DWORD kUntouchedError = 4242;

}  // namespace filekit_test

#endif
