// The editing session's costs, without a window: undo and redo of a drag
// against one motion event of the drag, at level 3 of the 50,000-triangle
// sphere; saving a 250,000-face cage in each format; the undo history's
// memory per step. Run it through bench/edit.sh.
//   facetry_editbench [--repetitions N] [--level L]
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/editsession.h"
#include "benchmeshes.h"
#include "facetrytimings.h"
#include "mesh/meshwriter.h"
#include "mr/surfaceexport.h"
#include "processtimings.h"
#include "stopwatch.h"

using namespace facetry;

namespace {

constexpr int kMotionEvents = 8;       // per drag, as the frame benchmark drags
constexpr int kCageSide = 500;         // a torus of 500 x 500 quads: 250,000 faces
constexpr double kSaveGoalSeconds = 1;
constexpr std::size_t kHistorySteps = 1000000;

double fileBytes(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? static_cast<double>(info.st_size) : 0;
}

struct Settings {
    int repetitions = 21;  // drags (each one's events, undo and redo) and saves
    int level = 3;
};

Settings parseArguments(int argc, char** argv) {
    Settings s;
    for (int k = 1; k < argc; ++k) {
        if (!std::strcmp(argv[k], "--repetitions") && k + 1 < argc) {
            s.repetitions = std::atoi(argv[++k]);
        } else if (!std::strcmp(argv[k], "--level") && k + 1 < argc) {
            s.level = std::atoi(argv[++k]);
        } else {
            std::fprintf(stderr, "usage: facetry_editbench [--repetitions N] [--level L]\n");
            std::exit(2);
        }
    }
    if (s.repetitions < 1 || s.level < 0) {
        std::fprintf(stderr, "facetry_editbench: the repetitions must be at least 1, the level at least 0\n");
        std::exit(2);
    }
    return s;
}

// A viewer with a session but no window, as the key handlers see it.
struct Headless {
    explicit Headless(const BenchMesh& input, int level) : mesh(loadText(input.text)), surface(buildQuietly(*mesh)) {
        for (int k = 0; k < level; ++k) surface->subdivide();
        viewer.mesh = mesh.get();
        viewer.mrMesh = surface.get();
        viewer.session = std::make_unique<EditSession>("bench.mesh", "");
    }
    std::unique_ptr<Mesh> mesh;
    std::unique_ptr<MrMesh> surface;
    Viewer viewer;
};

// Per drag: its motion events one by one (what the window's motion
// callback does to the mesh and surface), then its undo and redo through the
// session's keys, in turn, so whatever else the machine does weighs on all.
void benchmarkUndo(const Settings& settings) {
    Headless h(triangleSphere(), settings.level);
    std::fprintf(stderr, "sphere at level %d: %d drags of %d motion events, each undone and redone...\n",
                 h.surface->curRes(), settings.repetitions, kMotionEvents);
    std::vector<double> motion, undo, redo;
    const int n = h.mesh->numVertices();
    for (int rep = 0; rep < settings.repetitions; ++rep) {
        MeshVertex* v = h.mesh->vertex((rep * 7919) % n);
        const Vector start = v->position();
        for (int k = 1; k <= kMotionEvents; ++k) {
            Stopwatch watch;
            v->setPosition(start + Vector(0.001f, -0.002f, 0.0015f) * static_cast<float>(k));
            h.surface->vertexMoved(v);
            if (k > 1) motion.push_back(watch.seconds());  // the first event finds a new edit region
        }
        h.viewer.session->history.record(v->id, start);
        Stopwatch u;
        undoDrag(h.viewer);
        undo.push_back(u.seconds());
        Stopwatch r;
        redoDrag(h.viewer);
        redo.push_back(r.seconds());
    }
    const double m = median(motion), un = median(undo), re = median(redo);
    std::printf("Undo and redo of a drag against one motion event, sphere-50k-triangles at level %d (%lld points), "
                "medians of %d:\n",
                h.surface->curRes(), WeldedSurface(*h.surface).pointCount(), settings.repetitions);
    std::printf("  motion event %.3f ms, undo %.3f ms (%.2f x), redo %.3f ms (%.2f x): %s\n", m * 1e3, un * 1e3,
                un / m, re * 1e3, re / m, un <= m * 1.1 && re <= m * 1.1 ? "yes, within the noise" : "no");
}

void benchmarkSave(const Settings& settings) {
    const std::unique_ptr<Mesh> cage = loadText(quadTorusOf(kCageSide, kCageSide).text);
    ScratchDirectory scratch;
    std::printf("Saving a cage of %d faces and %d vertices (written, flushed to the disk, renamed), medians of %d:\n",
                cage->numFaces(), cage->numVertices(), std::min(settings.repetitions, 7));
    for (const char* name : {"cage.mesh", "cage.obj", "cage.off"}) {
        const std::string path = scratch.write(name, "");
        std::vector<double> samples;
        for (int rep = 0; rep < std::min(settings.repetitions, 7); ++rep) {
            Stopwatch watch;
            const Status saved = saveMesh(*cage, path);
            samples.push_back(watch.seconds());
            if (!saved) {
                std::fprintf(stderr, "facetry_editbench: %s\n", saved.message.c_str());
                std::exit(1);
            }
        }
        const double s = median(samples);
        std::printf("  %-10s %7.1f ms, %5.1f MB: %s\n", name, s * 1e3, fileBytes(path) / 1e6,
                    s < kSaveGoalSeconds ? "under a second" : "NOT under a second");
    }
}

void reportHistoryMemory() {
    EditHistory history;
    for (std::size_t k = 0; k < kHistorySteps; ++k)
        history.record(static_cast<int>(k % 1000), Vector(k, 0, 0));
    std::printf("Undo history: %zu bytes per step record; after %zu steps %.1f bytes per step held (its chunks "
                "included)\n",
                sizeof(EditStep), history.size(), static_cast<double>(history.bytes()) / history.size());
}

}  // namespace

int main(int argc, char** argv) {
    const Settings settings = parseArguments(argc, argv);
    benchmarkUndo(settings);
    benchmarkSave(settings);
    reportHistoryMemory();
    return 0;
}
