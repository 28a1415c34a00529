// SPDX-License-Identifier: MIT
// Writes the XML inputs: indented, with an XML declaration, entities in some
// texts and attribute values, and a comment at the top of every group, which
// filekit and the peers keep (a walk must step over it).
#include "XmlText.h"

#include "Vocabulary.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace compare {
namespace {

constexpr int kMaxGroupDepth = 3;
constexpr std::size_t kFlushBytes = 1 << 20;

std::string Escaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

const char* TypeOf(const std::string& value)
{
    if (value.empty()) return "text";
    if (value.find_first_not_of("0123456789") == std::string::npos) return "int";
    if (value == "true" || value == "false") return "bool";
    return "string";
}

// A group: some settings, then up to three subgroups while not too deep.
// id numbers the groups of the whole document.
void AppendGroup(std::string& text, int& id, int depth)
{
    const int group = id++;
    const std::uint64_t h = Hash(static_cast<std::uint64_t>(group), 41);
    const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
    text += indent + "<group name=\"" + SectionName(group) + "\" id=\"" + std::to_string(group) + "\"";
    if (h % 3 == 0) text += (h % 2) ? " enabled=\"true\"" : " enabled=\"false\"";
    text += ">\n" + indent + "  <!-- group " + std::to_string(group) + " -->\n";
    const int settings = 4 + static_cast<int>((h >> 8) % 17);
    for (int key = 0; key < settings; ++key) {
        const std::string value = ValueFor(group, key);
        text += indent + "  <setting name=\"" + KeyName(group, key) + "\" type=\"" + TypeOf(value) + "\"";
        if (Hash(static_cast<std::uint64_t>(group), static_cast<std::uint64_t>(key)) % 2 == 0 || value.empty())
            text += " value=\"" + Escaped(value) + "\"/>\n";
        else
            text += ">" + Escaped(value) + "</setting>\n";
    }
    if (depth < kMaxGroupDepth) {
        const int subgroups = static_cast<int>((h >> 16) % 4);
        for (int i = 0; i < subgroups; ++i) AppendGroup(text, id, depth + 1);
    }
    text += indent + "</group>\n";
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

int WriteXml(const std::string& path, std::uint64_t targetBytes)
{
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) throw std::runtime_error("cannot create " + path);
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<settings version=\"3\" application=\"filekit-bench\">\n";
    std::uint64_t written = 0;
    int groups = 0;
    int id = 0;
    const auto flush = [&] {
        if (std::fwrite(text.data(), 1, text.size(), file.get()) != text.size())
            throw std::runtime_error("write failed");
        written += text.size();
        text.clear();
    };
    while (written + text.size() < targetBytes) {
        AppendGroup(text, id, 1);
        ++groups;
        if (text.size() >= kFlushBytes) flush();
    }
    text += "</settings>\n";
    flush();
    return groups;
}

const std::vector<const char*>& AttributesOf(const char* element)
{
    static const std::vector<const char*> kSetting = {"name", "type", "value"};
    static const std::vector<const char*> kGroup = {"name", "id", "enabled"};
    static const std::vector<const char*> kSettings = {"version", "application"};
    static const std::vector<const char*> kNone;
    if (std::strcmp(element, "setting") == 0) return kSetting;
    if (std::strcmp(element, "group") == 0) return kGroup;
    if (std::strcmp(element, "settings") == 0) return kSettings;
    return kNone;
}

}  // namespace compare
