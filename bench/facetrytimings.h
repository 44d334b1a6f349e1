#pragma once
// The Facetry side of the benchmark: load, build, the refinement to each
// level, undivide, the drag cost (vertexMoved) and the peak memory at each
// level, as medians over repetitions of the whole sequence on a given number
// of threads; and the resident memory after a reset.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "math/vector.h"
#include "mesh/mesh.h"
#include "mr/mrmesh.h"

// Medians for one level L >= 1.
struct FacetryLevelFigures {
    double subdivideSeconds = 0;    // the one step from L-1 to L
    double refineSeconds = 0;       // every step from 0 to L
    double undivideSeconds = 0;     // undivide() from L
    double vertexMovedSeconds = 0;  // vertexMoved() at L, one control vertex moved
    std::size_t peakBytes = 0;      // memory the surface held at its peak while reaching and editing L
    std::size_t weldedPoints = 0;   // distinct surface points at L
    // The bytes of the distinct points, 12 each: what the peak is measured against.
    std::size_t pointBytes() const { return 12 * weldedPoints; }
};

struct FacetryFigures {
    double loadSeconds = 0;                   // Mesh::load of the text
    double buildSeconds = 0;                  // MrMesh::build
    std::vector<FacetryLevelFigures> levels;  // entry L-1 for level L; fewer when subdivide() refused
};

// Runs the sequence `repetitions` times for levels 1..maxLevel on `threads`
// threads, the loaded mesh given `options` (the file's own when they are the
// defaults).
FacetryFigures runFacetry(const std::string& meshText, int maxLevel, int repetitions, int threads,
                          const facetry::SchemeOptions& options = {});

// The process's resident memory with a fresh surface at level 0, at `level`,
// and after a reset back to level 0, in bytes: what a reset gives back.
struct ResidentMemory {
    std::size_t atZero = 0;      // after build
    std::size_t atLevel = 0;     // after subdividing to the level
    std::size_t afterReset = 0;  // after reset()
};
ResidentMemory residentAfterReset(const std::string& meshText, int level);

// Loads control-mesh text through Mesh::load, or OBJ text (a creased
// variant) through loadObj; throws LoadError, and also when the loader
// reports any dropped face or warning.
std::unique_ptr<facetry::Mesh> loadText(const std::string& meshText);

// Builds the surface over `mesh` without its progress line, on `threads`
// threads (0: all the machine has).
std::unique_ptr<facetry::MrMesh> buildQuietly(facetry::Mesh& mesh, int threads = 0);

// Every distinct point of the surface: the vertices, the inner points of
// every edge and the inner points of every face grid.
std::vector<facetry::Vector> weldedSurfacePoints(const facetry::MrMesh& surface);

// The number of points weldedSurfacePoints() gives, without making them.
std::size_t weldedPointCount(const facetry::MrMesh& surface);

// The diagonal of the control mesh's bounding box.
double meshSize(const facetry::Mesh& mesh);
