// facetry_bench: Facetry's refinement against OpenSubdiv's on the same
// control meshes, with a memory-bandwidth floor, in one table.
//   facetry_bench [--max-level N] [--repetitions N] [--only TEXT] [--facetry-only]
// --facetry-only skips OpenSubdiv, the floor and the weld check (for profiling).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "benchmeshes.h"
#include "facetrytimings.h"
#include "osdtimings.h"
#include "report.h"
#include "stopwatch.h"
#include "weldcompare.h"

namespace {

constexpr double kWeldTolerance = 1e-5;        // of the mesh size
constexpr std::size_t kLargeLevelPoints = 4000000; // above this, fewer repetitions

// What the command line asks for.
struct Settings {
    int maxLevel = 4;      // Facetry levels 1..maxLevel
    int repetitions = 5;   // per figure; 3 for the largest levels
    std::string only;      // run only meshes whose label contains this
    bool facetryOnly = false;  // skip OpenSubdiv, the floor and the weld check
};

Settings parseArguments(int argc, char** argv) {
    Settings settings;
    for (int k = 1; k < argc; ++k) {
        bool hasValue = k + 1 < argc;
        if (!std::strcmp(argv[k], "--max-level") && hasValue)
            settings.maxLevel = std::atoi(argv[++k]);
        else if (!std::strcmp(argv[k], "--repetitions") && hasValue)
            settings.repetitions = std::atoi(argv[++k]);
        else if (!std::strcmp(argv[k], "--only") && hasValue)
            settings.only = argv[++k];
        else if (!std::strcmp(argv[k], "--facetry-only"))
            settings.facetryOnly = true;
        else {
            std::fprintf(stderr, "usage: facetry_bench [--max-level N] [--repetitions N] [--only TEXT] [--facetry-only]\n");
            std::exit(2);
        }
    }
    if (settings.maxLevel < 1 || settings.repetitions < 1) {
        std::fprintf(stderr, "facetry_bench: the level and the repetitions must be at least 1\n");
        std::exit(2);
    }
    return settings;
}

// The inputs whose label contains `only`, generated only when wanted.
std::vector<BenchMesh> allMeshes(const std::string& only) {
    std::vector<BenchMesh> meshes;
    using Generator = BenchMesh (*)();
    const std::pair<const char*, Generator> generated[] = {{"torus-10k-quads", quadTorus},
                                                          {"sphere-50k-triangles", triangleSphere},
                                                          {"torus-mixed-polygons", mixedTorus},
                                                          {"open-patch-with-hole", openPatch}};
    for (const auto& [label, generate] : generated)
        if (std::string(label).find(only) != std::string::npos) meshes.push_back(generate());
    for (BenchMesh& example : bundledExamples(FACETRY_SOURCE_DIR "/examples"))
        if (example.name.find(only) != std::string::npos) meshes.push_back(example);
    return meshes;
}

// The time to write `count` points once, the buffer already in memory.
double bandwidthFloor(std::size_t count, int repetitions) {
    std::vector<Vector> buffer(count);
    std::vector<double> samples;
    for (int rep = 0; rep < repetitions; ++rep) {
        float value = static_cast<float>(rep);
        Stopwatch watch;
        for (std::size_t k = 0; k < count; ++k) buffer[k] = Vector(value, value, value);
        samples.push_back(watch.seconds());
        volatile float keep = buffer[count / 2].x;  // the writes must happen
        (void)keep;
    }
    return median(samples);
}

// Facetry's distinct points at `level`, on a fresh surface without edits.
std::vector<Vector> facetryPointsAt(const std::string& meshText, int level) {
    std::unique_ptr<Mesh> mesh = loadText(meshText);
    std::unique_ptr<MrMesh> surface = buildQuietly(*mesh);
    for (int k = 0; k < level; ++k) surface->subdivide();
    return weldedSurfacePoints(*surface);
}

// Fills the OpenSubdiv figures, the floor and the weld check of one row.
void measureAgainstOsd(const BenchMesh& input, BenchRow& row, int repetitions) {
    std::unique_ptr<Mesh> mesh = loadText(input.text);
    std::unique_ptr<MrMesh> surface = buildQuietly(*mesh);
    int osdLevel = row.level + (surface->isAllQuads() ? 0 : 1);
    surface.reset();
    std::vector<Vector> ours = facetryPointsAt(input.text, row.level);
    row.osd = runOpenSubdiv(*mesh, osdLevel, repetitions);
    row.tolerance = kWeldTolerance * meshSize(*mesh);
    row.weld = compareWelded(ours, row.osd.points, row.tolerance);
    row.osd.points = {};
    row.floorSeconds = bandwidthFloor(row.facetry.weldedPoints, repetitions);
    row.comparedWithOsd = true;
}

void benchmarkMesh(const BenchMesh& input, const Settings& settings, std::vector<BenchRow>& rows) {
    std::fprintf(stderr, "%s: Facetry...\n", input.name.c_str());
    FacetryFigures facetry = runFacetry(input.text, settings.maxLevel, settings.repetitions);
    for (std::size_t k = 0; k < facetry.levels.size(); ++k) {
        BenchRow row;
        row.mesh = input.name;
        row.level = static_cast<int>(k) + 1;
        row.loadSeconds = facetry.loadSeconds;
        row.buildSeconds = facetry.buildSeconds;
        row.facetry = facetry.levels[k];
        int repetitions = row.facetry.weldedPoints > kLargeLevelPoints ? std::min(3, settings.repetitions)
                                                                        : settings.repetitions;
        if (!settings.facetryOnly) {
            std::fprintf(stderr, "%s: OpenSubdiv and the weld check at level %d...\n", input.name.c_str(), row.level);
            measureAgainstOsd(input, row, repetitions);
        }
        printRow(row, rows.empty(), stderr);
        rows.push_back(row);
    }
}

}  // namespace

int main(int argc, char** argv) {
    Settings settings = parseArguments(argc, argv);
    std::vector<BenchRow> rows;
    for (const BenchMesh& input : allMeshes(settings.only))
        benchmarkMesh(input, settings, rows);
    printTable(rows, stdout);
    bool allMatched = true;
    for (const BenchRow& row : rows) allMatched = allMatched && row.weld.matched();
    if (settings.facetryOnly) return 0;
    std::printf(allMatched ? "Both libraries produce the same surface points on every mesh and level.\n"
                           : "The surfaces DIFFER where the match column says NO.\n");
    return allMatched ? 0 : 1;
}
