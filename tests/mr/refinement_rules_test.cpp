// The Catmull-Clark rules of one step on small meshes whose results are
// known exactly, and the weights of interior vertices of valence 3, 4 and 5.
#include <gtest/gtest.h>

#include "surface_probe.h"

using namespace facetry;

namespace {

RefMesh unitSquare() { return {{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, 3}}}; }

// The surface edge joining two vertices.
const MrEdge* edgeBetween(const MrMesh& mr, int a, int b) {
    for (int i = 0; i < mr.numEdges(); ++i) {
        const MrEdge* e = mr.edge(i);
        if (e->incident(mr.vertex(a)) && e->incident(mr.vertex(b))) return e;
    }
    return nullptr;
}

// A 2 x 2 block of quads; vertex 4 in the middle has valence 4.
RefMesh quadBlock() {
    RefMesh m;
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i) m.points.push_back({double(i), double(j), 0});
    m.faces = {{0, 1, 4, 3}, {1, 2, 5, 4}, {3, 4, 7, 6}, {4, 5, 8, 7}};
    return m;
}

RefMesh cubeTopology() {
    RefMesh m;
    m.points.resize(8);
    m.faces = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4}, {2, 3, 7, 6}, {0, 4, 7, 3}, {1, 2, 6, 5}};
    return m;
}

// Five quads around vertex 0; spokes at odd indices, outer corners at even.
RefMesh fanTopology() {
    RefMesh m;
    m.points.resize(11);
    for (int k = 0; k < 5; ++k) m.faces.push_back({0, 1 + 2 * k, 2 + 2 * k, 1 + 2 * ((k + 1) % 5)});
    return m;
}

// Where `centre` lands after one step when only control vertex `impulse`
// sits at (1, 0, 0) and every other at the origin: the weight of `impulse`
// in the vertex rule of `centre`.
Vector weightOf(RefMesh mesh, int impulse, int centre) {
    for (RefPoint& p : mesh.points) p = {0, 0, 0};
    mesh.points[impulse] = {1, 0, 0};
    Surface s = makeSurface(mesh, 1);
    return s.mr->vertex(centre)->position();
}

}  // namespace

TEST(RefinementRules, SingleSquareFirstStep) {
    Surface s = makeSurface(unitSquare(), 1);
    const MrFace* f = s.mr->face(0);
    EXPECT_EQ(f->point(1, 1), Vector(0.5f, 0.5f, 0));
    // Corners: 3/4 of themselves and 1/8 of their two neighbours.
    EXPECT_EQ(s.mr->vertex(0)->position(), Vector(0.125f, 0.125f, 0));
    EXPECT_EQ(s.mr->vertex(1)->position(), Vector(0.875f, 0.125f, 0));
    EXPECT_EQ(s.mr->vertex(2)->position(), Vector(0.875f, 0.875f, 0));
    EXPECT_EQ(s.mr->vertex(3)->position(), Vector(0.125f, 0.875f, 0));
    // Boundary edges split at their midpoints.
    EXPECT_EQ(edgeBetween(*s.mr, 0, 1)->point(1), Vector(0.5f, 0, 0));
    EXPECT_EQ(edgeBetween(*s.mr, 1, 2)->point(1), Vector(1, 0.5f, 0));
    EXPECT_EQ(edgeBetween(*s.mr, 2, 3)->point(1), Vector(0.5f, 1, 0));
    EXPECT_EQ(edgeBetween(*s.mr, 3, 0)->point(1), Vector(0, 0.5f, 0));
}

TEST(RefinementRules, SingleSquareSecondStep) {
    Surface s = makeSurface(unitSquare(), 2);
    const MrFace* f = s.mr->face(0);
    ASSERT_EQ(f->gridSize(), 5);
    // Face point of the cell at vertex 0, edge point between two cells, and
    // the vertex point of the old centre (valence 4 inside the face).
    EXPECT_EQ(f->point(1, 1), Vector(0.28125f, 0.28125f, 0));
    EXPECT_EQ(f->point(1, 2), Vector(0.265625f, 0.5f, 0));
    EXPECT_EQ(f->point(2, 1), Vector(0.5f, 0.265625f, 0));
    EXPECT_EQ(f->point(2, 2), Vector(0.5f, 0.5f, 0));
    // Along a boundary edge the curve rules use the edge's own points only:
    // level-1 points (0.125,0.125), (0.5,0), (0.875,0.125).
    const MrEdge* e = edgeBetween(*s.mr, 0, 1);
    EXPECT_EQ(e->point(1), Vector(0.3125f, 0.0625f, 0));
    EXPECT_EQ(e->point(2), Vector(0.5f, 0.03125f, 0));
    EXPECT_EQ(e->point(3), Vector(0.6875f, 0.0625f, 0));
}

TEST(RefinementRules, TwoSquaresSharedEdgeMiddle) {
    RefMesh m = {{{0, 0, 0}, {0, 1, 0}, {-1, 0, 0}, {-1, 1, 0}, {1, 0, 0}, {1, 1, 0}}, {{2, 0, 1, 3}, {0, 4, 5, 1}}};
    Surface s = makeSurface(m, 1);
    const MrEdge* shared = edgeBetween(*s.mr, 0, 1);
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(shared->point(1), Vector(0, 0.5f, 0));
    // Its ends are boundary vertices with two faces: the curve rule along the
    // boundary edges, 3/4 (0,0,0) + 1/8 ((-1,0,0) + (1,0,0)).
    EXPECT_EQ(s.mr->vertex(0)->position(), Vector(0, 0, 0));
    EXPECT_EQ(s.mr->vertex(1)->position(), Vector(0, 1, 0));
}

TEST(RefinementRules, ValenceFourWeights) {
    EXPECT_EQ(weightOf(quadBlock(), 4, 4), Vector(0.5625f, 0, 0));    // 9/16 on itself
    EXPECT_EQ(weightOf(quadBlock(), 1, 4), Vector(0.09375f, 0, 0));   // 3/32 on each edge neighbour
    EXPECT_EQ(weightOf(quadBlock(), 5, 4), Vector(0.09375f, 0, 0));
    EXPECT_EQ(weightOf(quadBlock(), 0, 4), Vector(0.015625f, 0, 0));  // 1/64 on each diagonal
    EXPECT_EQ(weightOf(quadBlock(), 8, 4), Vector(0.015625f, 0, 0));
}

TEST(RefinementRules, ValenceThreeAndFiveWeights) {
    // Cube corner 0: edge neighbours 1, 3, 4; diagonals 2, 5, 7.
    EXPECT_FLOAT_EQ(weightOf(cubeTopology(), 0, 0).x, 5.0f / 12);
    EXPECT_FLOAT_EQ(weightOf(cubeTopology(), 4, 0).x, 1.0f / 6);
    EXPECT_FLOAT_EQ(weightOf(cubeTopology(), 5, 0).x, 1.0f / 36);
    EXPECT_EQ(weightOf(cubeTopology(), 6, 0), Vector(0, 0, 0));  // the far corner
    // Fan centre 0: edge neighbours at odd indices, diagonals at even.
    EXPECT_FLOAT_EQ(weightOf(fanTopology(), 0, 0).x, 0.65f);
    EXPECT_FLOAT_EQ(weightOf(fanTopology(), 3, 0).x, 0.06f);
    EXPECT_FLOAT_EQ(weightOf(fanTopology(), 4, 0).x, 0.01f);
    Vector centre = weightOf(fanTopology(), 4, 0);
    EXPECT_EQ(centre.y, 0);
    EXPECT_EQ(centre.z, 0);
}
