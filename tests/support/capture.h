#pragma once
// What a call prints, and what a failed assertion reports.

#include <cstdio>
#include <functional>
#include <string>

// Runs `action` and returns what it wrote to `stream` (stdout or stderr).
std::string captureOutput(FILE* stream, const std::function<void()>& action);
inline std::string captureStdout(const std::function<void()>& action) { return captureOutput(stdout, action); }
inline std::string captureStderr(const std::function<void()>& action) { return captureOutput(stderr, action); }

// The regular expression for the program's report of a failed assertion:
// the expression as written and the source file it is in.
std::string assertionPattern(const std::string& expression, const std::string& file);
