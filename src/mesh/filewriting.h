#pragma once
// Writing the files Facetry makes (the control mesh, the surface): numbers
// that read back as the same floats, and files that replace their previous
// contents only once they are complete.

#include <cstdio>
#include <functional>
#include <string>

#include "math/status.h"
#include "math/vector.h"

namespace facetry {

// Nine significant digits bring every float back unchanged, through strtof
// and scanf's %f alike.
#define FACETRY_FLOAT "%.9g"

// Writes `prefix`, then p's coordinates separated by spaces, then a line break.
void writeVector(FILE* out, const char* prefix, const Vector& p);

// Writes the file at `path` through `write`, which gets a stream open on a
// new temporary file beside it and returns false when it could not write
// everything. Only once the whole file is written and flushed to the disk is
// it renamed to `path`: a failed write (full disk, no permission, a directory
// in the way) leaves whatever was at `path` as it was and no temporary file
// behind. A new file gets the permissions the umask gives, a replaced one
// keeps its own. On failure the message is "cannot write PATH: REASON".
Status replaceFile(const std::string& path, const std::function<bool(FILE*)>& write);

}  // namespace facetry
