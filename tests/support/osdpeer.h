#pragma once
// OpenSubdiv as the peer Facetry is compared with, shared by the peer tests
// and the benchmark: a control mesh handed to OpenSubdiv's Far refiner with
// the same rules as Facetry's surface (Catmull-Clark with the mesh's scheme
// options: boundary interpolation, creasing method, triangle subdivision),
// its sharp edges, corners and holes included; uniform refinement; the
// points of a level and their limit positions and normals.
// Points are matched with OpenSubdiv's by support/pointmatch.h.

#include <opensubdiv/far/topologyRefiner.h>

#include <cstddef>
#include <memory>
#include <vector>

#include "math/vector.h"
#include "mesh/mesh.h"

// A position as OpenSubdiv's primvar interpolation wants it.
struct OsdPoint {
    float x, y, z;  // the position
    void Clear(void* = nullptr) { x = y = z = 0; }
    void AddWithWeight(const OsdPoint& p, float weight) {
        x += weight * p.x;
        y += weight * p.y;
        z += weight * p.z;
    }
};

// The control mesh as plain arrays, from which OpenSubdiv's descriptor reads.
struct OsdControl {
    std::vector<int> valences;         // vertices per face
    std::vector<int> indices;          // vertex indices of every face in turn
    std::vector<OsdPoint> positions;   // one per control vertex
    std::vector<int> creaseEnds;       // two per edge tagged sharp
    std::vector<float> creaseWeights;  // its sharpness
    std::vector<int> corners;          // sharp vertices
    std::vector<float> cornerWeights;  // their sharpness
    std::vector<int> holes;            // faces that are holes
    facetry::SchemeOptions options;    // the scheme options to refine with
};

// `control` at its current positions, with the sharpness of its edges and
// of its vertices, its holes and its scheme options.
OsdControl osdControl(const facetry::Mesh& control);

// The level-0 topology refined uniformly to `level`; with `fullLastLevel`
// the last level keeps every relation, which the limit needs.
std::unique_ptr<OpenSubdiv::Far::TopologyRefiner> osdRefine(const OsdControl& control, int level, bool fullLastLevel);

// Interpolates the positions of every level into `all`, which holds every
// level's vertices one after the other, level 0 first and already filled.
void osdInterpolate(const OpenSubdiv::Far::TopologyRefiner& refiner, std::vector<OsdPoint>& all);

// OpenSubdiv's surface at `level`: its points, and at each their limit
// position and normal (normalised t1 x t2; zero where a point has no
// tangents, as a point no face uses).
struct OsdSurface {
    std::vector<facetry::Vector> points;
    std::vector<facetry::Vector> limitPositions;
    std::vector<facetry::Vector> limitNormals;
};
OsdSurface osdLimitSurface(const facetry::Mesh& control, int level);
OsdSurface osdLimitSurface(const OsdControl& control, int level);
// OpenSubdiv's limit masks at `level` applied, in double precision, to other
// points of that level (`points`, in OpenSubdiv's order): the limit of
// another refinement of the same surface, free of the rounding of
// OpenSubdiv's own refinement and single-precision masks.
void osdLimitOf(const facetry::Mesh& control, int level, const std::vector<facetry::Vector>& points, std::vector<facetry::Vector>& positions,
                std::vector<facetry::Vector>& normals);
