// The floor: what reading a file costs before any parsing, read(2) of the
// whole file into one buffer and a memchr scan for its line ends.
#ifndef FILEKIT_BENCH_PEERS_FLOOR_H
#define FILEKIT_BENCH_PEERS_FLOOR_H

#include <cstddef>
#include <cstdint>

namespace compare {

// The number of line feeds in text, found with memchr.
std::uint64_t CountLineEnds(const char* text, std::size_t size);

// The digest of a loaded text: its size and its line ends.
std::uint64_t TextDigest(std::uint64_t bytes, std::uint64_t lineEnds);

}  // namespace compare

#endif
