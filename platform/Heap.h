// SPDX-License-Identifier: MIT
// The C heap calls behind blocks that cross the interface, internal.
//
// Strings that callers free with free() (CTextFile::LoadFile) and the
// tokenizer's depth string come from malloc and realloc. The calls go
// through this table so tests can make one fail and check the
// out-of-memory paths, then put the real ones back.
#ifndef FILEKIT_PLATFORM_HEAP_H
#define FILEKIT_PLATFORM_HEAP_H

#include <cstddef>

namespace filekit {

struct HeapCalls {
    void* (*allocate)(std::size_t size);  // malloc
    void* (*reallocate)(void* block, std::size_t size);  // realloc
    void (*release)(void* block);  // free
};

// The table in use; starts with the runtime's calls.
extern HeapCalls g_heap;

// The runtime's calls, for putting them back.
const HeapCalls& RealHeapCalls();

}  // namespace filekit

#endif
