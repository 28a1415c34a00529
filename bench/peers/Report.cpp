// SPDX-License-Identifier: MIT
// Formats the comparison: the table of every row, then the targets.
#include "Report.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

namespace compare {
namespace {

constexpr double kMegabyte = 1024.0 * 1024.0;

// Ratio limits: filekit's time over the reference's time.
constexpr double kIniVsPeer = 0.8;
constexpr double kIniOpenVsFloor = 4.0;
constexpr double kCrLfVsLf = 1.10;
constexpr double kLookupVsSimpleIni = 1.5;
constexpr double kXmlVsPugixml = 1.15;
constexpr double kLoadFileVsFloor = 1.3;
constexpr double kTokenWriterVsHandLoop = 1.0 / 0.8;
constexpr double kScalingSpread = 0.30;

// The sizes on which the ratio targets are judged.
const char* const kTargetSizes[] = {"4M", "64M"};

bool Same(const Row& row, const char* task, const std::string& size)
{
    return row.task->id == std::string(task) && row.input.size == size;
}

const Row* Find(const std::vector<Row>& rows, const char* task, const std::string& size, const char* system)
{
    for (const Row& row : rows)
        if (Same(row, task, size) && row.entry->system == system && row.result.ok) return &row;
    return nullptr;
}

const Row* FindRole(const std::vector<Row>& rows, const char* task, const std::string& size, Role role)
{
    const Row* best = nullptr;
    for (const Row& row : rows)
        if (Same(row, task, size) && row.entry->role == role && row.result.ok &&
            (!best || row.result.median < best->result.median))
            best = &row;
    return best;
}

// The row whose result the others of its group are checked against:
// filekit's, or the first with a digest when filekit has none.
const Row* DigestReference(const std::vector<Row>& rows, const char* task, const std::string& size)
{
    const Row* first = nullptr;
    for (const Row& row : rows) {
        if (!Same(row, task, size) || !row.result.ok || row.result.digest == 0) continue;
        if (row.entry->system == system::kFilekit) return &row;
        if (!first) first = &row;
    }
    return first;
}

std::string Format(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Time(double seconds)
{
    if (seconds < 1e-3) return Format("%.1f us", seconds * 1e6);
    if (seconds < 1) return Format("%.2f ms", seconds * 1e3);
    return Format("%.2f s", seconds);
}

std::string Throughput(const Row& row)
{
    const double perSecond = static_cast<double>(row.input.units) / row.result.median;
    switch (row.task->unit) {
    case Unit::Bytes: return Format("%.1f MB/s", perSecond / kMegabyte);
    case Unit::Lookups: return Format("%.2f Mlookup/s", perSecond / 1e6);
    case Unit::Nodes: return Format("%.2f Mnode/s", perSecond / 1e6);
    }
    return "";
}

std::string Ratio(const Row* filekit, const Row* reference)
{
    if (!filekit || !reference) return "";
    return Format("%.2f", filekit->result.median / reference->result.median);
}

void PrintRow(std::FILE* out, const Row& row, const std::string& vsPeer, const std::string& vsFloor, const char* note)
{
    const Result& r = row.result;
    if (!r.ok) {
        std::fprintf(out, "%-14s %-10s %-19s failed: %s\n", row.task->id, row.input.size.c_str(),
                     row.entry->system.c_str(), r.error.c_str());
        return;
    }
    const std::string peak = r.peakBytes < 0 ? "-" : Format("%.1f MB", static_cast<double>(r.peakBytes) / kMegabyte);
    std::fprintf(out, "%-14s %-10s %-19s %10s %16s %9s %7s %8s %s\n", row.task->id, row.input.size.c_str(),
                 row.entry->system.c_str(), Time(r.median).c_str(), Throughput(row).c_str(), peak.c_str(),
                 vsPeer.c_str(), vsFloor.c_str(), note);
}

// Time per unit of row over that of smaller, a row of the same task.
double Spread(const Row& row, const Row& smaller)
{
    return (row.result.median / static_cast<double>(row.input.units)) /
           (smaller.result.median / static_cast<double>(smaller.input.units));
}

struct Target {
    std::string name;
    std::string size;
    const Row* filekit;
    const Row* reference;
    double measured;  // when both rows are there
    double limit;
};

void AddRatio(std::vector<Target>& targets, const std::string& name, const std::string& size, const Row* filekit,
              const Row* reference, double limit)
{
    const double measured = filekit && reference ? filekit->result.median / reference->result.median : 0;
    targets.push_back({name, size, filekit, reference, measured, limit});
}

}  // namespace

void PrintTable(std::FILE* out, const std::vector<Row>& rows)
{
    std::fprintf(out, "%-14s %-10s %-19s %10s %16s %9s %7s %8s\n", "task", "size", "system", "median", "throughput",
                 "peak", "fk/peer", "fk/floor");
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        if (i > 0 && (rows[i - 1].task != row.task || rows[i - 1].input.size != row.input.size))
            std::fprintf(out, "\n");
        const Row* filekit = Find(rows, row.task->id, row.input.size, system::kFilekit);
        const bool isFilekit = &row == filekit;
        const std::string vsPeer =
            isFilekit ? Ratio(filekit, FindRole(rows, row.task->id, row.input.size, Role::Peer)) : "";
        const std::string vsFloor =
            isFilekit ? Ratio(filekit, FindRole(rows, row.task->id, row.input.size, Role::Floor)) : "";
        const Row* reference = DigestReference(rows, row.task->id, row.input.size);
        const bool differs =
            reference && row.result.ok && row.result.digest != 0 && row.result.digest != reference->result.digest;
        const std::string note = differs ? "(result differs from " + reference->entry->system + "'s)" : "";
        PrintRow(out, row, vsPeer, vsFloor, note.c_str());
    }
}

void PrintTargets(std::FILE* out, const std::vector<Row>& rows)
{
    std::vector<Target> targets;
    for (const char* size : kTargetSizes) {
        const auto fk = [&](const char* task) { return Find(rows, task, size, system::kFilekit); };
        const auto peer = [&](const char* task) { return FindRole(rows, task, size, Role::Peer); };
        const auto floor = [&](const char* task) { return FindRole(rows, task, size, Role::Floor); };
        if (std::none_of(rows.begin(), rows.end(), [&](const Row& row) { return row.input.size == size; }))
            continue;  // size not run
        AddRatio(targets, "INI open / best peer", size, fk(task::kIniOpen), peer(task::kIniOpen), kIniVsPeer);
        AddRatio(targets, "INI open / floor", size, fk(task::kIniOpen), floor(task::kIniOpen), kIniOpenVsFloor);
        AddRatio(targets, "INI open CR LF / LF", size, fk(task::kIniOpenCrLf), fk(task::kIniOpen), kCrLfVsLf);
        AddRatio(targets, "INI save / best peer", size, fk(task::kIniSave), peer(task::kIniSave), kIniVsPeer);
        AddRatio(targets, "INI edit+save / best peer", size, fk(task::kIniEditSave), peer(task::kIniEditSave),
                 kIniVsPeer);
        for (const char* task : {task::kXmlOpen, task::kXmlWalk, task::kXmlSave})
            AddRatio(targets, std::string(task) + " / pugixml", size, fk(task),
                     Find(rows, task, size, system::kPugixml), kXmlVsPugixml);
        // What the walk costs beyond the string work that its interface makes
        // necessary (informs the pugixml target above; see bench/README.md).
        AddRatio(targets, "xml-walk / pugixml+copies", size, fk(task::kXmlWalk),
                 Find(rows, task::kXmlWalk, size, system::kPugixmlCopies), kXmlVsPugixml);
        AddRatio(targets, "LoadFile 1 MB chunks / floor", size, fk(task::kLoadFile1M), floor(task::kLoadFile1M),
                 kLoadFileVsFloor);

        const Row* fkOpen = fk(task::kIniOpen);
        const Row* simpleIni = Find(rows, task::kIniOpen, size, system::kSimpleIni);
        const bool memoryKnown =
            fkOpen && simpleIni && fkOpen->result.peakBytes >= 0 && simpleIni->result.peakBytes > 0;
        targets.push_back({"INI open peak memory / SimpleIni", size, memoryKnown ? fkOpen : nullptr, simpleIni,
                           memoryKnown ? static_cast<double>(fkOpen->result.peakBytes) /
                                             static_cast<double>(simpleIni->result.peakBytes)
                                       : 0,
                           1.0});
    }
    // Trees are judged as the files are: the smallest, which goes with the
    // 64 KB files, is left out.
    bool smallestTree = true;
    for (const Row& row : rows)
        if (row.task->unit == Unit::Nodes && row.entry->system == system::kFilekit &&
            !std::exchange(smallestTree, false))
            AddRatio(targets, "token writer / hand loop", row.input.size,
                     Find(rows, task::kTokenWriter, row.input.size, system::kFilekit),
                     Find(rows, task::kTokenWriter, row.input.size, system::kHandLoop), kTokenWriterVsHandLoop);
    AddRatio(targets, "INI lookups / SimpleIni", "20x50", Find(rows, task::kIniLookup, "20x50", system::kFilekit),
             Find(rows, task::kIniLookup, "20x50", system::kSimpleIni), kLookupVsSimpleIni);

    std::fprintf(out, "%-36s %-10s %9s %9s  %s\n", "target (filekit time / reference)", "size", "measured", "limit",
                 "result");
    for (const Target& t : targets) {
        const bool known = t.filekit && t.reference;
        std::fprintf(out, "%-36s %-10s %9s %9s  %s\n", t.name.c_str(), t.size.c_str(),
                     known ? Format("%.2f", t.measured).c_str() : "-", Format("<= %.2f", t.limit).c_str(),
                     !known                  ? "not measured"
                     : t.measured <= t.limit ? "met"
                                             : "MISSED");
    }

    // Time per unit of every filekit task, each size against the smallest,
    // with the best peer's figure beside it.
    std::fprintf(out, "\n%-36s %-22s %9s %9s %10s  %s\n", "scaling (time per unit / smallest)", "size", "measured",
                 "limit", "best peer", "result");
    for (const Task& task : Tasks()) {
        if (task.unit == Unit::Lookups) continue;
        const Row* smallest = nullptr;
        for (const Row& row : rows) {
            if (row.task != &task || row.entry->system != system::kFilekit || !row.result.ok) continue;
            if (!smallest) {
                smallest = &row;
                continue;
            }
            const double spread = Spread(row, *smallest);
            const Row* peer = FindRole(rows, task.id, row.input.size, Role::Peer);
            const Row* peerSmallest =
                peer ? Find(rows, task.id, smallest->input.size, peer->entry->system.c_str()) : nullptr;
            const double peerSpread = peerSmallest ? Spread(*peer, *peerSmallest) : 0;
            // Below the band the larger input costs less per unit: the small
            // one carries fixed costs (creating a file). Above it together
            // with the best peer, and by not much more: the CPU caches, which
            // the small input fits. Only the rest is work of filekit's own
            // that grows faster than the input.
            const bool asPeer =
                peerSmallest && peerSpread > 1 + kScalingSpread && spread <= peerSpread * (1 + kScalingSpread);
            const char* verdict = std::abs(spread - 1) <= kScalingSpread ? "met"
                                  : spread < 1                           ? "fixed costs"
                                  : asPeer                               ? "as the best peer"
                                                                         : "MISSED";
            std::fprintf(out, "%-36s %-22s %9.2f %4.2f-%4.2f %10s  %s\n", task.id,
                         (row.input.size + " / " + smallest->input.size).c_str(), spread, 1 - kScalingSpread,
                         1 + kScalingSpread, peerSmallest ? Format("%.2f", peerSpread).c_str() : "-", verdict);
        }
    }
}

}  // namespace compare
