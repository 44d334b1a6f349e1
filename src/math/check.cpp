#include "math/check.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace facetry {

namespace {

// Source paths are reported from the project's own src/ folder on, so the
// message is the same whatever directory the program was built in.
const char* shortPath(const char* file) {
    const char* best = nullptr;
    for (const char* p = std::strstr(file, "src/"); p; p = std::strstr(p + 1, "src/"))
        best = p;
    return best ? best : file;
}

}  // namespace

void assertionFailed(const char* expression, const char* file, int line) {
    std::fprintf(stderr, "Assertion failed: %s, file %s, line %d\n", expression, shortPath(file), line);
    std::fflush(stderr);
    std::abort();
}

}  // namespace facetry
