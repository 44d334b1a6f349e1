// The arcball: window to ball, ball to sphere, the drag rotation, the
// matrix OpenGL gets, and the points of the guides' arcs.
#include "app/arcball.h"

#include <gtest/gtest.h>

#include <cmath>

#include "math/vector.h"

using namespace facetry;

namespace {

void expectNear(const Quaternion& expected, const Quaternion& actual, float tolerance = 1e-6f) {
    EXPECT_NEAR(expected.x, actual.x, tolerance);
    EXPECT_NEAR(expected.y, actual.y, tolerance);
    EXPECT_NEAR(expected.z, actual.z, tolerance);
    EXPECT_NEAR(expected.w, actual.w, tolerance);
}

// Where OpenGL sends point p under the column-major matrix m.
Vector applyMatrix(const float m[16], const Vector& p) {
    return Vector(m[0] * p.x + m[4] * p.y + m[8] * p.z, m[1] * p.x + m[5] * p.y + m[9] * p.z,
                  m[2] * p.x + m[6] * p.y + m[10] * p.z);
}

// A press at (x0, y0), one motion to (x1, y1) and the release there, in a
// window of the given size.
void dragBall(Arcball& ball, float x0, float y0, float x1, float y1, float w, float h) {
    ball.setMouse(windowToBall(x0, y0, w, h));
    ball.beginDrag();
    ball.update();
    ball.setMouse(windowToBall(x1, y1, w, h));
    ball.update();
    ball.endDrag();
    ball.update();
}

TEST(WindowToBall, ShorterSideSpansTheUnitDisc) {
    expectNear(Quaternion(0, 0, 0, 0), windowToBall(200, 200, 400, 400), 0);
    expectNear(Quaternion(-1, 1, 0, 0), windowToBall(0, 0, 400, 400), 0);
    // wide window: beyond +-1 along the longer side
    expectNear(Quaternion(2, 1, 0, 0), windowToBall(800, 0, 800, 400), 0);
    expectNear(Quaternion(0, -1, 0, 0), windowToBall(400, 400, 800, 400), 0);
    // tall window
    expectNear(Quaternion(1, -2, 0, 0), windowToBall(400, 800, 400, 800), 0);
}

TEST(ProjectToSphere, LiftsInsideAndClampsOutsideOntoTheRim) {
    const Quaternion center = identityQuaternion;
    expectNear(Quaternion(0, 0, 1, 0), projectToSphere(Quaternion(), center, 1.0), 0);
    expectNear(Quaternion(0.6f, 0, 0.8f, 0), projectToSphere(Quaternion(0.6f, 0, 0, 0), center, 1.0));
    // outside: pulled back along its direction, never extrapolated
    expectNear(Quaternion(0.6f, -0.8f, 0, 0), projectToSphere(Quaternion(3, -4, 0, 0), center, 1.0));
    expectNear(Quaternion(1, 0, 0, 0), projectToSphere(Quaternion(1, 0, 0, 0), center, 1.0), 0);
}

TEST(RotationBetween, CrossProductAndDotProduct) {
    expectNear(Quaternion(0, 1, 0, 0), rotationBetween(Quaternion(0, 0, 1, 0), Quaternion(1, 0, 0, 0)), 0);
    expectNear(Quaternion(0, 0, 0, 1), rotationBetween(Quaternion(0, 0, 1, 0), Quaternion(0, 0, 1, 0)), 0);
    expectNear(Quaternion(-3, 6, -3, 32), rotationBetween(Quaternion(1, 2, 3, 0), Quaternion(4, 5, 6, 0)), 0);
}

TEST(Arcball, StartsAtIdentityAndAStillClickChangesNothing) {
    Arcball ball;
    float m[16];
    ball.copyMatrix(m);
    for (int k = 0; k < 16; ++k) EXPECT_EQ(identityMatrix[k], m[k]);
    EXPECT_FALSE(ball.isDragging());
    ball.setMouse(windowToBall(120, 70, 300, 300));
    ball.beginDrag();
    ball.update();
    EXPECT_TRUE(ball.isDragging());
    ball.endDrag();
    ball.update();
    ball.copyMatrix(m);
    for (int k = 0; k < 16; ++k) EXPECT_NEAR(identityMatrix[k], m[k], 1e-6f) << "m[" << k << "]";
}

TEST(Arcball, CentreToRimIsAHalfTurnAboutTheVerticalAxis) {
    Arcball ball;
    dragBall(ball, 200, 200, 400, 200, 400, 400);
    expectNear(Quaternion(0, 1, 0, 0), ball.currentDragRotation(), 0);
    expectNear(Quaternion(0, 1, 0, 0), ball.currentRotation(), 0);
    float m[16];
    ball.copyMatrix(m);
    const float halfTurn[16] = {-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1};
    for (int k = 0; k < 16; ++k) EXPECT_NEAR(halfTurn[k], m[k], 1e-6f) << "m[" << k << "]";
}

TEST(Arcball, SmallDragRightTurnsTheFrontRight) {
    Arcball ball;
    dragBall(ball, 150, 150, 160, 150, 300, 300);
    float m[16];
    ball.copyMatrix(m);
    Vector front = applyMatrix(m, Vector(0, 0, 1));
    EXPECT_GT(front.x, 0.05f);
    EXPECT_NEAR(0, front.y, 1e-6f);
    // and upwards drags tip the front up
    Arcball tilt;
    dragBall(tilt, 150, 150, 150, 140, 300, 300);
    tilt.copyMatrix(m);
    EXPECT_GT(applyMatrix(m, Vector(0, 0, 1)).y, 0.05f);
}

TEST(Arcball, OppositeRimPointsMakeAFullTurn) {
    Arcball ball;
    dragBall(ball, 0, 150, 300, 150, 300, 300);
    expectNear(Quaternion(0, 0, 0, -1), ball.currentDragRotation(), 0);
    float m[16];
    ball.copyMatrix(m);
    for (int k = 0; k < 16; ++k) EXPECT_NEAR(identityMatrix[k], m[k], 1e-6f);
    // outside the ball on both ends: the turn is about the axis at the viewer
    Arcball outside;
    dragBall(outside, 300, 0, 0, 0, 300, 300);  // top-right corner to top-left corner
    Quaternion r = outside.currentDragRotation();
    EXPECT_EQ(0, r.x);
    EXPECT_EQ(0, r.y);
    EXPECT_NEAR(1, r.z, 1e-6f);
}

TEST(Arcball, EachDragStartsFromTheReleasedRotation) {
    Arcball first, both;
    dragBall(first, 150, 150, 190, 150, 300, 300);
    Quaternion firstTurn = first.currentRotation();
    dragBall(both, 150, 150, 190, 150, 300, 300);
    dragBall(both, 150, 150, 150, 110, 300, 300);
    Arcball second;
    dragBall(second, 150, 150, 150, 110, 300, 300);
    expectNear(second.currentRotation() * firstTurn, both.currentRotation(), 0);
    // motion events do not pile up: only the press point and the latest count
    Arcball steps;
    steps.setMouse(windowToBall(150, 150, 300, 300));
    steps.beginDrag();
    steps.update();
    for (float x = 155; x <= 190; x += 5) {
        steps.setMouse(windowToBall(x, 150, 300, 300));
        steps.update();
    }
    expectNear(firstTurn, steps.currentRotation(), 0);
}

TEST(ArcPoints, SixteenEqualStepsAlongTheGreatCircle) {
    Quaternion pts[kArcSegments + 1];
    arcPoints(Quaternion(1, 0, 0, 0), Quaternion(0, 1, 0, 0), pts);
    for (int i = 0; i <= kArcSegments; ++i) {
        double angle = M_PI / 2 * i / kArcSegments;
        expectNear(Quaternion(static_cast<float>(std::cos(angle)), static_cast<float>(std::sin(angle)), 0, 0), pts[i],
                   2e-6f);
    }
    // the ends are the given points exactly
    expectNear(Quaternion(1, 0, 0, 0), pts[0], 0);
    expectNear(Quaternion(0, 1, 0, 0), pts[kArcSegments], 0);
}

TEST(ArcPoints, OppositePointsGoOverTheFront) {
    expectNear(Quaternion(0, 0, 1, 0), midArcPoint(Quaternion(1, 0, 0, 0), Quaternion(-1, 0, 0, 0)), 0);
    Quaternion pts[kArcSegments + 1];
    arcPoints(Quaternion(-1, 0, 0, 0), Quaternion(1, 0, 0, 0), pts);
    expectNear(Quaternion(0, 0, 1, 0), pts[kArcSegments / 2], 2e-6f);
    for (const Quaternion& p : pts) EXPECT_NEAR(1, p.norm(), 4e-6f);
}

TEST(ArcPointsDeathTest, MidpointOfPointsOffTheSphereSpaceIsAnError) {
    EXPECT_DEATH(midArcPoint(Quaternion(1, 0, 0, 1), Quaternion(0, 1, 0, 0)),
                 "Assertion failed: !v1.w && !v2.w, file src/app/arcball.cpp");
}

}  // namespace
