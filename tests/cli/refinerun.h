#pragma once
// Running facetry-refine and parsing its command line, for the CLI tests.

#include <string>
#include <vector>

#include "app/refineoptions.h"
#include "support/process.h"

// Runs facetry-refine with `arguments`.
inline ProgramRun refine(const std::vector<std::string>& arguments) {
    return runProgram(FACETRY_REFINE_BINARY, arguments);
}

// Parses `args` as facetry-refine's arguments after the program name.
inline std::string parse(std::vector<const char*> args, facetry::RefineOptions& options) {
    args.insert(args.begin(), "facetry-refine");
    return facetry::parseRefineOptions(static_cast<int>(args.size()), args.data(), options);
}
