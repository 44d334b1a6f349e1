#pragma once
// TempDir: a fresh directory under /tmp for the files of one test, removed
// with everything in it when the test ends.

#include <string>
#include <vector>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The directory itself.
    const std::string& path() const { return dir; }
    // The path of `file` in the directory.
    std::string path(const std::string& file) const { return dir + "/" + file; }
    // Writes `text` to `file` and returns its path.
    std::string write(const std::string& file, const std::string& text) const;

private:
    std::string dir;  // absolute path
};

// The contents of a file; empty if it cannot be read.
std::string readFile(const std::string& path);
// The names in a directory, sorted, without "." and ".."; empty if it cannot be read.
std::vector<std::string> directoryEntries(const std::string& dir);
