#pragma once
// Runs a real program the way a user would and reports what it did: its
// output, its exit status, its wall time and peak resident memory. An
// optional feeder writes its standard input (to hand it /dev/stdin as a
// file); without one the input is empty. A run that outlives its time limit
// is killed and reported as such. DISPLAY is removed from the program's
// environment: a program run here that got as far as a window would fail
// rather than wait.

#include <functional>
#include <string>
#include <vector>

// What one run of a program did.
struct ProgramRun {
    std::string output;          // everything it wrote on standard output
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

// Runs `program` with `arguments` (not counting argv[0]).
ProgramRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      double timeLimitSeconds = 60, const StdinFeeder& feeder = nullptr);

// Writes `prefix`, then `filler` repeated until `total` bytes in all, then
// `suffix`, to fd; stops early when the reader goes away.
long long feedRepeated(int fd, const std::string& prefix, const std::string& filler,
                       long long total, const std::string& suffix = "");
