// SPDX-License-Identifier: MIT
// The heap call table, set to the runtime's malloc, realloc and free.
#include "platform/Heap.h"

#include <cstdlib>

namespace filekit {

namespace {
// Constant-initialised, so the table is ready before any static constructor
// of another file could allocate through it.
constexpr HeapCalls kRealHeap = {std::malloc, std::realloc, std::free};
}  // namespace

HeapCalls g_heap = kRealHeap;

const HeapCalls& RealHeapCalls() { return kRealHeap; }

}  // namespace filekit
