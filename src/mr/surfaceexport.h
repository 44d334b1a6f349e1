#pragma once
// The surface at its current level as one welded quad mesh, and its writers.
//
// Welding follows the topology, never distances: every point the surface
// stores in several elements is written once, under the element that owns it.
// With V vertices, E edges, F faces and m = 2^level cells along a side:
// - vertex v is point v;
// - the inner point k steps from vertex(0) of edge e (0 < k < m) is point
//   V + e(m-1) + k-1;
// - the inner grid point (i, j) of face f (0 < i, j < m) is point
//   V + E(m-1) + f(m-1)^2 + (i-1)(m-1) + j-1.
// So there are V + E(m-1) + F(m-1)^2 points. The quads follow face by face,
// m^2 per face, cell (i, j) as the corners (i, j), (i+1, j), (i+1, j+1),
// (i, j+1): the same turning sense as the face's vertex(0) to vertex(3). A
// closed surface therefore gives a closed quad mesh, every edge shared by
// two quads that run along it in opposite directions.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

#include "mesh/meshfile.h"
#include "mr/mrmesh.h"

namespace facetry {

class WeldedSurface {
public:
    // Reads `surface` at its current level; it must stay unchanged while used.
    explicit WeldedSurface(const MrMesh& surface);

    long long pointCount() const;
    long long quadCount() const;
    // The number of distinct quad sides.
    long long edgeCount() const;
    // The welded index of grid point (i, j) of face f, 0 <= i, j <= m.
    long long index(int f, int i, int j) const;
    // The welded index of point k (0 <= k <= m) of edge e, from its vertex(0).
    long long edgePointIndex(int e, int k) const;

    // Every point in index order.
    void forEachPoint(const std::function<void(const Vector&)>& visit) const;
    // Every quad, its four point indices in order around it.
    void forEachQuad(const std::function<void(const long long* corners)>& visit) const;

    // The same into a caller's memory, in one pass over the surface's blocks
    // (the quads and texture coordinates on the surface's threads, with the
    // same bits on any number of them): x, y, z of every point
    // (3 pointCount() floats); the four corners of every quad (4 quadCount()
    // indices, which needs pointCount() <= 2^31 - 1); u, v at the four corners
    // of every quad (8 quadCount() floats; the surface must have texture
    // coordinates). For programs that hand the surface on as arrays.
    void copyPoints(float* xyz) const;
    void copyQuads(std::int32_t* corners) const;
    void copyTextureCoordinates(float* uv) const;

private:
    long long sidePoint(int face, int side, int k) const;

    const MrMesh& surface;      // the surface read, at its current level
    const MrTopology& topology; // its elements
    int cells;                  // m = 2^level: cells along a face side
    long long edgeBase;   // index of the first inner edge point
    long long faceBase;   // index of the first inner face point
};

// What a writer may put in place of the points or beside them, each one
// entry per point in index order (the limit surface gives them).
struct SurfaceExtras {
    const std::vector<Vector>* positions = nullptr;  // written instead of the points
    const std::vector<Vector>* normals = nullptr;    // a normal per point (OBJ only)
};

// Writes the welded surface as OBJ or OFF (`format` is one of the two);
// coordinates with nine significant digits, which bring every float back
// unchanged. OBJ also gets the surface's texture coordinates (`vt`, one per
// distinct value, each quad corner naming its own) and its sharp edges and
// vertices at this level as crease and corner tags on the quad sides and
// points (0-based), so that reading the file back continues the same
// surface. Returns false when writing failed.
bool writeSurface(FILE* out, const MrMesh& surface, MeshFormat format, const SurfaceExtras& extras = {});

}  // namespace facetry
