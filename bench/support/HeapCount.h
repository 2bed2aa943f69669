// Heap allocations of the whole benchmark process, counted as they are made.
#pragma once

#include <cstdint>

namespace sbbench {

// Calls of malloc, calloc, realloc and the aligned allocators so far; operator new and the C library's own
// streams allocate through them, so every heap allocation is counted.
uint64_t HeapAllocations();

}  // namespace sbbench
