#pragma once
// Table: the dense square grid in which every surface face keeps its points.
// Element (i, j) lives at i*dj + j. Storage is reallocated only when the
// element count changes; a new array starts with default elements.

#include <algorithm>
#include <new>

#include "math/check.h"

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
        di = di_;
        dj = dj_;
    }
    void resize(int d) { resize(d, d); }

    bool in_bounds(int i, int j) const { return std::min(i, j) >= 0 && i < di && j < dj; }
    T& operator()(int i, int j) {
        FACETRY_ASSERT(in_bounds(i,j));
        return data[i * dj + j];
    }
    T operator()(int i, int j) const {
        FACETRY_ASSERT(in_bounds(i,j));
        return data[i * dj + j];
    }
    int sizeI() const { return di; }
    // The whole array, row by row, for loops that keep their indices in range.
    T* elements() { return data; }
    const T* elements() const { return data; }

    void swap(Table& other) {
        std::swap(data, other.data);
        std::swap(size, other.size);
        std::swap(di, other.di);
        std::swap(dj, other.dj);
    }

private:
    static constexpr long long kMaxElements = 0x7fffffff;

    T* data = nullptr;  // size elements, owned; null while empty
    int size = 0;       // allocated element count, di*dj after every resize
    int di = 0;         // extent of the first index
    int dj = 0;         // extent of the second index
};
