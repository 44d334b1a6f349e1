#pragma once
// Block: an array allocated as one piece that reads as all zeros when new:
// the points of one kind of element at one level, or one of the surface's
// index arrays. Large blocks are mapped from the system directly, so freeing
// one gives its memory back at once (the heap would keep it), and they ask
// for huge pages, which cuts the page faults of fresh memory by a factor of
// 512. Zeros come free with fresh pages: nothing is written twice.

#include <cstddef>
#include <new>
#include <utility>

#include "math/vector.h"
#include "mr/memory.h"

namespace facetry {

// Zeroed memory for `bytes` bytes (none for 0), or std::bad_alloc; and its release.
void* takeZeroedMemory(std::size_t bytes);
void giveBackMemory(void* memory, std::size_t bytes);

// Whoever wants to count the bytes blocks hold (the benchmark does) is told
// of every allocation (positive) and release (negative).
using BlockObserver = void (*)(long long bytes);
void setBlockObserver(BlockObserver observer);

template <class T>
class Block {
public:
    Block() = default;
    // `count` elements, all bits zero; throws std::bad_alloc when the system refuses.
    explicit Block(std::size_t count_) {
        if (count_ > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
        items = static_cast<T*>(takeZeroedMemory(count_ * sizeof(T)));
        count = count_;
    }
    ~Block() { giveBackMemory(items, count * sizeof(T)); }
    Block(Block&& other) noexcept
        : items(std::exchange(other.items, nullptr)), count(std::exchange(other.count, 0)) {}
    Block& operator=(Block&& other) noexcept {
        std::swap(items, other.items);
        std::swap(count, other.count);
        return *this;
    }
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;

    T* data() { return items; }
    const T* data() const { return items; }
    std::size_t size() const { return count; }
    T& operator[](std::size_t i) { return items[i]; }
    const T& operator[](std::size_t i) const { return items[i]; }

private:
    T* items = nullptr;     // count elements, owned
    std::size_t count = 0;  // number of elements
};

using PointBlock = Block<Vector>;

}  // namespace facetry
