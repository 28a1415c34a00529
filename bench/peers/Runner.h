// Runs one job in a child process of its own: a first run that also
// measures the peak memory the job adds, then timed runs until the budget is
// spent. The parent stays small, so no job finds memory another one left.
#ifndef FILEKIT_BENCH_PEERS_RUNNER_H
#define FILEKIT_BENCH_PEERS_RUNNER_H

#include "Job.h"

#include <cstdint>
#include <string>

namespace compare {

struct Budget {
    int minRuns;      // timed runs at least
    int maxRuns;      // timed runs at most
    double seconds;   // timed runs stop once they took this long together
};

struct Result {
    bool ok = false;
    std::string error;            // why the job failed, when it did
    double median = 0;            // CPU seconds per run, median of the timed runs
    int runs = 0;
    long long peakBytes = -1;     // added to the resident size by the first run; -1 unknown
    std::uint64_t digest = 0;
};

Result RunInChild(const Entry& entry, const Input& input, const Budget& budget);

}  // namespace compare

#endif
