// The allocator calls behind CTextFile::LoadFile and StrCatGrow, internal.
//
// The strings handed to callers come from the runtime's malloc and realloc
// and are released with free. The calls go through this table so that tests
// can make one fail and check the out-of-memory paths, then put the real
// ones back.
#ifndef FILEKIT_FILES_HEAP_H
#define FILEKIT_FILES_HEAP_H

#include <cstddef>

namespace filekit {

struct HeapCalls {
    void* (*allocate)(std::size_t size);                // malloc
    void* (*reallocate)(void* block, std::size_t size);  // realloc
};

// The table in use; starts with the real calls.
extern HeapCalls g_heap;

// The real calls, for putting them back.
const HeapCalls& RealHeapCalls();

}  // namespace filekit

#endif
