#pragma once
// Wall-clock timing and the median of repeated measurements.

#include <algorithm>
#include <chrono>
#include <vector>

// Seconds since construction, on the steady clock.
class Stopwatch {
public:
    double seconds() const { return std::chrono::duration<double>(Clock::now() - start).count(); }

private:
    using Clock = std::chrono::steady_clock;
    Clock::time_point start = Clock::now();  // when the watch started
};

// The median of the samples (the mean of the middle two for an even count); 0
// for none.
inline double median(std::vector<double> samples) {
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    std::size_t half = samples.size() / 2;
    return samples.size() % 2 ? samples[half] : (samples[half - 1] + samples[half]) / 2;
}
