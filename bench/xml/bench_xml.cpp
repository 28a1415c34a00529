// SPDX-License-Identifier: MIT
// Open, full walk and save of generated documents (about 1 MB and 32 MB)
// through CXMLParserWrapper and through the back end directly, in the same
// run; the last table gives the wrapper's time over the back end's.
//
// Both sides do the same work: the back end parses with the wrapper's
// options (which keep comments) and saves with its indentation; both walks
// visit every element and text node without recursion, step over the
// comments, and copy the name, the value and the "value" attribute of each
// node visited into a string.
#include <filekit/XMLParserWrapper.h>

#include "xml/xmlsdk/DocumentFile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

using W = CXMLParserWrapper;
using XMLSDK::CXMLNode;
using XMLSDK::CXMLNodeList;

const std::filesystem::path& Folder()
{
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() / "filekit-bench-xml";
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

// A catalogue of records with attributes, text, nested lists and a comment
// each, written once per size; the path of the file.
std::string Document(size_t megabytes)
{
    const std::string path = (Folder() / ("catalog-" + std::to_string(megabytes) + "MB.xml")).string();
    if (std::filesystem::exists(path)) return path;
    std::string text = "<?xml version=\"1.0\"?>\n<catalog version=\"3\">\n";
    for (size_t i = 0; text.size() < megabytes * 1024 * 1024; ++i) {
        const std::string n = std::to_string(i);
        text += "  <record id=\"" + n + "\" value=\"" + n + ".5\">\n    <!-- record " + n +
                " -->\n    <name>Item number " + n + "</name>\n    <price currency=\"EUR\" value=\"" +
                std::to_string(i % 997) + "\"/>\n    <description>An item with &lt;markup&gt; &amp; text, " + n +
                "</description>\n    <tags><tag value=\"a\"/><tag value=\"b" + n + "\"/></tags>\n  </record>\n";
    }
    text += "</catalog>\n";
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string OutputPath() { return (Folder() / "saved.xml").string(); }

// Visits every node below root; the number of nodes.
long WalkWrapper(CXMLNode root)
{
    std::vector<CXMLNodeList> lists(1);
    std::vector<int> next(1, 0);
    CString name, value, attribute;
    W::GetChildrenList(root, &lists[0]);
    long visited = 0;
    size_t depth = 0;
    for (;;) {
        CXMLNode node;
        if (!W::GetNodeAt(lists[depth], next[depth]++, &node)) {
            if (depth == 0) break;
            --depth;
            continue;
        }
        ++visited;
        W::GetNodeName(node, name);
        W::GetNodeValue(node, value);
        W::GetNodeAttrValue(node, attribute);
        if (!node.IsElement()) continue;
        if (++depth == lists.size()) {
            lists.emplace_back();
            next.push_back(0);
        }
        W::GetChildrenList(node, &lists[depth]);
        next[depth] = 0;
    }
    return visited;
}

long WalkBackEnd(pugi::xml_node root)
{
    std::string name, value, attribute;
    long visited = 0;
    pugi::xml_node node = root.first_child();
    while (node) {
        const pugi::xml_node_type type = node.type();
        if (type == pugi::node_element || type == pugi::node_pcdata || type == pugi::node_cdata) {
            ++visited;
            name = node.name();
            value = node.child_value();
            attribute = node.attribute("value").value();
        }
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && !node.next_sibling()) {
            node = node.parent();
            if (node == root) node = pugi::xml_node();
        }
        if (node) node = node.next_sibling();
    }
    return visited;
}

void OpenWrapper(benchmark::State& state)
{
    const std::string path = Document(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        CXMLParserWrapper wrapper;
        benchmark::DoNotOptimize(wrapper.Open(path.c_str()));
    }
}

void OpenBackEnd(benchmark::State& state)
{
    const std::string path = Document(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        pugi::xml_document document;
        benchmark::DoNotOptimize(document.load_file(path.c_str(), filekit::xml::kParseOptions));
    }
}

void WalkThroughWrapper(benchmark::State& state)
{
    CXMLParserWrapper wrapper;
    wrapper.Open(Document(static_cast<size_t>(state.range(0))).c_str());
    CXMLNode root;
    wrapper.GetRootNode("catalog", &root);
    for (auto _ : state) benchmark::DoNotOptimize(WalkWrapper(root));
}

void WalkBackEnd(benchmark::State& state)
{
    pugi::xml_document document;
    document.load_file(Document(static_cast<size_t>(state.range(0))).c_str(), filekit::xml::kParseOptions);
    for (auto _ : state) benchmark::DoNotOptimize(WalkBackEnd(document.child("catalog")));
}

void SaveWrapper(benchmark::State& state)
{
    CXMLParserWrapper wrapper;
    wrapper.Open(Document(static_cast<size_t>(state.range(0))).c_str());
    const CString path = OutputPath().c_str();
    for (auto _ : state) benchmark::DoNotOptimize(wrapper.Save(path));
}

void SaveBackEnd(benchmark::State& state)
{
    pugi::xml_document document;
    document.load_file(Document(static_cast<size_t>(state.range(0))).c_str(), filekit::xml::kParseOptions);
    const std::string path = OutputPath();
    for (auto _ : state)
        benchmark::DoNotOptimize(
            document.save_file(path.c_str(), filekit::xml::kIndent, pugi::format_indent, pugi::encoding_utf8));
}

// Prints the usual console table, then the wrapper's median CPU time over
// the back end's for each operation and size. CPU time and medians, because
// the machines these run on are shared and wall time follows the
// neighbours' load.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median" && !run.error_occurred)
                m_times[run.run_name.function_name] = run.GetAdjustedCPUTime();
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nwrapper / back end (median CPU time)\n");
        for (const auto& [name, wrapper] : m_times) {
            const size_t split = name.find("/wrapper/");
            if (split == std::string::npos) continue;
            const auto backEnd = m_times.find(name.substr(0, split) + "/backend/" + name.substr(split + 9));
            if (backEnd != m_times.end())
                std::printf("  %-16s %.3f\n", (name.substr(0, split) + " " + name.substr(split + 9)).c_str(),
                            wrapper / backEnd->second);
        }
    }

private:
    std::map<std::string, double> m_times;
};

}  // namespace

constexpr int kRepetitions = 5;

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    // Each pair runs back to back on one size. The documents are made and
    // read once first, so every run meets the same page cache and allocator.
    using Function = void (*)(benchmark::State&);
    const struct {
        const char* operation;
        Function wrapper;
        Function backEnd;
    } pairs[] = {{"open", OpenWrapper, OpenBackEnd},
                 {"walk", WalkThroughWrapper, WalkBackEnd},
                 {"save", SaveWrapper, SaveBackEnd}};
    for (const size_t megabytes : {size_t{1}, size_t{32}}) {
        pugi::xml_document warmUp;
        warmUp.load_file(Document(megabytes).c_str(), filekit::xml::kParseOptions);
        for (const auto& pair : pairs) {
            const std::string size = std::to_string(megabytes) + "MB";
            for (const auto& [side, function] :
                 {std::pair{"/wrapper/", pair.wrapper}, std::pair{"/backend/", pair.backEnd}})
                benchmark::RegisterBenchmark((pair.operation + std::string(side) + size).c_str(), function)
                    ->Arg(static_cast<int64_t>(megabytes))
                    ->Unit(benchmark::kMillisecond)
                    ->MinTime(0.5)
                    ->Repetitions(kRepetitions)
                    ->ReportAggregatesOnly(true);
        }
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::filesystem::remove_all(Folder());
    return 0;
}
