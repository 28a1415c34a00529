// SPDX-License-Identifier: MIT
// The task list and the job registry.
#include "Tasks.h"

#include "Job.h"

#include <algorithm>

namespace compare {

const std::vector<Task>& Tasks()
{
    static const std::vector<Task> kTasks = {
        {task::kIniOpen, "ini", Unit::Bytes},
        {task::kIniOpenCrLf, "ini-crlf", Unit::Bytes},
        {task::kIniSave, "ini", Unit::Bytes},
        {task::kIniEditSave, "ini", Unit::Bytes},
        {task::kIniLookup, "ini-typical", Unit::Lookups},
        {task::kXmlOpen, "xml", Unit::Bytes},
        {task::kXmlWalk, "xml", Unit::Bytes},
        {task::kXmlSave, "xml", Unit::Bytes},
        {task::kLoadFile4K, "ini", Unit::Bytes},
        {task::kLoadFile64K, "ini", Unit::Bytes},
        {task::kLoadFile1M, "ini", Unit::Bytes},
        {task::kTokenWriter, "tokens", Unit::Nodes},
    };
    return kTasks;
}

namespace {
std::vector<Entry>& Registry()
{
    static std::vector<Entry> entries;
    return entries;
}
}  // namespace

// Kept in role order (filekit, peers, floor) whatever order the job files
// register in, so every group of the table reads the same way.
bool Register(Entry entry)
{
    auto& entries = Registry();
    const auto after =
        std::find_if(entries.begin(), entries.end(), [&](const Entry& e) { return e.role > entry.role; });
    entries.insert(after, std::move(entry));
    return true;
}

const std::vector<Entry>& Entries() { return Registry(); }

std::uint64_t Mix(std::uint64_t digest, std::uint64_t value)
{
    for (int i = 0; i < 8; ++i) {
        digest ^= (value >> (8 * i)) & 0xFF;
        digest *= 0x100000001B3ULL;
    }
    return digest;
}

}  // namespace compare
