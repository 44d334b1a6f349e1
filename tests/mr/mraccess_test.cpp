// Reading a neighbour's points in the reader's own indices: all eight ways a
// face can be read from one of its corners, and an edge from either end.
#include <gtest/gtest.h>

#include "surface_probe.h"
#include "support/capture.h"

using namespace facetry;

namespace {

// One quad with no symmetry, so every grid point lies somewhere else.
RefMesh skewQuad() { return {{{0, 0, 0}, {2, 0, 0}, {2.5, 1.5, 0}, {0, 1, 0.5}}, {{0, 1, 2, 3}}}; }

// One binding of the face-access table: the two edges, the corner, and where
// local (i, j) lands in the grid of side n.
struct Binding {
    int e0, e1, corner;
    bool swap, flipI, flipJ;  // grid (a, b) = swap ? (j, i) : (i, j), then flips
};

const Binding kBindings[8] = {
    {0, 3, 0, false, false, false}, {0, 1, 1, false, true, false}, {2, 1, 2, false, true, true},
    {2, 3, 3, false, false, true},  {3, 0, 0, true, false, false},  {1, 0, 1, true, true, false},
    {1, 2, 2, true, true, true},    {3, 2, 3, true, false, true},
};

void expectBindingReads(const MrFace* f, const MrFaceAccess& access, const Binding& b) {
    const int n = f->gridSize();
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            int a = b.swap ? j : i, c = b.swap ? i : j;
            if (b.flipI) a = n - 1 - a;
            if (b.flipJ) c = n - 1 - c;
            ASSERT_EQ(access.point(i, j), f->point(a, c))
                << "edges " << b.e0 << "," << b.e1 << " local (" << i << ", " << j << ")";
        }
    EXPECT_EQ(access.point(0, 0), f->vertex(b.corner)->position());
}

}  // namespace

TEST(MrFaceAccess, AllEightBindingsReadTheGridFromTheirCorner) {
    Surface s = makeSurface(skewQuad(), 2);
    MrFace* f = s.mr->face(0);
    ASSERT_EQ(f->gridSize(), 5);
    for (const Binding& b : kBindings) {
        MrFaceAccess access;
        access.set(f, f->edge(b.e0), f->edge(b.e1));
        expectBindingReads(f, access, b);
        // Local (k, 0) walks along the first edge given, (0, k) along the second.
        MrEdgeAccess first, second;
        first.set(f->edge(b.e0), f->vertex(b.corner));
        second.set(f->edge(b.e1), f->vertex(b.corner));
        for (int k = 0; k < 5; ++k) {
            EXPECT_EQ(access.point(k, 0), first.point(k));
            EXPECT_EQ(access.point(0, k), second.point(k));
        }
    }
}

TEST(MrFaceAccess, BindingMadeAtLevelZeroServesLaterLevels) {
    Surface s = makeSurface(skewQuad());
    MrFace* f = s.mr->face(0);
    MrFaceAccess accesses[8];
    for (int k = 0; k < 8; ++k) accesses[k].set(f, f->edge(kBindings[k].e0), f->edge(kBindings[k].e1));
    for (int level = 1; level <= 3; ++level) s.mr->subdivide();
    ASSERT_EQ(f->gridSize(), 9);
    for (int k = 0; k < 8; ++k) expectBindingReads(f, accesses[k], kBindings[k]);
}

TEST(MrEdgeAccess, ReadsFromEitherEndAtTheCurrentCount) {
    Surface s = makeSurface(skewQuad());
    MrEdge* e = s.mr->edge(1);
    MrEdgeAccess forward, reversed;
    forward.set(e, e->vertex(0));
    reversed.set(e, e->vertex(1));
    for (int level = 1; level <= 3; ++level) s.mr->subdivide();
    const int d = e->pointCount();
    ASSERT_EQ(d, 9);
    for (int k = 0; k < d; ++k) {
        EXPECT_EQ(forward.point(k), e->point(k));
        EXPECT_EQ(reversed.point(k), e->point(d - 1 - k));
    }
    EXPECT_EQ(reversed.point(0), e->vertex(1)->position());
    EXPECT_EQ(reversed.point(d - 1), e->vertex(0)->position());
}

TEST(MrAccessDeathTest, BadBindingsAndUnsetReadsNameTheirExpressions) {
    Surface s = makeSurface(skewQuad());
    MrFace* f = s.mr->face(0);
    const std::string source = "src/mr/mraccess\\.(h|cpp)";
    MrFaceAccess faceAccess;
    EXPECT_DEATH(faceAccess.point(0, 0), assertionPattern("f", source));
    EXPECT_DEATH(faceAccess.set(f, f->edge(0), f->edge(2)),
                 assertionPattern("f_->incident(e0) && f_->incident(e1) && e0->incident(e1)", source));
    EXPECT_DEATH(faceAccess.set(f, f->edge(1), f->edge(1)), assertionPattern("f_ && e0 && e1 && e0!=e1", source));
    EXPECT_DEATH(faceAccess.set(f, nullptr, f->edge(1)), assertionPattern("f_ && e0 && e1 && e0!=e1", source));

    MrEdgeAccess edgeAccess;
    EXPECT_DEATH(edgeAccess.point(0), assertionPattern("e", source));
    EXPECT_DEATH(edgeAccess.set(f->edge(0), f->vertex(2)), assertionPattern("e_ && v && e_->incident(v)", source));
    edgeAccess.set(f->edge(0), f->vertex(0));
    EXPECT_DEATH(edgeAccess.point(2), assertionPattern("0<=i && i<d", "src/mr/mredge\\.(h|cpp)"));
}
