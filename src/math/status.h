#pragma once
// Status: what an operation that can fail tells its caller. The library
// prints nothing and never ends the process: the programs print the
// message, a successful operation's on standard output and a failed one's on
// standard error, and decide what a failure means for them.

#include <string>

namespace facetry {

struct Status {
    bool ok = true;       // the operation did what was asked
    std::string message;  // a line for the user, without its line break; empty for none

    explicit operator bool() const { return ok; }
};

}  // namespace facetry
