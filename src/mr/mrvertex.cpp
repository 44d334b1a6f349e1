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
        Vector e0 = edgeAccess[0].point(1), eLast = edgeAccess[edgeCount - 1].point(1);
        pos = pos * kBoundarySelf + (e0 + eLast) * kBoundaryNeighbour;
    } else if (faceCount == 4) {
        Vector diagonals = faceAccess[0].point(1, 1) + faceAccess[1].point(1, 1) + faceAccess[2].point(1, 1) +
                           faceAccess[3].point(1, 1);
        Vector neighbours = edgeAccess[0].point(1) + edgeAccess[1].point(1) + edgeAccess[2].point(1) +
                            edgeAccess[3].point(1);
        pos = (pos * kRegularSelf + diagonals * kRegularDiagonal) + neighbours * kRegularEdge;
    } else {
        // Extraordinary vertex of valence N: 1.5/N on the edge neighbours'
        // share, 0.25/N on the diagonals', the rest on the vertex itself.
        const float n = static_cast<float>(faceCount);
        const float b = 1.5f / n, g = 0.25f / n, a = 1 - b - g;
        Vector neighbours, diagonals;
        for (int k = 0; k < edgeCount; ++k) neighbours += edgeAccess[k].point(1);
        for (int k = 0; k < faceCount; ++k) diagonals += faceAccess[k].point(1, 1);
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
