// The refinement masks: each reproduces a constant exactly (its weights sum
// to 1 in single precision), each gives the hand-worked point on a small
// neighbourhood, and the interior vertex mask's two orders and its regular
// form agree where they meet.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "rules/catmullclark.h"

using namespace facetry;

namespace {

// A slightly irregular point, so that no symmetry hides a wrong weight.
Vector pointAt(int k) {
    return Vector(std::cos(0.7f * static_cast<float>(k)) + 0.01f * static_cast<float>(k),
                  std::sin(1.3f * static_cast<float>(k)), 0.25f * static_cast<float>(k % 3) - 0.3f);
}

double distance(const Vector& a, const Vector& b) {
    const Vector d = a - b;
    return std::sqrt(static_cast<double>(d.lengthSquared()));
}

}  // namespace

// Every mask on one coordinate of value 1 everywhere: the sums the caller
// forms are the number of points they add up.
TEST(CatmullClarkMasks, ReproduceAConstant) {
    struct Case {
        const char* mask;
        float value;
    };
    const Case cases[] = {
        {"curveMidpoint", curveMidpoint(1.0f, 1.0f)},
        {"curveVertexPoint", curveVertexPoint(1.0f, 2.0f)},
        {"quadFacePoint", quadFacePoint(1.0f, 1.0f, 1.0f, 1.0f)},
        {"smoothEdgePoint", smoothEdgePoint(1.0f, 1.0f, 1.0f, 1.0f)},
        {"gridEdgePoint", gridEdgePoint(2.0f, 4.0f)},
        {"regularVertexPoint", regularVertexPoint(1.0f, 4.0f, 4.0f)},
    };
    for (const Case& c : cases) EXPECT_EQ(c.value, 1.0f) << c.mask;
    for (int n = 3; n <= 12; ++n) {
        const Vector one(1, 1, 1);
        const float count = static_cast<float>(n);
        EXPECT_NEAR(vertexPointOverGrid(one, one * count, one * count, n).x, 1.0f, 1e-6f) << "valence " << n;
        EXPECT_NEAR(vertexPointOverFacePoints(one, one * (2 * count), n).x, 1.0f, 1e-6f) << "valence " << n;
        EXPECT_NEAR(facePoint(one * count, n).y, 1.0f, 1e-6f) << "corners " << n;
    }
}

// Hand-worked points on the unit square's corners and its neighbours.
TEST(CatmullClarkMasks, GiveTheHandWorkedPoints) {
    const Vector a(0, 0, 0), b(4, 0, 0), c(4, 4, 0), d(0, 4, 8);
    EXPECT_EQ(curveMidpoint(a, b), Vector(2, 0, 0));
    EXPECT_EQ(curveVertexPoint(b, a + c), Vector(3.5f, 0.5f, 0));     // 3/4 (4,0,0) + 1/8 (4,4,0)
    EXPECT_EQ(quadFacePoint(a, b, c, d), Vector(2, 2, 2));
    EXPECT_EQ(smoothEdgePoint(a, b, c, d), Vector(2, 2, 2));
    EXPECT_EQ(gridEdgePoint(a + b, c + d), Vector(1.5f + 0.25f, 0.5f, 0.5f));  // 3/8 (4,0,0) + 1/16 (4,8,8)
    EXPECT_EQ(regularVertexPoint(Vector(64, 0, 0), Vector(0, 64, 0), Vector(0, 0, 32)), Vector(36, 1, 3));
    EXPECT_LT(distance(facePoint(a + b + c, 3), Vector(8.0f / 3, 4.0f / 3, 0)), 1e-6);
}

// The interior vertex mask in its two orders: over face points (which the
// control mesh forms for faces of any size) and over a quad grid (with each
// quad's face point written out), against the mask evaluated in double, and
// both against the regular mask at valence 4.
TEST(CatmullClarkMasks, InteriorVertexMaskInBothOrdersIsOneMask) {
    for (int n = 3; n <= 12; ++n) {
        const Vector p = pointAt(100 + n);
        std::vector<Vector> e(n), d(n);
        for (int k = 0; k < n; ++k) {
            e[k] = pointAt(2 * k) + Vector(3, 0, 0);
            d[k] = pointAt(2 * k + 1) - Vector(0, 2, 0);
        }
        Vector neighbours, diagonals, facesAndNeighbours;
        double expected[3] = {0, 0, 0};
        for (int k = 0; k < n; ++k) {
            neighbours += e[k];
            diagonals += d[k];
            // quad k: p, e[k], d[k], e[k+1]
            const Vector facePoint = quadFacePoint(p, e[k], d[k], e[(k + 1) % n]);
            facesAndNeighbours += facePoint + e[k];
        }
        // (n-2)/n p + 1/n^2 (sum of edge neighbours + sum of face points), the
        // face points expanded: 1.5/n^2 per neighbour, 0.25/n^2 per diagonal,
        // 1/4n of p.
        const double nn = static_cast<double>(n) * n;
        const double self = (n - 2.0) / n + 0.25 / n, edge = 1.5 / nn, diagonal = 0.25 / nn;
        const float pc[3] = {p.x, p.y, p.z}, ec[3] = {neighbours.x, neighbours.y, neighbours.z},
                    dc[3] = {diagonals.x, diagonals.y, diagonals.z};
        for (int axis = 0; axis < 3; ++axis) expected[axis] = self * pc[axis] + edge * ec[axis] + diagonal * dc[axis];
        const Vector oracle(static_cast<float>(expected[0]), static_cast<float>(expected[1]),
                            static_cast<float>(expected[2]));
        const Vector overGrid = vertexPointOverGrid(p, neighbours, diagonals, n);
        const Vector overFaces = vertexPointOverFacePoints(p, facesAndNeighbours, n);
        EXPECT_LT(distance(overGrid, oracle), 1e-5) << "valence " << n;
        EXPECT_LT(distance(overFaces, oracle), 1e-5) << "valence " << n;
        if (n == 4) {
            EXPECT_LT(distance(regularVertexPoint(p, diagonals, neighbours), oracle), 1e-5);
        }
    }
}
