#pragma once
// Counts the bytes the process holds on the heap through operator new (and
// what it is told of blocks mapped outside the heap), and the highest count
// since the last mark. The benchmark replaces the global
// operator new and delete with counting versions, so both Facetry's and
// OpenSubdiv's allocations are seen. Each block counts with the size malloc
// actually reserved for it (malloc_usable_size), so per-block slack shows.

#include <cstddef>

namespace allocationcounter {

// Bytes held right now.
std::size_t inUse();
// Counts bytes taken (positive) or given back (negative) outside the heap,
// such as the blocks the surface maps from the system.
void addOutside(long long bytes);
// Starts a new peak measurement from the current count.
void markPeak();
// The highest count since the last markPeak().
std::size_t peak();

}  // namespace allocationcounter
