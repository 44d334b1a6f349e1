#pragma once
// Timing and the median of repeated measurements. The watch reads the
// calling thread's CPU time (user and system, page faults included), so
// other processes sharing the machine do not inflate the figures; both
// libraries refine on one thread.

#include <time.h>

#include <algorithm>
#include <vector>

// CPU seconds of the calling thread since construction.
class Stopwatch {
public:
    double seconds() const { return now() - start; }

private:
    static double now() {
        timespec t;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
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
