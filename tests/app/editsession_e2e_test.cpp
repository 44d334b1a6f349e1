// The editing session of the real program on its own X server, used as a
// user would: the dragged vertex under the pointer, save and reload, undo
// and redo, the export against facetry-refine, failed saves, the second
// quit; and the plain viewer, on which the session's keys do nothing.
#include <gtest/gtest.h>
#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>

#include "support/loading.h"
#include "support/process.h"
#include "support/tempdir.h"
#include "x11session.h"

using namespace facetry;

namespace {

const std::string kTorus = std::string(FACETRY_SOURCE_DIR) + "/examples/torus.mesh";

std::string run(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return output;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    pclose(pipe);
    return output;
}

// The window's title (there is one window on the test's X server).
std::string windowTitle() {
    std::string title = run("xdotool search --name '^Facetry' getwindowname 2>/dev/null | head -n1");
    if (!title.empty() && title.back() == '\n') title.pop_back();
    return title;
}

// Waits for what the program has printed to contain `text`.
bool waitFor(const std::function<std::string()>& read, const std::string& text, double seconds = 10) {
    for (int k = 0; k < seconds * 20; ++k) {
        if (read().find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}


bool isGreen(const Picture::Pixel& c) { return c.r == 0 && c.g == 255 && c.b == 0; }

// The centre of the control vertex drawn nearest to (x, y): the bounding
// box of the bright green pixels within 6 of it. A vertex is a 7 x 7 point in
// green with a smaller dark green one drawn over it, so only its rim is
// bright green, and the rim's box is the point's. (-1, -1) for none.
std::pair<double, double> vertexNear(const Picture& p, int x, int y) {
    int l = p.width, r = -1, t = p.height, b = -1;
    for (int j = std::max(0, y - 6); j <= std::min(p.height - 1, y + 6); ++j)
        for (int i = std::max(0, x - 6); i <= std::min(p.width - 1, x + 6); ++i)
            if (isGreen(p.at(i, j))) {
                l = std::min(l, i);
                r = std::max(r, i);
                t = std::min(t, j);
                b = std::max(b, j);
            }
    if (r < 0) return {-1, -1};
    return {(l + r) / 2.0, (t + b) / 2.0};
}

// The vertex centre at the rightmost (or leftmost) bright green pixel.
std::pair<int, int> sideVertex(const Picture& p, bool right) {
    int best = -1, col = -1, row = -1;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            if (isGreen(p.at(x, y)) && (right ? x : p.width - x) > best) {
                best = right ? x : p.width - x;
                col = x;
                row = y;
            }
    const auto c = vertexNear(p, col, row);
    return {static_cast<int>(std::lround(c.first)), static_cast<int>(std::lround(c.second))};
}
std::pair<int, int> rightmostVertex(const Picture& p) { return sideVertex(p, true); }

// Where the window's pixel (0, 0) is in the harness's window coordinates:
// without a window manager the window may start a pixel off the screen.
std::pair<int, int> windowOrigin() {
    std::istringstream geometry(run("xdotool search --name '^Facetry' getwindowgeometry --shell 2>/dev/null"));
    std::string line;
    int x = 0, y = 0;
    while (std::getline(geometry, line)) {
        std::sscanf(line.c_str(), "X=%d", &x);
        std::sscanf(line.c_str(), "Y=%d", &y);
    }
    return {x - std::max(x, 0), y - std::max(y, 0)};
}

// The camera as the README describes it, unturned: a model point p shows at
// zoom . scale . (p - center), seen from (0, 0, 3) with a 60-degree vertical
// field of view. Returns p's window position (pixel centres at whole numbers,
// y down) in a w x h window.
std::pair<double, double> projectUnturned(const Vector& p, const Vector& center, double scale, double zoom, int w,
                                          int h) {
    const double ex = zoom * scale * (p.x - center.x), ey = zoom * scale * (p.y - center.y),
                 ez = zoom * scale * (p.z - center.z) - 3;
    const double f = 1 / std::tan(M_PI / 6), aspect = static_cast<double>(w) / h;
    const double nx = f / aspect * ex / -ez, ny = f * ey / -ez;
    return {(nx + 1) / 2 * w - 0.5, h - (ny + 1) / 2 * h - 0.5};
}

// The view's centre and scale for the torus: its bounding box fitted to -1..1.
void torusFit(const Mesh& mesh, Vector& center, double& scale) {
    Vector lo, hi;
    mesh.boundingBox(lo, hi);
    center = (hi + lo) * 0.5f;
    const Vector half = hi - center;
    scale = 1.0 / std::max({half.x, half.y, half.z});
}

std::unique_ptr<Mesh> load(const std::string& path) {
    Loaded loaded = loadFile(path);
    EXPECT_EQ("", loaded.fatal) << path;
    return std::move(loaded.mesh);
}

// The vertices whose positions differ between two meshes of the same faces.
std::vector<int> movedVertices(const Mesh& a, const Mesh& b) {
    std::vector<int> moved;
    for (int v = 0; v < a.numVertices(); ++v) {
        const Vector p = a.vertex(v)->position(), q = b.vertex(v)->position();
        if (std::memcmp(&p, &q, sizeof p) != 0) moved.push_back(v);
    }
    return moved;
}

// A session on a copy of the torus in a temporary directory.
struct Session {
    explicit Session(const std::vector<std::string>& more = {}) : input(dir.write("torus.mesh", readFile(kTorus))) {
        std::vector<std::string> arguments{"--edit", input};
        arguments.insert(arguments.end(), more.begin(), more.end());
        viewer = std::make_unique<RunningViewer>(arguments);
    }
    std::string saved() const { return dir.path("torus-edited.mesh"); }
    // Types a key and waits for the line it prints.
    bool keyAndWait(const std::string& key, const std::string& line) {
        viewer->key(key);
        return waitFor([&] { return viewer->standardOutput() + viewer->standardError(); }, line);
    }

    TempDir dir;
    std::string input;
    std::unique_ptr<RunningViewer> viewer;
};

// At the start, zoomed in, in a smaller window and turned: the vertex's
// point on the screen ends within a pixel of the pointer, and, where the
// camera is known, so does the position saved.
TEST(EditSession, ADraggedVertexStaysUnderThePointer) {
    const struct {
        const char* name;
        int zoomSteps;      // '+' presses
        int width, height;  // the window's new size, 0 for as it opens
        bool turned;        // an arcball drag first
    } cases[] = {
        {"at the start", 0, 0, 0, false},
        {"zoomed in", 3, 0, 0, false},
        {"in a wide window", 0, 360, 200, false},
        {"turned", 0, 0, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Session s;
        RunningViewer& viewer = *s.viewer;
        ASSERT_TRUE(viewer.started()) << viewer.standardError();
        int w = 300, h = 300;  // GLUT's default window
        if (c.width) {
            run("xdotool search --name '^Facetry' windowsize " + std::to_string(c.width) + " " +
                std::to_string(c.height));
            w = c.width;
            h = c.height;
            const auto origin = windowOrigin();
            viewer.width = w + origin.first;
            viewer.height = h + origin.second;
        }
        for (int k = 0; k < c.zoomSteps; ++k) viewer.key("plus");
        if (c.turned) viewer.drag(viewer.width / 2, viewer.height / 2, viewer.width / 2 + 25, viewer.height / 2 - 20);
        const Picture before = viewer.settled();
        const std::unique_ptr<Mesh> input = load(s.input);
        Vector center;
        double scale;
        torusFit(*input, center, scale);
        const double zoom = 0.8 / std::pow(0.9, c.zoomSteps);
        const auto origin = windowOrigin();
        // where the press goes: unturned, on the rightmost vertex's projection;
        // turned, on the rightmost green point of the picture, whose left
        // part the surface may hide (so its centre may be off by a pixel or two)
        int x, y, vertex = 0;
        if (c.turned) {
            std::tie(x, y) = rightmostVertex(before);
        } else {
            for (int v = 1; v < input->numVertices(); ++v)
                if (projectUnturned(input->vertex(v)->position(), center, scale, zoom, w, h).first >
                    projectUnturned(input->vertex(vertex)->position(), center, scale, zoom, w, h).first)
                    vertex = v;
            const auto at = projectUnturned(input->vertex(vertex)->position(), center, scale, zoom, w, h);
            x = static_cast<int>(std::lround(at.first)) + origin.first;
            y = static_cast<int>(std::lround(at.second)) + origin.second;
        }
        ASSERT_GT(x, 0);
        const int tx = x + 20, ty = y - 30;  // out into the black
        viewer.pressAndMove(x, y, tx, ty);
        const Picture after = viewer.changedFrom(before);
        const auto centre = vertexNear(after, tx, ty);
        const double slack = c.turned ? 2 : 1;
        EXPECT_NEAR(tx, centre.first, slack) << "the point drawn";
        EXPECT_NEAR(ty, centre.second, slack);
        viewer.release();
        ASSERT_TRUE(s.keyAndWait("w", "Saved ")) << viewer.standardError();
        if (c.turned) continue;
        const std::unique_ptr<Mesh> saved = load(s.saved());
        EXPECT_EQ(std::vector<int>{vertex}, movedVertices(*input, *saved)) << "the vertex pressed on";
        const auto end = projectUnturned(saved->vertex(vertex)->position(), center, scale, zoom, w, h);
        EXPECT_NEAR(tx, end.first + origin.first, 1) << "the saved position, projected";
        EXPECT_NEAR(ty, end.second + origin.second, 1);
        // in the plane through the start parallel to the screen: the same depth
        EXPECT_NEAR(input->vertex(vertex)->position().z, saved->vertex(vertex)->position().z, 1e-5);
    }
}

// One session through its whole use: drag, save, reload; a second drag at
// level 1, export, compared with facetry-refine on the saved cage; undo all
// and save the input's positions; redo; the title and the second quit.
TEST(EditSession, SaveUndoRedoExportAndTheSecondQuit) {
    Session s;
    RunningViewer& viewer = *s.viewer;
    ASSERT_TRUE(viewer.started()) << viewer.standardError();
    const std::string keysLine = "Editing keys: w save to " + s.saved() +
                                 ", u undo, y redo, e export the surface, v view back to the start, h these keys, "
                                 "q quit\n";
    EXPECT_EQ("Not subdividing original mesh -- all quads\n" + keysLine, viewer.standardOutput());
    EXPECT_EQ("Facetry - torus.mesh - level 0", windowTitle());
    const std::unique_ptr<Mesh> input = load(s.input);

    // the view turned and zoomed comes back with v
    const Picture start = viewer.picture();
    viewer.key("plus");
    viewer.drag(viewer.width / 2, viewer.height / 2, viewer.width / 2, viewer.height / 2 - 40);
    const Picture turned = viewer.changedFrom(start);
    EXPECT_NE(start, turned);
    viewer.key("v");
    EXPECT_EQ(start, viewer.changedFrom(turned));

    // drag, save, reload
    auto [x, y] = rightmostVertex(start);
    viewer.drag(x, y, x + 15, y - 25);
    Picture dragged = viewer.changedFrom(start);
    EXPECT_EQ("Facetry - torus.mesh - level 0 *", windowTitle());
    ASSERT_TRUE(s.keyAndWait("w", "Saved " + s.saved() + "\n"));
    EXPECT_EQ("Facetry - torus.mesh - level 0", windowTitle());
    const std::unique_ptr<Mesh> first = load(s.saved());
    ASSERT_EQ(1u, movedVertices(*input, *first).size());

    // a second drag at level 1, saved and exported
    viewer.key("s");
    const Picture level1 = viewer.changedFrom(dragged);
    const auto [lx, ly] = sideVertex(level1, false);
    ASSERT_GT(lx, 0);
    viewer.drag(lx, ly, lx - 10, ly - 20);
    viewer.changedFrom(level1);
    EXPECT_EQ("Facetry - torus.mesh - level 1 *", windowTitle());
    const std::string exported = s.dir.path("torus-edited-L1.obj");
    ASSERT_TRUE(s.keyAndWait("w", "Saved " + s.saved() + "\nSaved"));
    ASSERT_TRUE(s.keyAndWait("e", "Exported level 1 to " + exported + "\n"));
    const std::unique_ptr<Mesh> second = load(s.saved());
    EXPECT_EQ(2u, movedVertices(*input, *second).size());
    const std::string refined = s.dir.path("refined.obj");
    ProgramRun refine = runProgram(FACETRY_REFINE_BINARY, {s.saved(), "--level", "1", "--output", refined});
    ASSERT_EQ(0, refine.exitStatus) << refine.errorOutput;
    EXPECT_EQ(readFile(refined), readFile(exported)) << "the export is what facetry-refine writes";

    // undo both drags: the input's positions exactly; redo the first
    viewer.key("u u");
    ASSERT_TRUE(s.keyAndWait("w", "Saved " + s.saved() + "\nSaved " + s.saved() + "\nExported level 1 to " +
                                      exported + "\nSaved"));
    EXPECT_EQ("Facetry - torus.mesh - level 1", windowTitle()) << "the input's positions are not unsaved";
    EXPECT_TRUE(movedVertices(*input, *load(s.saved())).empty());
    viewer.key("y");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ("Facetry - torus.mesh - level 1 *", windowTitle());
    const std::string saves = "Saved " + s.saved() + "\nSaved " + s.saved() + "\nExported level 1 to " + exported +
                              "\nSaved " + s.saved() + "\nSaved " + s.saved() + "\n";
    ASSERT_TRUE(s.keyAndWait("w", saves));
    EXPECT_TRUE(movedVertices(*first, *load(s.saved())).empty()) << "the first drag again";
    ASSERT_TRUE(s.keyAndWait("h", keysLine + saves + keysLine));

    // the first q with the second drag redone and unsaved only says so
    viewer.key("y");
    viewer.key("q");
    ASSERT_TRUE(waitFor([&] { return viewer.standardError(); },
                        "facetry: unsaved changes (w saves them); q again quits without saving\n"));
    EXPECT_EQ(-1, viewer.exitStatus(1)) << "still running";
    viewer.key("q");
    EXPECT_EQ(0, viewer.exitStatus());
    EXPECT_EQ("facetry: unsaved changes (w saves them); q again quits without saving\n", viewer.standardError());
    EXPECT_TRUE(movedVertices(*first, *load(s.saved())).empty()) << "quitting saved nothing";
}

// The program of this test that runs the viewer: its child called facetry.
pid_t viewerProcess() {
    DIR* proc = opendir("/proc");
    pid_t found = -1;
    while (dirent* e = proc ? readdir(proc) : nullptr) {
        const std::string stat = readFile(std::string("/proc/") + e->d_name + "/stat");
        int pid = 0, ppid = 0;
        char comm[64] = {0}, state = 0;
        if (std::sscanf(stat.c_str(), "%d (%63[^)]) %c %d", &pid, comm, &state, &ppid) == 4 && ppid == getpid() &&
            std::strcmp(comm, "facetry") == 0)
            found = pid;
    }
    if (proc) closedir(proc);
    return found;
}

// The output where a save cannot go: a directory, a path through a file, a
// file size limit (which holds for root too, like a full disk) and a
// directory without write permission (tried only where that stops this
// user). The old file stays whole, the line says why, the edits stay unsaved.
TEST(EditSession, AFailedSaveLeavesTheOldFileWholeAndSaysSo) {
    const char kOld[] = "numV = 0 an earlier save\n";
    const struct {
        const char* name;
        std::string output;  // relative to the session's directory
        std::string reason;
    } cases[] = {
        {"a directory", "out", "Is a directory"},
        {"inside a file", "file/out.mesh", "Not a directory"},
        {"over the file size limit", "old.mesh", "File too large"},
        {"a read-only directory", "readonly/old.mesh", "Permission denied"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir scratch;
        mkdir(scratch.path("out").c_str(), 0755);
        scratch.write("file", kOld);
        scratch.write("old.mesh", kOld);
        mkdir(scratch.path("readonly").c_str(), 0755);
        scratch.write("readonly/old.mesh", kOld);
        const bool readOnly = c.reason == "Permission denied";
        if (readOnly) {
            chmod(scratch.path("readonly").c_str(), 0555);
            if (access(scratch.path("readonly").c_str(), W_OK) == 0) {
                chmod(scratch.path("readonly").c_str(), 0755);
                continue;  // root: permissions do not stop the write
            }
        }
        const std::string input = scratch.write("torus.mesh", readFile(kTorus));
        const std::string output = scratch.path(c.output);
        RunningViewer viewer(std::vector<std::string>{"--edit", input, output});
        ASSERT_TRUE(viewer.started()) << viewer.standardError();
        if (c.reason == "File too large") {
            const pid_t pid = viewerProcess();
            ASSERT_GT(pid, 0);
            const struct rlimit small = {1024, RLIM_INFINITY};  // room for its messages, not for the mesh
            ASSERT_EQ(0, prlimit(pid, RLIMIT_FSIZE, &small, nullptr));
        }
        const auto before = directoryEntries(scratch.path()), beforeReadOnly = directoryEntries(scratch.path("readonly"));
        const Picture start = viewer.picture();
        auto [x, y] = rightmostVertex(start);
        viewer.drag(x, y, x + 15, y - 25);
        viewer.changedFrom(start);
        viewer.key("w");
        const std::string line = "facetry: not saved: cannot write " + output + ": " + c.reason + "\n";
        EXPECT_TRUE(waitFor([&] { return viewer.standardError(); }, line)) << viewer.standardError();
        EXPECT_EQ(line, viewer.standardError());
        EXPECT_EQ(before, directoryEntries(scratch.path())) << "no temporary file left";
        EXPECT_EQ(beforeReadOnly, directoryEntries(scratch.path("readonly")));
        EXPECT_EQ(kOld, readFile(scratch.path("old.mesh")));
        EXPECT_EQ(kOld, readFile(scratch.path("readonly/old.mesh")));
        EXPECT_EQ(kOld, readFile(scratch.path("file")));
        EXPECT_EQ("Facetry - torus.mesh - level 0 *", windowTitle());
        viewer.key("q");
        EXPECT_EQ(-1, viewer.exitStatus(1)) << "the edits are still unsaved";
        if (readOnly) chmod(scratch.path("readonly").c_str(), 0755);
    }
}

// The plain viewer with an OUTPUT argument: after a drag the session's keys
// change nothing, write nothing and print nothing, its title stays, and q
// quits at once.
TEST(PlainViewer, TheSessionsKeysDoNothing) {
    TempDir dir;
    const std::string input = dir.write("torus.mesh", readFile(kTorus));
    RunningViewer viewer(std::vector<std::string>{input, dir.path("out.obj")});
    ASSERT_TRUE(viewer.started()) << viewer.standardError();
    EXPECT_EQ("Facetry", windowTitle());
    const Picture start = viewer.picture();
    auto [x, y] = rightmostVertex(start);
    viewer.drag(x, y, x + 15, y - 25);
    const Picture dragged = viewer.changedFrom(start);
    viewer.key("w u y e v h W U Y E V H");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(dragged, viewer.settled());
    EXPECT_EQ(std::vector<std::string>{"torus.mesh"}, directoryEntries(dir.path()));
    EXPECT_EQ("Facetry", windowTitle());
    EXPECT_EQ("Not subdividing original mesh -- all quads\n", viewer.standardOutput());
    viewer.key("q");
    EXPECT_EQ(0, viewer.exitStatus());
    EXPECT_EQ("", viewer.standardError());
}

}  // namespace
