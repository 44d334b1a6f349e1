#pragma once
// The OpenSubdiv side of the benchmark: uniform Catmull-Clark refinement of a
// control mesh with smooth boundaries and smooth corners
// (VTX_BOUNDARY_EDGE_ONLY), its sharp edges and corners included (through
// support/osdpeer.h, which the peer tests share), timed in its two parts: the topology refinement,
// and the interpolation of the positions through every level with the
// topology kept, which is what one edit of a control vertex costs.

#include <cstddef>
#include <vector>

#include "math/vector.h"
#include "mesh/mesh.h"

// Medians over the repetitions, for one target level.
struct OsdFigures {
    int level = 0;                  // OpenSubdiv's level (one more than Facetry's for a non-quad mesh)
    double topologySeconds = 0;     // factory from the descriptor plus RefineUniform
    double interpolateSeconds = 0;  // PrimvarRefiner::Interpolate for levels 1..level
    std::size_t peakBytes = 0;      // heap held at the peak: topology of every level plus the points
    std::vector<facetry::Vector> points;     // the positions of the final level (last repetition)
};

// Refines `control` (its current positions and sharpness) to `level`,
// `repetitions` times.
OsdFigures runOpenSubdiv(const facetry::Mesh& control, int level, int repetitions);
// The same from the arrays OpenSubdiv reads.
struct OsdControl;
OsdFigures runOpenSubdiv(const OsdControl& control, int level, int repetitions);

// One refinement of `control` to `level`, topology and positions, untimed:
// what a program that refines with OpenSubdiv does. Returns the number of
// points of the last level.
int refineWithOpenSubdiv(const facetry::Mesh& control, int level);
