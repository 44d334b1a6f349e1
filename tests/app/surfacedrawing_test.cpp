// The surface drawn from vertex arrays kept between frames: the same picture
// as the old immediate-mode drawing on every catalogue mesh, level and mode;
// the arrays follow every change of the surface, edits face by face; and
// they count in the memory guard.
#include "draw/surfacedrawing.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "app/frame.h"
#include "drawreference.h"
#include "glcontext.h"
#include "draw/glcolor.h"
#include "draw/mrdraw.h"
#include "math/quaternion.h"
#include "support/capture.h"
#include "support/catalogue.h"
#include "support/loading.h"
#include "support/tempdir.h"
#include "testviewer.h"

using namespace facetry;

namespace {

const int kSurfaceModes[] = {kDisplayVertices, kDisplayEdges, kDisplayColoredEdges, kDisplayFaces};

// A viewer in the test window, turned so that the light meets its faces at
// many angles.
std::unique_ptr<TestViewer> openViewer(std::unique_ptr<Mesh> mesh) {
    ensureGlContext();
    auto t = std::make_unique<TestViewer>(std::move(mesh));
    reshapeTestWindow(t->viewer.view);
    toMatrix(Quaternion(0.3f, -0.5f, 0.2f, 0.79f), t->viewer.view.viewRotation);
    // the program's first frame shows the faces, which makes shading flat for good
    drawFrame(t->viewer);
    return t;
}

// The state the display sets before drawing the surface in `mode`.
void prepareSurfaceState(const Viewer& viewer, int mode) {
    setModelview(viewer.view);
    setColor(grey);
    if (mode == kDisplayFaces) {
        glEnable(GL_LIGHTING);
        glShadeModel(GL_FLAT);
    } else {
        glDisable(GL_LIGHTING);
    }
}

// What reaches the screen of the surface drawn by `draw` in `mode`, and the
// current colour and normal it leaves behind (8 floats after the items).
struct SurfaceOutput {
    std::vector<FeedbackItem> picture;
    std::vector<float> state;
};
SurfaceOutput drawnSurface(const Viewer& viewer, int mode, const std::function<void()>& draw) {
    prepareSurfaceState(viewer, mode);
    SurfaceOutput out;
    out.picture = screenPicture(feedback(draw));
    out.state.resize(8);
    glGetFloatv(GL_CURRENT_COLOR, out.state.data());
    glGetFloatv(GL_CURRENT_NORMAL, out.state.data() + 4);
    glDisable(GL_LIGHTING);
    return out;
}

void drawMode(SurfaceDrawing& drawing, int mode) { drawSurface(drawing, mode); }

void drawOwnMode(const MrMesh& mrMesh, int mode) {
    switch (mode) {
        case kDisplayVertices: drawVertices(mrMesh); break;
        case kDisplayEdges: drawEdges(mrMesh); break;
        case kDisplayColoredEdges: drawColoredEdges(mrMesh); break;
        case kDisplayFaces: drawFaces(mrMesh); break;
    }
}

class SameAsTheOldDrawing : public ::testing::TestWithParam<CatalogueMesh> {};

}  // namespace

// Names a catalogue mesh in failure messages (otherwise shown as bytes).
void PrintTo(const CatalogueMesh& mesh, std::ostream* out) { *out << mesh.name; }

namespace {

TEST_P(SameAsTheOldDrawing, InEveryModeAtLevelsZeroToTwo) {
    Loaded loaded = loadText(meshText(GetParam().control));
    ASSERT_EQ("", loaded.fatal);
    auto t = openViewer(std::move(loaded.mesh));
    Viewer& viewer = t->viewer;
    for (int level = 0; level <= 2; ++level) {
        for (int mode : kSurfaceModes) {
            SCOPED_TRACE("level " + std::to_string(level) + ", mode " + std::to_string(mode));
            SurfaceOutput old = drawnSurface(viewer, mode, [&] { referenceSurface(*t->mrMesh, mode); });
            ASSERT_FALSE(old.picture.empty());
            // the arrays the viewer keeps, and the surface's own operations
            SurfaceOutput kept = drawnSurface(viewer, mode, [&] { drawMode(*viewer.surfaceDrawing, mode); });
            SurfaceOutput own = drawnSurface(viewer, mode, [&] { drawOwnMode(*t->mrMesh, mode); });
            EXPECT_EQ(-1, firstDifference(old.picture, kept.picture)) << old.picture.size() << " vs " << kept.picture.size();
            EXPECT_EQ(-1, firstDifference(old.picture, own.picture)) << old.picture.size() << " vs " << own.picture.size();
            EXPECT_EQ(old.state, kept.state);
            EXPECT_EQ(old.state, own.state);
            // the whole frame, control mesh on top, pixel for pixel
            viewer.view.mrMeshDisplay = mode;
            referenceFrame(viewer);
            std::vector<unsigned char> before = readPixels();
            drawFrame(viewer);
            EXPECT_EQ(0, differingPixels(before, readPixels()));
        }
        ASSERT_TRUE(t->mrMesh->subdivide());
    }
}

INSTANTIATE_TEST_SUITE_P(Catalogue, SameAsTheOldDrawing, ::testing::ValuesIn(meshCatalogue()),
                         [](const ::testing::TestParamInfo<CatalogueMesh>& instance) {
                             std::string name = instance.param.name;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

// The picture of the faces mode as the kept arrays draw it.
std::vector<FeedbackItem> keptFaces(TestViewer& t) {
    return drawnSurface(t.viewer, kDisplayFaces, [&] { drawMode(*t.viewer.surfaceDrawing, kDisplayFaces); }).picture;
}
std::vector<FeedbackItem> oldFaces(TestViewer& t) {
    return drawnSurface(t.viewer, kDisplayFaces, [&] { referenceSurface(*t.mrMesh, kDisplayFaces); }).picture;
}

TEST(KeptArrays, ADragRefillsOnlyTheFacesItReaches) {
    auto t = openViewer(gridMesh(16));
    MrMesh& mrMesh = *t->mrMesh;
    SurfaceDrawing& drawing = *t->viewer.surfaceDrawing;
    mrMesh.subdivide();
    mrMesh.subdivide();
    const int faces = mrMesh.numFaces();
    const long long before = drawing.facesFilled();
    std::vector<FeedbackItem> start = keptFaces(*t);
    ASSERT_EQ(before + faces, drawing.facesFilled()) << "the new level is built at its first draw";
    const long long built = drawing.facesFilled();
    // the middle vertex out of the plane, as a drag would
    MeshVertex* v = t->mesh->vertex(8 * 17 + 8);
    v->setPosition(v->position() + Vector(0.2f, 0.1f, 0.7f));
    mrMesh.vertexMoved(v);
    const long long refilled = drawing.facesFilled() - built;
    EXPECT_GT(refilled, 0);
    EXPECT_LT(refilled, faces / 4) << "a drag must not refill the whole surface";
    std::vector<FeedbackItem> moved = keptFaces(*t);
    EXPECT_NE(-1, firstDifference(start, moved)) << "the drag shows";
    EXPECT_EQ(-1, firstDifference(oldFaces(*t), moved)) << "as a full rebuild draws it";
    // in the edge modes too, whose arrays are the same points
    auto edges = [&](const std::function<void()>& draw) { return drawnSurface(t->viewer, kDisplayEdges, draw).picture; };
    EXPECT_EQ(-1, firstDifference(edges([&] { referenceSurface(mrMesh, kDisplayEdges); }),
                                  edges([&] { drawMode(drawing, kDisplayEdges); })));
    EXPECT_EQ(built + refilled, drawing.facesFilled()) << "replayed, not refilled";
}

TEST(KeptArrays, ALevelChangeRebuildsThemAndATurnOnlyReplaysThem) {
    auto t = openViewer(cubeMesh());
    MrMesh& mrMesh = *t->mrMesh;
    SurfaceDrawing& drawing = *t->viewer.surfaceDrawing;
    EXPECT_EQ(6, drawing.facesFilled()) << "built by the first frame";
    // turning and zooming draw the same arrays again
    toMatrix(Quaternion(-0.4f, 0.1f, 0.3f, 0.86f), t->viewer.view.viewRotation);
    t->viewer.view.zoomIn();
    EXPECT_EQ(-1, firstDifference(oldFaces(*t), keptFaces(*t)));
    EXPECT_EQ(6, drawing.facesFilled());
    // every level operation brings the arrays to the new level
    const std::function<void()> operations[] = {[&] { mrMesh.subdivide(); }, [&] { mrMesh.subdivide(); },
                                                [&] { mrMesh.undivide(); }, [&] { mrMesh.reset(); }};
    long long expected = 6;
    for (const auto& operation : operations) {
        operation();
        EXPECT_EQ(-1, firstDifference(oldFaces(*t), keptFaces(*t))) << "level " << mrMesh.curRes();
        expected += 6;
        EXPECT_EQ(expected, drawing.facesFilled());
    }
}

TEST(KeptArrays, CountInTheMemoryGuardAndStayWithinWhatTheyDeclare) {
    auto t = openViewer(loadText(meshText(catalogueMesh("exampleAntiprism").control)).mesh);
    MrMesh& mrMesh = *t->mrMesh;
    // the same surface without a drawing (a control mesh carries one surface)
    std::unique_ptr<Mesh> sameMesh = loadText(meshText(catalogueMesh("exampleAntiprism").control)).mesh;
    MrMesh bare;
    bare.build(*sameMesh);
    const int faces = mrMesh.numFaces();
    for (int level = 0; level <= 2; ++level) {
        EXPECT_EQ(bare.bytesForNextLevel() + SurfaceDrawing::bytesAtLevel(faces, level + 1), mrMesh.bytesForNextLevel());
        for (int mode : kSurfaceModes) drawMode(*t->viewer.surfaceDrawing, mode);
        const std::size_t gridPoints = static_cast<std::size_t>(faces) * ((1 << level) + 1) * ((1 << level) + 1);
        EXPECT_GE(t->viewer.surfaceDrawing->bytes(), 2 * sizeof(Vector) * gridPoints) << "points and normals";
        EXPECT_LE(t->viewer.surfaceDrawing->bytes(), SurfaceDrawing::bytesAtLevel(faces, level)) << "level " << level;
        mrMesh.subdivide();
        bare.subdivide();
    }
    // let go, the drawing no longer counts nor listens
    t->viewer.surfaceDrawing.reset();
    EXPECT_EQ(bare.bytesForNextLevel(), mrMesh.bytesForNextLevel());
    mrMesh.vertexMoved(t->mesh->vertex(0));
    mrMesh.undivide();
}

// Runs `action` with room for `room` more bytes of address space than the
// process takes now.
template <class Action>
void withRoomFor(std::size_t room, Action action) {
    std::size_t pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    rlimit saved;
    ASSERT_EQ(0, getrlimit(RLIMIT_AS, &saved));
    rlimit tight = saved;
    tight.rlim_cur = pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE)) + room;
    ASSERT_EQ(0, setrlimit(RLIMIT_AS, &tight));
    action();
    ASSERT_EQ(0, setrlimit(RLIMIT_AS, &saved));
}

TEST(KeptArrays, WithoutMemoryForThemTheSurfaceIsStillDrawn) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "AddressSanitizer's allocator ends the process where the heap would refuse";
#endif
    auto t = openViewer(gridMesh(16));
    MrMesh& mrMesh = *t->mrMesh;
    SurfaceDrawing& drawing = *t->viewer.surfaceDrawing;
    for (int level = 1; level <= 6; ++level) mrMesh.subdivide();
    // a million cells: 26 MB of points and normals, far more than the room
    // left, while drawing them batch by batch takes a few
    ASSERT_GT(SurfaceDrawing::bytesAtLevel(mrMesh.numFaces(), 6), std::size_t(24) << 20);
    drawFaces(mrMesh);  // the renderer makes what it needs for this state now
    referenceFrame(t->viewer);
    const std::vector<unsigned char> expected = readPixels();
    const long long filled = drawing.facesFilled();
    withRoomFor(std::size_t(16) << 20, [&] { drawFrame(t->viewer); });
    EXPECT_EQ(0, differingPixels(expected, readPixels()));
    EXPECT_EQ(filled, drawing.facesFilled()) << "no arrays";
    EXPECT_EQ(0u, drawing.bytes());
    // with memory again, the next change builds them
    mrMesh.undivide();
    drawFrame(t->viewer);
    EXPECT_EQ(filled + mrMesh.numFaces(), drawing.facesFilled());
}

}  // namespace

// Holes are not drawn in any mode, from the kept arrays or batch by batch:
// a 4 x 4 grid with three holes shows 13/16 of the full grid's primitives,
// and the two drawings give the same picture.
TEST(KeptArrays, HolesAreNotDrawnInAnyMode) {
    std::string grid;
    for (int r = 0; r <= 4; ++r)
        for (int c = 0; c <= 4; ++c) grid += "v " + std::to_string(c) + " " + std::to_string(r) + " 0\n";
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            const int a = r * 5 + c + 1;
            grid += "f " + std::to_string(a) + " " + std::to_string(a + 1) + " " + std::to_string(a + 6) + " " +
                    std::to_string(a + 5) + "\n";
        }
    auto full = openViewer(std::move(loadObjText(grid).mesh));
    auto holed = openViewer(std::move(loadObjText(grid + "t hole 3/0/0 0 5 15\n").mesh));
    full->mrMesh->subdivide();
    holed->mrMesh->subdivide();
    const struct {
        int mode;
        GLenum token;
    } modes[] = {{kDisplayVertices, GL_POINT_TOKEN},
                 {kDisplayEdges, GL_LINE_TOKEN},
                 {kDisplayColoredEdges, GL_LINE_TOKEN},
                 {kDisplayFaces, GL_POLYGON_TOKEN}};
    for (const auto& m : modes) {
        auto picture = [&](TestViewer& t, bool kept) {
            return drawnSurface(t.viewer, m.mode, [&] {
                       if (kept)
                           drawMode(*t.viewer.surfaceDrawing, m.mode);
                       else
                           drawOwnMode(*t.mrMesh, m.mode);
                   }).picture;
        };
        const std::vector<FeedbackItem> all = picture(*full, true), some = picture(*holed, true);
        EXPECT_EQ(countTokens(all, m.token) * 13, countTokens(some, m.token) * 16) << m.mode;
        EXPECT_EQ(-1, firstDifference(some, picture(*holed, false))) << m.mode;
    }
}
