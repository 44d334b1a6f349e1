#pragma once
// Memory as the surface sees it: how much the system still has for this
// process, which the surface's memory guard asks before every level, and
// memory for large arrays that a caller fills whole at once.

#include <cstddef>

namespace facetry {

// What the system reports as available to this process: the smallest of the
// free memory it could have, its address-space limit and its cgroup's limit.
std::size_t systemAvailableMemory();

// Memory for an array its caller fills whole right away (the welded surface
// copied out, the Python module's arrays): from 1 MiB on mapped with every
// page in place, which one system call does far faster than the faults of
// the first writes would, one per page. Its contents are unspecified.
// Throws std::bad_alloc; release it with giveBackArrayMemory, the same size.
// Not counted by the block observer.
void* takeArrayMemory(std::size_t bytes);
void giveBackArrayMemory(void* memory, std::size_t bytes);

}  // namespace facetry
