#include "mr/mredge.h"

#include <cstdio>
#include <utility>

int MrEdge::counter = 0;

namespace {
// Boundary edge: the cubic B-spline curve rules.
constexpr float kMidpoint = 0.5f;             // 1/2
constexpr float kCurveSelf = 0.75f;           // 3/4
constexpr float kCurveNeighbour = 0.125f;     // 1/8
// Interior edge, new point between two old ones.
constexpr float kEdgeEnds = 0.375f;           // 3/8
constexpr float kEdgeSide = 0.0625f;          // 1/16
// Interior edge, new point at an old one (a regular vertex on the edge).
constexpr float kVertexSelf = 0.5625f;        // 9/16
constexpr float kVertexEdge = 0.09375f;       // 3/32
constexpr float kVertexDiagonal = 0.015625f;  // 1/64

// The row one step into a face, read along the edge from its vertex(0):
// point k is rowStart[k * step].
struct FaceRow {
    const Vector* rowStart;
    int step;
    const Vector& operator[](int k) const { return rowStart[k * step]; }
};

FaceRow rowInto(const MrFaceAccess& access) {
    const MrFace* f = access.face();
    int base, stepI, stepJ;
    access.frame(f->gridSize(), base, stepI, stepJ);
    return FaceRow{f->gridData() + base + stepJ, stepI};
}
}  // namespace

void MrEdge::link() {
    reset();
    if (onBoundary()) return;
    for (int i = 0; i < 2; ++i) {
        MrFace* f = face(i);
        FACETRY_ASSERT(f);
        TopEdge *e1, *e2;
        f->edgesAt(vertex(0), e1, e2);
        if (e1 != this) std::swap(e1, e2);
        FACETRY_ASSERT(e1==this);
        faceAccess[i].set(f, static_cast<MrEdge*>(e1), static_cast<MrEdge*>(e2));
    }
}

void MrEdge::reset() {
    if (res != 0) {
        Vector* fresh = new Vector[2];
        delete[] points;
        points = fresh;
        res = 0;
        d = 2;
    }
    updateEnds();
}

void MrEdge::updateEnds() {
    FACETRY_ASSERT(vertex(0)->curRes()==res && vertex(1)->curRes()==res);
    points[0] = vertex(0)->position();
    points[d - 1] = vertex(1)->position();
}

void MrEdge::refine() {
    Vector* next = new Vector[2 * d - 1];
    refineInto(next);
    adopt(next);
}

void MrEdge::adopt(Vector* next) {
    delete[] points;
    points = next;
    d = 2 * d - 1;
    ++res;
}

void MrEdge::exchangeLevel(int& savedRes, int& savedD, Vector*& savedPoints) {
    std::swap(res, savedRes);
    std::swap(d, savedD);
    std::swap(points, savedPoints);
}

void MrEdge::refineInto(Vector* q) const {
    const Vector* p = points;
    if (onBoundary()) {
        // Along the boundary only the edge's own points count.
        for (int c = 0; c + 1 < d; ++c) q[2 * c + 1] = (p[c] + p[c + 1]) * kMidpoint;
        for (int c = 1; c + 1 < d; ++c) q[2 * c] = p[c] * kCurveSelf + (p[c - 1] + p[c + 1]) * kCurveNeighbour;
        return;
    }
    FACETRY_ASSERT(face(0)->curRes() == res);
    FACETRY_ASSERT(face(1)->curRes() == res);
    const FaceRow a = rowInto(faceAccess[0]), b = rowInto(faceAccess[1]);
    // odd points first, then even ones
    for (int c = 0; c + 1 < d; ++c)
        q[2 * c + 1] = (p[c] + p[c + 1]) * kEdgeEnds + (a[c] + a[c + 1] + b[c] + b[c + 1]) * kEdgeSide;
    for (int c = 1; c + 1 < d; ++c)
        q[2 * c] = (p[c] * kVertexSelf + (a[c - 1] + a[c + 1] + b[c - 1] + b[c + 1]) * kVertexDiagonal) +
                   (a[c] + b[c] + p[c - 1] + p[c + 1]) * kVertexEdge;
}

void MrEdge::print() const {
    std::printf("[e%d v:{%d %d}, f:{%d %d}]", id, vertex(0)->id, vertex(1)->id, face(0) ? face(0)->id : -1,
                face(1) ? face(1)->id : -1);
}
