// The C heap calls that CTokenizer makes for its depth string, internal.
//
// The depth string lives in a malloc block that every Push and Pop resizes
// with realloc. The calls go through g_heap so that tests can make one of
// them fail and check that depth and string stay consistent.
#ifndef FILEKIT_TOKENS_HEAPCALLS_H
#define FILEKIT_TOKENS_HEAPCALLS_H

#include <cstddef>

namespace filekit {

struct HeapCalls {
    void* (*malloc)(size_t size);
    void* (*realloc)(void* block, size_t size);
    void (*free)(void* block);
};

// The table in use; starts with the runtime's own malloc, realloc and free.
extern HeapCalls g_heap;

// The runtime's calls, for putting them back.
const HeapCalls& RealHeapCalls();

}  // namespace filekit

#endif
