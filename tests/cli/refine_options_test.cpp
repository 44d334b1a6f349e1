// facetry-refine and the scheme options: --boundary, --creasing,
// --triangles and --uv-interpolation parsed and refused, put over the file's tags, written into the
// export so that refining the written file goes on to the same surface, and
// a mesh of holes only, which loads, says so and gives an empty surface.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "app/refineoptions.h"
#include "refinerun.h"
#include "support/catalogue.h"
#include "support/loading.h"
#include "support/pointmatch.h"
#include "support/process.h"
#include "support/tempdir.h"

using namespace facetry;

namespace {

// The same points, each with its own partner within 1e-6 of the size.
void expectSamePoints(const Mesh& a, const Mesh& b) {
    const std::vector<Vector> pa = positionsOf(a), pb = positionsOf(b);
    ASSERT_EQ(pa.size(), pb.size());
    Vector lo, hi;
    a.boundingBox(lo, hi);
    const std::vector<int> partner = matchPoints(pa, pb, 1e-6 * std::max(1e-3, std::sqrt(double((hi - lo).lengthSquared()))));
    std::vector<int> taken(pb.size(), 0);
    for (std::size_t k = 0; k < pa.size(); ++k) {
        ASSERT_GE(partner[k], 0) << "point " << k;
        EXPECT_EQ(0, taken[partner[k]]++) << "point " << k;
    }
    EXPECT_EQ(a.numFaces(), b.numFaces());
}

SchemeOptions uvRule(FaceVaryingInterpolation rule) {
    SchemeOptions options;
    options.faceVarying = rule;
    return options;
}

}  // namespace

TEST(RefineSchemeOptions, EachFlagTakesItsWords) {
    const struct {
        std::vector<const char*> args;
        SchemeOptions over;  // put over the defaults
    } cases[] = {
        {{"a.obj"}, {}},
        {{"a.obj", "--boundary", "none"}, {BoundaryInterpolation::None}},
        {{"a.obj", "--boundary=edge-and-corner"}, {BoundaryInterpolation::EdgeAndCorner}},
        {{"a.obj", "--boundary", "none", "--boundary", "edge-only"}, {}},
        {{"a.obj", "--creasing", "chaikin"}, {BoundaryInterpolation::EdgeOnly, CreasingMethod::Chaikin}},
        {{"a.obj", "--triangles=smooth", "--creasing=uniform"},
         {BoundaryInterpolation::EdgeOnly, CreasingMethod::Uniform, TriangleSubdivision::Smooth}},
        {{"a.obj", "--uv-interpolation", "none"}, uvRule(FaceVaryingInterpolation::None)},
        {{"a.obj", "--uv-interpolation=corners-only"}, uvRule(FaceVaryingInterpolation::CornersOnly)},
        {{"a.obj", "--uv-interpolation", "corners-plus1"}, uvRule(FaceVaryingInterpolation::CornersPlus1)},
        {{"a.obj", "--uv-interpolation", "corners-plus2"}, uvRule(FaceVaryingInterpolation::CornersPlus2)},
        {{"a.obj", "--uv-interpolation", "boundaries", "--boundary", "none"},
         {BoundaryInterpolation::None, CreasingMethod::Uniform, TriangleSubdivision::CatmullClark,
          FaceVaryingInterpolation::Boundaries}},
    };
    for (const auto& c : cases) {
        RefineOptions o;
        ASSERT_EQ("", parse(c.args, o));
        EXPECT_TRUE(c.over == o.schemeOver(SchemeOptions{})) << c.args.size() << " " << c.args[1];
    }
    // "all" replaces a file's rule.
    RefineOptions all;
    ASSERT_EQ("", parse({"a.obj", "--uv-interpolation=all"}, all));
    EXPECT_TRUE(SchemeOptions{} == all.schemeOver(uvRule(FaceVaryingInterpolation::None)));
    // Only what is given replaces the file's.
    RefineOptions o;
    ASSERT_EQ("", parse({"a.obj", "--triangles", "catmull-clark"}, o));
    const SchemeOptions file{BoundaryInterpolation::None, CreasingMethod::Chaikin, TriangleSubdivision::Smooth,
                             FaceVaryingInterpolation::CornersPlus1};
    EXPECT_TRUE((SchemeOptions{BoundaryInterpolation::None, CreasingMethod::Chaikin, TriangleSubdivision::CatmullClark,
                               FaceVaryingInterpolation::CornersPlus1}) == o.schemeOver(file));
}

TEST(RefineSchemeOptions, BadValuesAreUsageErrors) {
    const struct {
        std::vector<const char*> args;
        std::string error;
    } cases[] = {
        {{"a.obj", "--boundary"}, "option '--boundary' needs a value"},
        {{"a.obj", "--boundary", "edge"}, "invalid value 'edge' for '--boundary'"},
        {{"a.obj", "--boundary=2"}, "invalid value '2' for '--boundary'"},
        {{"a.obj", "--creasing", "normal"}, "invalid value 'normal' for '--creasing'"},
        {{"a.obj", "--triangles", "catmark"}, "invalid value 'catmark' for '--triangles'"},
        {{"a.obj", "--triangles="}, "invalid value '' for '--triangles'"},
        {{"a.obj", "--uv-interpolation"}, "option '--uv-interpolation' needs a value"},
        {{"a.obj", "--uv-interpolation", "bilinear"}, "invalid value 'bilinear' for '--uv-interpolation'"},
        {{"a.obj", "--uv-interpolation=5"}, "invalid value '5' for '--uv-interpolation'"},
    };
    for (const auto& c : cases) {
        RefineOptions o;
        EXPECT_EQ(c.error, parse(c.args, o));
    }
    const ProgramRun run = refine({"a.obj", "--boundary", "all"});
    EXPECT_EQ(2, run.exitStatus);
    EXPECT_EQ("facetry-refine: invalid value 'all' for '--boundary'\nTry 'facetry-refine --help' for more information.\n",
              run.errorOutput);
    EXPECT_NE(std::string::npos, std::string(kRefineUsage).find("--boundary edge-only|edge-and-corner|none"));
    const ProgramRun uv = refine({"a.obj", "--uv-interpolation", "edge-only"});
    EXPECT_EQ(2, uv.exitStatus);
    EXPECT_EQ("facetry-refine: invalid value 'edge-only' for '--uv-interpolation'\n"
              "Try 'facetry-refine --help' for more information.\n",
              uv.errorOutput);
    EXPECT_NE(std::string::npos, std::string(kRefineUsage)
                                     .find("--uv-interpolation none|corners-only|corners-plus1|corners-plus2|\n"
                                           "                         boundaries|all\n"));
}

// A malformed option tag ends the load with its file and line, status 255.
TEST(RefineSchemeOptions, AMalformedOptionTagIsFatal) {
    TempDir dir;
    const std::string bad = dir.write("bad.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nt interpolateboundary 1/0/0 7\n");
    const ProgramRun run = refine({bad});
    EXPECT_EQ(255, run.exitStatus);
    EXPECT_EQ(bad + ":5: malformed interpolateboundary tag: \"7\", expected 0 (none), 1 (edge and corner) or 2 (edge only)\n",
              run.errorOutput);
    const std::string uv = dir.write("uv.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nt facevaryinginterpolateboundary 1/0/0 6\nf 1 2 3\n");
    const ProgramRun uvRun = refine({uv, "--uv-interpolation", "all"});
    EXPECT_EQ(255, uvRun.exitStatus);
    EXPECT_EQ(uv + ":4: malformed facevaryinginterpolateboundary tag: \"6\", expected 0 (none), 1 (corners only), "
                   "2 (corners plus one), 3 (corners plus two), 4 (boundaries) or 5 (all)\n",
              uvRun.errorOutput);
}

// Refining the level-1 export once more gives the original's level 2: the
// export carries the options in effect, from the file or the command line,
// and the sharpness left at level 1.
TEST(RefineSchemeOptions, TheExportRefinesOnToTheSameSurface) {
    TempDir dir;
    const std::string patch = objText(catalogueMesh("examplePatch").control);
    const struct {
        std::string tags;
        std::vector<std::string> flags;
        std::string written;  // an option tag the export must carry
    } cases[] = {
        {"t interpolateboundary 1/0/0 1\nt corner 1/1/0 5 1.5\n", {}, "t interpolateboundary 1/0/0 1\n"},
        {"", {"--boundary", "edge-and-corner"}, "t interpolateboundary 1/0/0 1\n"},
        {"t interpolateboundary 1/0/0 1\n", {"--boundary", "edge-only"}, ""},
        {"", {"--creasing", "chaikin", "--triangles", "smooth"}, "t creasemethod 0/0/1 chaikin\nt smoothtriangles 0/0/1 smooth\n"},
        {"t facevaryinginterpolateboundary 1/0/0 1\n", {}, "t facevaryinginterpolateboundary 1/0/0 1\n"},
        {"t facevaryinginterpolateboundary 1/0/0 0\n", {"--uv-interpolation", "corners-plus2"},
         "t facevaryinginterpolateboundary 1/0/0 3\n"},
        {"t facevaryinginterpolateboundary 1/0/0 2\n", {"--uv-interpolation", "all"}, ""},
    };
    int k = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tags + (c.flags.empty() ? "" : c.flags[1]));
        const std::string in = dir.write("in" + std::to_string(k) + ".obj", patch + c.tags);
        const std::string one = dir.path("one" + std::to_string(k) + ".obj"), two = dir.path("two" + std::to_string(k) + ".obj"),
                          again = dir.path("again" + std::to_string(k) + ".obj");
        ++k;
        std::vector<std::string> first = {in, "--level", "1", "-o", one}, direct = {in, "--level", "2", "-o", two};
        first.insert(first.end(), c.flags.begin(), c.flags.end());
        direct.insert(direct.end(), c.flags.begin(), c.flags.end());
        ASSERT_EQ(0, refine(first).exitStatus);
        ASSERT_EQ(0, refine(direct).exitStatus);
        ASSERT_EQ(0, refine({one, "--level", "1", "-o", again}).exitStatus);
        const std::string written = readFile(one);
        const std::size_t at = written.find(c.written.empty() ? "interpolateboundary" : c.written);
        EXPECT_EQ(c.written.empty(), at == std::string::npos);
        const Loaded a = loadFile(two), b = loadFile(again);
        ASSERT_EQ("", a.fatal);
        ASSERT_EQ("", b.fatal);
        expectSamePoints(*a.mesh, *b.mesh);
    }
}

// Every face a hole: the mesh loads, the program says so in one line after
// the path, and the surface it writes has no point and no quad, limit included.
TEST(RefineSchemeOptions, AMeshOfHolesGivesAnEmptySurface) {
    TempDir dir;
    const std::string holes = dir.write("holes.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 2 0 0\n"
                                                     "f 1 2 3 4\nf 2 5 3\nt hole 2/0/0 1 0\n");
    const ProgramRun run = refine({holes, "--level", "2", "--limit", "--normals", "-o", dir.path("out.obj")});
    EXPECT_EQ(0, run.exitStatus) << run.errorOutput;
    EXPECT_EQ("Subdividing original mesh\nEvery face is a hole: the surface is empty\n", run.output);
    EXPECT_EQ("# Facetry surface at level 2: 0 points, 0 quads\n", readFile(dir.path("out.obj")));
    // An open quad under "none" is all hole too.
    const std::string open = dir.write("open.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3 4\n");
    const ProgramRun none = refine({open, "--boundary", "none", "-o", dir.path("none.off")});
    EXPECT_EQ(0, none.exitStatus);
    EXPECT_EQ("Not subdividing original mesh -- all quads\nEvery face is a hole: the surface is empty\n", none.output);
    EXPECT_EQ("OFF\n0 0 0\n", readFile(dir.path("none.off")));
}
