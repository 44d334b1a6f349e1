// Dragging: the drag vectors from the modelview, the moves of a dragged
// vertex, and the mouse dispatch that needs no picking.
#include <GL/glut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/main.h"
#include "math/quaternion.h"
#include "testviewer.h"

using namespace facetry;

namespace {

// The modelview setModelview builds: rotation (column order), then zoom and
// scale, then the move of center to the origin.
void modelview(const float rotation[16], float zoomScale, const Vector& center, float m[16]) {
    for (int k = 0; k < 12; ++k) m[k] = (k % 4 == 3) ? 0 : rotation[k] * zoomScale;
    for (int i = 0; i < 3; ++i)
        m[12 + i] = -zoomScale * (rotation[i] * center.x + rotation[4 + i] * center.y + rotation[8 + i] * center.z);
    m[15] = 1;
}

void expectVector(const Vector& expected, const Vector& actual, float tolerance) {
    EXPECT_NEAR(expected.x, actual.x, tolerance);
    EXPECT_NEAR(expected.y, actual.y, tolerance);
    EXPECT_NEAR(expected.z, actual.z, tolerance);
}

View viewOfSize(int w, int h) {
    View view;
    view.resize(w, h);
    return view;
}

TEST(Unproject, TransposedMatrixDividedByW) {
    float m[16];
    modelview(identityMatrix, 2, Vector(), m);
    EXPECT_EQ(Vector(2, 4, 6), unproject(m, Vector(1, 2, 3)));
    float rotation[16];
    toMatrix(Quaternion(0, 0, 0.7071068f, 0.7071068f), rotation);  // OpenGL sees a quarter turn back about z
    modelview(rotation, 1, Vector(), m);
    expectVector(Vector(0, 1, 0), unproject(m, Vector(1, 0, 0)), 1e-6f);
}

TEST(UnprojectDeathTest, ZeroWIsAnError) {
    float m[16];
    modelview(identityMatrix, 0.1f, Vector(10, 0, 0), m);  // m[12] = -1
    EXPECT_DEATH(unproject(m, Vector(1, 0, 0)), "Assertion failed: b\\[3\\], file src/app/main.cpp");
}

TEST(DragVectors, ScreenAxesInModelSpaceForACentredMesh) {
    float m[16];
    modelview(identityMatrix, 0.8f * 0.5f, Vector(), m);
    Vector right, up;
    ASSERT_TRUE(dragVectors(m, viewOfSize(300, 200), right, up));
    // 2 / (zoom . scale . window size) per pixel
    expectVector(Vector(2 / (0.4f * 300), 0, 0), right, 1e-7f);
    expectVector(Vector(0, 2 / (0.4f * 200), 0), up, 1e-7f);
}

TEST(DragVectors, FollowTheViewRotation) {
    float rotation[16], m[16];
    toMatrix(Quaternion(0, 0, 0.7071068f, 0.7071068f).conjugate(), rotation);  // the view turned a quarter about z
    modelview(rotation, 1, Vector(), m);
    Vector right, up;
    ASSERT_TRUE(dragVectors(m, viewOfSize(200, 200), right, up));
    // screen right is model -y after the model turned +90 degrees
    expectVector(Vector(0, -0.01f, 0), right, 1e-7f);
    expectVector(Vector(0.01f, 0, 0), up, 1e-7f);
}

TEST(DragVectors, AnOffCentreMeshDragsLikeACentredOne) {
    float m[16];
    Vector centredRight, centredUp;
    modelview(identityMatrix, 0.1f, Vector(), m);
    ASSERT_TRUE(dragVectors(m, viewOfSize(300, 300), centredRight, centredUp));
    // centres whose translation once scaled, reversed or zeroed the motion
    for (const Vector& center : {Vector(10, 0, 0), Vector(-25, 40, 3), Vector(0, 10, 0), Vector(30, 0, 0)}) {
        modelview(identityMatrix, 0.1f, center, m);
        Vector right, up;
        ASSERT_TRUE(dragVectors(m, viewOfSize(300, 300), right, up));
        EXPECT_EQ(centredRight, right) << center.x << " " << center.y;
        EXPECT_EQ(centredUp, up) << center.x << " " << center.y;
    }
    EXPECT_GT(centredRight.x, 0);
    EXPECT_GT(centredUp.y, 0);
}

TEST(DragVectors, NoMotionForAPointLikeMeshOrAnEmptyWindow) {
    float m[16];
    modelview(identityMatrix, 0, Vector(1, 2, 3), m);  // scale 0: all vertices at one point
    Vector right(9, 9, 9), up(9, 9, 9);
    EXPECT_FALSE(dragVectors(m, viewOfSize(300, 300), right, up));
    EXPECT_EQ(Vector(), right);
    EXPECT_EQ(Vector(), up);
    modelview(identityMatrix, 0.5f, Vector(), m);
    EXPECT_FALSE(dragVectors(m, viewOfSize(0, 300), right, up));
    EXPECT_FALSE(dragVectors(m, viewOfSize(300, 0), right, up));
    EXPECT_EQ(Vector(), right);
    // a scale so large its square overflows
    modelview(identityMatrix, 1e30f, Vector(), m);
    EXPECT_FALSE(dragVectors(m, viewOfSize(300, 300), right, up));
    EXPECT_EQ(Vector(), up);
}

// A drag of control vertex `index` set up by hand, as a press would.
void startDrag(TestViewer& t, int index, int x, int y) {
    VertexDrag& drag = t.viewer.drag;
    drag.draggingVertex = true;
    drag.moveVertex = t.mesh->vertex(index);
    drag.dragRight = Vector(0.25f, 0, 0);
    drag.dragUp = Vector(0, 0.5f, 0);
    drag.lastX = x;
    drag.lastY = y;
}

// All the points of surface face f.
std::vector<Vector> facePoints(const MrMesh& mrMesh, int f) {
    const MrFace* face = mrMesh.face(f);
    int n = face->gridSize();
    std::vector<Vector> points;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) points.push_back(face->point(i, j));
    return points;
}

// The surface point over control vertex 6 = (1, 1, 0) of gridMesh(4): the
// far corner of face 0.
Vector pointOverVertex6(const MrMesh& mrMesh) {
    const MrFace* face = mrMesh.face(0);
    int last = face->gridSize() - 1;
    return face->point(last, last);
}

TEST(VertexDrag, MovesTheVertexParallelToTheScreenAndTheSurfaceNearIt) {
    TestViewer t(gridMesh(4));
    t.mrMesh->subdivide();
    t.mrMesh->subdivide();
    std::vector<Vector> farFace = facePoints(*t.mrMesh, 15);
    Vector near = pointOverVertex6(*t.mrMesh);
    startDrag(t, 6, 100, 100);
    vertexDrag(t.viewer, 104, 98);
    // right by 4 pixels, up by 2: window y runs down
    EXPECT_EQ(Vector(2, 2, 0), t.mesh->vertex(6)->position());
    Vector moved = pointOverVertex6(*t.mrMesh);
    EXPECT_GT(moved.x, near.x);
    EXPECT_GT(moved.y, near.y);
    EXPECT_EQ(near.z, moved.z);
    EXPECT_EQ(farFace, facePoints(*t.mrMesh, 15));
    EXPECT_EQ(2, t.mrMesh->curRes());
    EXPECT_EQ(1, t.redraws);
    EXPECT_EQ(104, t.viewer.drag.lastX);
    EXPECT_EQ(98, t.viewer.drag.lastY);
    // the same pixel again does nothing at all
    vertexDrag(t.viewer, 104, 98);
    EXPECT_EQ(1, t.redraws);
    EXPECT_EQ(Vector(2, 2, 0), t.mesh->vertex(6)->position());
    // the release keeps the vertex and the picked vertex
    vertexButton(t.viewer, GLUT_LEFT_BUTTON, GLUT_UP, 104, 98);
    EXPECT_FALSE(t.viewer.drag.draggingVertex);
    EXPECT_EQ(t.mesh->vertex(6), t.viewer.drag.moveVertex);
    EXPECT_EQ(1, t.redraws);
    // motion after the release moves nothing
    vertexDrag(t.viewer, 150, 150);
    EXPECT_EQ(Vector(2, 2, 0), t.mesh->vertex(6)->position());
}

TEST(VertexDrag, HiddenSurfaceFollowsOnceAtTheRelease) {
    TestViewer t(gridMesh(4));
    t.mrMesh->subdivide();
    t.viewer.view.mrMeshDisplay = kDisplayOff;
    Vector near = pointOverVertex6(*t.mrMesh);
    startDrag(t, 6, 100, 100);
    vertexDrag(t.viewer, 104, 100);
    vertexDrag(t.viewer, 108, 100);
    EXPECT_EQ(Vector(3, 1, 0), t.mesh->vertex(6)->position());
    EXPECT_EQ(near, pointOverVertex6(*t.mrMesh));
    EXPECT_EQ(2, t.redraws);
    vertexButton(t.viewer, GLUT_LEFT_BUTTON, GLUT_UP, 108, 100);
    EXPECT_GT(pointOverVertex6(*t.mrMesh).x, near.x);
    EXPECT_EQ(3, t.redraws);
}

TEST(VertexDragDeathTest, DraggingWithoutAVertexIsAnError) {
    TestViewer t(gridMesh(1));
    t.viewer.drag.draggingVertex = true;
    EXPECT_DEATH(vertexDrag(t.viewer, 5, 5), "Assertion failed: moveVertex, file src/app/main.cpp");
}

TEST(Mouse, WithTheControlMeshOffEveryPressTurnsTheView) {
    TestViewer t(cubeMesh(), 400, 400);
    t.viewer.view.meshDisplay = kDisplayOff;
    mouse(t.viewer, GLUT_LEFT_BUTTON, GLUT_DOWN, 200, 200);
    EXPECT_FALSE(t.viewer.drag.draggingVertex);
    EXPECT_TRUE(t.viewer.arcball.isDragging());
    motion(t.viewer, 400, 200);
    // a half turn about the vertical axis: x and z change sign
    EXPECT_NEAR(-1, t.viewer.view.viewRotation[0], 1e-6f);
    EXPECT_NEAR(1, t.viewer.view.viewRotation[5], 1e-6f);
    EXPECT_NEAR(-1, t.viewer.view.viewRotation[10], 1e-6f);
    mouse(t.viewer, GLUT_LEFT_BUTTON, GLUT_UP, 300, 300);
    EXPECT_FALSE(t.viewer.arcball.isDragging());
    // the release point adds nothing to the last motion's rotation
    EXPECT_NEAR(-1, t.viewer.view.viewRotation[0], 1e-6f);
    EXPECT_NEAR(-1, t.viewer.view.viewRotation[10], 1e-6f);
    EXPECT_EQ(3, t.redraws);
    // an unknown button state does nothing
    mouse(t.viewer, GLUT_LEFT_BUTTON, 7, 10, 10);
    EXPECT_EQ(3, t.redraws);
}

}  // namespace
