// The point matcher: it must find a surface equal whatever the order of its
// points, and must not miss a point moved beyond the tolerance, a point
// missing, a point that lies across a cell border from its partner, or a
// partner that is within the tolerance but not the nearest.
#include "support/pointmatch.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "math/vector.h"
#include "support/refmesh.h"

using namespace facetry;

namespace {

constexpr double kTolerance = 1e-3;

std::vector<Vector> lattice() {
    std::vector<Vector> points;
    for (int i = 0; i < 20; ++i)
        for (int j = 0; j < 20; ++j) points.push_back(Vector(0.01f * i, 0.02f * j, 0.001f * i * j));
    return points;
}

TEST(PointMatch, SameSetInAnyOrderMatches) {
    std::vector<Vector> a = lattice(), b = lattice();
    std::reverse(b.begin(), b.end());
    std::rotate(b.begin(), b.begin() + 37, b.end());
    WeldResult result = compareWelded(a, b, kTolerance);
    EXPECT_TRUE(result.matched());
    EXPECT_EQ(result.largestDistance, 0);
    EXPECT_EQ(result.summary(), "yes");
    EXPECT_EQ(matchPointSets(a, b, kTolerance), "");
    const std::vector<int> partner = matchPoints(a, b, kTolerance);
    for (std::size_t k = 0; k < a.size(); ++k) {
        ASSERT_GE(partner[k], 0);
        EXPECT_EQ(a[k], b[partner[k]]);
    }
}

TEST(PointMatch, MovedPointIsFoundOnlyBeyondTheTolerance) {
    std::vector<Vector> a = lattice(), b = lattice();
    b[123].z += 0.5f * kTolerance;
    WeldResult near = compareWelded(a, b, kTolerance);
    EXPECT_TRUE(near.matched());
    EXPECT_NEAR(near.largestDistance, 0.5 * kTolerance, 1e-7);

    b[123].z += 2 * kTolerance;
    WeldResult far = compareWelded(a, b, kTolerance);
    EXPECT_FALSE(far.matched());
    EXPECT_EQ(far.unmatched, 2u);  // the moved point in b, and its old place in a
    EXPECT_EQ(far.summary(), "NO (same count, 2 unmatched)");
    EXPECT_EQ(matchPoints(a, b, kTolerance)[123], -1);
    EXPECT_EQ(matchPointSets(b, a, kTolerance),
              "no reference point within 0.001 of (0.0599999987, 0.0599999987, 0.0204999987)");
}

TEST(PointMatch, MissingOrExtraPointsAreReported) {
    std::vector<Vector> a = lattice(), b = lattice();
    b.pop_back();
    WeldResult missing = compareWelded(a, b, kTolerance);
    EXPECT_FALSE(missing.countsEqual);
    EXPECT_EQ(missing.unmatched, 1u);
    EXPECT_EQ(missing.summary(), "NO (counts differ, 1 unmatched)");
    EXPECT_EQ(matchPointSets(a, b, kTolerance), "point counts 400 and 399");

    // A duplicated point keeps every point matched, but the counts tell.
    b = lattice();
    b.push_back(b[5]);
    EXPECT_FALSE(compareWelded(a, b, kTolerance).matched());
}

TEST(PointMatch, OneToOneRefusesTwoPointsOnOnePartner) {
    // The same count and a partner for every point both ways, but the two
    // copies of the first point share it and the last has none of its own.
    const std::vector<Vector> a = {Vector(0, 0, 0), Vector(0, 0, 0), Vector(1, 0, 0)};
    const std::vector<Vector> b = {Vector(0, 0, 0), Vector(1, 0, 0), Vector(1, 0, 0)};
    EXPECT_EQ(matchPointSets(a, b, kTolerance), "(0, 0, 0) and (0, 0, 0) have the same nearest reference point (0, 0, 0)");
    EXPECT_TRUE(compareWelded(a, b, kTolerance).matched()) << "the benchmark's check is not one to one";
}

TEST(PointMatch, PartnersAcrossACellBorderMatch) {
    // Cells are kTolerance wide: these partners lie in neighbouring cells on
    // every axis at once.
    std::vector<Vector> a = {Vector(0.0049999f, -0.0000001f, 0.0029999f)};
    std::vector<Vector> b = {Vector(0.0050001f, 0.0000001f, 0.0030001f)};
    EXPECT_TRUE(compareWelded(a, b, kTolerance).matched());
    EXPECT_TRUE(compareWelded(b, a, kTolerance).matched());
    EXPECT_EQ(matchPoints(a, b, kTolerance), std::vector<int>{0});
}

// The partner is each point's nearest, even where a point of its own cell
// lies within the tolerance too: the lowest corner (0) starts the cells, so
// 0.99 T and 1.01 T sit in neighbouring cells and 0.2 T in the first one
// with 0.99 T.
TEST(PointMatch, PartnerIsTheNearestPoint) {
    const float t = static_cast<float>(kTolerance);
    std::vector<Vector> a = {Vector(0, 0, 0), Vector(0.2f * t, 0, 0), Vector(0.99f * t, 0, 0)};
    std::vector<Vector> b = {Vector(0, 0, 0), Vector(0.2f * t, 0, 0), Vector(1.01f * t, 0, 0)};
    const WeldResult result = compareWelded(a, b, kTolerance);
    EXPECT_TRUE(result.matched());
    EXPECT_NEAR(result.largestDistance, 0.02 * kTolerance, 1e-3 * kTolerance);
    EXPECT_EQ(matchPoints(a, b, kTolerance), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(matchPointSets(a, b, kTolerance), "");
}

// The surface tests compare float surfaces with a double-precision
// reference: the two point types mix.
TEST(PointMatch, FloatPointsMatchDoublePoints) {
    const std::vector<Vector> a = {Vector(0.1f, 0.2f, 0.3f), Vector(1, 2, 3)};
    const std::vector<RefPoint> b = {{1, 2, 3.0000001}, {0.1, 0.2, 0.3}};
    EXPECT_EQ(matchPoints(a, b, kTolerance), (std::vector<int>{1, 0}));
    EXPECT_EQ(matchPointSets(b, a, kTolerance), "");
    EXPECT_NE(matchPointSets(b, a, 1e-9), "");  // 0.1f is 1.5e-9 from 0.1
}

}  // namespace
