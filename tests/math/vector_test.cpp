#include <gtest/gtest.h>

#include <cmath>

#include "math/vector.h"

using namespace facetry;

TEST(Vector, ArithmeticAndHelpers) {
    EXPECT_EQ(Vector(), Vector(0, 0, 0));
    EXPECT_EQ(cross(Vector(1, 0, 0), Vector(0, 1, 0)), Vector(0, 0, 1));
    EXPECT_EQ(componentMin(Vector(1, 5, 3), Vector(2, 4, 3)), Vector(1, 4, 3));
    EXPECT_EQ(componentMax(Vector(1, 5, 3), Vector(2, 4, 3)), Vector(2, 5, 3));
    EXPECT_EQ(maxOf3(1, 3, 2), 3);
    EXPECT_EQ(Vector(1, 2, 3) / 2, Vector(0.5f, 1, 1.5f));
    EXPECT_EQ(Vector(1, 2, 2).lengthSquared(), 9);
}

TEST(Vector, EqualValuesGiveTheFirstArgument) {
    // -0 and +0 compare equal, so the sign tells which one was returned.
    EXPECT_TRUE(std::signbit(maxOf(-0.0f, 0.0f)));
    EXPECT_TRUE(std::signbit(minOf(-0.0f, 0.0f)));
}

TEST(VectorDeathTest, DivisionByZeroReportsTheExpression) {
    EXPECT_DEATH(Vector(1, 2, 3) / 0, "Assertion failed: s, file src/math/vector.h, line [0-9]+");
    Vector v(1, 2, 3);
    EXPECT_DEATH(v /= 0, "Assertion failed: s, file src/math/vector.h");
}

TEST(Vector, DivisionMultipliesByTheReciprocal) {
    // 5/3 rounds to 1.66666663f, but 5 times the float 1/3 rounds to
    // 1.66666675f: the point rules depend on the second, bit for bit.
    const float third = 1.0f / 3.0f;
    EXPECT_NE(5 * third, 5.0f / 3.0f);
    EXPECT_EQ((Vector(5, -5, 1) / 3).x, 5 * third);
    EXPECT_EQ((Vector(5, -5, 1) / 3).y, -5 * third);
    Vector v(5, 0, 0);
    v /= 3;
    EXPECT_EQ(v.x, 5 * third);
}
