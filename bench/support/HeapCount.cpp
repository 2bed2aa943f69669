// The C library's allocator, replaced by one that counts each call and hands it on to the library's own entry
// points (glibc exports them as __libc_*). The executable's definitions take the place of the library's for
// every caller in the process.
#include "bench/support/HeapCount.h"

#include <atomic>
#include <cerrno>
#include <cstddef>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* block);
}

namespace {
std::atomic<uint64_t> allocations{0};

void Count() { allocations.fetch_add(1, std::memory_order_relaxed); }
}  // namespace

uint64_t sbbench::HeapAllocations() { return allocations.load(std::memory_order_relaxed); }

extern "C" {

void* malloc(size_t size) {
    Count();
    return __libc_malloc(size);
}

void* calloc(size_t count, size_t size) {
    Count();
    return __libc_calloc(count, size);
}

void* realloc(void* block, size_t size) {
    Count();
    return __libc_realloc(block, size);
}

void free(void* block) { __libc_free(block); }

void* memalign(size_t alignment, size_t size) {
    Count();
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size) {
    Count();
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** block, size_t alignment, size_t size) {
    Count();
    void* got = __libc_memalign(alignment, size);
    if (got == nullptr) return ENOMEM;
    *block = got;
    return 0;
}

}  // extern "C"
