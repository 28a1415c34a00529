// SPDX-License-Identifier: MIT
// Generates the inputs once and reuses them: each file has a ".meta" twin
// naming the generator version and what the file holds, and a file whose
// twin matches and whose size is as recorded is taken as it is.
#include "Inputs.h"

#include "IniText.h"
#include "XmlText.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

namespace compare {
namespace {

// Raise when the generators change, so old inputs are made again.
constexpr int kGeneratorVersion = 2;
constexpr int kTypicalSections = 20;
constexpr int kTypicalKeys = 50;

struct Size {
    const char* label;
    std::uint64_t bytes;
    int fanout;  // a token tree of fanout^3 + fanout^2 + fanout nodes matches the size's share
    const char* nodes;
};
constexpr Size kSizes[] = {
    {"64K", 64u << 10, 10, "1.1k"},
    {"4M", 4u << 20, 40, "66k"},
    {"64M", 64u << 20, 100, "1.0M"},
};
constexpr int kQuickSizes = 2;

namespace fs = std::filesystem;

// Reads the twin of path: the section count when it matches this generator
// and the file's size, else -1.
int ReadMeta(const std::string& path)
{
    std::ifstream meta(path + ".meta");
    int version = 0;
    std::uint64_t bytes = 0;
    int sections = -1;
    std::error_code error;
    if (!(meta >> version >> bytes >> sections) || version != kGeneratorVersion ||
        fs::file_size(path, error) != bytes || error)
        return -1;
    return sections;
}

void WriteMeta(const std::string& path, int sections)
{
    std::ofstream(path + ".meta") << kGeneratorVersion << ' ' << fs::file_size(path) << ' ' << sections << '\n';
}

// The section count of the files at paths, made with make when any of them
// is missing or stale.
int Ensure(const std::vector<std::string>& paths, const std::function<int()>& make)
{
    int sections = -1;
    for (const auto& path : paths) {
        const int found = ReadMeta(path);
        if (found < 0 || (sections >= 0 && found != sections)) {
            sections = -1;
            break;
        }
        sections = found;
    }
    if (sections >= 0) return sections;
    std::fprintf(stderr, "generating %s\n", paths.front().c_str());
    sections = make();
    for (const auto& path : paths) WriteMeta(path, sections);
    return sections;
}

Input FileInput(const char* kind, const char* size, const std::string& path, int sections, int keys,
                const std::string& scratch)
{
    const std::uint64_t bytes = fs::file_size(path);
    return {kind, size, path, bytes, bytes, sections, keys, 0, scratch};
}

}  // namespace

std::vector<Input> PrepareInputs(const std::string& folder, bool quick)
{
    const std::string scratch = folder + "/out";
    fs::create_directories(scratch);
    std::vector<Input> inputs;
    const int sizes = quick ? kQuickSizes : static_cast<int>(std::size(kSizes));
    for (int i = 0; i < sizes; ++i) {
        const Size& size = kSizes[i];
        const std::string lf = folder + "/settings-" + size.label + ".ini";
        const std::string crlf = folder + "/settings-" + size.label + "-crlf.ini";
        const int sections = Ensure({lf, crlf}, [&] { return WriteIni(lf, crlf, size.bytes, 0, 0); });
        inputs.push_back(FileInput("ini", size.label, lf, sections, 0, scratch));
        inputs.push_back(FileInput("ini-crlf", size.label, crlf, sections, 0, scratch));

        const std::string xml = folder + "/settings-" + size.label + ".xml";
        const int groups = Ensure({xml}, [&] { return WriteXml(xml, size.bytes); });
        inputs.push_back(FileInput("xml", size.label, xml, groups, 0, scratch));

        const std::uint64_t f = static_cast<std::uint64_t>(size.fanout);
        inputs.push_back(
            {"tokens", std::string(size.nodes) + " nodes", "", 0, f * f * f + f * f + f, 0, 0, size.fanout, scratch});
    }
    const std::string typical = folder + "/typical.ini";
    const int sections = Ensure({typical}, [&] { return WriteIni(typical, "", 0, kTypicalSections, kTypicalKeys); });
    Input lookups = FileInput("ini-typical", "20x50", typical, sections, kTypicalKeys, scratch);
    lookups.units = static_cast<std::uint64_t>(sections) * kTypicalKeys * kLookupPasses;
    inputs.push_back(lookups);
    return inputs;
}

}  // namespace compare
