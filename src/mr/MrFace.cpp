#include "mr/MrFace.h"

#include <cstdio>

int MrFace::counter = 0;

namespace {
constexpr float kFacePoint = 0.25f;           // 1/4 of the four cell corners
constexpr float kEdgePoint = 0.25f;           // 1/4 of two old points and two face points
constexpr float kVertexSelf = 0.5625f;        // 9/16
constexpr float kVertexEdge = 0.09375f;       // 3/32
constexpr float kVertexDiagonal = 0.015625f;  // 1/64
}  // namespace

void MrFace::link() {
    edgeAccess[0].set(edge(0), vertex(0));
    edgeAccess[1].set(edge(1), vertex(1));
    edgeAccess[2].set(edge(2), vertex(3));
    edgeAccess[3].set(edge(3), vertex(0));
    reset();
}

void MrFace::reset() {
    grid.resize(2, 2);
    res = 0;
    updateBoundary();
}

void MrFace::updateBoundary() {
    FACETRY_ASSERT(edge(0)->curRes()==res);
    FACETRY_ASSERT(vertex(0)->curRes()==res);
    const int n = gridSize(), m = n - 1;
    Vector* g = grid.elements();
    // Side s of the grid starts at `start` and advances by `step` per point.
    const int start[4] = {0, m * n, m, 0}, step[4] = {n, 1, n, 1};
    for (int s = 0; s < 4; ++s) {
        const MrEdge* e = edgeAccess[s].edge();
        const Vector* src = e->pointData();
        const int d = e->pointCount();
        for (int k = 1; k < m; ++k) g[start[s] + k * step[s]] = src[edgeAccess[s].index(k, d)];
    }
    g[0] = vertex(0)->position();
    g[m * n] = vertex(1)->position();
    g[m * n + m] = vertex(2)->position();
    g[m] = vertex(3)->position();
}

void MrFace::refine() {
    Table<Vector> next;
    refineInto(next);
    adopt(next);
}

void MrFace::adopt(Table<Vector>& next) {
    grid.swap(next);
    ++res;
}

void MrFace::exchangeLevel(int& savedRes, Table<Vector>& savedGrid) {
    std::swap(res, savedRes);
    grid.swap(savedGrid);
}

void MrFace::refineInto(Table<Vector>& next) const {
    const int n = gridSize(), n2 = 2 * n - 1;
    next.resize(n2);
    const Vector* g = grid.elements();
    Vector* t = next.elements();
    auto G = [g, n](int i, int j) -> const Vector& { return g[i * n + j]; };
    auto T = [t, n2](int i, int j) -> Vector& { return t[i * n2 + j]; };
    // face points: the centres of the old cells
    for (int i = 0; i + 1 < n; ++i)
        for (int j = 0; j + 1 < n; ++j)
            T(2 * i + 1, 2 * j + 1) = (G(i, j) + G(i, j + 1) + G(i + 1, j) + G(i + 1, j + 1)) * kFacePoint;
    // edge points inside the face, from the face points beside them
    for (int i = 0; i + 1 < n; ++i)
        for (int j = 1; j + 1 < n; ++j) {
            T(2 * i + 1, 2 * j) =
                (G(i, j) + G(i + 1, j) + T(2 * i + 1, 2 * j - 1) + T(2 * i + 1, 2 * j + 1)) * kEdgePoint;
            T(2 * j, 2 * i + 1) =
                (G(j, i) + G(j, i + 1) + T(2 * j - 1, 2 * i + 1) + T(2 * j + 1, 2 * i + 1)) * kEdgePoint;
        }
    // vertex points inside the face
    for (int i = 1; i + 1 < n; ++i)
        for (int j = 1; j + 1 < n; ++j)
            T(2 * i, 2 * j) = (G(i, j) * kVertexSelf +
                               (G(i - 1, j - 1) + G(i - 1, j + 1) + G(i + 1, j - 1) + G(i + 1, j + 1)) * kVertexDiagonal) +
                              (G(i - 1, j) + G(i, j - 1) + G(i, j + 1) + G(i + 1, j)) * kVertexEdge;
}

void MrFace::print() const {
    std::printf("[f%d v:{%d %d %d %d}]", id, vertex(0)->id, vertex(1)->id, vertex(2)->id, vertex(3)->id);
}
