#pragma once
// PointBlock: the points of one kind of element at one level, allocated as one
// piece. Large blocks are mapped from the system directly, so freeing one gives
// its memory back at once (the heap would keep it), and they ask for huge
// pages, which cuts the page faults of a fresh level by a factor of 512.
// A new block reads as all zeros.

#include <cstddef>

#include "math/vector.h"

class PointBlock {
public:
    PointBlock() = default;
    // `count` points; throws std::bad_alloc when the system refuses.
    explicit PointBlock(std::size_t count);
    ~PointBlock() { release(); }
    PointBlock(PointBlock&& other) noexcept;
    PointBlock& operator=(PointBlock&& other) noexcept;
    PointBlock(const PointBlock&) = delete;
    PointBlock& operator=(const PointBlock&) = delete;

    Vector* data() { return points; }
    const Vector* data() const { return points; }
    std::size_t size() const { return count; }

    // Whoever wants to count the bytes blocks hold (the benchmark does) is told
    // of every allocation (positive) and release (negative).
    using Observer = void (*)(long long bytes);
    static void setObserver(Observer observer);

private:
    void release();

    Vector* points = nullptr;  // count points, owned
    std::size_t count = 0;     // number of points
    bool mapped = false;       // mapped from the system rather than taken from the heap
};
