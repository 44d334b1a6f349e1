#pragma once
// What both programs do with the library's reports: the library returns
// errors and messages, the programs print them. The control mesh is read as
// the viewer always has, with its messages on standard error and a fatal
// input error ending the process with status -1 (255).

#include <string>

#include "mesh/mesh.h"
#include "mr/mrmesh.h"

namespace facetry {

// Reads the control mesh at `path` by its extension; warnings go to standard
// error, and a fatal error prints its message there and exits with status -1.
void readMeshFile(const std::string& path, Mesh& mesh);

// Prints a status's message, if any, with a line break: a successful one's on
// standard output (flushed, so that it comes before anything a window or a
// later step prints), a failed one's on standard error.
void printStatus(const Status& status);

// Builds the surface over the control mesh and prints its progress line; a
// failure prints its message and exits with status -1.
void buildSurface(MrMesh& surface, Mesh& mesh);

}  // namespace facetry
