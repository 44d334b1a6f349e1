// facetry_bench: Facetry's refinement against OpenSubdiv's on the same
// control meshes, with a memory-bandwidth floor, in one table; then the whole
// programs on the large meshes, and what a reset gives back.
//   facetry_bench [--max-level N] [--repetitions N] [--only TEXT] [--facetry-only] [--no-processes]
// --facetry-only skips OpenSubdiv, the floor, the weld check and the whole
// processes (for profiling); --no-processes skips the whole processes.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "benchmeshes.h"
#include "creasedmeshes.h"
#include "facetrytimings.h"
#include "mr/parallel.h"
#include "osdtimings.h"
#include "processtimings.h"
#include "report.h"
#include "stopwatch.h"
#include "support/pointmatch.h"

using namespace facetry;

namespace {

constexpr double kWeldTolerance = 1e-5;              // of the mesh size
constexpr std::size_t kLargeLevelPoints = 4000000;   // above this, fewer repetitions
constexpr std::size_t kLargestOsdPoints = 50000000;  // above this OpenSubdiv needs more memory than the machine has
constexpr int kLargeMeshFaces = 50000;               // meshes from this size on are also run as whole processes
constexpr int kProcessLevels = 3;                    // whole processes at L = 1 to this
constexpr int kResetLevel = 4;                       // the level a reset comes back from
constexpr unsigned kCreaseSeed = 13;                 // of the creased variants' sharp edges and corners
constexpr double kCreasedCostGoal = 1.3;             // creased refinement against smooth, at most
constexpr double kOptionCostGoal = 1.3;              // refinement with scheme options against without, at most
const std::string kOptionsSuffix = "-options";       // the label of the variants with boundary options and holes

// What the command line asks for.
struct Settings {
    int maxLevel = 4;          // Facetry levels 1..maxLevel
    int repetitions = 5;       // per figure; 3 for the largest levels
    std::string only;          // run only meshes whose label contains this
    bool facetryOnly = false;  // skip OpenSubdiv, the floor, the weld check and the processes
    bool processes = true;     // time the whole programs on the large meshes
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
        else if (!std::strcmp(argv[k], "--no-processes"))
            settings.processes = false;
        else {
            std::fprintf(stderr,
                         "usage: facetry_bench [--max-level N] [--repetitions N] [--only TEXT] [--facetry-only] "
                         "[--no-processes]\n");
            std::exit(2);
        }
    }
    if (settings.maxLevel < 1 || settings.repetitions < 1) {
        std::fprintf(stderr, "facetry_bench: the level and the repetitions must be at least 1\n");
        std::exit(2);
    }
    return settings;
}

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() > suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The inputs whose label contains `only`, generated only when wanted: the
// generated meshes, the examples, then the creased variants of the
// generated meshes (label "...-creased") and their variants with scheme
// options and holes ("...-options"), which only the cost table measures.
std::vector<BenchMesh> allMeshes(const std::string& only) {
    std::vector<BenchMesh> meshes, creased;
    using Generator = BenchMesh (*)();
    const std::pair<const char*, Generator> generated[] = {
        {"torus-10k-quads", quadTorus},         {"sphere-50k-triangles", triangleSphere},
        {"sphere-50k-shuffled", shuffledSphere}, {"scan-242k-triangles", scannedSphere},
        {"torus-mixed-polygons", mixedTorus},   {"open-patch-with-hole", openPatch}};
    auto wanted = [&only](const std::string& label) { return label.find(only) != std::string::npos; };
    for (const auto& [label, generate] : generated) {
        const std::string name = label;
        const bool smoothWanted = wanted(name);
        // the shuffled sphere is the ordered one renumbered: no variant of its own
        const bool creasedWanted = wanted(name + "-creased") && name != "sphere-50k-shuffled";
        const bool optionsWanted = wanted(name + kOptionsSuffix) && name != "sphere-50k-shuffled";
        if (!smoothWanted && !creasedWanted && !optionsWanted) continue;
        BenchMesh mesh = generate();
        if (creasedWanted) creased.push_back(creasedVariant(mesh, kCreaseSeed));
        if (optionsWanted) creased.push_back(optionsVariant(mesh, kCreaseSeed));
        if (smoothWanted) meshes.push_back(std::move(mesh));
    }
    for (BenchMesh& example : bundledExamples(FACETRY_SOURCE_DIR "/examples"))
        if (wanted(example.name)) meshes.push_back(example);
    meshes.insert(meshes.end(), creased.begin(), creased.end());
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
    std::vector<Vector> ours = facetryPointsAt(input.text, row.level);
    row.osd = runOpenSubdiv(*mesh, row.osd.level, repetitions);
    row.tolerance = kWeldTolerance * meshSize(*mesh);
    row.weld = compareWelded(ours, row.osd.points, row.tolerance);
    row.osd.points = {};
    row.floorSeconds = bandwidthFloor(row.all.weldedPoints, repetitions);
    row.comparedWithOsd = true;
}

bool isAllQuads(const std::string& meshText) {
    std::unique_ptr<Mesh> mesh = loadText(meshText);
    return buildQuietly(*mesh)->isAllQuads();
}

void benchmarkMesh(const BenchMesh& input, const Settings& settings, std::vector<BenchRow>& rows) {
    const int threads = machineThreads();
    std::fprintf(stderr, "%s: Facetry on 1 and %d threads...\n", input.name.c_str(), threads);
    FacetryFigures one = runFacetry(input.text, settings.maxLevel, settings.repetitions, 1);
    FacetryFigures all = runFacetry(input.text, settings.maxLevel, settings.repetitions, threads);
    const bool quads = isAllQuads(input.text);
    for (std::size_t k = 0; k < all.levels.size() && k < one.levels.size(); ++k) {
        BenchRow row;
        row.mesh = input.name;
        row.level = static_cast<int>(k) + 1;
        row.threads = threads;
        row.buildOneThread = one.buildSeconds;
        row.buildAllThreads = all.buildSeconds;
        row.one = one.levels[k];
        row.all = all.levels[k];
        row.osd.level = row.level + (quads ? 0 : 1);
        const std::size_t points = row.all.weldedPoints;
        const int repetitions = points > kLargeLevelPoints ? std::min(3, settings.repetitions) : settings.repetitions;
        if (!settings.facetryOnly && points <= kLargestOsdPoints) {
            std::fprintf(stderr, "%s: OpenSubdiv and the weld check at level %d...\n", input.name.c_str(), row.level);
            measureAgainstOsd(input, row, repetitions);
        }
        printRow(row, rows.empty(), stderr);
        rows.push_back(row);
    }
}

// facetry-refine and the OpenSubdiv program on the mesh's file.
void timeProcesses(const BenchMesh& input, const ScratchDirectory& scratch, int repetitions,
                   std::vector<ProcessRow>& rows) {
    const std::string file = scratch.write(input.name + ".mesh", input.text);
    for (int level = 1; level <= kProcessLevels; ++level) {
        std::fprintf(stderr, "%s: whole processes at level %d...\n", input.name.c_str(), level);
        ProcessRow row;
        row.mesh = input.name;
        row.level = level;
        row.threads = machineThreads();
        const std::string L = std::to_string(level);
        row.oneThread = timeProcess({FACETRY_REFINE_BINARY, file, "--level", L, "--threads", "1"}, repetitions);
        row.allThreads = timeProcess({FACETRY_REFINE_BINARY, file, "--level", L}, repetitions);
        row.openSubdiv = timeProcess({OSD_REFINE_BINARY, file, L}, repetitions);
        rows.push_back(row);
    }
}

// The build of the shuffled sphere against the ordered one, and what a reset
// from level 4 gives back of the scan's resident memory.
void printOrderAndResetChecks(const std::vector<BenchRow>& rows, FILE* out) {
    const BenchRow *ordered = nullptr, *shuffled = nullptr;
    for (const BenchRow& row : rows) {
        if (row.mesh == "sphere-50k-triangles") ordered = &row;
        if (row.mesh == "sphere-50k-shuffled") shuffled = &row;
    }
    if (ordered && shuffled)
        std::fprintf(out,
                     "\nBuild of the shuffled sphere against the ordered one: %.2f ms against %.2f ms on 1 thread "
                     "(%.2f x), %.2f ms against %.2f ms on all (%.2f x).\n",
                     shuffled->buildOneThread * 1e3, ordered->buildOneThread * 1e3,
                     shuffled->buildOneThread / ordered->buildOneThread, shuffled->buildAllThreads * 1e3,
                     ordered->buildAllThreads * 1e3, shuffled->buildAllThreads / ordered->buildAllThreads);
}

// One way of refining a mesh against another at one level: medians of runs
// taken in turn, the base then the other, so that whatever else the machine
// does weighs on both alike. A creased variant against its smooth mesh, or a
// mesh with scheme options against the same mesh without.
struct InTurnCost {
    std::string mesh;   // the base's label
    std::string what;   // the options of the other, or "" for a creased variant
    int level = 0;      // Facetry's level
    int threads = 1;    // of the N figures
    double base1 = 0, other1 = 0, baseN = 0, otherN = 0;  // every subdivide() from 0 to L
    double buildBase = 0, buildOther = 0;                 // build on N threads
};


// A mesh's text and the options it is refined with.
struct Refined {
    const std::string* text;
    SchemeOptions options;
};

void measureInTurn(const std::string& mesh, const std::string& what, const Refined& base, const Refined& other,
                   const Settings& settings, std::vector<InTurnCost>& costs) {
    const int threads = machineThreads();
    // per level: the samples of each of the six figures
    std::vector<std::array<std::vector<double>, 6>> samples(settings.maxLevel);
    for (int rep = 0; rep < settings.repetitions; ++rep) {
        const FacetryFigures b1 = runFacetry(*base.text, settings.maxLevel, 1, 1, base.options);
        const FacetryFigures o1 = runFacetry(*other.text, settings.maxLevel, 1, 1, other.options);
        const FacetryFigures bN = runFacetry(*base.text, settings.maxLevel, 1, threads, base.options);
        const FacetryFigures oN = runFacetry(*other.text, settings.maxLevel, 1, threads, other.options);
        const std::size_t levels = std::min({b1.levels.size(), o1.levels.size(), bN.levels.size(), oN.levels.size()});
        for (std::size_t k = 0; k < levels; ++k) {
            samples[k][0].push_back(b1.levels[k].refineSeconds);
            samples[k][1].push_back(o1.levels[k].refineSeconds);
            samples[k][2].push_back(bN.levels[k].refineSeconds);
            samples[k][3].push_back(oN.levels[k].refineSeconds);
            samples[k][4].push_back(bN.buildSeconds);
            samples[k][5].push_back(oN.buildSeconds);
        }
    }
    for (int k = 0; k < settings.maxLevel; ++k) {
        if (samples[k][0].size() != static_cast<std::size_t>(settings.repetitions)) break;
        InTurnCost cost;
        cost.mesh = mesh;
        cost.what = what;
        cost.level = k + 1;
        cost.threads = threads;
        cost.base1 = median(samples[k][0]);
        cost.other1 = median(samples[k][1]);
        cost.baseN = median(samples[k][2]);
        cost.otherN = median(samples[k][3]);
        cost.buildBase = median(samples[k][4]);
        cost.buildOther = median(samples[k][5]);
        costs.push_back(cost);
    }
}

// The smooth mesh of each variant labelled `suffix` ("-creased", "-options").
const BenchMesh* smoothMeshOf(const BenchMesh& variant, const std::vector<BenchMesh>& meshes,
                              const std::string& suffix = "-creased") {
    if (!endsWith(variant.name, suffix)) return nullptr;
    const std::string smoothName = variant.name.substr(0, variant.name.size() - suffix.size());
    for (const BenchMesh& m : meshes)
        if (m.name == smoothName) return &m;
    return nullptr;
}

void measureCreasedCost(const std::vector<BenchMesh>& meshes, const Settings& settings, std::vector<InTurnCost>& costs) {
    for (const BenchMesh& creased : meshes) {
        const BenchMesh* smooth = smoothMeshOf(creased, meshes);
        if (!smooth) continue;
        std::fprintf(stderr, "%s: creased against smooth, in turn...\n", smooth->name.c_str());
        measureInTurn(smooth->name, "", {&smooth->text, {}}, {&creased.text, {}}, settings, costs);
    }
}

// Each scheme option against none, in turn on the same mesh: Chaikin
// creasing on the creased variants, smooth triangles on the smooth meshes,
// both on the creased variants; and the options variants (edge and corner,
// holes) against their smooth meshes.
void measureOptionCost(const std::vector<BenchMesh>& meshes, const Settings& settings, std::vector<InTurnCost>& costs) {
    SchemeOptions chaikin, triangles, both;
    chaikin.creasing = both.creasing = CreasingMethod::Chaikin;
    triangles.triangles = both.triangles = TriangleSubdivision::Smooth;
    for (const BenchMesh& creased : meshes) {
        const BenchMesh* smooth = smoothMeshOf(creased, meshes);
        if (!smooth) continue;
        std::fprintf(stderr, "%s: scheme options against none, in turn...\n", smooth->name.c_str());
        measureInTurn(creased.name, "chaikin", {&creased.text, {}}, {&creased.text, chaikin}, settings, costs);
        measureInTurn(smooth->name, "smooth-triangles", {&smooth->text, {}}, {&smooth->text, triangles}, settings, costs);
        measureInTurn(creased.name, "both", {&creased.text, {}}, {&creased.text, both}, settings, costs);
    }
    // The variants tagged edge-and-corner with a fifth of their faces holes.
    for (const BenchMesh& variant : meshes) {
        const BenchMesh* smooth = smoothMeshOf(variant, meshes, kOptionsSuffix);
        if (!smooth) continue;
        std::fprintf(stderr, "%s: boundary options and holes against none, in turn...\n", smooth->name.c_str());
        measureInTurn(smooth->name, "corners+holes", {&smooth->text, {}}, {&variant.text, {}}, settings, costs);
    }
}

// The creased refinement's cost table, with whether each creased surface
// matched OpenSubdiv's. Returns whether every ratio met the goal.
bool printCreasedCost(const std::vector<InTurnCost>& costs, const std::vector<BenchRow>& rows, FILE* out) {
    if (costs.empty()) return true;
    std::fprintf(out,
                 "\nCreased refinement against smooth: ms of every subdivide() from 0 to L (medians of runs in turn), "
                 "build of level 0 on N threads:\n"
                 "%-22s %2s | %9s %9s %6s | %9s %9s %6s | %7s %7s %6s | %s\n",
                 "mesh", "L", "smooth1", "creased1", "x", "smoothN", "creasedN", "x", "build", "creased", "x",
                 "creased match (max dist/size)");
    bool met = true;
    for (const InTurnCost& cost : costs) {
        const double one = cost.other1 / cost.base1, all = cost.otherN / cost.baseN;
        met = met && one <= kCreasedCostGoal && all <= kCreasedCostGoal;
        char match[128] = "-";
        for (const BenchRow& row : rows)
            if (row.mesh == cost.mesh + "-creased" && row.level == cost.level && row.comparedWithOsd)
                std::snprintf(match, sizeof match, "%s (%.1e)", row.weld.summary().c_str(),
                              row.weld.largestDistance / row.tolerance * kWeldTolerance);
        std::fprintf(out, "%-22s %2d | %9.2f %9.2f %6.2f | %9.2f %9.2f %6.2f | %7.2f %7.2f %6.2f | %s\n",
                     cost.mesh.c_str(), cost.level, cost.base1 * 1e3, cost.other1 * 1e3, one, cost.baseN * 1e3,
                     cost.otherN * 1e3, all, cost.buildBase * 1e3, cost.buildOther * 1e3,
                     cost.buildOther / cost.buildBase, match);
    }
    std::fprintf(out, "Creased refinement within %.1f x the smooth one on every mesh and level: %s\n", kCreasedCostGoal,
                 met ? "yes" : "no");
    return met;
}

// The scheme options' cost table. Returns whether every ratio met the goal.
bool printOptionCost(const std::vector<InTurnCost>& costs, FILE* out) {
    if (costs.empty()) return true;
    std::fprintf(out,
                 "\nScheme options against none on the same mesh: ms of every subdivide() from 0 to L (medians of runs "
                 "in turn), build of level 0 on N threads:\n"
                 "%-22s %-16s %2s | %9s %9s %6s | %9s %9s %6s | %7s %7s %6s\n",
                 "mesh", "options", "L", "none1", "options1", "x", "noneN", "optionsN", "x", "build", "options", "x");
    bool met = true;
    for (const InTurnCost& cost : costs) {
        const double one = cost.other1 / cost.base1, all = cost.otherN / cost.baseN;
        met = met && one <= kOptionCostGoal && all <= kOptionCostGoal;
        std::fprintf(out, "%-22s %-16s %2d | %9.2f %9.2f %6.2f | %9.2f %9.2f %6.2f | %7.2f %7.2f %6.2f\n",
                     cost.mesh.c_str(), cost.what.c_str(), cost.level, cost.base1 * 1e3, cost.other1 * 1e3, one,
                     cost.baseN * 1e3, cost.otherN * 1e3, all, cost.buildBase * 1e3, cost.buildOther * 1e3,
                     cost.buildOther / cost.buildBase);
    }
    std::fprintf(out, "Refinement with options within %.1f x without on every mesh and level: %s\n", kOptionCostGoal,
                 met ? "yes" : "no");
    return met;
}

void printResetCheck(const BenchMesh& input, FILE* out) {
    const ResidentMemory memory = residentAfterReset(input.text, kResetLevel);
    auto mib = [](std::size_t bytes) { return bytes / (1024.0 * 1024.0); };
    std::fprintf(out,
                 "Resident memory of the process, %s: %.0f MiB at level 0, %.0f MiB at level %d, %.0f MiB after "
                 "reset (%.2f x level 0).\n",
                 input.name.c_str(), mib(memory.atZero), mib(memory.atLevel), kResetLevel, mib(memory.afterReset),
                 static_cast<double>(memory.afterReset) / memory.atZero);
}

}  // namespace

int main(int argc, char** argv) {
    Settings settings = parseArguments(argc, argv);
    std::vector<BenchMesh> meshes = allMeshes(settings.only);
    std::vector<BenchRow> rows;
    for (const BenchMesh& input : meshes)
        if (!endsWith(input.name, kOptionsSuffix)) benchmarkMesh(input, settings, rows);
    std::vector<ProcessRow> processes;
    if (settings.processes && !settings.facetryOnly) {
        ScratchDirectory scratch;
        for (const BenchMesh& input : meshes)
            if (!endsWith(input.name, kOptionsSuffix) && loadText(input.text)->numFaces() >= kLargeMeshFaces)
                timeProcesses(input, scratch, std::min(settings.repetitions, 3), processes);
    }
    printTable(rows, stdout);
    printProcessTable(processes, stdout);
    printOrderAndResetChecks(rows, stdout);
    std::vector<InTurnCost> costs, optionCosts;
    measureCreasedCost(meshes, settings, costs);
    printCreasedCost(costs, rows, stdout);
    measureOptionCost(meshes, settings, optionCosts);
    printOptionCost(optionCosts, stdout);
    for (const BenchMesh& input : meshes)
        if (input.name.rfind("scan", 0) == 0) printResetCheck(input, stdout);
    bool allMatched = true;
    for (const BenchRow& row : rows) allMatched = allMatched && (!row.comparedWithOsd || row.weld.matched());
    if (settings.facetryOnly) return 0;
    std::printf(allMatched ? "Both libraries produce the same surface points on every mesh and level compared.\n"
                           : "The surfaces DIFFER where the match column says NO.\n");
    return allMatched ? 0 : 1;
}
