// Counting replacements of the global operator new and delete. The benchmark
// is single-threaded, but OpenSubdiv links OpenMP, so the counters are atomic.
#include "allocationcounter.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> bytesInUse{0};  // bytes held by live blocks
std::atomic<std::size_t> bytesPeak{0};   // highest bytesInUse since the mark

void raisePeak(std::size_t now) {
    std::size_t seen = bytesPeak.load(std::memory_order_relaxed);
    while (now > seen && !bytesPeak.compare_exchange_weak(seen, now, std::memory_order_relaxed)) {
    }
}

void* countedAllocate(std::size_t size) {
    void* block = std::malloc(size ? size : 1);
    if (!block) throw std::bad_alloc();
    raisePeak(bytesInUse.fetch_add(malloc_usable_size(block), std::memory_order_relaxed) + malloc_usable_size(block));
    return block;
}

void countedFree(void* block) noexcept {
    if (!block) return;
    bytesInUse.fetch_sub(malloc_usable_size(block), std::memory_order_relaxed);
    std::free(block);
}

}  // namespace

namespace allocationcounter {

std::size_t inUse() { return bytesInUse.load(); }
void addOutside(long long bytes) {
    raisePeak(bytesInUse.fetch_add(static_cast<std::size_t>(bytes), std::memory_order_relaxed) + static_cast<std::size_t>(bytes));
}
void markPeak() { bytesPeak.store(bytesInUse.load()); }
std::size_t peak() { return bytesPeak.load(); }

}  // namespace allocationcounter

void* operator new(std::size_t size) { return countedAllocate(size); }
void* operator new[](std::size_t size) { return countedAllocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return countedAllocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* block) noexcept { countedFree(block); }
void operator delete[](void* block) noexcept { countedFree(block); }
void operator delete(void* block, std::size_t) noexcept { countedFree(block); }
void operator delete[](void* block, std::size_t) noexcept { countedFree(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { countedFree(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { countedFree(block); }
