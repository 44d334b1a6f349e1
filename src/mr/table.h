#pragma once
// Part of the element-by-element API. Table: a dense grid stored row by
// row: element (i, j) lives at i*dj + j. Storage is reallocated only when
// the element count changes; a new array starts with default elements. TableShape is the indexing alone, for grids
// whose points are stored elsewhere (MrFace::point's bounds check).

#include <algorithm>
#include <new>

#include "math/check.h"

namespace facetry {

// The extents of a grid and its one bounds check.
struct TableShape {
    int di = 0;  // extent of the first index
    int dj = 0;  // extent of the second index

    bool in_bounds(int i, int j) const { return std::min(i, j) >= 0 && i < di && j < dj; }
    // The storage position of (i, j), which must be inside the grid.
    int offset(int i, int j) const {
        FACETRY_ASSERT(in_bounds(i,j));
        return i * dj + j;
    }
};

template <class T>
class Table {
public:
    Table() = default;
    ~Table() { delete[] data; }
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    void resize(int di_, int dj_) {
        FACETRY_ASSERT(di_>0 && dj_>0);
        long long count = static_cast<long long>(di_) * dj_;
        if (count > kMaxElements) throw std::bad_alloc();
        if (count != size) {
            T* fresh = new T[count];  // allocate before letting go, so a failure leaves the table as it was
            delete[] data;
            data = fresh;
            size = static_cast<int>(count);
        }
        shape = TableShape{di_, dj_};
    }
    void resize(int d) { resize(d, d); }

    bool in_bounds(int i, int j) const { return shape.in_bounds(i, j); }
    T& operator()(int i, int j) { return data[shape.offset(i, j)]; }
    T operator()(int i, int j) const { return data[shape.offset(i, j)]; }
    int sizeI() const { return shape.di; }
    // The whole array, row by row, for loops that keep their indices in range.
    T* elements() { return data; }
    const T* elements() const { return data; }

    void swap(Table& other) {
        std::swap(data, other.data);
        std::swap(size, other.size);
        std::swap(shape, other.shape);
    }

private:
    static constexpr long long kMaxElements = 0x7fffffff;

    T* data = nullptr;  // size elements, owned; null while empty
    int size = 0;       // allocated element count, di*dj after every resize
    TableShape shape;   // the extents
};

}  // namespace facetry
