// The runtime's heap calls, in the table that CTokenizer uses.
#include "tokens/HeapCalls.h"

#include <cstdlib>

namespace filekit {

namespace {
// constexpr, so the table is filled before any constructor of another
// file's static object could make a tokenizer.
constexpr HeapCalls kReal = {std::malloc, std::realloc, std::free};
}  // namespace

HeapCalls g_heap = kReal;

const HeapCalls& RealHeapCalls() { return kReal; }

}  // namespace filekit
