// SPDX-License-Identifier: MIT
// Writes the INI inputs and names their keys for the edit and lookup tasks.
#include "IniText.h"

#include "Vocabulary.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace compare {
namespace {

// Percent of keys with a comment above them; with the section comments this
// makes about a fifth of all lines comments.
constexpr std::uint64_t kKeyCommentPercent = 24;
constexpr std::uint64_t kBlankLinePercent = 8;
constexpr std::size_t kFlushBytes = 1 << 20;

std::uint64_t Seed(int section, int item)
{
    return Hash(static_cast<std::uint64_t>(section) + 1, static_cast<std::uint64_t>(item) + 1);
}

void AppendSection(std::string& text, int section, int keys)
{
    const std::uint64_t h = Seed(section, -1);
    if (h % 2 == 0) {
        text += "; " + Sentence(h, 4, 12) + "\n";
        if (h % 6 == 0) text += "; " + Sentence(h >> 3, 3, 8) + "\n";
    }
    text += "[" + SectionName(section) + "]\n";
    for (int key = 0; key < keys; ++key) {
        const std::uint64_t k = Seed(section, key);
        if (k % 100 < kKeyCommentPercent) {
            text += (k % 5 == 0) ? ";" : "; ";
            text += Sentence(k >> 7, 3, 10) + "\n";
        }
        text += KeyName(section, key) + ((k >> 12) % 3 == 0 ? " = " : "=") + ValueFor(section, key) + "\n";
        if ((k >> 20) % 100 < kBlankLinePercent && key + 1 < keys) text += "\n";
    }
    text += "\n";
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File Create(const std::string& path)
{
    File file(std::fopen(path.c_str(), "wb"));
    if (!file) throw std::runtime_error("cannot create " + path);
    return file;
}

void Write(std::FILE* file, const std::string& text)
{
    if (std::fwrite(text.data(), 1, text.size(), file) != text.size()) throw std::runtime_error("write failed");
}

std::string WithCrLf(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

}  // namespace

int KeyCount(int section, int keysPerSection)
{
    return keysPerSection > 0 ? keysPerSection : 10 + static_cast<int>(Seed(section, -2) % 41);
}

int WriteIni(const std::string& lfPath, const std::string& crlfPath, std::uint64_t targetBytes, int sectionLimit,
             int keysPerSection)
{
    File lf = Create(lfPath);
    File crlf = crlfPath.empty() ? nullptr : Create(crlfPath);
    std::uint64_t written = 0;
    std::string text;
    int sections = 0;
    const auto flush = [&] {
        Write(lf.get(), text);
        if (crlf) Write(crlf.get(), WithCrLf(text));
        written += text.size();
        text.clear();
    };
    while (sectionLimit > 0 ? sections < sectionLimit : written + text.size() < targetBytes) {
        AppendSection(text, sections, KeyCount(sections, keysPerSection));
        ++sections;
        if (text.size() >= kFlushBytes) flush();
    }
    flush();
    return sections;
}

std::vector<KeyRef> SpreadKeys(const Input& input, int count)
{
    std::vector<KeyRef> keys;
    for (int i = 0; i < count; ++i) {
        const int section = static_cast<int>(static_cast<long long>(i) * input.sections / count);
        const int key = static_cast<int>(Hash(static_cast<std::uint64_t>(i), 5) %
                                         static_cast<std::uint64_t>(KeyCount(section, input.keysPerSection)));
        keys.push_back({SectionName(section), KeyName(section, key)});
    }
    return keys;
}

std::vector<std::string> SpreadSections(const Input& input, int count)
{
    std::vector<std::string> sections;
    for (int i = 0; i < count; ++i)
        sections.push_back(SectionName(static_cast<int>(static_cast<long long>(i) * input.sections / count)));
    return sections;
}

std::string EditedValue(int run, int index)
{
    return "edited value " + std::to_string(run) + "-" + std::to_string(index);
}

std::string AddedKey(int run, int index) { return "added_" + std::to_string(run) + "_" + std::to_string(index); }

std::uint64_t IniDigest(std::uint64_t sections, std::uint64_t keys, std::uint64_t valueBytes)
{
    return Mix(Mix(Mix(0, sections), keys), valueBytes);
}

std::vector<KeyRef> ShuffledKeys(const Input& input)
{
    std::vector<std::pair<std::uint64_t, KeyRef>> order;
    for (int section = 0; section < input.sections; ++section)
        for (int key = 0; key < KeyCount(section, input.keysPerSection); ++key)
            order.push_back({Hash(static_cast<std::uint64_t>(section), static_cast<std::uint64_t>(key) + 31),
                             {SectionName(section), KeyName(section, key)}});
    std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<KeyRef> keys;
    for (auto& entry : order) keys.push_back(std::move(entry.second));
    return keys;
}

}  // namespace compare
