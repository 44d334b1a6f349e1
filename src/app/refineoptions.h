#pragma once
// The command line of facetry-refine, parsed without side effects so that
// every usage error can be tested in-process.

#include <optional>
#include <string>

#include "mr/surfaceexport.h"

namespace facetry {

// What the command line asks for. After a successful parse without --help,
// `input` is set, `level` >= 0, and `output` is empty or ends in .obj or .off
// (with `format` matching it); --limit and --normals come with an output,
// --normals with an OBJ one.
struct RefineOptions {
    std::string input;                        // the control mesh file
    int level = 0;                            // refinement steps after level 0
    std::string output;                       // where to write the surface; empty for nowhere
    MeshFormat format = MeshFormat::Obj;      // the output's format, from its extension
    bool dump = false;                        // print the control mesh and the surface
    bool progress = false;                    // report levels even when stderr is not a terminal
    long long memoryLimitMiB = -1;            // refuse levels beyond this many MiB; -1 for no limit
    int threads = 0;                          // threads to refine on; 0 for all the machine has
    bool limit = false;                       // write the points at their limit positions
    bool normals = false;                     // write a limit normal per point (OBJ only)
    bool help = false;                        // print the usage and stop
    // Scheme options that override the input file's; unset: the file's.
    std::optional<BoundaryInterpolation> boundary;  // --boundary
    std::optional<CreasingMethod> creasing;         // --creasing
    std::optional<TriangleSubdivision> triangles;   // --triangles
    std::optional<FaceVaryingInterpolation> faceVarying;  // --uv-interpolation

    // The file's options with those of the command line put over them.
    SchemeOptions schemeOver(const SchemeOptions& file) const;
};

// The exit status of a command-line error.
constexpr int kUsageStatus = 2;

// The full --help text.
extern const char* const kRefineUsage;

// Parses argv[1..argc-1]. Returns an empty string on success, otherwise the
// usage error to print (without the program name or a line break).
std::string parseRefineOptions(int argc, const char* const* argv, RefineOptions& options);

}  // namespace facetry
