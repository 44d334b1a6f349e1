// The editing session without a window: its command line and file names,
// the undo history, and undo, redo, save, export and quit on a viewer whose
// surface goes through every level operation meanwhile.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "app/commands.h"
#include "app/editsession.h"
#include "mr/surfaceexport.h"
#include "support/capture.h"
#include "support/catalogue.h"
#include "support/loading.h"
#include "support/tempdir.h"
#include "testviewer.h"

namespace {

TEST(ViewerCommandLine, PlainEditAndHelpForms) {
    struct Case {
        std::vector<const char*> args;
        bool ok, help, edit;
        std::string input, output;
    };
    const Case cases[] = {
        {{}, false, false, false, "", ""},
        {{"a.mesh"}, true, false, false, "a.mesh", ""},
        {{"a.mesh", "b.mesh", "c"}, true, false, false, "a.mesh", ""},  // the plain viewer ignores the rest
        {{"--bogus"}, true, false, false, "--bogus", ""},                 // a file name, as always
        {{"--help"}, true, true, false, "", ""},
        {{"--edit"}, false, false, false, "", ""},
        {{"--edit", "a.obj"}, true, false, true, "a.obj", ""},
        {{"--edit", "a.obj", "b.off"}, true, false, true, "a.obj", "b.off"},
        {{"--edit", "a.obj", "b.off", "c"}, false, false, false, "", ""},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv{"facetry"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        ViewerCommandLine line;
        const std::string what = c.args.empty() ? "(none)" : c.args[0];
        EXPECT_EQ(c.ok, parseViewerCommandLine(static_cast<int>(argv.size()), argv.data(), line)) << what;
        if (!c.ok) continue;
        EXPECT_EQ(c.help, line.help) << what;
        EXPECT_EQ(c.edit, line.edit) << what;
        EXPECT_EQ(c.input, line.input) << what;
        EXPECT_EQ(c.output, line.output) << what;
    }
}

TEST(EditSession, TheNamesOfTheFilesItWrites) {
    const struct {
        std::string input, output, saved, exported;
    } cases[] = {
        {"torus.mesh", "", "torus-edited.mesh", "torus-edited-L2.obj"},
        {"dir.v2/cube.OBJ", "", "dir.v2/cube-edited.OBJ", "dir.v2/cube-edited-L2.OBJ"},
        {"dir.v2/cube", "", "dir.v2/cube-edited", "dir.v2/cube-edited-L2.obj"},
        {".hidden", "", ".hidden-edited", ".hidden-edited-L2.obj"},
        {"a.obj", "out/b.off", "out/b.off", "out/b-L2.off"},
        {"a.obj", "b.txt", "b.txt", "b-L2.obj"},
    };
    for (const auto& c : cases) {
        const EditSession session(c.input, c.output);
        EXPECT_EQ(c.saved, session.output) << c.input;
        EXPECT_NE(c.input, session.output);
        EXPECT_EQ(c.exported, exportName(session.output, 2)) << c.input;
    }
}

TEST(EditHistory, UndoRedoAndANewStepDroppingWhatCouldBeRedone) {
    EditHistory h;
    EXPECT_TRUE(h.unchanged());
    EXPECT_EQ(nullptr, h.undo());
    h.record(3, Vector(0, 0, 0), Vector(1, 0, 0));
    h.record(5, Vector(2, 0, 0), Vector(2, 1, 0));
    EXPECT_FALSE(h.unchanged());
    const EditStep* step = h.undo();
    ASSERT_NE(nullptr, step);
    EXPECT_EQ(5, step->vertex);
    EXPECT_EQ(2.0f, step->before.x);
    step = h.undo();
    ASSERT_NE(nullptr, step);
    EXPECT_EQ(3, step->vertex);
    EXPECT_TRUE(h.unchanged());  // back at the input's positions
    EXPECT_EQ(nullptr, h.undo());
    ASSERT_NE(nullptr, h.redo());
    h.markSaved();
    EXPECT_TRUE(h.unchanged());
    h.record(7, Vector(), Vector(0, 0, 1));  // drops the step of vertex 5
    EXPECT_EQ(nullptr, h.redo());
    EXPECT_EQ(2u, h.size());
    EXPECT_EQ(7, h.undo()->vertex);
    EXPECT_TRUE(h.unchanged());  // the saved state again
    // saved with two steps applied, then one undone and a new one recorded:
    // no sequence of undo and redo comes back to what was saved
    h.redo();
    h.markSaved();
    h.undo();
    h.record(9, Vector(), Vector(1, 1, 1));
    for (int k = 0; k < 3; ++k) {
        EXPECT_FALSE(h.unchanged());
        h.undo();
    }
}

TEST(EditHistory, ThousandsOfStepsTake28BytesEach) {
    EditHistory h;
    for (int k = 0; k < 100000; ++k) h.record(k % 7, Vector(k, 0, 0), Vector(k + 1.0f, 0, 0));
    EXPECT_EQ(28u, sizeof(EditStep));
    EXPECT_EQ(100000u, h.applied());
    EXPECT_LE(h.bytes(), 2 * 28u * h.size());  // vector growth keeps at most as much again in reserve
    for (int k = 99999; k >= 0; --k) ASSERT_EQ(static_cast<float>(k), h.undo()->before.x);
    EXPECT_TRUE(h.unchanged());
}

// The welded surface's points, for comparing two surfaces of the same mesh.
std::vector<Vector> surfacePoints(const MrMesh& surface) {
    std::vector<Vector> points;
    WeldedSurface(surface).forEachPoint([&](const Vector& p) { points.push_back(p); });
    return points;
}

// A viewer with a session over a catalogue mesh, its files in a temporary directory.
struct Session {
    explicit Session(const std::string& name)
        : shape(catalogueMesh(name)), loaded(loadObjText(objText(shape.control))), input(dir.path("in.obj")) {
        test = std::make_unique<TestViewer>(std::move(loaded.mesh));
        test->viewer.session = std::make_unique<EditSession>(input, "");
    }
    // A drag as the window makes one: motion events, then the step at the release.
    void drag(int vertex, const Vector& by) {
        MeshVertex* v = test->mesh->vertex(vertex);
        const Vector before = v->position();
        for (int k = 1; k <= 3; ++k) {
            v->setPosition(before + by * (k / 3.0f));
            EXPECT_TRUE(test->mrMesh->vertexMoved(v));
        }
        test->viewer.session->history.record(vertex, before, v->position());
    }
    void key(char k) {
        output += captureStdout([&] { errors += captureStderr([&] { keyboard(test->viewer, k); }); });
    }

    TempDir dir;
    const CatalogueMesh& shape;
    Loaded loaded;
    std::string input;
    std::unique_ptr<TestViewer> test;
    std::string output, errors;  // what the keys printed
};

// Drags and undos between subdivide, undivide, reset and a level the memory
// guard refuses; after undoing every drag the positions are the input's to
// the bit and the surface that of a fresh build within 1e-6 of the size.
TEST(EditSession, UndoingEveryDragAcrossLevelChangesGivesTheInputBack) {
    for (const char* name : {"exampleTorus", "examplePatch", "trianglesWithUnusedVertex"}) {
        Session s(name);
        const std::vector<Vector> input = positionsOf(*s.test->mesh);
        const int n = s.test->mesh->numVertices();
        const double size = meshSize(s.shape.control);
        const Vector by(0.05f, -0.1f, 0.2f);
        s.drag(0, by);
        s.key('s');
        s.drag(n / 2, by);
        s.key('s');
        s.drag(n - 1, by * 3);
        s.test->mrMesh->setMemoryProbe([] { return std::size_t(0); });
        s.key('s');  // refused
        EXPECT_NE(std::string::npos, s.errors.find("Not subdivided to level 3")) << s.errors;
        s.test->mrMesh->setMemoryProbe(systemAvailableMemory);
        s.key('u');
        s.key('d');
        s.drag(1, by);
        s.key('r');
        for (int k = 0; k < 2000; ++k) s.drag(k % n, by * (k % 2 ? -1.0f : 1.0f));
        s.key('s');
        for (int k = 0; k < 2003; ++k) s.key('u');
        s.key('u');
        EXPECT_NE(std::string::npos, s.output.find("Nothing to undo\n")) << name;
        EXPECT_EQ(input, positionsOf(*s.test->mesh)) << name;
        for (std::size_t v = 0; v < input.size(); ++v)
            ASSERT_EQ(0, std::memcmp(&input[v], &positionsOf(*s.test->mesh)[v], sizeof(Vector))) << name << v;
        Loaded again = loadObjText(objText(s.shape.control));
        MrMesh fresh;
        ASSERT_TRUE(fresh.build(*again.mesh));
        ASSERT_TRUE(fresh.subdivide());
        ASSERT_EQ(1, s.test->mrMesh->curRes());
        const std::vector<Vector> a = surfacePoints(*s.test->mrMesh), b = surfacePoints(fresh);
        ASSERT_EQ(a.size(), b.size());
        for (std::size_t k = 0; k < a.size(); ++k)
            ASSERT_LE(std::sqrt((a[k] - b[k]).lengthSquared()), 1e-6 * size) << name << " point " << k;
        // and every step can be taken again
        for (int k = 0; k < 2003; ++k) s.key('y');
        s.key('y');
        EXPECT_NE(std::string::npos, s.output.find("Nothing to redo\n")) << name;
    }
}

TEST(EditSession, QuitWithUnsavedChangesAsksForASecondQ) {
    Session s("exampleCube");
    EXPECT_TRUE(mayQuit(s.test->viewer));  // nothing changed
    s.drag(2, Vector(0.5f, 0, 0));
    std::string said = captureStderr([&] { EXPECT_FALSE(mayQuit(s.test->viewer)); });
    EXPECT_EQ("facetry: unsaved changes (w saves them); q again quits without saving\n", said);
    EXPECT_TRUE(mayQuit(s.test->viewer));
    // a save ends the question; a new change asks it again
    s.key('w');
    EXPECT_EQ("Saved " + s.dir.path("in-edited.obj") + "\n", s.output);
    EXPECT_TRUE(mayQuit(s.test->viewer));
    s.key('u');
    said = captureStderr([&] { EXPECT_FALSE(mayQuit(s.test->viewer)); });
    EXPECT_NE("", said);
    // undoing and redoing back to what was saved leaves nothing unsaved
    s.key('y');
    EXPECT_TRUE(mayQuit(s.test->viewer));
    EXPECT_EQ("Facetry - in.obj - level 0", sessionTitle(*s.test->viewer.session, 0));
    s.key('u');
    EXPECT_EQ("Facetry - in.obj - level 3 *", sessionTitle(*s.test->viewer.session, 3));
}

TEST(EditSession, SaveAndExportSayWhatTheyWroteOrWhyNot) {
    Session s("exampleCube");
    s.drag(2, Vector(0.5f, 0, 0));
    s.key('s');
    s.key('w');
    s.key('e');
    const std::string saved = s.dir.path("in-edited.obj"), exported = s.dir.path("in-edited-L1.obj");
    EXPECT_EQ("Saved " + saved + "\nExported level 1 to " + exported + "\n", s.output);
    Loaded back = loadFile(saved);
    ASSERT_EQ("", back.fatal);
    EXPECT_EQ(positionsOf(*s.test->mesh), positionsOf(*back.mesh));
    EXPECT_EQ(0u, readFile(exported).find("# Facetry surface at level 1: 26 points, 24 quads\n"));
    // a directory where the files would go
    s.test->viewer.session->output = s.dir.path("in-edited.obj/x.obj");
    s.output.clear();
    s.key('w');
    s.key('e');
    EXPECT_EQ("", s.output);
    EXPECT_EQ("facetry: not saved: cannot write " + s.dir.path("in-edited.obj/x.obj") +
                  ": Not a directory\nfacetry: not exported: cannot write " + s.dir.path("in-edited.obj/x-L1.obj") +
                  ": Not a directory\n",
              s.errors);
    // what the last save wrote is still what the mesh is; a failed save changes nothing
    EXPECT_TRUE(s.test->viewer.session->history.unchanged());
    s.key('u');
    s.key('w');
    EXPECT_FALSE(s.test->viewer.session->history.unchanged());
}

}  // namespace
