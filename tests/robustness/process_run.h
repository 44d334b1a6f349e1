#pragma once
// Runs the real facetry binary the way a user would, with an optional feeder
// that writes its standard input (to hand it /dev/stdin as the mesh file),
// and measures what the run cost: wall time and peak resident memory. A run
// that outlives its time limit is killed and reported as such.

#include <functional>
#include <string>
#include <vector>

// What one run of a program did.
struct ProgramRun {
    std::string errorOutput;     // everything it wrote on standard error
    int exitStatus = -1;         // exit status 0..255, or -1 when it did not exit normally
    bool timedOut = false;       // it was killed at the time limit
    double seconds = 0;          // wall time until it ended
    long peakResidentKb = 0;     // its peak resident set size, kilobytes
    long long bytesFed = 0;      // bytes the feeder got into its standard input
};

// Writes standard input: called with a pipe's write end; writes until done or
// until a write fails (the program stopped reading); returns bytes written.
using StdinFeeder = std::function<long long(int fd)>;

// Runs `program` with `arguments` (not counting argv[0]); standard output is
// discarded. Without a feeder, standard input is empty.
ProgramRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      double timeLimitSeconds, const StdinFeeder& feeder = nullptr);

// Writes `prefix`, then `filler` repeated until `total` bytes in all, then
// `suffix`, to fd; stops early when the reader goes away.
long long feedRepeated(int fd, const std::string& prefix, const std::string& filler,
                       long long total, const std::string& suffix = "");
