// SPDX-License-Identifier: MIT
// The generated INI inputs: sections of settings with about one line in five
// a comment, blank lines between sections and now and then inside them.
// Names come from Vocabulary.h, so a job can name any section or key of a
// file from its index without reading the file.
#ifndef FILEKIT_BENCH_PEERS_INITEXT_H
#define FILEKIT_BENCH_PEERS_INITEXT_H

#include "Job.h"

#include <cstdint>
#include <string>
#include <vector>

namespace compare {

// The lookup task looks every key of the typical file up this many times
// per run, so one run lasts long enough to time.
constexpr int kLookupPasses = 20;

// Keys in the section at index: keysPerSection, or 10 to 50 when that is 0.
int KeyCount(int section, int keysPerSection);

// Writes sections until the LF file holds at least targetBytes (or, when
// sectionLimit > 0, exactly sectionLimit sections); crlfPath, when not
// empty, receives the same lines with CR LF ends. Returns the section count.
int WriteIni(const std::string& lfPath, const std::string& crlfPath, std::uint64_t targetBytes, int sectionLimit,
             int keysPerSection);

// A key of the input by its names.
struct KeyRef {
    std::string section;
    std::string key;
};

// count keys spread evenly over the input's sections, the same list for
// every system.
std::vector<KeyRef> SpreadKeys(const Input& input, int count);

// count sections spread evenly over the input, for keys to be added to.
std::vector<std::string> SpreadSections(const Input& input, int count);

// The value the edit task gives the index-th updated key in run number run,
// and the name of the index-th key it adds: new in every run, so runs on
// one model do the same work.
std::string EditedValue(int run, int index);
std::string AddedKey(int run, int index);

// The digest of a loaded INI model, the same whatever order it is walked in.
std::uint64_t IniDigest(std::uint64_t sections, std::uint64_t keys, std::uint64_t valueBytes);

// Every key of the input once, in a fixed shuffled order.
std::vector<KeyRef> ShuffledKeys(const Input& input);

}  // namespace compare

#endif
