// facetry-refine: its command line parsed in-process, then the real binary:
// help, usage errors, unreadable input, a level refused for memory, progress
// and dumps, and a level-0 round trip; and both programs on a directory.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "app/refineoptions.h"
#include "refinerun.h"
#include "support/catalogue.h"
#include "support/loading.h"
#include "support/process.h"
#include "support/tempdir.h"

using namespace facetry;

namespace {

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
        {{"a.obj", "--limit"}, "option '--limit' needs an output file"},
        {{"a.obj", "--normals", "--level", "2"}, "option '--normals' needs an output file"},
        {{"a.obj", "--normals", "-o", "x.off", "--limit"}, "option '--normals' needs an .obj output"},
    };
    for (const auto& c : cases) {
        RefineOptions o;
        EXPECT_EQ(c.error, parse(c.args, o));
    }
}

TEST(RefineBinary, HelpUsageErrorsAndUnreadableInput) {
    TempDir dir;
    ProgramRun help = refine({"--help"});
    EXPECT_EQ(0, help.exitStatus);
    EXPECT_EQ(kRefineUsage, help.output);
    EXPECT_EQ("", help.errorOutput);
    ProgramRun usage = refine({"in.obj", "--level", "1", "--level"});
    EXPECT_EQ(2, usage.exitStatus);
    EXPECT_EQ("", usage.output);
    EXPECT_EQ("facetry-refine: option '--level' needs a value\nTry 'facetry-refine --help' for more information.\n",
              usage.errorOutput);
    const std::string missing = dir.path("missing.off");
    ProgramRun open = refine({missing});
    EXPECT_EQ(255, open.exitStatus);
    EXPECT_EQ("cannot open " + missing + "\n", open.errorOutput);
    const std::string bad = dir.write("bad.off", "OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 7\n");
    ProgramRun malformed = refine({bad, "-o", dir.path("out.obj")});
    EXPECT_EQ(255, malformed.exitStatus);
    EXPECT_EQ(bad + ":6: face 0: vertex index 7 out of range (3 vertices)\n", malformed.errorOutput);
    EXPECT_EQ("", readFile(dir.path("out.obj")));
}

// A directory reads as an empty file, in both programs and whatever reader
// its name picks: the reader's message for nothing to read, status 255,
// nothing on standard output and no file written, well within the time limit.
TEST(BothBinaries, ADirectoryReadsAsAnEmptyFile) {
    TempDir dir;
    struct Case { std::string name, error; };
    for (const Case& c : std::vector<Case>{
             {"", "parse error, numVertices\n"},
             {"folder.mesh", "parse error, numVertices\n"},
             {"folder.obj", "ERROR: the mesh has no vertices\n"},
             {"folder.off", dir.path("folder.off") + ":1: not an OFF file (it must begin with OFF)\n"},
         }) {
        const std::string path = c.name.empty() ? dir.path() : dir.path(c.name);
        SCOPED_TRACE(path);
        ASSERT_TRUE(c.name.empty() || mkdir(path.c_str(), 0755) == 0);
        std::vector<std::pair<std::string, ProgramRun>> runs;
        runs.emplace_back("facetry-refine", refine({path, "-o", dir.path("out.obj")}));
#ifdef FACETRY_BINARY
        runs.emplace_back("facetry", runProgram(FACETRY_BINARY, {path}, 30));
#endif
        for (const auto& [program, run] : runs) {
            SCOPED_TRACE(program);
            EXPECT_FALSE(run.timedOut);
            EXPECT_EQ(255, run.exitStatus);
            EXPECT_EQ(c.error, run.errorOutput);
            EXPECT_EQ("", run.output);
        }
        struct stat info;
        EXPECT_NE(0, stat(dir.path("out.obj").c_str(), &info)) << "an output file was written";
    }
}

TEST(RefineBinary, ALevelRefusedForMemoryFailsWithoutOutput) {
    TempDir dir;
    const std::string cube = dir.write("cube.mesh", meshText(catalogueMesh("exampleCube").control));
    const std::string out = dir.path("out.obj");
    ProgramRun run = refine({cube, "--level", "3", "--memory-limit", "0", "-o", out});
    EXPECT_EQ(1, run.exitStatus);
    EXPECT_EQ(0u, run.errorOutput.find("Not subdivided to level 1: it needs ")) << run.errorOutput;
    EXPECT_EQ(std::string::npos, run.errorOutput.find("level 2"));
    EXPECT_EQ(nullptr, std::fopen(out.c_str(), "r"));
}

// The output is written beside its name and renamed over it: an output that
// cannot be written is said with the reason, and what was there stays.
TEST(RefineBinary, AnOutputThatCannotBeWrittenIsReportedAndLeavesWhatWasThere) {
    TempDir dir;
    const std::string cube = dir.write("cube.mesh", meshText(catalogueMesh("exampleCube").control));
    mkdir(dir.path("out.obj").c_str(), 0755);
    dir.write("file", "kept\n");
    const struct {
        std::string output, reason;
    } cases[] = {{dir.path("out.obj"), "Is a directory"}, {dir.path("file/out.obj"), "Not a directory"}};
    for (const auto& c : cases) {
        ProgramRun run = refine({cube, "--level", "1", "-o", c.output});
        EXPECT_EQ(1, run.exitStatus) << c.output;
        EXPECT_EQ("facetry-refine: cannot write " + c.output + ": " + c.reason + "\n", run.errorOutput);
    }
    struct stat info;
    EXPECT_TRUE(stat(dir.path("out.obj").c_str(), &info) == 0 && S_ISDIR(info.st_mode));
    EXPECT_EQ("kept\n", readFile(dir.path("file")));
    ProgramRun replaced = refine({cube, "-o", dir.path("file.off")});
    EXPECT_EQ(0, replaced.exitStatus);
    EXPECT_EQ(0u, readFile(dir.path("file.off")).find("OFF\n8 6 12\n"));
}

TEST(RefineBinary, ProgressOnlyWhenAskedAndTheDumpsInOrder) {
    TempDir dir;
    const std::string tetra = dir.write("t.off", offText(catalogueMesh("tetrahedron").control));
    ProgramRun quiet = refine({tetra, "--level", "2"});
    EXPECT_EQ(0, quiet.exitStatus);
    EXPECT_EQ("Subdividing original mesh\n", quiet.output);
    EXPECT_EQ("", quiet.errorOutput);
    ProgramRun loud = refine({tetra, "--level", "2", "--progress", "--dump"});
    EXPECT_EQ(0, loud.exitStatus);
    // Level 0 has 14 vertices, 24 edges and 12 faces: 14 + 24 + 12 welded
    // points at level 1, 14 + 24*3 + 12*9 at level 2.
    EXPECT_TRUE(std::regex_match(
        loud.errorOutput, std::regex("level 1: [0-9]+\\.[0-9]{3} s, 50 points\nlevel 2: [0-9]+\\.[0-9]{3} s, 194 points\n")))
        << loud.errorOutput;
    const std::size_t mesh = loud.output.find("[MESH]\nnumVertices=4\n"), surface = loud.output.find("[MR-MESH]\nnumVertices=14\n");
    EXPECT_EQ(0u, loud.output.find("Subdividing original mesh\n"));
    EXPECT_TRUE(mesh != std::string::npos && surface != std::string::npos && mesh < surface) << loud.output;
}

// At level 0 an all-quad control mesh is its own surface, so writing it and
// reading it back gives the control mesh again, in either format.
TEST(RefineBinary, LevelZeroRoundTripGivesTheControlMesh) {
    TempDir dir;
    RefMesh cube = catalogueMesh("exampleCube").control;
    cube.points[6] = {0.1f, 1.0f / 3, -7e-9f};
    const std::string input = dir.write("cube.mesh", meshText(cube));
    for (const char* file : {"out.obj", "out.OFF"}) {
        ProgramRun run = refine({input, "--output", dir.path(file)});
        ASSERT_EQ(0, run.exitStatus) << run.errorOutput;
        Loaded back = loadFile(dir.path(file));
        ASSERT_EQ("", back.fatal);
        EXPECT_EQ(cube.faces, facesOf(*back.mesh)) << file;
        const std::vector<Vector> read = positionsOf(*back.mesh);
        ASSERT_EQ(cube.points.size(), read.size());
        for (std::size_t v = 0; v < read.size(); ++v)
            EXPECT_TRUE(float(cube.points[v].x) == read[v].x && float(cube.points[v].y) == read[v].y &&
                        float(cube.points[v].z) == read[v].z)
                << file << " vertex " << v;
    }
}

using UV = std::pair<float, float>;
using UVSet = std::set<UV>;

// What an OBJ output holds: every v line's point, vn line's normal and vt
// line's (u, v), and every f line's corners as written ("p", "p/t", "p//n"
// or "p/t/n").
struct WrittenObj {
    std::vector<Vector> points, normals;
    std::vector<UV> uvs;
    std::vector<std::vector<std::string>> faces;
    // The 0-based texture coordinate a corner names.
    static int uvIndex(const std::string& corner) { return std::stoi(corner.substr(corner.find('/') + 1)) - 1; }
};

WrittenObj writtenObj(const std::string& obj) {
    WrittenObj written;
    std::istringstream lines(obj);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string word;
        words >> word;
        Vector p;
        UV uv;
        if (word == "v" && words >> p.x >> p.y >> p.z) written.points.push_back(p);
        if (word == "vn" && words >> p.x >> p.y >> p.z) written.normals.push_back(p);
        if (word == "vt" && words >> uv.first >> uv.second) written.uvs.push_back(uv);
        if (word == "f") {
            written.faces.emplace_back();
            while (words >> word) written.faces.back().push_back(word);
        }
    }
    return written;
}

// Texture coordinates refine linearly in each control face: a quad's grid at
// level 2 takes the 5 x 5 values between its corners' (each written once, a
// cell's corners a quarter apart); a triangle's three quads take its corners,
// the midpoints of its sides and its centre.
TEST(RefineBinary, WritesTheTextureCoordinatesOfEveryGridPoint) {
    TempDir dir;
    const std::string quad = dir.write("quad.obj", "v 0 0 0\nv 2 0 0\nv 2 2 1\nv 0 2 0\n"
                                                   "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nf 1/1 2/2 3/3 4/4\n");
    ASSERT_EQ(0, refine({quad, "--level", "2", "-o", dir.path("quad-out.obj")}).exitStatus);
    const WrittenObj grid = writtenObj(readFile(dir.path("quad-out.obj")));
    UVSet expected;
    for (int i = 0; i <= 4; ++i)
        for (int j = 0; j <= 4; ++j) expected.emplace(i / 4.0f, j / 4.0f);
    EXPECT_EQ(expected, UVSet(grid.uvs.begin(), grid.uvs.end()));
    EXPECT_EQ(25u, grid.uvs.size()) << "each value written once";
    ASSERT_EQ(16u, grid.faces.size());
    for (const std::vector<std::string>& cell : grid.faces) {
        ASSERT_EQ(4u, cell.size());
        UVSet corners;
        for (const std::string& corner : cell) corners.insert(grid.uvs.at(WrittenObj::uvIndex(corner)));
        const auto [u0, v0] = *corners.begin();
        EXPECT_EQ((UVSet{{u0, v0}, {u0 + 0.25f, v0}, {u0, v0 + 0.25f}, {u0 + 0.25f, v0 + 0.25f}}),
                  corners);
    }
    const std::string triangle =
        dir.write("triangle.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 0.5 0\nvt 0 0.75\nf 1/1 2/2 3/3\n");
    ASSERT_EQ(0, refine({triangle, "-o", dir.path("triangle-out.obj")}).exitStatus);
    const WrittenObj thirds = writtenObj(readFile(dir.path("triangle-out.obj")));
    EXPECT_EQ((UVSet{{0, 0}, {0.5f, 0}, {0, 0.75f}, {0.25f, 0}, {0.25f, 0.375f},
                                                 {0, 0.375f}, {0.5f / 3, 0.75f / 3}}),
              UVSet(thirds.uvs.begin(), thirds.uvs.end()));
    EXPECT_EQ(3u, thirds.faces.size());
}

// A tagged mesh written at level 0 keeps its tags, so the file refines to the
// same surface as the original, to the last digit.
TEST(RefineBinary, TagsSurviveARoundTrip) {
    TempDir dir;
    const std::string cube = dir.write(
        "cube.obj", objText(catalogueMesh("exampleCube").control) +
                        "t crease 3/2/0 0 1 2 10 1.5\nt crease 2/1/0 4 5 0.25\nt corner 1/1/0 7 2\n");
    const ProgramRun zero = refine({cube, "-o", dir.path("zero.obj")});
    ASSERT_EQ(0, zero.exitStatus) << zero.errorOutput;
    const Loaded back = loadFile(dir.path("zero.obj"));
    ASSERT_EQ("", back.fatal);
    std::map<std::pair<int, int>, float> sharp;
    for (int e = 0; e < back.mesh->numEdges(); ++e) {
        const MeshEdge* edge = back.mesh->edge(e);
        const int a = edge->vertex(0)->id, b = edge->vertex(1)->id;
        if (edge->sharpness() > 0) sharp[{std::min(a, b), std::max(a, b)}] = edge->sharpness();
    }
    EXPECT_EQ((std::map<std::pair<int, int>, float>{{{0, 1}, 10.0f}, {{1, 2}, 1.5f}, {{4, 5}, 0.25f}}), sharp);
    for (int v = 0; v < back.mesh->numVertices(); ++v)
        EXPECT_EQ(v == 7 ? 2.0f : 0.0f, back.mesh->vertex(v)->sharpness()) << "vertex " << v;
    ASSERT_EQ(0, refine({cube, "--level", "2", "-o", dir.path("direct.obj")}).exitStatus);
    ASSERT_EQ(0, refine({dir.path("zero.obj"), "--level", "2", "-o", dir.path("again.obj")}).exitStatus);
    EXPECT_EQ(readFile(dir.path("direct.obj")), readFile(dir.path("again.obj")));
}

// --limit moves every point onto the limit surface, in OBJ and OFF alike;
// --normals adds one unit normal per point, pointing out of a closed
// surface, which every quad corner names with its point.
TEST(RefineBinary, WritesLimitPositionsAndNormals) {
    TempDir dir;
    const std::string cube = dir.write("cube.mesh", meshText(catalogueMesh("exampleCube").control));
    for (const std::vector<std::string>& flags :
         {std::vector<std::string>{}, {"--limit", "--normals"}, {"--limit", "-o", dir.path("limit.off")}}) {
        std::vector<std::string> args{cube, "--level", "2", "-o", dir.path(flags.empty() ? "plain.obj" : "limit.obj")};
        args.insert(args.end(), flags.begin(), flags.end());
        const ProgramRun run = refine(args);
        ASSERT_EQ(0, run.exitStatus) << run.errorOutput;
    }
    const WrittenObj plain = writtenObj(readFile(dir.path("plain.obj")));
    const WrittenObj limit = writtenObj(readFile(dir.path("limit.obj")));
    ASSERT_EQ(98u, limit.points.size());
    ASSERT_EQ(limit.points.size(), limit.normals.size());
    EXPECT_TRUE(plain.normals.empty());
    for (std::size_t k = 0; k < limit.points.size(); ++k) {
        const Vector n = limit.normals[k], p = limit.points[k];
        EXPECT_NEAR(1.0, n.lengthSquared(), 1e-6) << "point " << k;
        EXPECT_GT(n.x * p.x + n.y * p.y + n.z * p.z, 0.5f) << "point " << k << " faces out";
        // the limit lies inside the convex refined points, nearer the centre
        EXPECT_LT(p.lengthSquared(), plain.points[k].lengthSquared()) << "point " << k;
    }
    ASSERT_EQ(plain.faces.size(), limit.faces.size());
    for (std::size_t f = 0; f < plain.faces.size(); ++f)
        for (std::size_t c = 0; c < 4; ++c)
            EXPECT_EQ(plain.faces[f][c] + "//" + plain.faces[f][c], limit.faces[f][c]);
    // OFF: the same limit positions after the counts line
    std::istringstream off(readFile(dir.path("limit.off")));
    std::string header;
    long long counts[3];
    off >> header >> counts[0] >> counts[1] >> counts[2];
    for (const Vector& p : limit.points) {
        Vector q;
        off >> q.x >> q.y >> q.z;
        EXPECT_EQ(p, q);
    }
}

}  // namespace
