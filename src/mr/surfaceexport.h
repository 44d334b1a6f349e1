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
//
// Faces that are holes (MrTopology::isHole) have no quads, and the points
// only they use are left out: the numbering above then skips every vertex,
// edge and face that only holes touch, keeping the order of the rest (a
// vertex that no face uses stays).

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
    // The welded index of vertex v (v itself when no face is a hole).
    long long vertexPoint(int v) const { return vertexIndex.empty() ? v : vertexIndex[v]; }

    // Every point in index order.
    void forEachPoint(const std::function<void(const Vector&)>& visit) const;
    // The points the level stores, holes or not: V + E(m-1) + F(m-1)^2, in
    // the order above without skipping (the order of the limit's points).
    long long storedPointCount() const { return faceBase + static_cast<long long>(topology.numF) * (cells - 1) * (cells - 1); }
    // For every point in index order, its place among the stored points.
    void forEachStoredIndex(const std::function<void(long long stored)>& visit) const;
    // Whether the welded surface has vertex v, the inner points of edge e,
    // the quads of face f (all of them when no face is a hole).
    bool keepsVertex(int v) const { return vertexIndex.empty() || vertexIndex[v] >= 0; }
    bool keepsEdge(int e) const { return edgeStart.empty() || edgeStart[e] >= 0; }
    bool keepsFace(int f) const { return !topology.isHole(f); }
    // Every quad, its four point indices in order around it.
    void forEachQuad(const std::function<void(const long long* corners)>& visit) const;

    // The same into a caller's memory, in one pass over the surface's blocks
    // (the quads and texture coordinates on the surface's threads, with the
    // same bits on any number of them): x, y, z of every point
    // (3 pointCount() floats); the four corners of every quad (4 quadCount()
    // indices, which needs pointCount() <= 2^31 - 1); u, v at the four corners
    // of every quad (8 quadCount() floats; the surface must have texture
    // coordinates), or their limits. For programs that hand the surface on
    // as arrays.
    void copyPoints(float* xyz) const;
    void copyQuads(std::int32_t* corners) const;
    void copyTextureCoordinates(float* uv, bool limit = false) const;

private:
    long long sidePoint(int face, int side, int k) const;
    void numberAroundHoles();
    // With holes, each kept face's place among the kept faces; empty without.
    std::vector<std::size_t> keptFaceSlots() const;
    // The index of edge e's first inner point, of face f's first inner point.
    long long edgeInnerStart(int e) const {
        return edgeStart.empty() ? edgeBase + static_cast<long long>(e) * (cells - 1) : edgeStart[e];
    }
    long long faceInnerStart(int f) const {
        return faceStart.empty() ? faceBase + static_cast<long long>(f) * (cells - 1) * (cells - 1) : faceStart[f];
    }

    const MrMesh& surface;      // the surface read, at its current level
    const MrTopology& topology; // its elements
    int cells;                  // m = 2^level: cells along a face side
    long long edgeBase;   // index of the first inner edge point (before any is skipped)
    long long faceBase;   // index of the first inner face point (before any is skipped)
    // With holes: per vertex, edge and face its index (vertexPoint, edgeInnerStart,
    // faceInnerStart), -1 when left out; empty without holes.
    std::vector<long long> vertexIndex, edgeStart, faceStart;
    long long kept[3] = {0, 0, 0};  // with holes: vertices, edges and faces kept
};

// What a writer may put in place of the points or beside them: one entry per
// stored point (storedPointCount(), the limit's order), of which a writer
// takes those of the points it writes, or one per point written.
struct SurfaceExtras {
    const std::vector<Vector>* positions = nullptr;  // written instead of the points
    const std::vector<Vector>* normals = nullptr;    // a normal per point (OBJ only)
    bool limitTextureCoordinates = false;            // the texture coordinates' limits instead of their values
};

// Writes the welded surface as OBJ or OFF (`format` is one of the two);
// coordinates with nine significant digits, which bring every float back
// unchanged. OBJ also gets the surface's texture coordinates (`vt`, one per
// value of the UV layout, so that a seam stays one, each quad corner naming
// its own) and its sharp edges and
// vertices at this level as crease and corner tags on the quad sides and
// points (0-based), so that reading the file back continues the same
// surface, the options in effect and the holes left too (the writer of the
// options, writeOptionTags, is the control mesh's). Returns false when
// writing failed.
bool writeSurface(FILE* out, const MrMesh& surface, MeshFormat format, const SurfaceExtras& extras = {});

}  // namespace facetry
