#include "mr/pointblock.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>
#include <utility>

namespace {

// Blocks from this size on are mapped: below it the heap's own reuse is
// cheaper than a system call.
constexpr std::size_t kMapFrom = std::size_t(1) << 20;

PointBlock::Observer observer = nullptr;

void notify(long long bytes) {
    if (observer) observer(bytes);
}

}  // namespace

void PointBlock::setObserver(Observer observer_) { observer = observer_; }

PointBlock::PointBlock(std::size_t count_) {
    if (count_ == 0) return;
    if (count_ > static_cast<std::size_t>(-1) / sizeof(Vector)) throw std::bad_alloc();
    const std::size_t bytes = count_ * sizeof(Vector);
    void* memory;
    if (bytes >= kMapFrom) {
        memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (memory == MAP_FAILED) throw std::bad_alloc();
        madvise(memory, bytes, MADV_HUGEPAGE);  // a hint; without huge pages it changes nothing
        mapped = true;
    } else {
        memory = std::calloc(count_, sizeof(Vector));
        if (!memory) throw std::bad_alloc();
    }
    points = static_cast<Vector*>(memory);
    count = count_;
    notify(static_cast<long long>(bytes));
}

PointBlock::PointBlock(PointBlock&& other) noexcept
    : points(std::exchange(other.points, nullptr)),
      count(std::exchange(other.count, 0)),
      mapped(std::exchange(other.mapped, false)) {}

PointBlock& PointBlock::operator=(PointBlock&& other) noexcept {
    if (this != &other) {
        release();
        points = std::exchange(other.points, nullptr);
        count = std::exchange(other.count, 0);
        mapped = std::exchange(other.mapped, false);
    }
    return *this;
}

void PointBlock::release() {
    if (!points) return;
    const std::size_t bytes = count * sizeof(Vector);
    if (mapped)
        munmap(points, bytes);
    else
        std::free(points);
    notify(-static_cast<long long>(bytes));
    points = nullptr;
    count = 0;
    mapped = false;
}
