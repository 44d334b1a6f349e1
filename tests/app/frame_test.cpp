// One frame of the viewer: what is drawn, in which order and colour, and
// which OpenGL state it leaves behind.
#include "app/frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "app/main.h"
#include "drawreference.h"
#include "glcontext.h"
#include "draw/glcolor.h"
#include "draw/meshdraw.h"
#include "support/capture.h"
#include "support/catalogue.h"
#include "support/loading.h"
#include "support/tempdir.h"
#include "testviewer.h"

using namespace facetry;

namespace {

class Frame : public ::testing::Test {
protected:
    void SetUp() override {
        ensureGlContext();
        reshapeTestWindow(t.viewer.view);
    }

    TestViewer t{cubeMesh()};
};

bool hasColor(const FeedbackVertex& v, const Color& c) {
    return std::fabs(v.r - c.r) < 1e-3 && std::fabs(v.g - c.g) < 1e-3 && std::fabs(v.b - c.b) < 1e-3;
}

// The items from `from` on whose every vertex has colour c and token `token`.
int countRun(const std::vector<FeedbackItem>& items, size_t from, size_t count, GLenum token, const Color& c) {
    int n = 0;
    for (size_t k = from; k < from + count && k < items.size(); ++k) {
        bool lineToken = token == GL_LINE_TOKEN && items[k].token == GL_LINE_RESET_TOKEN;
        if ((items[k].token == token || lineToken) && hasColor(items[k].vertices[0], c)) ++n;
    }
    return n;
}

TEST_F(Frame, StartsWithLitGreyFacesUnderTheGreenControlMesh) {
    auto items = feedback([&] { drawFrame(t.viewer); });
    // 6 faces of one cell each, as triangles, then 8 green points, 12 dark
    // green edges and the 8 points again in dark green
    ASSERT_EQ(12u + 8 + 12 + 8, items.size());
    int lit = 0;
    for (size_t k = 0; k < 12; ++k) {
        ASSERT_EQ(GLenum(GL_POLYGON_TOKEN), items[k].token);
        const FeedbackVertex& v = items[k].vertices[0];
        // lit grey: grey in every channel, mostly not the flat 0.5 of an unlit face
        EXPECT_FLOAT_EQ(v.r, v.g);
        EXPECT_FLOAT_EQ(v.r, v.b);
        lit += std::fabs(v.r - 0.5f) > 0.01f;
    }
    EXPECT_GT(lit, 0);
    EXPECT_EQ(8, countRun(items, 12, 8, GL_POINT_TOKEN, green));
    EXPECT_EQ(12, countRun(items, 20, 12, GL_LINE_TOKEN, darkGreen));
    EXPECT_EQ(8, countRun(items, 32, 8, GL_POINT_TOKEN, darkGreen));
    // light on the faces only; the shade model stays flat
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    GLint shadeModel;
    glGetIntegerv(GL_SHADE_MODEL, &shadeModel);
    EXPECT_EQ(GL_FLAT, shadeModel);
    // the idle arcball draws nothing but leaves its arc colour current
    GLfloat current[4];
    glGetFloatv(GL_CURRENT_COLOR, current);
    EXPECT_EQ(0.0f, current[0]);
    EXPECT_EQ(1.0f, current[1]);
    EXPECT_EQ(1.0f, current[2]);
}

TEST_F(Frame, LightingDependsOnTheFaceAngle) {
    // turned a little, the cube shows faces at different angles to the light
    mouse(t.viewer, 0, 0, 150, 150);
    motion(t.viewer, 180, 130);
    mouse(t.viewer, 0, 1, 180, 130);
    ASSERT_TRUE(t.viewer.view.meshDisplay == kDisplayEdges);
    t.viewer.view.meshDisplay = kDisplayOff;
    auto items = feedback([&] { drawFrame(t.viewer); });
    ASSERT_EQ(12u, items.size());
    float darkest = 1, brightest = 0;
    for (const FeedbackItem& item : items) {
        darkest = std::min(darkest, item.vertices[0].r);
        brightest = std::max(brightest, item.vertices[0].r);
    }
    EXPECT_GT(brightest - darkest, 0.1f);
}

TEST_F(Frame, LineModesAreUnlitGrey) {
    t.viewer.view.mrMeshDisplay = kDisplayEdges;
    t.viewer.view.meshDisplay = kDisplayVertices;
    auto items = feedback([&] { drawFrame(t.viewer); });
    // 6 faces x 4 sides, then the 8 control points
    ASSERT_EQ(24u + 8, items.size());
    EXPECT_EQ(24, countRun(items, 0, 24, GL_LINE_TOKEN, grey));
    EXPECT_EQ(8, countRun(items, 24, 8, GL_POINT_TOKEN, green));
    t.viewer.view.mrMeshDisplay = kDisplayVertices;
    items = feedback([&] { drawFrame(t.viewer); });
    EXPECT_EQ(24, countRun(items, 0, 24, GL_POINT_TOKEN, grey));
}

TEST_F(Frame, BothOffShowsOnlyTheArcballGuidesOfARotation) {
    t.viewer.view.mrMeshDisplay = kDisplayOff;
    t.viewer.view.meshDisplay = kDisplayOff;
    EXPECT_TRUE(feedback([&] { drawFrame(t.viewer); }).empty());
    // while turning: the rim in white (4 arcs), then the drag arc in cyan,
    // 16 segments each
    mouse(t.viewer, 0, 0, 150, 150);
    motion(t.viewer, 200, 150);
    auto items = feedback([&] { drawFrame(t.viewer); });
    ASSERT_EQ(5u * kArcSegments, items.size());
    EXPECT_EQ(4 * kArcSegments, countRun(items, 0, 4 * kArcSegments, GL_LINE_TOKEN, white));
    EXPECT_EQ(kArcSegments, countRun(items, 4 * kArcSegments, kArcSegments, GL_LINE_TOKEN, cyan));
    // the rim is the unit circle around the target, unaffected by zoom:
    // about 0.58 of half the window from the centre
    for (size_t k = 0; k < 4 * kArcSegments; ++k) {
        const FeedbackVertex& v = items[k].vertices[0];
        double r = std::hypot(v.x - 150, v.y - 150) / 150;
        EXPECT_NEAR(1 / std::sqrt(3.0), r, 0.01);
    }
    mouse(t.viewer, 0, 1, 200, 150);
    EXPECT_TRUE(feedback([&] { drawFrame(t.viewer); }).empty());
}

TEST_F(Frame, TheControlMeshIsDrawnAsBeforeOnEveryCatalogueMesh) {
    for (const CatalogueMesh& named : meshCatalogue()) {
        SCOPED_TRACE(named.name);
        Loaded loaded = loadText(meshText(named.control));
        ASSERT_EQ("", loaded.fatal);
        const Mesh& mesh = *loaded.mesh;
        // the whole mesh within view
        float largest = 1;
        for (const Vector& p : positionsOf(mesh))
            largest = std::max({largest, std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)});
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glScalef(0.9f / largest, 0.9f / largest, 0.9f / largest);
        auto old = screenPicture(feedback([&] { referenceControlVertices(mesh); }));
        EXPECT_EQ(mesh.numVertices(), countTokens(old, GL_POINT_TOKEN));
        EXPECT_EQ(-1, firstDifference(old, screenPicture(feedback([&] { drawVertices(mesh); }))));
        old = screenPicture(feedback([&] { referenceControlEdges(mesh); }));
        EXPECT_EQ(mesh.numEdges(), countTokens(old, GL_LINE_TOKEN));
        EXPECT_EQ(-1, firstDifference(old, screenPicture(feedback([&] { drawEdges(mesh); }))));
        GLfloat size;
        glGetFloatv(GL_POINT_SIZE, &size);
        EXPECT_EQ(7.0f, size);
    }
}

}  // namespace
