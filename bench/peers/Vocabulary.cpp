// SPDX-License-Identifier: MIT
// Names, values and sentences for the generated inputs.
#include "Vocabulary.h"

#include <array>
#include <cstdio>

namespace compare {
namespace {

// No word starts with 'n', so a Windows path never holds a backslash
// before 'n' (which the INI writer would turn into a line end in comments).
constexpr std::array<const char*, 48> kWords = {
    "alpha",  "bravo",   "cache",  "delta",   "editor",   "filter", "gamma",   "header", "index",   "joint",
    "kernel", "layout",  "margin", "offset",  "palette",  "queue",  "render",  "sample", "token",   "update",
    "vector", "window",  "yellow", "zone",    "archive",  "buffer", "column",  "device", "export",  "format",
    "green",  "history", "import", "journal", "keyboard", "locale", "monitor", "option", "printer", "quality",
    "record", "scale",   "theme",  "unit",    "volume",   "width",  "backup",  "client"};

constexpr std::array<const char*, 16> kCategories = {"General", "Display", "Network",  "Audio",   "Input",  "Paths",
                                                     "Plugins", "Logging", "Security", "Cache",   "Editor", "Printing",
                                                     "Fonts",   "Toolbar", "Recent",   "Advanced"};

constexpr std::array<const char*, 24> kSettings = {
    "timeout",       "window_width", "window_height",      "last_file",       "auto_save",  "max_items",
    "font_face",     "font_size",    "proxy_host",         "proxy_port",      "log_level",  "color_scheme",
    "recent_folder", "show_toolbar", "connection_retries", "backup_interval", "user_name",  "language",
    "update_url",    "cache_limit",  "print_margin",       "shortcut_keys",   "start_page", "last_opened_at"};

const char* Word(std::uint64_t h) { return kWords[h % kWords.size()]; }

std::string Words(std::uint64_t seed, int count, const char* separator)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (i > 0) text += separator;
        text += Word(Hash(seed, static_cast<std::uint64_t>(i)));
    }
    return text;
}

std::string Number(std::uint64_t value) { return std::to_string(value); }

}  // namespace

std::uint64_t Hash(std::uint64_t a, std::uint64_t b)
{
    std::uint64_t z = a * 0x9E3779B97F4A7C15ULL + b + 0x632BE59BD9B4E019ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::string SectionName(int index)
{
    return std::string(kCategories[static_cast<std::size_t>(index) % kCategories.size()]) + "_" +
           Number(static_cast<std::uint64_t>(index));
}

std::string KeyName(int section, int key)
{
    const std::uint64_t h = Hash(static_cast<std::uint64_t>(section), static_cast<std::uint64_t>(key));
    return std::string(kSettings[h % kSettings.size()]) + "_" + Number(static_cast<std::uint64_t>(key));
}

std::string ValueFor(int section, int key)
{
    const std::uint64_t h = Hash(static_cast<std::uint64_t>(key) + 7777, static_cast<std::uint64_t>(section));
    const std::uint64_t n = (h >> 16) % 100000;
    char text[64];
    switch (h % 13) {
    case 0: return Number(n);
    case 1:
        std::snprintf(text, sizeof text, "%llu.%02llu", static_cast<unsigned long long>(n % 1000),
                      static_cast<unsigned long long>(n % 100));
        return text;
    case 2: return (n & 1) ? "true" : "false";
    case 3: return "/var/lib/app/" + std::string(Word(h >> 8)) + "/" + Word(h >> 20) + "_" + Number(n) + ".dat";
    case 4: return "C:\\Program Files\\App\\" + std::string(Word(h >> 8)) + "\\" + Word(h >> 20) + Number(n) + ".cfg";
    case 5: return Words(h, 3 + static_cast<int>(n % 8), " ");
    case 6: return Words(h, 2 + static_cast<int>(n % 5), ", ");
    case 7: return "\"" + Words(h, 2 + static_cast<int>(n % 4), " ") + "\"";
    case 8:
        return "https://host" + Number(n % 97) + ".example.org:8443/api/v2/" + Word(h >> 8) + "?id=" + Number(n) +
               "&mode=full";
    case 9: std::snprintf(text, sizeof text, "#%06llx", static_cast<unsigned long long>(n * 167)); return text;
    case 10:
        std::snprintf(text, sizeof text, "2024-%02llu-%02lluT%02llu:%02llu:%02lluZ",
                      static_cast<unsigned long long>(1 + n % 12), static_cast<unsigned long long>(1 + n % 28),
                      static_cast<unsigned long long>(n % 24), static_cast<unsigned long long>(n % 60),
                      static_cast<unsigned long long>((n / 60) % 60));
        return text;
    case 11: return (n % 8 == 0) ? std::string() : Number(n % 65536);
    default: return Word(h >> 8) + std::string("-") + Word(h >> 24);
    }
}

std::string Sentence(std::uint64_t seed, int minWords, int maxWords)
{
    const int count = minWords + static_cast<int>(Hash(seed, 99) % static_cast<std::uint64_t>(maxWords - minWords + 1));
    std::string text = Words(seed, count, " ");
    if (!text.empty()) text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

}  // namespace compare
