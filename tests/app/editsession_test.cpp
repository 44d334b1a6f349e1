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

using namespace facetry;

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

// Vertices as an editing session moves them: a drag puts one at a new
// place and records where it was; undo and redo put it where the history says.
struct HistoryOnPositions {
    EditHistory h;
    std::vector<Vector> at = std::vector<Vector>(10);
    EditHistory::PositionOf now = [this](int v) { return at[v]; };
    void drag(int v, const Vector& to) {
        const Vector before = at[v];
        at[v] = to;
        h.record(v, before);
    }
    // The vertex the step moved, or -1 for none.
    int undo() { return apply(h.undo(now)); }
    int redo() { return apply(h.redo(now)); }
    int apply(const std::optional<EditMove>& move) {
        if (!move) return -1;
        at[move->vertex] = move->to;
        return move->vertex;
    }
};

TEST(EditHistory, UndoRedoAndANewStepDroppingWhatCouldBeRedone) {
    HistoryOnPositions s;
    EditHistory& h = s.h;
    EXPECT_TRUE(h.unchanged());
    EXPECT_EQ(-1, s.undo());
    s.drag(3, Vector(1, 0, 0));
    s.drag(5, Vector(2, 1, 0));
    s.drag(3, Vector(4, 0, 0));  // the same vertex again
    EXPECT_FALSE(h.unchanged());
    EXPECT_EQ(3, s.undo());
    EXPECT_EQ(1.0f, s.at[3].x);
    EXPECT_EQ(5, s.undo());
    EXPECT_EQ(0.0f, s.at[5].y);
    EXPECT_EQ(5, s.redo());  // redone in order: vertex 5, then vertex 3 again
    EXPECT_EQ(3, s.redo());
    EXPECT_EQ(2.0f, s.at[5].x);
    EXPECT_EQ(4.0f, s.at[3].x);
    EXPECT_EQ(-1, s.redo());
    for (int k = 0; k < 3; ++k) s.undo();
    EXPECT_TRUE(h.unchanged());  // back at the input's positions
    for (const Vector& p : s.at) EXPECT_EQ(0.0f, p.x + p.y + p.z);
    EXPECT_EQ(-1, s.undo());
    ASSERT_EQ(3, s.redo());
    h.markSaved();
    EXPECT_TRUE(h.unchanged());
    s.drag(7, Vector(0, 0, 1));  // drops the steps of vertices 5 and 3
    EXPECT_EQ(-1, s.redo());
    EXPECT_EQ(2u, h.size());
    EXPECT_EQ(7, s.undo());
    EXPECT_TRUE(h.unchanged());  // the saved state again
    // saved with two steps applied, then one undone and a new one recorded:
    // no sequence of undo and redo comes back to what was saved
    s.redo();
    h.markSaved();
    s.undo();
    s.drag(9, Vector(1, 1, 1));
    for (int k = 0; k < 3; ++k) {
        EXPECT_FALSE(h.unchanged());
        s.undo();
    }
}

TEST(EditHistory, ThousandsOfStepsTakeAt28BytesEachBothWays) {
    HistoryOnPositions s;
    const int steps = 100000;
    for (int k = 0; k < steps; ++k) s.drag(k % 7, Vector(k + 1.0f, 0, 0));
    EXPECT_EQ(static_cast<std::size_t>(steps), s.h.applied());
    EXPECT_LE(s.h.bytes(), 28u * s.h.size());
    for (int k = steps - 1; k >= 0; --k) {
        ASSERT_EQ(k % 7, s.undo());
        ASSERT_EQ(k < 7 ? 0.0f : static_cast<float>(k - 6), s.at[k % 7].x) << k;
    }
    EXPECT_TRUE(s.h.unchanged());
    for (int k = 0; k < steps; ++k) ASSERT_EQ(k % 7, s.redo());
    for (int v = 0; v < 7; ++v) EXPECT_EQ(static_cast<float>(steps - (steps - 1 - v) % 7), s.at[v].x) << v;
    // undoing everything and recording one step gives the chunks back
    for (int k = 0; k < steps; ++k) s.undo();
    s.drag(0, Vector(1, 1, 1));
    EXPECT_LE(s.h.bytes(), EditHistory::kChunkSteps * sizeof(EditStep) + 64 * sizeof(void*));
}

}  // namespace
