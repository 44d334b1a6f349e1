// Picking control vertices in selection mode, and what a press and a drag
// then do, in a real OpenGL context.
#include "app/picking.h"

#include <GL/glu.h>
#include <GL/glut.h>
#include <gtest/gtest.h>

#include "app/frame.h"
#include "app/main.h"
#include "glcontext.h"
#include "testviewer.h"

using namespace facetry;

namespace {

// Where control vertex i of the viewer appears, in window coordinates (y down).
std::pair<int, int> windowPosition(const Viewer& viewer, int i) {
    setProjection(viewer.view, false, 0, 0);
    setModelview(viewer.view);
    GLdouble model[16], projection[16], x, y, z;
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    Vector p = viewer.mesh->vertex(i)->position();
    gluProject(p.x, p.y, p.z, model, projection, viewport, &x, &y, &z);
    return {static_cast<int>(std::lround(x)), kTestWindowSize - static_cast<int>(std::lround(y))};
}

class Picking : public ::testing::Test {
protected:
    void SetUp() override { ensureGlContext(); }
    // A viewer over `mesh` in the test window, its first frame drawn.
    void open(std::unique_ptr<Mesh> mesh) {
        t = std::make_unique<TestViewer>(std::move(mesh));
        reshapeTestWindow(t->viewer.view);
        drawFrame(t->viewer);
    }

    std::unique_ptr<TestViewer> t;
};

TEST_F(Picking, FindsTheVertexUnderTheMouseAndRestoresTheProjection) {
    open(cubeMesh());
    GLfloat before[16], after[16];
    glGetFloatv(GL_PROJECTION_MATRIX, before);
    for (int i = 0; i < 8; ++i) {
        auto [x, y] = windowPosition(t->viewer, i);
        EXPECT_EQ(t->mesh->vertex(i), pickVertex(t->viewer.view, *t->mesh, x, y)) << "vertex " << i;
        // within the 7 x 7 region, not beyond it
        EXPECT_EQ(t->mesh->vertex(i), pickVertex(t->viewer.view, *t->mesh, x + 3, y - 3)) << "vertex " << i;
        EXPECT_EQ(nullptr, pickVertex(t->viewer.view, *t->mesh, x + 6, y)) << "vertex " << i;
    }
    glGetFloatv(GL_PROJECTION_MATRIX, after);
    for (int k = 0; k < 16; ++k) EXPECT_EQ(before[k], after[k]);
    GLint mode;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(GL_PROJECTION, mode);
}

TEST_F(Picking, AVertexBehindTheSurfaceCanBePicked) {
    open(cubeMesh());
    // vertex 0 is a back corner, inside the outline of the front face
    auto [x, y] = windowPosition(t->viewer, 0);
    EXPECT_GT(x, 75);
    EXPECT_LT(x, 150);
    EXPECT_EQ(t->mesh->vertex(0), pickVertex(t->viewer.view, *t->mesh, x, y));
}

TEST_F(Picking, TheLowestIndexWinsOverTheNearest) {
    open(cubeMesh());
    t->viewer.view.zoom = 0.002f;  // the whole cube within a pixel or two
    drawFrame(t->viewer);
    // vertex 0 is at the back, vertices 4 to 7 at the front
    EXPECT_EQ(t->mesh->vertex(0), pickVertex(t->viewer.view, *t->mesh, 150, 150));
}

TEST_F(Picking, TooManyHitsPickNothing) {
    open(gridMesh(20));  // 441 vertices, more hit records than the buffer holds
    t->viewer.view.zoom = 0.002f;
    EXPECT_EQ(nullptr, pickVertex(t->viewer.view, *t->mesh, 150, 150));
    mouse(t->viewer, GLUT_LEFT_BUTTON, GLUT_DOWN, 150, 150);
    EXPECT_FALSE(t->viewer.drag.draggingVertex);
    EXPECT_TRUE(t->viewer.arcball.isDragging());
}

TEST_F(Picking, APressAwayFromEveryVertexTurnsTheView) {
    open(cubeMesh());
    mouse(t->viewer, GLUT_LEFT_BUTTON, GLUT_DOWN, 150, 150);
    EXPECT_FALSE(t->viewer.drag.draggingVertex);
    EXPECT_EQ(nullptr, t->viewer.drag.moveVertex);
    EXPECT_TRUE(t->viewer.arcball.isDragging());
    motion(t->viewer, 170, 150);
    mouse(t->viewer, GLUT_LEFT_BUTTON, GLUT_UP, 170, 150);
    EXPECT_FALSE(t->viewer.arcball.isDragging());
    EXPECT_LT(t->viewer.view.viewRotation[0], 1.0f);  // turned about the vertical axis
    EXPECT_EQ(Vector(-1, -1, -1), t->mesh->vertex(0)->position());
}

TEST_F(Picking, WithTheControlMeshOffAPressOnAVertexTurnsTheView) {
    open(cubeMesh());
    auto [x, y] = windowPosition(t->viewer, 6);
    t->viewer.view.meshDisplay = kDisplayOff;
    mouse(t->viewer, GLUT_LEFT_BUTTON, GLUT_DOWN, x, y);
    EXPECT_FALSE(t->viewer.drag.draggingVertex);
    EXPECT_TRUE(t->viewer.arcball.isDragging());
}

TEST_F(Picking, DraggingAVertexOfAnOffCentreMeshFollowsTheMouse) {
    // centred at (10, 0, 0) with scale 1: the modelview's translation is -8
    // along x, which once reversed and slowed the drag
    open(cubeMesh(Vector(10, 0, 0)));
    auto [x, y] = windowPosition(t->viewer, 6);  // (11, 1, 1), front top right
    mouse(t->viewer, GLUT_LEFT_BUTTON, GLUT_DOWN, x, y);
    ASSERT_TRUE(t->viewer.drag.draggingVertex);
    ASSERT_EQ(t->mesh->vertex(6), t->viewer.drag.moveVertex);
    EXPECT_EQ(0, t->redraws);  // the press changes nothing on screen
    // 2 / (zoom . scale . window size) model units per pixel, along the screen axes
    const float step = 2 / (0.8f * kTestWindowSize);
    EXPECT_NEAR(step, t->viewer.drag.dragRight.x, 1e-7f);
    EXPECT_NEAR(step, t->viewer.drag.dragUp.y, 1e-7f);
    EXPECT_EQ(0.0f, t->viewer.drag.dragRight.y);
    EXPECT_EQ(0.0f, t->viewer.drag.dragUp.x);
    motion(t->viewer, x + 30, y - 15);
    Vector p = t->mesh->vertex(6)->position();
    EXPECT_NEAR(11 + 30 * step, p.x, 1e-5f);
    EXPECT_NEAR(1 + 15 * step, p.y, 1e-5f);
    EXPECT_EQ(1.0f, p.z);
    mouse(t->viewer, GLUT_LEFT_BUTTON, GLUT_UP, x + 30, y - 15);
    EXPECT_FALSE(t->viewer.drag.draggingVertex);
    EXPECT_FALSE(t->viewer.arcball.isDragging());
    EXPECT_EQ(1, t->redraws);
}

TEST_F(Picking, ANonSquareWindowStepsEachAxisByItsOwnSize) {
    open(cubeMesh());
    t->viewer.view.resize(400, 200);
    glViewport(0, 0, 400, 200);
    setProjection(t->viewer.view, false, 0, 0);
    t->viewer.drag.moveVertex = t->mesh->vertex(0);
    t->viewer.drag.draggingVertex = true;
    vertexButton(t->viewer, GLUT_LEFT_BUTTON, GLUT_DOWN, 10, 10);
    EXPECT_NEAR(2 / (0.8f * 400), t->viewer.drag.dragRight.x, 1e-7f);
    EXPECT_NEAR(2 / (0.8f * 200), t->viewer.drag.dragUp.y, 1e-7f);
    glViewport(0, 0, kTestWindowSize, kTestWindowSize);
}

}  // namespace
