#pragma once
// Loops over the machine's cores. A loop over [0, count) is cut into
// contiguous chunks that the calling thread and a pool of worker threads take
// in turn. Every index is visited exactly once, by one thread, so a loop whose
// iterations each write only their own results gives the same bits on any
// number of threads.
//
// The workers are made on first use and live until the process ends; between
// loops they sleep. Only the thread that calls parallelFor waits for it, so a
// program with one event thread keeps every callback on that thread.

#include <cstddef>
#include <functional>

namespace facetry {

// The number of threads the machine runs at once (at least 1).
int machineThreads();

// The grain of a loop whose every index costs about `work` units (points
// computed, elements linked): chunks of some 16,000 units, so that taking a
// chunk costs nothing next to its work.
std::size_t grainFor(std::size_t work);

// Runs body(begin, end) over chunks that cover [0, count), on at most
// `threads` threads, the caller's included. Chunks hold at least `grain`
// indices, so a loop of fewer than 2 * grain indices runs on the caller
// alone. An exception thrown by the body is rethrown here, after every chunk
// has ended (the first one thrown, if several are).
void parallelFor(std::size_t count, int threads, std::size_t grain,
                 const std::function<void(std::size_t begin, std::size_t end)>& body);

}  // namespace facetry
