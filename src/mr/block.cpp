#include "mr/block.h"

#include <sys/mman.h>

#include <cstdlib>

namespace facetry {

namespace {

// Blocks from this size on are mapped: below it the heap's own reuse is
// cheaper than a system call.
constexpr std::size_t kMapFrom = std::size_t(1) << 20;

BlockObserver observer = nullptr;

}  // namespace

void setBlockObserver(BlockObserver observer_) { observer = observer_; }

void* takeZeroedMemory(std::size_t bytes) {
    if (bytes == 0) return nullptr;
    void* memory;
    if (bytes >= kMapFrom) {
        memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (memory == MAP_FAILED) throw std::bad_alloc();
        madvise(memory, bytes, MADV_HUGEPAGE);  // a hint; without huge pages it changes nothing
    } else {
        memory = std::calloc(bytes, 1);
        if (!memory) throw std::bad_alloc();
    }
    if (observer) observer(static_cast<long long>(bytes));
    return memory;
}

void giveBackMemory(void* memory, std::size_t bytes) {
    if (!memory) return;
    if (bytes >= kMapFrom)
        munmap(memory, bytes);
    else
        std::free(memory);
    if (observer) observer(-static_cast<long long>(bytes));
}

void* takeArrayMemory(std::size_t bytes) {
    if (bytes < kMapFrom) {
        void* memory = std::malloc(bytes == 0 ? 1 : bytes);
        if (!memory) throw std::bad_alloc();
        return memory;
    }
    void* memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (memory == MAP_FAILED) throw std::bad_alloc();
    return memory;
}

void giveBackArrayMemory(void* memory, std::size_t bytes) {
    if (!memory) return;
    if (bytes < kMapFrom)
        std::free(memory);
    else
        munmap(memory, bytes);
}
}  // namespace facetry
