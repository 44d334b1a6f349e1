// facetry-refine: its command line parsed in-process, then the real binary:
// help, usage errors, unreadable input, a level refused for memory, progress
// and dumps, and a level-0 round trip.

#include <gtest/gtest.h>

#include <regex>

#include "app/refineoptions.h"
#include "io_support.h"

namespace {

const std::string kRefine = FACETRY_REFINE_BINARY;

std::string parse(std::vector<const char*> args, RefineOptions& options) {
    args.insert(args.begin(), "facetry-refine");
    return parseRefineOptions(static_cast<int>(args.size()), args.data(), options);
}

TEST(RefineOptions, AcceptsEveryOptionForm) {
    RefineOptions o;
    ASSERT_EQ("", parse({"in.mesh", "--level", "3", "-o", "x.OFF", "--dump", "--progress"}, o));
    EXPECT_EQ("in.mesh", o.input);
    EXPECT_EQ(3, o.level);
    EXPECT_EQ("x.OFF", o.output);
    EXPECT_TRUE(o.format == MeshFormat::Off && o.dump && o.progress && !o.help && o.memoryLimitMiB == -1);
    RefineOptions p;
    ASSERT_EQ("", parse({"--level=2", "--memory-limit=64", "--output=y.obj", "-j", "3", "--", "-in.obj"}, p));
    EXPECT_TRUE(p.level == 2 && p.memoryLimitMiB == 64 && p.format == MeshFormat::Obj && p.input == "-in.obj");
    EXPECT_EQ(p.threads, 3);
    EXPECT_EQ(o.threads, 0) << "all the machine's threads unless asked";
    RefineOptions q;
    ASSERT_EQ("", parse({"-h"}, q));
    EXPECT_TRUE(q.help);
}

TEST(RefineOptions, ReportsEveryUsageError) {
    const struct {
        std::vector<const char*> args;
        std::string error;
    } cases[] = {
        {{}, "missing the input file"},
        {{"a.obj", "b.obj"}, "more than one input file"},
        {{"a.obj", "--level"}, "option '--level' needs a value"},
        {{"a.obj", "--level", "-1"}, "invalid level '-1'"},
        {{"a.obj", "-l", "2x"}, "invalid level '2x'"},
        {{"a.obj", "--level", "99999999999"}, "invalid level '99999999999'"},
        {{"a.obj", "--memory-limit", "lots"}, "invalid memory limit 'lots'"},
        {{"a.obj", "--threads", "0"}, "invalid thread count '0'"},
        {{"a.obj", "--threads=-2"}, "invalid thread count '-2'"},
        {{"a.obj", "-o", "x.stl"}, "the output 'x.stl' must end in .obj or .off"},
        {{"a.obj", "--output", "-"}, "the output '-' must end in .obj or .off"},
        {{"a.obj", "--bogus"}, "unknown option '--bogus'"},
        {{"a.obj", "--dump=yes"}, "option '--dump' takes no value"},
    };
    for (const auto& c : cases) {
        RefineOptions o;
        EXPECT_EQ(c.error, parse(c.args, o));
    }
}

TEST(RefineBinary, HelpUsageErrorsAndUnreadableInput) {
    TempDir dir;
    RunResult help = runCommand(kRefine + " --help", dir);
    EXPECT_EQ(0, help.status);
    EXPECT_EQ(kRefineUsage, help.out);
    EXPECT_EQ("", help.err);
    RunResult usage = runCommand(kRefine + " in.obj --level 1 --level", dir);
    EXPECT_EQ(2, usage.status);
    EXPECT_EQ("", usage.out);
    EXPECT_EQ("facetry-refine: option '--level' needs a value\nTry 'facetry-refine --help' for more information.\n",
              usage.err);
    const std::string missing = dir.path("missing.off");
    RunResult open = runCommand(kRefine + " " + missing, dir);
    EXPECT_EQ(255, open.status);
    EXPECT_EQ("cannot open " + missing + "\n", open.err);
    const std::string bad = dir.write("bad.off", "OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 7\n");
    RunResult malformed = runCommand(kRefine + " " + bad + " -o " + dir.path("out.obj"), dir);
    EXPECT_EQ(255, malformed.status);
    EXPECT_EQ(bad + ":6: face 0: vertex index 7 out of range (3 vertices)\n", malformed.err);
    EXPECT_EQ("", readText(dir.path("out.obj")));
}

TEST(RefineBinary, ALevelRefusedForMemoryFailsWithoutOutput) {
    TempDir dir;
    const std::string cube = dir.write("cube.mesh", meshTextOf(shapeCatalogue()[0]));
    const std::string out = dir.path("out.obj");
    RunResult run = runCommand(kRefine + " " + cube + " --level 3 --memory-limit 0 -o " + out, dir);
    EXPECT_EQ(1, run.status);
    EXPECT_EQ(0u, run.err.find("Not subdivided to level 1: it needs ")) << run.err;
    EXPECT_EQ(std::string::npos, run.err.find("level 2"));
    EXPECT_EQ(nullptr, std::fopen(out.c_str(), "r"));
}

TEST(RefineBinary, ProgressOnlyWhenAskedAndTheDumpsInOrder) {
    TempDir dir;
    const std::string tetra = dir.write("t.off", offTextOf(shapeCatalogue()[1]));
    RunResult quiet = runCommand(kRefine + " " + tetra + " --level 2", dir);
    EXPECT_EQ(0, quiet.status);
    EXPECT_EQ("Subdividing original mesh\n", quiet.out);
    EXPECT_EQ("", quiet.err);
    RunResult loud = runCommand(kRefine + " " + tetra + " --level 2 --progress --dump", dir);
    EXPECT_EQ(0, loud.status);
    // Level 0 has 14 vertices, 24 edges and 12 faces: 14 + 24 + 12 welded
    // points at level 1, 14 + 24*3 + 12*9 at level 2.
    EXPECT_TRUE(std::regex_match(
        loud.err, std::regex("level 1: [0-9]+\\.[0-9]{3} s, 50 points\nlevel 2: [0-9]+\\.[0-9]{3} s, 194 points\n")))
        << loud.err;
    const std::size_t mesh = loud.out.find("[MESH]\nnumVertices=4\n"), surface = loud.out.find("[MR-MESH]\nnumVertices=14\n");
    EXPECT_EQ(0u, loud.out.find("Subdividing original mesh\n"));
    EXPECT_TRUE(mesh != std::string::npos && surface != std::string::npos && mesh < surface) << loud.out;
}

// At level 0 an all-quad control mesh is its own surface, so writing it and
// reading it back gives the control mesh again, in either format.
TEST(RefineBinary, LevelZeroRoundTripGivesTheControlMesh) {
    TempDir dir;
    Shape cube = shapeCatalogue()[0];
    cube.positions[6] = Vector(0.1f, 1.0f / 3, -7e-9f);
    const std::string input = dir.write("cube.mesh", meshTextOf(cube));
    for (const char* file : {"out.obj", "out.OFF"}) {
        RunResult run = runCommand(kRefine + " " + input + " --output " + dir.path(file), dir);
        ASSERT_EQ(0, run.status) << run.err;
        LoadResult back = loadFile(dir.path(file));
        ASSERT_EQ("", back.fatal);
        Shape read = shapeOf(*back.mesh);
        EXPECT_EQ(cube.faces, read.faces) << file;
        ASSERT_EQ(cube.positions.size(), read.positions.size());
        for (std::size_t v = 0; v < cube.positions.size(); ++v)
            EXPECT_TRUE(cube.positions[v].x == read.positions[v].x && cube.positions[v].y == read.positions[v].y &&
                        cube.positions[v].z == read.positions[v].z)
                << file << " vertex " << v;
    }
}

TEST(ViewerBinary, ReportsAnUnopenableObjFileBeforeAnyWindow) {
    TempDir dir;
    RunResult run = runCommand(std::string(FACETRY_BINARY) + " " + dir.path("none.obj"), dir);
    EXPECT_EQ(255, run.status);
    EXPECT_EQ("cannot open " + dir.path("none.obj") + "\n", run.err);
}

}  // namespace
