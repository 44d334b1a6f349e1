#pragma once
// MrTopology: the surface's quads, edges and vertices as index arrays. It is
// set once, when the surface is built, and every level shares it: a level
// only adds points inside the edges and faces, never elements.
//
// Elements are numbered as the surface numbers them: vertex, edge and face i.
// Faces are quads. Invariants once complete():
// - edge k of face f joins vertex k and vertex k+1 of the face (mod 4);
// - an edge's faces are in the order they were attached: faces are attached
//   in index order, so face(0) is the lower-numbered one;
// - a vertex's ring is in cyclic order: ring face k lies between ring edges k
//   and k+1; a boundary vertex starts and ends its ring with its two boundary
//   edges and has one face fewer than edges (its last face slot holds -1); a
//   vertex no face uses has an empty ring.

#include <cstddef>
#include <vector>

#include "rules/creases.h"
#include "mr/block.h"

namespace facetry {

// The corner each side of a face grid is counted from: side 0 (row j = 0)
// and side 3 (column i = 0) from vertex(0), side 1 (column i = m) from
// vertex(1), side 2 (row j = m) from vertex(3).
constexpr int kSideStart[4] = {0, 1, 3, 0};

// A quad: vertex k, and the edge from vertex k to vertex k+1 (mod 4). Both
// lists in one record, so that a walk meets them in one cache line.
struct MrFaceTopology {
    int vertices[4];  // in order around the face
    int edges[4];     // edge k from vertex k to vertex k+1
};

// An edge: its two ends and its faces in the order they were attached.
struct MrEdgeTopology {
    int vertices[2];  // vertex(0), vertex(1)
    int faces[2];     // face(0), face(1); -1 where there is none
};

struct MrTopology {
    int numV = 0;  // number of vertices
    int numE = 0;  // number of edges
    int numF = 0;  // number of faces

    Block<MrFaceTopology> faces;        // per face, its corners and sides
    Block<unsigned char> faceSides;     // per face, bit k: edge k starts at the corner side k is counted from (sideFromStart)
    Block<MrEdgeTopology> edges;        // per edge, its ends and faces
    Block<unsigned char> edgeFrames;    // 2 per edge: for face(i), packFrame(the side it lies on, whether it starts at that side's first corner)
    Block<int> ringStart;               // numV + 1: vertex v's ring entries are ringStart[v] .. ringStart[v+1]-1
    Block<int> ringEdges;               // per ring entry: the edge
    Block<int> ringFaces;               // per ring entry: the face after the edge, -1 after a boundary vertex's last edge
    Block<unsigned char> ringCorners;   // per ring entry: packRingCorner(the vertex's corner in that face, whether it is the edge's vertex(1))

    // Creases: the sharpness of every edge and vertex at level 0 (see
    // rules/creases.h), each level down 1 less. Both are empty when nothing is
    // sharp. A boundary edge follows the boundary rules whatever is stored.
    Block<float> edgeSharpness;         // per edge, its sharpness at level 0
    Block<float> vertexSharpness;       // per vertex, its sharpness at level 0
    Block<unsigned char> vertexCreased; // per vertex, 1 when it or an interior edge of its ring is sharp at level 0
    CreasingMethod creasing = CreasingMethod::Uniform;  // how semi-sharp edges wear off

    // Chaikin creasing, where the segments of an edge (the 2^level pieces
    // between its points) wear off each at its own rate: the interior edges
    // semi-sharp at level 0 ("segmented" edges) have their segments'
    // sharpness kept level by level, for the levels some element stands at
    // (keepSegmentsTo, dropSegmentsAbove), 4 bytes per segment; every other
    // edge has one sharpness along it, edgeSharpnessAt. All empty otherwise.
    Block<int> segmentSlot;                   // per edge, its place among the segmented edges, or -1
    Block<int> segmentedEdges;                // per place, the edge
    std::vector<Block<float>> segmentLevels;  // [r - 1]: level r's 2^r segments of each segmented edge, place by place

    // Holes: per face, 1 when it has no surface (a hole control face's quads).
    // Empty when no face is a hole. The rules do not look at it: a hole's
    // points still shape its neighbours; only export and drawing skip it.
    Block<unsigned char> faceHoles;

    bool creased() const { return edgeSharpness.size() != 0; }
    bool hasHoles() const { return faceHoles.size() != 0; }
    bool isHole(int f) const { return hasHoles() && faceHoles[f] != 0; }
    // Edge e's and vertex v's sharpness at `level` (0 when nothing is sharp).
    float edgeSharpnessAt(int e, int level) const { return creased() ? sharpnessAfter(edgeSharpness[e], level) : 0.0f; }
    float vertexSharpnessAt(int v, int level) const { return creased() ? sharpnessAfter(vertexSharpness[v], level) : 0.0f; }
    // The sharpness edge e's rules take at `level`: infinite on the boundary.
    float edgeRuleSharpnessAt(int e, int level) const { return edgeRuleSharpness(edgeSharpnessAt(e, level), edgeOnBoundary(e)); }

    // Whether edge e's segments have sharpness of their own (Chaikin).
    bool segmented(int e) const { return segmentSlot.size() != 0 && segmentSlot[e] >= 0; }
    // The sharpness of segment i (0 to 2^level - 1, counted from vertex(0))
    // of edge e at `level`, as tagged: what the export writes.
    float segmentSharpnessAt(int e, int i, int level) const {
        if (level == 0 || !segmented(e)) return edgeSharpnessAt(e, level);
        return segmentLevels[level - 1][(static_cast<std::size_t>(segmentSlot[e]) << level) + i];
    }
    // The sharpness the rules of ring entry `slot`'s vertex take for the
    // segment of its edge that touches the vertex, at `level`.
    float ringEdgeRuleSharpnessAt(int slot, int level) const {
        const int e = ringEdges[slot];
        if (!segmented(e)) return edgeRuleSharpnessAt(e, level);
        return segmentSharpnessAt(e, ringFromEnd(slot) ? (1 << level) - 1 : 0, level);
    }
    // Vertex v as its rules see it at `level` (rules/creases.h).
    auto vertexNeighbourhoodAt(int v, int level) const {
        const int first = ringStart[v];
        return vertexNeighbourhood(
            edgeVal(v), vertexSharpnessAt(v, level),
            [this, first, level](int k) { return ringEdgeRuleSharpnessAt(first + k, level); }, creasing);
    }
    // Inner point c (0 < c < 2^level) of segmented edge e as its rules see
    // it: the segments before and after it for ring edges 0 and 1, and the
    // two smooth edges into the faces.
    auto innerPointNeighbourhoodAt(int e, int c, int level) const {
        const float before = segmentSharpnessAt(e, c - 1, level), after = segmentSharpnessAt(e, c, level);
        return vertexNeighbourhood(
            4, 0.0f, [before, after](int k) { return k == 0 ? before : k == 1 ? after : 0.0f; }, creasing);
    }
    // Keeps the segments' sharpness of every level up to `level`, working
    // out the missing ones level by level; lets go of those above `level`.
    void keepSegmentsTo(int level);
    void dropSegmentsAbove(int level);
    // The bytes the segments of `level` take.
    std::size_t segmentBytesAt(int level) const {
        return level == 0 ? 0 : (segmentedEdges.size() << level) * sizeof(float);
    }

    int edgeVal(int v) const { return ringStart[v + 1] - ringStart[v]; }
    int faceVal(int v) const {
        const int n = edgeVal(v);
        return n > 0 && ringFaces[ringStart[v + 1] - 1] < 0 ? n - 1 : n;
    }
    bool edgeOnBoundary(int e) const { return edges[e].faces[1] < 0; }
    // Whether edge k of face f starts at the corner its grid side is counted from.
    bool sideFromStart(int f, int k) const { return faceSides[f] >> k & 1; }
    static unsigned char sideFromStartBit(int k, bool fromStart) { return static_cast<unsigned char>(fromStart ? 1 << k : 0); }

    // Ring entry `slot`: the vertex's corner in its face, and whether the
    // vertex is the edge's vertex(1).
    int ringCorner(int slot) const { return ringCorners[slot] & kCornerBits; }
    bool ringFromEnd(int slot) const { return ringCorners[slot] & kFlagBit; }
    static unsigned char packRingCorner(int corner, bool fromEnd) { return pack(corner, fromEnd); }
    // Edge e in its face(i): the side of the face it lies on, and whether it
    // starts at the corner that side is counted from.
    int frameSide(int e, int i) const { return edgeFrames[2 * e + i] & kCornerBits; }
    bool frameFromStart(int e, int i) const { return edgeFrames[2 * e + i] & kFlagBit; }
    static unsigned char packFrame(int side, bool fromStart) { return pack(side, fromStart); }

    // The row of grid points one step into face(i) of edge e, read along the
    // edge from its vertex(0), at a level of m cells: point c (0 to m) of the
    // row is grid point (i0 + c di, j0 + c dj) of the face.
    struct RowFrame {
        int i0, j0, di, dj;
    };
    RowFrame rowFrame(int e, int i, int m) const {
        const bool fromStart = frameFromStart(e, i);
        switch (frameSide(e, i)) {
        case 0: return {fromStart ? 0 : m, 1, fromStart ? 1 : -1, 0};
        case 1: return {m - 1, fromStart ? 0 : m, 0, fromStart ? 1 : -1};
        case 2: return {fromStart ? 0 : m, m - 1, fromStart ? 1 : -1, 0};
        default: return {1, fromStart ? 0 : m, 0, fromStart ? 1 : -1};
        }
    }

    // Fills faceSides and edgeFrames (allocated) from the faces and edges, on
    // up to `threads` threads.
    void completeFrames(int threads);

private:
    // A ring corner and an edge frame each pack a corner or side (0 to 3) and a flag.
    static constexpr int kCornerBits = 3;
    static constexpr int kFlagBit = 4;
    static unsigned char pack(int cornerOrSide, bool flag) {
        return static_cast<unsigned char>(cornerOrSide | (flag ? kFlagBit : 0));
    }
};

}  // namespace facetry
