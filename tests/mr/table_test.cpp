// Table, the dense row-by-row grid of the element-by-element API (no surface
// face keeps its points in one: they live in the level's blocks), and
// TableShape, the indexing and bounds check every face grid is read through.
#include <gtest/gtest.h>

#include "math/vector.h"
#include "mr/table.h"
#include "support/capture.h"

using namespace facetry;

TEST(Table, FreshTableIsEmptyAndResizeStartsFromZero) {
    Table<Vector> t;
    EXPECT_FALSE(t.in_bounds(0, 0));
    EXPECT_EQ(t.sizeI(), 0);
    EXPECT_EQ(t.elements(), nullptr);

    t.resize(2, 2);
    EXPECT_EQ(t.sizeI(), 2);
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j) EXPECT_EQ(t(i, j), Vector(0, 0, 0));
}

TEST(Table, ResizeToTheSameCountKeepsArrayAndValues) {
    Table<Vector> t;
    t.resize(3);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) t(i, j) = Vector(i, j, 1);
    const Vector* before = t.elements();
    t.resize(3, 3);
    EXPECT_EQ(t.elements(), before);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_EQ(t(i, j), Vector(i, j, 1));

    // 3 x 2 read again as 2 x 3: the six values stay, in storage order.
    Table<Vector> r;
    r.resize(3, 2);
    for (int k = 0; k < 6; ++k) r(k / 2, k % 2) = Vector(k, 0, 0);
    r.resize(2, 3);
    EXPECT_EQ(r(1, 0), Vector(3, 0, 0));
    EXPECT_EQ(r(0, 2), Vector(2, 0, 0));
    EXPECT_EQ(r(1, 2), Vector(5, 0, 0));
}

TEST(Table, ResizeToAnotherCountStartsAgainFromZero) {
    Table<Vector> t;
    t.resize(2);
    t(1, 1) = Vector(4, 5, 6);
    t.resize(3);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_EQ(t(i, j), Vector(0, 0, 0));
}

TEST(Table, InBoundsExactlyInsideBothExtents) {
    Table<Vector> t;
    t.resize(3, 2);
    EXPECT_TRUE(t.in_bounds(0, 0));
    EXPECT_TRUE(t.in_bounds(2, 1));
    EXPECT_FALSE(t.in_bounds(-1, 0));
    EXPECT_FALSE(t.in_bounds(0, -1));
    EXPECT_FALSE(t.in_bounds(3, 0));
    EXPECT_FALSE(t.in_bounds(0, 2));
}

TEST(Table, SwapExchangesArraysAndExtentsWithoutCopying) {
    Table<Vector> a, b;
    a.resize(2);
    a(0, 1) = Vector(1, 2, 3);
    b.resize(3);
    b(2, 2) = Vector(7, 8, 9);
    const Vector* aData = a.elements();
    const Vector* bData = b.elements();
    a.swap(b);
    EXPECT_EQ(a.elements(), bData);
    EXPECT_EQ(b.elements(), aData);
    EXPECT_EQ(a.sizeI(), 3);
    EXPECT_EQ(b.sizeI(), 2);
    EXPECT_EQ(a(2, 2), Vector(7, 8, 9));
    EXPECT_EQ(b(0, 1), Vector(1, 2, 3));
}

TEST(TableDeathTest, BadExtentsAndOutsideAccessNameTheirExpressions) {
    Table<Vector> t;
    EXPECT_DEATH(t.resize(0, 2), assertionPattern("di_>0 && dj_>0", "src/mr/table.h"));
    EXPECT_DEATH(t.resize(2, -1), assertionPattern("di_>0 && dj_>0", "src/mr/table.h"));
    t.resize(2);
    EXPECT_DEATH(t(2, 0) = Vector(), assertionPattern("in_bounds(i,j)", "src/mr/table.h"));
    const Table<Vector>& readOnly = t;
    EXPECT_DEATH(readOnly(0, -1), assertionPattern("in_bounds(i,j)", "src/mr/table.h"));
}
