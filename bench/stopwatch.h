#pragma once
// Timing and the median of repeated measurements. The watch reads the wall
// clock: Facetry refines on several threads, whose work a thread's CPU time
// would not show. The benchmark wants the machine to itself.

#include <time.h>

#include <algorithm>
#include <vector>

// Seconds since construction.
class Stopwatch {
public:
    double seconds() const { return now() - start; }

private:
    static double now() {
        timespec t;
        clock_gettime(CLOCK_MONOTONIC, &t);
        return t.tv_sec + t.tv_nsec * 1e-9;
    }
    double start = now();  // when the watch started
};

// The median of the samples (the mean of the middle two for an even count); 0
// for none.
inline double median(std::vector<double> samples) {
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    std::size_t half = samples.size() / 2;
    return samples.size() % 2 ? samples[half] : (samples[half - 1] + samples[half]) / 2;
}
