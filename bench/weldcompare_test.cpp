// The welded comparison: it must find a surface equal whatever the order of
// its points, and must not miss a point moved beyond the tolerance, a point
// missing, or a point that lies across a hash cell border from its partner.
#include "weldcompare.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr double kTolerance = 1e-3;

std::vector<Vector> lattice() {
    std::vector<Vector> points;
    for (int i = 0; i < 20; ++i)
        for (int j = 0; j < 20; ++j) points.push_back(Vector(0.01f * i, 0.02f * j, 0.001f * i * j));
    return points;
}

TEST(WeldCompare, SameSetInAnyOrderMatches) {
    std::vector<Vector> a = lattice(), b = lattice();
    std::reverse(b.begin(), b.end());
    std::rotate(b.begin(), b.begin() + 37, b.end());
    WeldResult result = compareWelded(a, b, kTolerance);
    EXPECT_TRUE(result.matched());
    EXPECT_EQ(result.largestDistance, 0);
    EXPECT_EQ(result.summary(), "yes");
}

TEST(WeldCompare, MovedPointIsFoundOnlyBeyondTheTolerance) {
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
}

TEST(WeldCompare, MissingOrExtraPointsAreReported) {
    std::vector<Vector> a = lattice(), b = lattice();
    b.pop_back();
    WeldResult missing = compareWelded(a, b, kTolerance);
    EXPECT_FALSE(missing.countsEqual);
    EXPECT_EQ(missing.unmatched, 1u);
    EXPECT_EQ(missing.summary(), "NO (counts differ, 1 unmatched)");

    // A duplicated point keeps every point matched, but the counts tell.
    b = lattice();
    b.push_back(b[5]);
    EXPECT_FALSE(compareWelded(a, b, kTolerance).matched());
}

TEST(WeldCompare, PartnersAcrossACellBorderMatch) {
    // Cells are kTolerance wide: these partners lie in neighbouring cells on
    // every axis at once.
    std::vector<Vector> a = {Vector(0.0049999f, -0.0000001f, 0.0029999f)};
    std::vector<Vector> b = {Vector(0.0050001f, 0.0000001f, 0.0030001f)};
    EXPECT_TRUE(compareWelded(a, b, kTolerance).matched());
    EXPECT_TRUE(compareWelded(b, a, kTolerance).matched());
}

// The largest distance is to each point's nearest partner, even where a
// point of its own cell lies within the tolerance too: the lowest corner
// (0) starts the cells, so 0.99 T and 1.01 T sit in neighbouring cells and
// 0.2 T in the first one with 0.99 T.
TEST(WeldCompare, LargestDistanceIsToTheNearestPartner) {
    const float t = static_cast<float>(kTolerance);
    std::vector<Vector> a = {Vector(0, 0, 0), Vector(0.2f * t, 0, 0), Vector(0.99f * t, 0, 0)};
    std::vector<Vector> b = {Vector(0, 0, 0), Vector(0.2f * t, 0, 0), Vector(1.01f * t, 0, 0)};
    const WeldResult result = compareWelded(a, b, kTolerance);
    EXPECT_TRUE(result.matched());
    EXPECT_NEAR(result.largestDistance, 0.02 * kTolerance, 1e-3 * kTolerance);
}

}  // namespace
