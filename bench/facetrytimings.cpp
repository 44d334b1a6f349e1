// Facetry's load, build, refinement and edits, timed.
#include "facetrytimings.h"

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "allocationcounter.h"
#include "creasedmeshes.h"
#include "mesh/meshfile.h"
#include "mr/surfaceexport.h"
#include "stopwatch.h"
#include "support/meshcopy.h"

using namespace facetry;

namespace {

constexpr int kDragEvents = 4;  // vertexMoved calls timed per level and repetition

// The control vertex the drag moves: the first one from the middle of the
// array on that some face uses.
MeshVertex* draggedVertex(Mesh& mesh) {
    for (int k = 0; k < mesh.numVertices(); ++k) {
        MeshVertex* v = mesh.vertex((mesh.numVertices() / 2 + k) % mesh.numVertices());
        if (v->faceVal() > 0) return v;
    }
    return nullptr;
}

// The samples of one level over the repetitions.
struct LevelSamples {
    std::vector<double> subdivide;    // the step to the level, per repetition
    std::vector<double> refine;       // every step up to the level, per repetition
    std::vector<double> undivide;     // undivide() from the level, per repetition
    std::vector<double> vertexMoved;  // every drag event at the level, over the repetitions
    std::size_t peakBytes = 0;        // the highest peak over the repetitions
    std::size_t weldedPoints = 0;     // distinct surface points at the level
};

// The surface's blocks of points are mapped outside the heap: the counter
// hears of them here.
void countBlocks() {
    static bool counting = false;
    if (!counting) setBlockObserver(allocationcounter::addOutside);
    counting = true;
}

// The resident set of the process, in bytes.
std::size_t residentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

// Moves `v` by `offset` along x and carries it into the surface; returns the
// time of vertexMoved alone.
double timedDrag(MrMesh& surface, MeshVertex* v, float offset) {
    Vector p = v->position();
    v->setPosition(Vector(p.x + offset, p.y, p.z));
    Stopwatch watch;
    surface.vertexMoved(v);
    return watch.seconds();
}

// One repetition: levels 1..maxLevel on a fresh surface over a fresh mesh.
void runOnce(const std::string& meshText, const SchemeOptions& options, int maxLevel, int threads,
             std::vector<double>& loads, std::vector<double>& builds, std::vector<LevelSamples>& levels) {
    Stopwatch loadWatch;
    std::unique_ptr<Mesh> mesh = loadText(meshText);
    loads.push_back(loadWatch.seconds());
    if (!options.isDefault()) mesh = withOptions(*mesh, options);
    MeshVertex* dragged = draggedVertex(*mesh);
    float offset = static_cast<float>(1e-3 * meshSize(*mesh));

    std::size_t before = allocationcounter::inUse();
    Stopwatch buildWatch;
    std::unique_ptr<MrMesh> surface = buildQuietly(*mesh, threads);
    builds.push_back(buildWatch.seconds());

    double refine = 0;
    for (int level = 1; level <= maxLevel; ++level) {
        allocationcounter::markPeak();
        Stopwatch stepWatch;
        if (!surface->subdivide()) break;
        double step = stepWatch.seconds();
        refine += step;
        if (static_cast<int>(levels.size()) < level) levels.emplace_back();
        LevelSamples& samples = levels[level - 1];
        samples.subdivide.push_back(step);
        samples.refine.push_back(refine);
        // A drag is a series of motion events: time several, back and forth.
        for (int event = 0; event < kDragEvents; ++event)
            samples.vertexMoved.push_back(timedDrag(*surface, dragged, event % 2 ? -offset : offset));
        samples.peakBytes = std::max(samples.peakBytes, allocationcounter::peak() - before);
        samples.weldedPoints = weldedPointCount(*surface);

        Stopwatch undivideWatch;
        surface->undivide();
        samples.undivide.push_back(undivideWatch.seconds());
        surface->subdivide();  // back to this level for the next step
    }
}

}  // namespace

std::unique_ptr<Mesh> loadText(const std::string& meshText) {
    if (isObjText(meshText)) {
        auto mesh = std::make_unique<Mesh>();
        std::istringstream input(meshText);
        std::string messages;
        loadObj(input, "creased.obj", *mesh, [&](const std::string& message) { messages += message + "\n"; });
        if (!messages.empty()) throw LoadError("the generated mesh is not clean: " + messages);
        return mesh;
    }
    FILE* input = fmemopen(const_cast<char*>(meshText.data()), meshText.size(), "r");
    if (!input) throw LoadError("cannot open the mesh text");
    auto mesh = std::make_unique<Mesh>();
    std::string messages;
    try {
        mesh->load(input, [&](const std::string& message) { messages += message + "\n"; });
    } catch (...) {
        std::fclose(input);
        throw;
    }
    std::fclose(input);
    if (!messages.empty()) throw LoadError("the generated mesh is not clean: " + messages);
    return mesh;
}

std::unique_ptr<MrMesh> buildQuietly(Mesh& mesh, int threads) {
    auto surface = std::make_unique<MrMesh>();
    if (threads > 0) surface->setThreads(threads);
    surface->build(mesh);
    return surface;
}

std::vector<Vector> weldedSurfacePoints(const MrMesh& surface) {
    std::vector<Vector> points;
    points.reserve(weldedPointCount(surface));
    WeldedSurface(surface).forEachPoint([&points](const Vector& p) { points.push_back(p); });
    return points;
}

std::size_t weldedPointCount(const MrMesh& surface) {
    return static_cast<std::size_t>(WeldedSurface(surface).pointCount());
}

double meshSize(const Mesh& mesh) {
    Vector low, high;
    mesh.boundingBox(low, high);
    Vector extent = high - low;
    return std::sqrt(double(extent.x) * extent.x + double(extent.y) * extent.y + double(extent.z) * extent.z);
}

FacetryFigures runFacetry(const std::string& meshText, int maxLevel, int repetitions, int threads,
                          const SchemeOptions& options) {
    countBlocks();
    std::vector<double> loads, builds;
    std::vector<LevelSamples> levels;
    for (int rep = 0; rep < repetitions; ++rep) runOnce(meshText, options, maxLevel, threads, loads, builds, levels);
    FacetryFigures figures;
    figures.loadSeconds = median(loads);
    figures.buildSeconds = median(builds);
    for (const LevelSamples& samples : levels)
        figures.levels.push_back({median(samples.subdivide), median(samples.refine), median(samples.undivide),
                                  median(samples.vertexMoved), samples.peakBytes, samples.weldedPoints});
    return figures;
}

ResidentMemory residentAfterReset(const std::string& meshText, int level) {
    std::unique_ptr<Mesh> mesh = loadText(meshText);
    std::unique_ptr<MrMesh> surface = buildQuietly(*mesh);
    ResidentMemory memory;
    memory.atZero = residentBytes();
    while (surface->curRes() < level)
        if (!surface->subdivide()) break;
    memory.atLevel = residentBytes();
    surface->reset();
    memory.afterReset = residentBytes();
    return memory;
}
