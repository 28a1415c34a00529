// SPDX-License-Identifier: MIT
// The generated XML inputs: a settings document of nested groups whose
// settings carry their value either in a "value" attribute or as text.
#ifndef FILEKIT_BENCH_PEERS_XMLTEXT_H
#define FILEKIT_BENCH_PEERS_XMLTEXT_H

#include <cstdint>
#include <string>
#include <vector>

namespace compare {

// Writes top-level groups until the file holds at least targetBytes;
// returns the number of groups.
int WriteXml(const std::string& path, std::uint64_t targetBytes);

// The attribute names that an element of the generated documents may carry,
// by element name: what an application that knows its document asks for
// when its XML interface looks attributes up by name only.
const std::vector<const char*>& AttributesOf(const char* element);

}  // namespace compare

#endif
