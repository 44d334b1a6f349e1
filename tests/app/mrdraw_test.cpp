// What each display mode of the surface issues to OpenGL, seen through
// feedback mode in a real context.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <utility>

#include "glcontext.h"
#include "draw/mrdraw.h"
#include "testviewer.h"

using namespace facetry;

namespace {

class SurfaceDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        ensureGlContext();
        loadPixelMatrices();
        glDisable(GL_LIGHTING);
        glColor3f(0.5f, 0.5f, 0.5f);
    }
};

// A window position back in model units of loadPixelMatrices, to the pixel.
std::pair<float, float> model(const FeedbackVertex& v) {
    return {std::lround(v.x - 10) / 50.0f, std::lround(v.y - 10) / 50.0f};
}

// Segments of lines, whether they start a strip or continue one.
int countSegments(const std::vector<FeedbackItem>& items) {
    return countTokens(items, GL_LINE_TOKEN) + countTokens(items, GL_LINE_RESET_TOKEN);
}

// The area of a triangle in window pixels.
double area(const FeedbackItem& triangle) {
    const FeedbackVertex &a = triangle.vertices[0], &b = triangle.vertices[1], &c = triangle.vertices[2];
    return std::fabs((b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y)) / 2;
}

TEST_F(SurfaceDrawing, LevelZeroFaceGivesFourPointsInGridOrder) {
    TestViewer t(gridMesh(2));
    auto items = feedback([&] { drawVertices(*t.mrMesh); });
    ASSERT_EQ(16, countTokens(items, GL_POINT_TOKEN));
    ASSERT_EQ(16u, items.size());
    // face 0 runs (0,0) (1,0) (1,1) (0,1): i towards vertex(1), j towards vertex(3)
    const std::pair<float, float> expected[] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}};
    for (int k = 0; k < 4; ++k) EXPECT_EQ(expected[k], model(items[k].vertices[0])) << "point " << k;
    GLfloat size;
    glGetFloatv(GL_POINT_SIZE, &size);
    EXPECT_EQ(1.0f, size);
    // one level finer: 3 x 3 points per face
    t.mrMesh->subdivide();
    EXPECT_EQ(36, countTokens(feedback([&] { drawVertices(*t.mrMesh); }), GL_POINT_TOKEN));
}

TEST_F(SurfaceDrawing, EdgesAreTwoSetsOfStripsPerFace) {
    TestViewer t(gridMesh(2));
    auto items = feedback([&] { drawEdges(*t.mrMesh); });
    // level 0: four two-point strips per face, one segment each
    EXPECT_EQ(16, countSegments(items));
    // first the lines of constant i, then those of constant j
    using Segment = std::pair<std::pair<float, float>, std::pair<float, float>>;
    const Segment firstFace[] = {{{0, 0}, {0, 1}}, {{1, 0}, {1, 1}}, {{0, 0}, {1, 0}}, {{0, 1}, {1, 1}}};
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(firstFace[k], Segment(model(items[k].vertices[0]), model(items[k].vertices[1]))) << "strip " << k;
    // a side between two faces is drawn by both, a boundary side once
    std::map<Segment, int> drawn;
    for (const FeedbackItem& item : items) {
        auto a = model(item.vertices[0]), b = model(item.vertices[1]);
        ++drawn[a < b ? Segment(a, b) : Segment(b, a)];
    }
    EXPECT_EQ(2, (drawn[{{1, 0}, {1, 1}}]));
    EXPECT_EQ(1, (drawn[{{0, 0}, {1, 0}}]));
    EXPECT_EQ(12u, drawn.size());
    // one level finer: 6 strips of 3 points, 2 segments each, per face
    t.mrMesh->subdivide();
    EXPECT_EQ(4 * 6 * 2, countSegments(feedback([&] { drawEdges(*t.mrMesh); })));
}

TEST_F(SurfaceDrawing, ColoredEdgesRepeatThePaletteAfterFourteenFaces) {
    TestViewer t(gridMesh(4));  // 16 faces
    auto items = feedback([&] { drawColoredEdges(*t.mrMesh); });
    ASSERT_EQ(16u * 4, items.size());
    for (int k = 0; k < 16; ++k) {
        const Color& c = edgePaletteColor(k);
        for (int s = 0; s < 4; ++s) {
            const FeedbackVertex& v = items[4 * k + s].vertices[0];
            EXPECT_NEAR(c.r, v.r, 1e-3) << "face " << k;
            EXPECT_NEAR(c.g, v.g, 1e-3) << "face " << k;
            EXPECT_NEAR(c.b, v.b, 1e-3) << "face " << k;
        }
    }
    EXPECT_NEAR(0.75f, items[0].vertices[0].r, 1e-3);   // face 0: lightGrey
    EXPECT_NEAR(0.75f, items[56].vertices[0].r, 1e-3);  // face 14: lightGrey again
    EXPECT_NEAR(0.0f, items[4 * 10].vertices[0].r, 1e-3);  // face 10: darkGreen
    EXPECT_NEAR(0.5f, items[4 * 10].vertices[0].g, 1e-3);
    // the last face's colour stays current: face 15 takes entry 1, lightRed
    GLfloat current[4];
    glGetFloatv(GL_CURRENT_COLOR, current);
    EXPECT_EQ(1.0f, current[0]);
    EXPECT_EQ(0.5f, current[1]);
    EXPECT_EQ(0.5f, current[2]);
}

// The area of the cell at (i, j) of a flat face, in window pixels.
double cellArea(const MrFace& face, int i, int j) {
    Vector a = face.point(i, j), b = face.point(i + 1, j), c = face.point(i + 1, j + 1), d = face.point(i, j + 1);
    double twice = (a.x * b.y - b.x * a.y) + (b.x * c.y - c.x * b.y) + (c.x * d.y - d.x * c.y) + (d.x * a.y - a.x * d.y);
    return std::fabs(twice) / 2 * 50 * 50;
}

TEST_F(SurfaceDrawing, FacesCoverEveryCellOnceAndNothingElse) {
    TestViewer t(gridMesh(2));
    for (int level = 0; level <= 2; ++level) {
        auto items = feedback([&] { drawFaces(*t.mrMesh); });
        // OpenGL hands quads back as triangles; the quads between two cells
        // of a strip have no area
        double drawn = 0;
        int triangles = 0;
        for (const FeedbackItem& item : items) {
            ASSERT_EQ(GLenum(GL_POLYGON_TOKEN), item.token);
            ASSERT_EQ(3u, item.vertices.size());
            double a = area(item);
            drawn += a;
            triangles += a > 0.01;
        }
        double expected = 0;
        int n = t.mrMesh->face(0)->gridSize();
        for (int f = 0; f < 4; ++f)
            for (int i = 0; i + 1 < n; ++i)
                for (int j = 0; j + 1 < n; ++j) expected += cellArea(*t.mrMesh->face(f), i, j);
        EXPECT_NEAR(expected, drawn, 0.01 * expected) << "level " << level;
        EXPECT_EQ(4 * 2 * (n - 1) * (n - 1), triangles) << "level " << level;
        t.mrMesh->subdivide();
    }
}

TEST_F(SurfaceDrawing, CellNormalIsTheNewellSumFacingTheCounterClockwiseSide) {
    // one non-planar quad: its own level 0 is the one cell
    TestViewer t(buildMesh({{0, 0, 0}, {2, 0, 0}, {2, 1, 1}, {0, 1, 0}}, {{0, 1, 2, 3}}));
    drawFaces(*t.mrMesh);
    GLfloat normal[3];
    glGetFloatv(GL_CURRENT_NORMAL, normal);
    // A x B + B x C + C x D + D x A, not normalised
    EXPECT_EQ(-1.0f, normal[0]);
    EXPECT_EQ(-2.0f, normal[1]);
    EXPECT_EQ(4.0f, normal[2]);
    // a unit square counter-clockwise from +z faces +z with twice its area
    TestViewer square(buildMesh({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, 3}}));
    drawFaces(*square.mrMesh);
    glGetFloatv(GL_CURRENT_NORMAL, normal);
    EXPECT_EQ(0.0f, normal[0]);
    EXPECT_EQ(0.0f, normal[1]);
    EXPECT_EQ(2.0f, normal[2]);
}

}  // namespace
