// The allocator table of the text file loader, set to the runtime's calls.
#include "files/Heap.h"

#include <cstdlib>

namespace filekit {

namespace {

void* Allocate(std::size_t size) { return std::malloc(size); }
void* Reallocate(void* block, std::size_t size) { return std::realloc(block, size); }

// Constant-initialised, so the table is ready before any static constructor.
constexpr HeapCalls kRealHeap = {Allocate, Reallocate};

}  // namespace

HeapCalls g_heap = kRealHeap;

const HeapCalls& RealHeapCalls() { return kRealHeap; }

}  // namespace filekit
