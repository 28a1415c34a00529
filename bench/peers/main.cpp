// SPDX-License-Identifier: MIT
// filekit_compare: runs every task for filekit, each peer library and the
// floor on the same generated inputs, then prints the table and the
// targets. bench/compare builds and runs it.
//
//   filekit_compare [--quick] [--data FOLDER] [--only TEXT] [--system NAME]
//
// --quick: only the 64 KB and 4 MB inputs, with fewer runs (for CI; it
// informs and never fails on the numbers). --data: where the inputs are
// made and kept (default: $TMPDIR/filekit-bench). --only: tasks whose name
// contains TEXT. --system: that system alone (for profiling one of them).
#include "Inputs.h"
#include "Report.h"
#include "Runner.h"
#include "Tasks.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

namespace {

constexpr compare::Budget kFullBudget = {3, 30, 3.0};
constexpr compare::Budget kQuickBudget = {3, 12, 0.5};

struct Options {
    bool quick = false;
    std::string data;
    std::string only;
    std::string system;
};

bool Parse(int argc, char** argv, Options& options)
{
    const char* tmp = std::getenv("TMPDIR");
    options.data = std::string(tmp && *tmp ? tmp : "/tmp") + "/filekit-bench";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--quick") {
            options.quick = true;
        } else if ((arg == "--data" || arg == "--only" || arg == "--system") && i + 1 < argc) {
            (arg == "--data" ? options.data : arg == "--only" ? options.only : options.system) = argv[++i];
        } else {
            std::fprintf(stderr, "usage: %s [--quick] [--data FOLDER] [--only TEXT] [--system NAME]\n", argv[0]);
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!Parse(argc, argv, options)) return 2;
    try {
        const std::vector<compare::Input> inputs = compare::PrepareInputs(options.data, options.quick);
        const compare::Budget& budget = options.quick ? kQuickBudget : kFullBudget;
        std::vector<compare::Row> rows;
        for (const compare::Task& task : compare::Tasks()) {
            if (std::string(task.id).find(options.only) == std::string::npos) continue;
            for (const compare::Input& input : inputs) {
                if (input.kind != task.input) continue;
                std::vector<const compare::Entry*> entries;
                for (const compare::Entry& entry : compare::Entries())
                    if (entry.task == task.id && (options.system.empty() || entry.system == options.system))
                        entries.push_back(&entry);
                std::vector<compare::Result> results = compare::RunRounds(entries, input, budget);
                for (std::size_t i = 0; i < entries.size(); ++i) {
                    const compare::Result& r = results[i];
                    std::fprintf(stderr, "%-14s %-10s %-19s ", task.id, input.size.c_str(), entries[i]->system.c_str());
                    if (r.ok)
                        std::fprintf(stderr, "%.6f s (%zu runs)\n", r.median, r.times.size());
                    else
                        std::fprintf(stderr, "failed: %s\n", r.error.c_str());
                    rows.push_back({&task, input, entries[i], std::move(results[i])});
                }
            }
        }
        std::printf("\n");
        compare::PrintTable(stdout, rows);
        std::printf("\n");
        compare::PrintTargets(stdout, rows);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "filekit_compare: %s\n", error.what());
        return 1;
    }
    return 0;
}
