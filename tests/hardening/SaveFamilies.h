// Test support for the crash-safe saves: the documents of each family that
// saves through the safe mechanism, behind one small interface, and a whole
// view of a folder that tells old content from new.
#ifndef FILEKIT_TESTS_HARDENING_SAVEFAMILIES_H
#define FILEKIT_TESTS_HARDENING_SAVEFAMILIES_H

#include <filekit/INIFile.h>
#include <filekit/XMLParserWrapper.h>

#include "support/TempDir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace filekit_test {

// A document that can be saved to a path, with the result its class gives.
class Document {
public:
    virtual ~Document() = default;
    virtual int Save(const std::string& path) = 0;
};

class IniDocument : public Document {
public:
    // The model read from text.
    explicit IniDocument(const std::string& text)
    {
        WriteBytes(m_dir.Path("source.ini"), text);
        m_ini.Open(m_dir.Path("source.ini").c_str());
    }
    int Save(const std::string& path) override { return m_ini.Save(path.c_str()); }

private:
    TempDir m_dir;
    CINIFile m_ini;
};

class XmlDocument : public Document {
public:
    // A root element with items of the given text until about bytes long.
    XmlDocument(size_t bytes, const std::string& itemText)
    {
        m_xml.Open();
        XMLSDK::CXMLNode root;
        m_xml.CreateRootNode("doc", &root);
        XMLSDK::CXMLNode item;
        for (size_t size = 0; size < bytes; size += itemText.size() + 16)
            CXMLParserWrapper::AddNewNode(root, "item", itemText.c_str(), &item);
    }
    int Save(const std::string& path) override { return m_xml.Save(path.c_str()); }

private:
    CXMLParserWrapper m_xml;
};

// A family of documents: how to make one of about the given size whose
// content depends on tag, and what its Save gives when a write fails.
struct SaveFamily {
    const char* name;
    std::unique_ptr<Document> (*make)(size_t bytes, char tag);
    int resultAfterWriteError;  // the INI writer: 1 once the file was created
};

inline std::unique_ptr<Document> MakeIni(size_t bytes, char tag)
{
    std::string text;
    for (int section = 0; text.size() < bytes; ++section) {
        text += ";section " + std::to_string(section) + "\n[S" + std::to_string(section) + "]\n";
        for (int key = 0; key < 100 && text.size() < bytes; ++key)
            text += "k" + std::to_string(key) + "=" + std::string(200, tag) + "\n";
    }
    return std::make_unique<IniDocument>(text);
}

inline std::unique_ptr<Document> MakeXml(size_t bytes, char tag)
{
    return std::make_unique<XmlDocument>(bytes, std::string(200, tag));
}

inline const std::vector<SaveFamily>& SaveFamilies()
{
    static const std::vector<SaveFamily> families = {
        {"INI", MakeIni, 1},
        {"XML", MakeXml, 0},
    };
    return families;
}

// The bytes that doc saves, read from a save to a fresh file.
inline std::string SavedBytes(Document& doc)
{
    TempDir dir;
    doc.Save(dir.Path("probe"));
    return ReadBytes(dir.Path("probe"));
}

// Every entry below root, sorted, one per line: "name/" for a folder,
// "name -> target" for a symbolic link, and for a file "name: old", "name:
// new" or "name: N bytes", so one comparison checks contents and leftovers.
inline std::string FolderView(const std::filesystem::path& root, const std::string& oldBytes,
                              const std::string& newBytes)
{
    std::vector<std::string> lines;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        std::string name = entry.path().lexically_relative(root).string();
        if (entry.is_symlink()) {
            lines.push_back(name + " -> " + std::filesystem::read_symlink(entry.path()).string());
        } else if (entry.is_directory()) {
            lines.push_back(name + "/");
        } else {
            const std::string bytes = ReadBytes(entry.path().string());
            const std::string what = bytes == oldBytes   ? "old"
                                     : bytes == newBytes ? "new"
                                                         : std::to_string(bytes.size()) + " bytes";
            lines.push_back(name.append(": ").append(what));
        }
    }
    std::sort(lines.begin(), lines.end());
    std::string view;
    for (const std::string& line : lines) view += line + "\n";
    return view;
}

inline ino_t InodeOf(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

}  // namespace filekit_test

#endif
