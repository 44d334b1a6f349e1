#pragma once
// The program's two error functions: a printf format with one argument, then
// a newline, on standard error. fatalError then exits with status -1.

namespace facetry {

[[noreturn]] void fatalError(const char* format, const char* argument);
[[noreturn]] void fatalError(const char* format, int argument);
void reportError(const char* format, const char* argument);
void reportError(const char* format, int argument);

}  // namespace facetry
