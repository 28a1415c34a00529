// SPDX-License-Identifier: MIT
// Deterministic text for the generated inputs: names, values and sentences
// that look like an application's settings, drawn from fixed word lists by
// a hash of their position, so every run writes the same bytes.
#ifndef FILEKIT_BENCH_PEERS_VOCABULARY_H
#define FILEKIT_BENCH_PEERS_VOCABULARY_H

#include <cstdint>
#include <string>

namespace compare {

// A well-mixed 64-bit hash of two numbers.
std::uint64_t Hash(std::uint64_t a, std::uint64_t b);

// "Display_12": category word and index, unique per index.
std::string SectionName(int index);

// "window_width_7": a setting word and the key's index in its section,
// unique within a section.
std::string KeyName(int section, int key);

// A setting value of one of a dozen kinds (numbers, flags, paths, URLs,
// lists, sentences, quoted text, times, empty). Values never hold ';',
// a backslash before 'n', a line end or leading or trailing spaces, and stay
// well under 200 bytes, so every peer reads them alike.
std::string ValueFor(int section, int key);

// A comment sentence of a few words, without its ';'.
std::string Sentence(std::uint64_t seed, int minWords, int maxWords);

}  // namespace compare

#endif
