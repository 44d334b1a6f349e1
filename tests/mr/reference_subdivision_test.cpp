// The reference refinement itself, against values worked out by hand, so the
// independent check of the surface rests on known ground.
#include <gtest/gtest.h>

#include "reference_subdivision.h"

namespace {

RefMesh unitCube() {
    RefMesh m;
    m.points = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}, {-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}};
    m.faces = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4}, {2, 3, 7, 6}, {0, 4, 7, 3}, {1, 2, 6, 5}};
    return m;
}

}  // namespace

TEST(ReferenceSubdivision, CubeCornerMovesToFiveNinthsAndCountsGrow) {
    RefMesh once = refineOnce(unitCube());
    ASSERT_EQ(once.points.size(), 8u + 12u + 6u);
    ASSERT_EQ(once.faces.size(), 24u);
    // (Q + 2R)/3 with Q = (1/3, 1/3, 1/3) and R = (2/3, 2/3, 2/3).
    EXPECT_NEAR(once.points[6].x, 5.0 / 9, 1e-12);
    EXPECT_NEAR(once.points[6].z, 5.0 / 9, 1e-12);
    // Edge 0-3 point: ends (-1,-1,-1), (-1,1,-1), faces (0,0,-1) and (-1,0,0).
    RefPoint e = once.points[8];
    EXPECT_NEAR(e.x, -0.75, 1e-12);
    EXPECT_NEAR(e.y, 0, 1e-12);
    EXPECT_NEAR(e.z, -0.75, 1e-12);
    EXPECT_EQ(refine(unitCube(), 3).faces.size(), 6u * 64u);
}

TEST(ReferenceSubdivision, BoundaryAndCornerRulesAndUnusedVertex) {
    RefMesh square;
    square.points = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {9, 9, 9}};
    square.faces = {{0, 1, 2, 3}};
    RefMesh once = refineOnce(square);
    EXPECT_DOUBLE_EQ(once.points[0].x, 0.125);
    EXPECT_DOUBLE_EQ(once.points[2].y, 0.875);
    EXPECT_DOUBLE_EQ(once.points[4].z, 9);  // no face uses it
    EXPECT_DOUBLE_EQ(once.points[5].x, 0.5);  // edge 0-1 midpoint
    EXPECT_DOUBLE_EQ(once.points[5].y, 0);
    EXPECT_DOUBLE_EQ(once.points.back().x, 0.5);  // face point
    EXPECT_DOUBLE_EQ(once.points.back().y, 0.5);

    RefMesh triangle;
    triangle.points = {{0, 0, 0}, {4, 0, 0}, {0, 4, 0}};
    triangle.faces = {{0, 1, 2}};
    RefMesh quads = refineOnce(triangle);
    EXPECT_EQ(quads.faces.size(), 3u);
    EXPECT_DOUBLE_EQ(quads.points[1].x, 3);
    EXPECT_DOUBLE_EQ(quads.points[1].y, 0.5);
}
