// SPDX-License-Identifier: MIT
// The floor: what reading a file costs before any parsing, read(2) of the
// whole file into one buffer and a memchr scan for its line ends. TextJob
// is the part shared with every task that loads a whole text the same way.
#ifndef FILEKIT_BENCH_PEERS_FLOOR_H
#define FILEKIT_BENCH_PEERS_FLOOR_H

#include "Job.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace compare {

// A job whose run loads the input's file into one block from malloc and
// counts its line ends; the block is freed after every run.
class TextJob : public Job {
public:
    // digest: report the text's size and line ends (not for tasks whose
    // other systems report the counts of a model).
    TextJob(const Input& input, bool digest) : m_path(input.path), m_digest(digest) {}
    ~TextJob() override;
    void Reset() override;
    std::uint64_t Digest() override;

protected:
    const std::string& Path() const { return m_path; }
    // Takes the loaded text (from malloc; null when empty) and counts the
    // line ends of its bytes.
    void Loaded(char* text, std::uint64_t bytes);

private:
    std::string m_path;
    bool m_digest;
    char* m_text = nullptr;
    std::uint64_t m_bytes = 0;
    std::uint64_t m_lineEnds = 0;
};

}  // namespace compare

#endif
