// The quaternion algebra and the rotation matrices handed to OpenGL.
#include "math/quaternion.h"

#include <gtest/gtest.h>

using namespace facetry;

namespace {

void expectMatrix(const float expected[16], const float actual[16], float tolerance) {
    for (int k = 0; k < 16; ++k) EXPECT_NEAR(expected[k], actual[k], tolerance) << "m[" << k << "]";
}

void expectQuaternion(const Quaternion& expected, const Quaternion& actual) {
    EXPECT_EQ(expected.x, actual.x);
    EXPECT_EQ(expected.y, actual.y);
    EXPECT_EQ(expected.z, actual.z);
    EXPECT_EQ(expected.w, actual.w);
}

TEST(Quaternion, DefaultIsZeroAndIdentityIsUnitScalar) {
    expectQuaternion(Quaternion(0, 0, 0, 0), Quaternion());
    expectQuaternion(Quaternion(0, 0, 0, 1), identityQuaternion);
}

TEST(Quaternion, ComponentwiseOperatorsNormAndConjugate) {
    Quaternion p(1, 2, 3, 4), q(0.5f, -1, 2, -3);
    expectQuaternion(Quaternion(1.5f, 1, 5, 1), p + q);
    expectQuaternion(Quaternion(0.5f, 3, 1, 7), p - q);
    expectQuaternion(Quaternion(-1, -2, -3, -4), -p);
    expectQuaternion(Quaternion(2, 4, 6, 8), p * 2.0f);
    Quaternion r = p;
    r *= 0.5f;
    expectQuaternion(Quaternion(0.5f, 1, 1.5f, 2), r);
    EXPECT_EQ(30.0f, p.norm());
    expectQuaternion(Quaternion(-1, -2, -3, 4), p.conjugate());
    EXPECT_EQ(0.5f - 2 + 6 - 12, dot(p, q));
}

TEST(Quaternion, ProductFollowsHamilton) {
    const Quaternion samples[] = {{1, 2, 3, 4}, {-0.5f, 0.25f, 8, -3}, {0, 0, 1, 0}};
    for (const Quaternion& q : samples) {
        expectQuaternion(q, identityQuaternion * q);
        expectQuaternion(q, q * identityQuaternion);
    }
    expectQuaternion(Quaternion(0, 0, 0, -1), Quaternion(0, 0, 1, 0) * Quaternion(0, 0, 1, 0));
    // i j = k but j i = -k: the order of the factors matters
    expectQuaternion(Quaternion(0, 0, 1, 0), Quaternion(1, 0, 0, 0) * Quaternion(0, 1, 0, 0));
    expectQuaternion(Quaternion(0, 0, -1, 0), Quaternion(0, 1, 0, 0) * Quaternion(1, 0, 0, 0));
    expectQuaternion(Quaternion(12, 24, 30, 0), Quaternion(1, 2, 3, 4) * Quaternion(2, 3, 4, 5));
}

TEST(Quaternion, SquareRootIsRoundedFromDouble) {
    EXPECT_EQ(3.0f, squareRoot(9.0f));
    EXPECT_EQ(static_cast<float>(std::sqrt(2.0)), squareRoot(2.0f));
}

TEST(ToMatrix, IdentityForUnitZeroAndScaledScalar) {
    float m[16];
    for (const Quaternion& q : {identityQuaternion, Quaternion(), Quaternion(0, 0, 0, 2)}) {
        toMatrix(q, m);
        for (int k = 0; k < 16; ++k) EXPECT_EQ(identityMatrix[k], m[k]) << "m[" << k << "]";
    }
}

TEST(ToMatrix, QuarterTurnAboutZIsWrittenRowByRow) {
    float m[16];
    toMatrix(Quaternion(0, 0, 0.7071068f, 0.7071068f), m);
    const float expected[16] = {0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    expectMatrix(expected, m, 1e-6f);
    // OpenGL reads the transpose, the turn of the conjugate: x goes to -y
    toMatrix(Quaternion(0, 0, 0.7071068f, 0.7071068f).conjugate(), m);
    const float conjugate[16] = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    expectMatrix(conjugate, m, 1e-6f);
}

TEST(ToMatrix, HalfTurnsAboutEachAxisOfANonUnitQuaternion) {
    float m[16];
    toMatrix(Quaternion(0, 3, 0, 0), m);  // half turn about y, length 3
    const float aboutY[16] = {-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1};
    expectMatrix(aboutY, m, 1e-6f);
    toMatrix(Quaternion(0.5f, 0, 0, 0), m);  // half turn about x, length 0.5
    const float aboutX[16] = {1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1};
    expectMatrix(aboutX, m, 0);
}

}  // namespace
