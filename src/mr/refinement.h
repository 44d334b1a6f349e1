#pragma once
// One Catmull-Clark refinement step of the surface, as three rules over the
// index arrays of MrTopology and the blocks of points of a level. Each rule
// computes the points that one element owns at the next level (a vertex its
// position, an edge the points strictly between its ends, a face the points
// strictly inside its grid) from the points of the current level it reads.
// The rules write nothing but their own results, so elements can be refined
// in any order and on any number of threads, always to the same bits: every
// sum is formed left to right in single precision, in the order written in
// refinement.cpp.

#include <cstddef>

#include "math/vector.h"
#include "mr/mrtopology.h"

namespace facetry {

// Where the points of one level lie. Every point is stored once, by the
// element that owns it; edge ends and grid borders are read from their
// owners. An element's points sit at its slot: its own index or, where a
// slot array is given, the entry there (the edit region keeps only the
// elements it needs, packed).
struct LevelPoints {
    int cells = 1;                       // m = 2^level: the cells along a grid side
    Vector* vertices = nullptr;          // one position per vertex slot
    Vector* edges = nullptr;             // m-1 per edge slot: the point k steps from vertex(0) at k-1
    Vector* faces = nullptr;             // (m-1)^2 per face slot: grid point (i, j) at (i-1)(m-1) + j-1
    const int* vertexSlots = nullptr;    // per vertex, its slot; null: the vertex's index
    const int* edgeSlots = nullptr;      // per edge, its slot; null: the edge's index
    const int* faceSlots = nullptr;      // per face, its slot; null: the face's index

    // Points strictly inside an edge (m-1) and a face grid ((m-1)^2).
    std::size_t edgeInnerCount() const { return static_cast<std::size_t>(cells - 1); }
    std::size_t faceInnerCount() const { return edgeInnerCount() * edgeInnerCount(); }
    Vector& vertex(int v) const { return vertices[vertexSlots ? vertexSlots[v] : v]; }
    Vector* edgeInner(int e) const { return edges + static_cast<std::size_t>(edgeSlots ? edgeSlots[e] : e) * edgeInnerCount(); }
    Vector* faceInner(int f) const { return faces + static_cast<std::size_t>(faceSlots ? faceSlots[f] : f) * faceInnerCount(); }
};

// Point k (0 to m) of edge e, counted from its vertex(0).
Vector edgePointAt(const MrTopology& topology, int e, int k, const LevelPoints& points);
// Grid point (i, j) (each 0 to m) of face f: i runs from vertex(0) towards
// vertex(1), j from vertex(0) towards vertex(3).
Vector gridPointAt(const MrTopology& topology, int f, int i, int j, const LevelPoints& points);
// The points one step into face(i) of edge e, read along the edge from its
// vertex(0): row[c] for c = 0 to m. The two ends lie on the face's sides, the
// rest strictly inside its grid.
void faceRow(const MrTopology& topology, int e, int i, const LevelPoints& points, Vector* row);
// The whole (m+1) x (m+1) grid of face f into `grid`, row by row.
void gatherGrid(const MrTopology& topology, int f, const LevelPoints& points, Vector* grid);

// Scratch a rule needs at a level of m cells, in points: the edge rule five
// rows, the face rule a grid of (m+1)^2, one of m^2 and two rows.
inline std::size_t ruleScratchSize(int cells) {
    const std::size_t m = static_cast<std::size_t>(cells), n = m + 1;
    return n * n + m * m + 2 * m > 5 * n ? n * n + m * m + 2 * m : 5 * n;
}

// Which elements a step refines: every one, or those listed (the first
// `count` entries of each list, which may be empty).
struct StepElements {
    bool every = true;           // every element, the lists unused
    const int* vertices = nullptr;
    std::size_t vertexCount = 0;
    const int* edges = nullptr;
    std::size_t edgeCount = 0;
    const int* faces = nullptr;
    std::size_t faceCount = 0;
};

// One refinement step of the elements named, from `from` into `to` (the next
// level), on up to `threads` threads. Throws std::bad_alloc when memory for a
// rule's scratch runs out.
void refineStep(const MrTopology& topology, const LevelPoints& from, const LevelPoints& to,
                const StepElements& elements, int threads);

// The vertex rule: vertex v's position at the next level.
Vector refinedVertex(const MrTopology& topology, int v, const LevelPoints& from);
// The edge rule: the 2m-1 points strictly inside edge e at the next level,
// from its vertex(0) on, into `to`.
void refineEdge(const MrTopology& topology, int e, const LevelPoints& from, Vector* to, Vector* scratch);
// The face rule: the (2m-1)^2 points strictly inside face f's grid at the
// next level, row by row, into `to`.
void refineFace(const MrTopology& topology, int f, const LevelPoints& from, Vector* to, Vector* scratch);

}  // namespace facetry
