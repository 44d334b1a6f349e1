#pragma once
// The program's assertion. It is part of the behaviour and is never compiled
// out: a failed check prints the expression as written, the source file and
// the line on standard error and aborts, in every build type.

namespace facetry {

[[noreturn]] void assertionFailed(const char* expression, const char* file, int line);

}  // namespace facetry

#define FACETRY_ASSERT(expression) \
    ((expression) ? static_cast<void>(0) : ::facetry::assertionFailed(#expression, __FILE__, __LINE__))
