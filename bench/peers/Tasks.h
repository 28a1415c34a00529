// SPDX-License-Identifier: MIT
// The tasks of the comparison, in the order of the table, and what each
// one's throughput counts.
#ifndef FILEKIT_BENCH_PEERS_TASKS_H
#define FILEKIT_BENCH_PEERS_TASKS_H

#include <string>
#include <vector>

namespace compare {

enum class Unit { Bytes, Lookups, Nodes };

struct Task {
    const char* id;
    const char* input;  // the Input::kind it runs on
    Unit unit;
};

const std::vector<Task>& Tasks();

// Task names shared by the job files and the report.
namespace task {
constexpr const char* kIniOpen = "ini-open";
constexpr const char* kIniOpenCrLf = "ini-open-crlf";
constexpr const char* kIniSave = "ini-save";
constexpr const char* kIniEditSave = "ini-edit-save";
constexpr const char* kIniLookup = "ini-lookup";
constexpr const char* kXmlOpen = "xml-open";
constexpr const char* kXmlWalk = "xml-walk";
constexpr const char* kXmlSave = "xml-save";
constexpr const char* kLoadFile4K = "loadfile-4k";
constexpr const char* kLoadFile64K = "loadfile-64k";
constexpr const char* kLoadFile1M = "loadfile-1m";
constexpr const char* kTokenWriter = "token-writer";
}  // namespace task

// System names shared by the job files and the report.
namespace system {
constexpr const char* kFilekit = "filekit";
constexpr const char* kSimpleIni = "SimpleIni";
constexpr const char* kInih = "inih";
constexpr const char* kBoost = "Boost.PropertyTree";
constexpr const char* kPugixml = "pugixml";
constexpr const char* kPugixmlCopies = "pugixml+copies";  // the walk with the wrapper's string work
constexpr const char* kTinyxml2 = "tinyxml2";
constexpr const char* kHandLoop = "hand loop";
constexpr const char* kFloor = "read(2) floor";
}  // namespace system

// The edit-then-save task's edits: values updated and keys added per run.
constexpr int kUpdatedValues = 1000;
constexpr int kAddedKeys = 100;

}  // namespace compare

#endif
