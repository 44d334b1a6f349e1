// The OpenGL calls of a frame, counted as the library receives them: a
// bounded number whatever the size of the surface, and none per point.
#include <gtest/gtest.h>

#include <string>

#include "app/frame.h"
#include "glcallcounter.h"
#include "glcontext.h"
#include "draw/gridarrays.h"
#include "draw/meshdraw.h"
#include "testviewer.h"

using namespace facetry;

namespace {

// A frame's calls besides the surface's batches (clearing, matrices, modes,
// the control mesh's vertices twice and its edges), with room to spare, and
// the calls of one batch of the surface (its vertex and normal pointers and
// its draw).
constexpr long long kCallsBesideBatches = 45;
constexpr long long kCallsPerBatch = 3;

const int kSurfaceModes[] = {kDisplayVertices, kDisplayEdges, kDisplayColoredEdges, kDisplayFaces};

struct FrameCalls {
    long long all = 0;        // every counted call
    long long perPoint = 0;   // calls that carry one point or normal each
};

FrameCalls countFrame(const Viewer& viewer) {
    // (a single glNormal3f leaves the last cell's normal current after the faces)
    const char* perPointCalls[] = {"glBegin", "glVertex3f", "glArrayElement"};
    FrameCalls before{glCallCount(), 0}, after;
    for (const char* name : perPointCalls) before.perPoint += glCallCount(name);
    drawFrame(viewer);
    after.all = glCallCount();
    for (const char* name : perPointCalls) after.perPoint += glCallCount(name);
    return {after.all - before.all, after.perPoint - before.perPoint};
}

TEST(FrameCalls, StayBoundedAsTheSurfaceGrowsInEveryMode) {
    ensureGlContext();
    TestViewer t(gridMesh(48));  // 2,304 faces: several batches from level 3 on
    reshapeTestWindow(t.viewer.view);
    ASSERT_EQ(kDisplayEdges, t.viewer.view.meshDisplay);  // the control mesh drawn, vertices twice
    for (int level = 0; level <= 3; ++level) {
        GridLayout layout(t.mrMesh->numFaces(), level);
        if (level == 3) {
            ASSERT_GT(layout.batches(), 1);
        }
        for (int mode : kSurfaceModes) {
            SCOPED_TRACE("level " + std::to_string(level) + ", mode " + std::to_string(mode));
            t.viewer.view.mrMeshDisplay = mode;
            countFrame(t.viewer);  // builds the arrays the mode needs
            FrameCalls calls = countFrame(t.viewer);
            EXPECT_LE(calls.all, kCallsBesideBatches + kCallsPerBatch * layout.batches());
            EXPECT_GE(calls.all, layout.batches()) << "every batch is drawn";
            EXPECT_EQ(0, calls.perPoint);
        }
        t.mrMesh->subdivide();
    }
}

TEST(FrameCalls, StayWithinFiveThousandForThreePointSixMillionQuads) {
    // as many quads as a 75,000-triangle scan has at level 2: 225,625 at
    // level 0, 16 cells each
    ensureGlContext();
    TestViewer t(gridMesh(475));
    reshapeTestWindow(t.viewer.view);
    ASSERT_EQ(kDisplayEdges, t.viewer.view.meshDisplay);  // the control mesh drawn too
    ASSERT_TRUE(t.mrMesh->subdivide());
    ASSERT_TRUE(t.mrMesh->subdivide());
    ASSERT_GE(16LL * t.mrMesh->numFaces(), 3600000);
    for (int mode : kSurfaceModes) {
        SCOPED_TRACE("mode " + std::to_string(mode));
        t.viewer.view.mrMeshDisplay = mode;
        countFrame(t.viewer);  // builds the arrays the mode needs
        EXPECT_LE(countFrame(t.viewer).all, 5000);
    }
}

TEST(FrameCalls, PickingStillNamesEveryControlVertex) {
    ensureGlContext();
    TestViewer t(gridMesh(3));
    reshapeTestWindow(t.viewer.view);
    glRenderMode(GL_SELECT);
    const long long names = glCallCount("glLoadName");
    drawVertices(*t.mesh);
    glRenderMode(GL_RENDER);
    EXPECT_EQ(t.mesh->numVertices(), glCallCount("glLoadName") - names);
}

}  // namespace
