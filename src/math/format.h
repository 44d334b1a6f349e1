#pragma once
// The one printf-style formatter of the program's messages.

#include <string>

namespace facetry {

// The text printf would write for `pattern` and its arguments.
std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

}  // namespace facetry
