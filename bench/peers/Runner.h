// SPDX-License-Identifier: MIT
// Runs the systems of one task on one input, each in child processes of its
// own: a first run that also measures the peak memory the job adds, then
// timed runs until the budget is spent. The parent stays small, so no job
// finds memory another one left.
#ifndef FILEKIT_BENCH_PEERS_RUNNER_H
#define FILEKIT_BENCH_PEERS_RUNNER_H

#include "Job.h"

#include <cstdint>
#include <string>
#include <vector>

namespace compare {

struct Budget {
    int rounds;  // turns the systems take, one child each per round: timed runs at least
    int maxRuns;  // timed runs at most
    double seconds;  // timed runs stop once they took about this long together
};

struct Result {
    bool ok = false;
    std::string error;  // why the job failed, when it did
    std::vector<double> times;  // CPU seconds of every timed run
    double median = 0;  // of times
    long long peakBytes = -1;  // added to the resident size by the first run; -1 unknown
    std::uint64_t digest = 0;  // of the first round
};

// One result per entry, in the order given.
std::vector<Result> RunRounds(const std::vector<const Entry*>& entries, const Input& input, const Budget& budget);

}  // namespace compare

#endif
