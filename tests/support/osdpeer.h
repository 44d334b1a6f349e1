#pragma once
// OpenSubdiv as the peer Facetry is compared with, shared by the peer tests
// and the benchmark: a control mesh handed to OpenSubdiv's Far refiner with
// the same rules as Facetry's surface (Catmull-Clark with the mesh's scheme
// options: boundary interpolation, creasing method, triangle subdivision),
// its sharp edges, corners and holes included; uniform refinement; the
// points of a level and their limit positions and normals; the texture
// coordinates as face-varying channel 0, refined under the mesh's
// face-varying rule, and their limits.
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
    std::vector<float> uvs;            // u, v per texture coordinate; empty for none
    std::vector<int> uvIndices;        // per face corner (as `indices`), its texture coordinate; empty for none
    facetry::SchemeOptions options;    // the scheme options to refine with
};

// `control` at its current positions, with the sharpness of its edges and
// of its vertices, its holes, its texture coordinates and its scheme options.
OsdControl osdControl(const facetry::Mesh& control);

// The level-0 topology refined uniformly to `level`; with `fullLastLevel`
// the last level keeps every relation, which the limit needs. The texture
// coordinates' indices, when there are any, are face-varying channel 0.
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

// OpenSubdiv's texture coordinates at `level` (the control mesh has them):
// the values of face-varying channel 0 refined level by level and their
// limits, both in double precision from the control mesh's floats; and the
// level's faces, each with its vertices and, corner by corner, the value it
// names, so that the UV at a face corner is values[faceValues[c]] with c
// found through faceVertices. Points are the level's points (single
// precision, as osdLimitSurface's), to match ours with.
struct OsdFaceVarying {
    std::vector<facetry::Vector> points;  // the level's points
    std::vector<double> values;           // u, v per face-varying value of the level
    std::vector<double> limits;           // u, v: the limit of each value
    std::vector<int> faceStart;           // face k's corners are faceStart[k] .. faceStart[k+1]-1
    std::vector<int> faceVertices;        // per corner, its point
    std::vector<int> faceValues;          // per corner, its face-varying value
    std::vector<char> holes;              // per face, 1 for a hole
    int numFaces() const { return static_cast<int>(faceStart.size()) - 1; }
};
OsdFaceVarying osdFaceVarying(const facetry::Mesh& control, int level);
OsdFaceVarying osdFaceVarying(const OsdControl& control, int level);
