#include "mesh/error.h"

#include <cstdio>
#include <cstdlib>

namespace facetry {

void reportError(const char* format, const char* argument) {
    std::fprintf(stderr, format, argument);
    std::fputs("\n", stderr);
}

void reportError(const char* format, int argument) {
    std::fprintf(stderr, format, argument);
    std::fputs("\n", stderr);
}

void fatalError(const char* format, const char* argument) {
    reportError(format, argument);
    std::exit(-1);
}

void fatalError(const char* format, int argument) {
    reportError(format, argument);
    std::exit(-1);
}

}  // namespace facetry
