#include "mr/mrvertex.h"

#include <cstdio>

int MrVertex::counter = 0;

namespace {
// Boundary: the cubic B-spline curve rule along the two boundary edges.
constexpr float kBoundarySelf = 0.75f;       // 3/4
constexpr float kBoundaryNeighbour = 0.125f; // 1/8
// Regular interior vertex (four faces).
constexpr float kRegularSelf = 0.5625f;      // 9/16
constexpr float kRegularEdge = 0.09375f;     // 3/32
constexpr float kRegularDiagonal = 0.015625f; // 1/64

// The point one step along an edge from the vertex, read straight from the
// edge's storage (the accessor was bound at link time and the edge is at the
// vertex's level, so the index is in range).
Vector alongEdge(const MrEdgeAccess& access) {
    const MrEdge* e = access.edge();
    return e->pointData()[access.index(1, e->pointCount())];
}

// The grid point diagonally next to the vertex's corner of a face, read
// straight from the face's grid.
Vector diagonalIn(const MrFaceAccess& access) {
    const MrFace* f = access.face();
    int base, stepI, stepJ;
    access.frame(f->gridSize(), base, stepI, stepJ);
    return f->gridData()[base + stepI + stepJ];
}
}  // namespace

MrVertex::~MrVertex() {
    delete[] edgeAccess;
    delete[] faceAccess;
}

void MrVertex::link() {
    delete[] edgeAccess;
    delete[] faceAccess;
    edgeAccess = new MrEdgeAccess[edgeVal()];
    for (int k = 0; k < edgeVal(); ++k) edgeAccess[k].set(edge(k), this);
    faceAccess = new MrFaceAccess[faceVal()];
    for (int k = 0; k < faceVal(); ++k) {
        TopEdge *e1, *e2;
        face(k)->edgesAt(this, e1, e2);
        faceAccess[k].set(face(k), static_cast<MrEdge*>(e1), static_cast<MrEdge*>(e2));
    }
}

void MrVertex::refine() {
    // A control vertex that no face uses takes no part in the surface.
    if (edgeVal() == 0) {
        ++res;
        return;
    }
    FACETRY_ASSERT(edge(0)->curRes() == res);
    FACETRY_ASSERT(face(0)->curRes() == res);
    const int edgeCount = edgeVal(), faceCount = faceVal();
    if (edgeCount != faceCount) {
        Vector e0 = alongEdge(edgeAccess[0]), eLast = alongEdge(edgeAccess[edgeCount - 1]);
        pos = pos * kBoundarySelf + (e0 + eLast) * kBoundaryNeighbour;
    } else if (faceCount == 4) {
        Vector diagonals = diagonalIn(faceAccess[0]) + diagonalIn(faceAccess[1]) + diagonalIn(faceAccess[2]) +
                           diagonalIn(faceAccess[3]);
        Vector neighbours = alongEdge(edgeAccess[0]) + alongEdge(edgeAccess[1]) + alongEdge(edgeAccess[2]) +
                            alongEdge(edgeAccess[3]);
        pos = (pos * kRegularSelf + diagonals * kRegularDiagonal) + neighbours * kRegularEdge;
    } else {
        // Extraordinary vertex of valence N: 1.5/N on the edge neighbours'
        // share, 0.25/N on the diagonals', the rest on the vertex itself.
        const float n = static_cast<float>(faceCount);
        const float b = 1.5f / n, g = 0.25f / n, a = 1 - b - g;
        Vector neighbours, diagonals;
        for (int k = 0; k < edgeCount; ++k) neighbours += alongEdge(edgeAccess[k]);
        for (int k = 0; k < faceCount; ++k) diagonals += diagonalIn(faceAccess[k]);
        pos = (neighbours * (b / n) + diagonals * (g / n)) + pos * a;
    }
    ++res;
}

void MrVertex::print() const {
    std::printf("[v%d p:{%f %f %f} e:{", id, static_cast<double>(pos.x), static_cast<double>(pos.y),
                static_cast<double>(pos.z));
    for (int i = 0; i < edgeVal(); ++i) std::printf(i ? " %d" : "%d", edge(i)->id);
    std::printf("} f:{");
    for (int i = 0; i < faceVal(); ++i) std::printf(i ? " %d" : "%d", face(i)->id);
    std::printf("}]");
}
