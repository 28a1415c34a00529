// SPDX-License-Identifier: MIT
// The comparison table and the check of the targets against it.
#ifndef FILEKIT_BENCH_PEERS_REPORT_H
#define FILEKIT_BENCH_PEERS_REPORT_H

#include "Job.h"
#include "Runner.h"
#include "Tasks.h"

#include <cstdio>
#include <vector>

namespace compare {

struct Row {
    const Task* task;
    Input input;
    const Entry* entry;
    Result result;
};

// One line per system, grouped by task and size: median time, throughput,
// peak memory added, and on filekit's line its ratio to the best peer and to
// the floor. A system whose digest differs from filekit's is marked.
void PrintTable(std::FILE* out, const std::vector<Row>& rows);

// Every target the measured sizes allow, with the measured ratio and
// whether it is met. Informs only: returns nothing to fail on.
void PrintTargets(std::FILE* out, const std::vector<Row>& rows);

}  // namespace compare

#endif
