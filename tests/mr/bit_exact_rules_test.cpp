// Every refined point to the last bit: the rules written out here from their
// weights, in their order of summation and in single precision, against each
// step of the surface over the whole catalogue. Any change to the arithmetic
// of the hot loops, however harmless it looks, shows up here.
#include <gtest/gtest.h>

#include <cstring>

#include "support/catalogue.h"
#include "surface_probe.h"

using namespace facetry;

namespace {

bool identical(const Vector& a, const Vector& b) { return std::memcmp(&a, &b, sizeof(Vector)) == 0; }

// The vertex rule over the vertex's current neighbourhood.
Vector expectedVertex(MrVertex* v) {
    const int edgeCount = v->edgeVal(), faceCount = v->faceVal();
    const Vector p = v->position();
    if (edgeCount == 0) return p;  // no face uses it
    std::vector<Vector> e(edgeCount), f(faceCount);
    for (int k = 0; k < edgeCount; ++k) {
        MrEdgeAccess access;
        access.set(v->edge(k), v);
        e[k] = access.point(1);
    }
    for (int k = 0; k < faceCount; ++k) {
        MrEdge *e1, *e2;
        v->face(k)->edgesAt(v, e1, e2);
        MrFaceAccess access;
        access.set(v->face(k), e1, e2);
        f[k] = access.point(1, 1);
    }
    if (edgeCount != faceCount) return p * 0.75f + (e[0] + e[edgeCount - 1]) * 0.125f;
    if (faceCount == 4)
        return (p * 0.5625f + (f[0] + f[1] + f[2] + f[3]) * 0.015625f) + (e[0] + e[1] + e[2] + e[3]) * 0.09375f;
    const float n = static_cast<float>(faceCount);
    const float b = 1.5f / n, g = 0.25f / n, a = 1 - b - g;
    Vector se, sf;
    for (const Vector& x : e) se = se + x;
    for (const Vector& x : f) sf = sf + x;
    return (se * (b / n) + sf * (g / n)) + p * a;
}

// The first row of face i of edge e, read from e's vertex(0) along e.
std::vector<Vector> faceRow(const MrEdge* e, int i) {
    MrFace* f = e->face(i);
    MrEdge *e1, *e2;
    f->edgesAt(e->vertex(0), e1, e2);
    MrFaceAccess access;
    access.set(f, const_cast<MrEdge*>(e), e1 == e ? e2 : e1);
    std::vector<Vector> row;
    for (int k = 0; k < e->pointCount(); ++k) row.push_back(access.point(k, 1));
    return row;
}

// The edge rule: the 2d-1 points of the next level; the ends stay (0, 0, 0).
std::vector<Vector> expectedEdge(const MrEdge* e) {
    const int d = e->pointCount();
    std::vector<Vector> p(d), q(2 * d - 1);
    for (int k = 0; k < d; ++k) p[k] = e->point(k);
    if (e->onBoundary()) {
        for (int c = 0; c + 1 < d; ++c) q[2 * c + 1] = (p[c] + p[c + 1]) * 0.5f;
        for (int c = 1; c + 1 < d; ++c) q[2 * c] = p[c] * 0.75f + (p[c - 1] + p[c + 1]) * 0.125f;
        return q;
    }
    const std::vector<Vector> a = faceRow(e, 0), b = faceRow(e, 1);
    for (int c = 0; c + 1 < d; ++c)
        q[2 * c + 1] = (p[c] + p[c + 1]) * 0.375f + (a[c] + a[c + 1] + b[c] + b[c + 1]) * 0.0625f;
    for (int c = 1; c + 1 < d; ++c)
        q[2 * c] = (p[c] * 0.5625f + (a[c - 1] + a[c + 1] + b[c - 1] + b[c + 1]) * 0.015625f) +
                   (a[c] + b[c] + p[c - 1] + p[c + 1]) * 0.09375f;
    return q;
}

// The face rule: the next grid, border left at (0, 0, 0).
std::vector<std::vector<Vector>> expectedFace(const MrFace* f) {
    const int n = f->gridSize(), m = 2 * n - 1;
    auto G = [f](int i, int j) { return f->point(i, j); };
    std::vector<std::vector<Vector>> t(m, std::vector<Vector>(m));
    for (int i = 0; i + 1 < n; ++i)
        for (int j = 0; j + 1 < n; ++j)
            t[2 * i + 1][2 * j + 1] = (G(i, j) + G(i, j + 1) + G(i + 1, j) + G(i + 1, j + 1)) * 0.25f;
    for (int i = 0; i + 1 < n; ++i)
        for (int j = 1; j + 1 < n; ++j) {
            t[2 * i + 1][2 * j] = (G(i, j) + G(i + 1, j) + t[2 * i + 1][2 * j - 1] + t[2 * i + 1][2 * j + 1]) * 0.25f;
            t[2 * j][2 * i + 1] = (G(j, i) + G(j, i + 1) + t[2 * j - 1][2 * i + 1] + t[2 * j + 1][2 * i + 1]) * 0.25f;
        }
    for (int i = 1; i + 1 < n; ++i)
        for (int j = 1; j + 1 < n; ++j)
            t[2 * i][2 * j] =
                (G(i, j) * 0.5625f + (G(i - 1, j - 1) + G(i - 1, j + 1) + G(i + 1, j - 1) + G(i + 1, j + 1)) * 0.015625f) +
                (G(i - 1, j) + G(i, j - 1) + G(i, j + 1) + G(i + 1, j)) * 0.09375f;
    return t;
}

// Everything one step must produce, element by element.
struct ExpectedStep {
    std::vector<Vector> vertices;                           // new positions
    std::vector<std::vector<Vector>> edges;                 // new point rows
    std::vector<std::vector<std::vector<Vector>>> faces;    // new grids
};

ExpectedStep expectedStep(const MrMesh& mr) {
    ExpectedStep next;
    for (int i = 0; i < mr.numVertices(); ++i) next.vertices.push_back(expectedVertex(mr.vertex(i)));
    for (int i = 0; i < mr.numEdges(); ++i) next.edges.push_back(expectedEdge(mr.edge(i)));
    for (int i = 0; i < mr.numFaces(); ++i) next.faces.push_back(expectedFace(mr.face(i)));
    return next;
}

// The first owned point of the surface that differs from `next`, or "".
std::string ownedPointMismatch(const MrMesh& mr, const ExpectedStep& next) {
    for (int i = 0; i < mr.numVertices(); ++i)
        if (!identical(mr.vertex(i)->position(), next.vertices[i])) return "vertex " + std::to_string(i);
    for (int i = 0; i < mr.numEdges(); ++i)
        for (int k = 1; k + 1 < mr.edge(i)->pointCount(); ++k)
            if (!identical(mr.edge(i)->point(k), next.edges[i][k]))
                return "edge " + std::to_string(i) + " point " + std::to_string(k);
    for (int i = 0; i < mr.numFaces(); ++i) {
        const int n = mr.face(i)->gridSize();
        for (int a = 1; a + 1 < n; ++a)
            for (int b = 1; b + 1 < n; ++b)
                if (!identical(mr.face(i)->point(a, b), next.faces[i][a][b]))
                    return "face " + std::to_string(i) + " point " + std::to_string(a) + "," + std::to_string(b);
    }
    return "";
}

class BitExactRules : public testing::TestWithParam<int> {};

}  // namespace

TEST_P(BitExactRules, EveryStepFollowsTheRulesToTheBit) {
    const CatalogueMesh& entry = meshCatalogue()[GetParam()];
    Surface s = makeSurface(entry.control);
    for (int level = 1; level <= 3; ++level) {
        const ExpectedStep next = expectedStep(*s.mr);
        ASSERT_TRUE(s.mr->subdivide());
        ASSERT_EQ(ownedPointMismatch(*s.mr, next), "") << "step to level " << level;
    }
    // A second surface over the same control mesh gives the same bits.
    Surface again = makeSurface(entry.control, 3);
    std::string where;
    EXPECT_TRUE(sameBits(surfacePoints(*s.mr), surfacePoints(*again.mr), &where)) << where;
}

INSTANTIATE_TEST_SUITE_P(Catalogue, BitExactRules, testing::Range(0, static_cast<int>(meshCatalogue().size())),
                         [](const testing::TestParamInfo<int>& instance) { return meshCatalogue()[instance.param].name; });
