// SPDX-License-Identifier: MIT
// The inputs of one comparison run, generated on first use into a folder
// outside the source tree and reused by later runs.
#ifndef FILEKIT_BENCH_PEERS_INPUTS_H
#define FILEKIT_BENCH_PEERS_INPUTS_H

#include "Job.h"

#include <string>
#include <vector>

namespace compare {

// Makes (or finds) every input in folder: INI with LF and CR LF ends and
// XML at 64 KB, 4 MB and (unless quick) 64 MB, the typical INI file of 20
// sections of 50 keys, and token trees of about 1 k, 64 k and (unless quick)
// 1 M nodes. Progress goes to stderr.
std::vector<Input> PrepareInputs(const std::string& folder, bool quick);

}  // namespace compare

#endif
