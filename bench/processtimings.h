#pragma once
// Whole-process timing: a program run from start to exit, as a user runs it,
// loading, building and refining included.

#include <string>
#include <vector>

// The median wall time of `repetitions` runs of the program `argv[0]` with
// its arguments, standard output and error sent to /dev/null. Throws
// std::runtime_error when a run does not exit with status 0.
double timeProcess(const std::vector<std::string>& argv, int repetitions);

// A directory of its own under /tmp for the benchmark's files, removed with
// everything in it when the object goes.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    // Writes `text` into the file `name` here and returns its path.
    std::string write(const std::string& name, const std::string& text) const;

private:
    std::string path;  // the directory
};
