// The real facetry binary on command lines and files that end before any
// window opens: its standard error byte for byte, its standard output and its
// exit status (255 for exit(-1)).

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/process.h"
#include "support/tempdir.h"

namespace {

// Runs the viewer with `args`; it must end before any window opens.
ProgramRun runFacetry(const std::vector<std::string>& args) { return runProgram(FACETRY_BINARY, args, 30); }

void expectFatal(const ProgramRun& run, const std::string& err) {
    EXPECT_EQ(run.errorOutput, err);
    EXPECT_EQ(run.exitStatus, 255);
    EXPECT_EQ(run.output, "");
}

const char* kTriangleVertices = "numV = 3\n0 0 0\n1 0 0\n0 1 0\n";

}  // namespace

TEST(CommandLine, WithoutArgumentPrintsTheThreeLineSyntax) {
    expectFatal(runFacetry({}), "\nSyntax: facetry [input] [output]\n\n");
}

TEST(CommandLine, UnopenableNamesAreReportedAsGiven) {
    TempDir scratch;
    expectFatal(runFacetry({"/nonexistent-facetry-dir/cube.mesh"}),
                "cannot open /nonexistent-facetry-dir/cube.mesh\n");
    // The name is printed as text, never used as a format.
    expectFatal(runFacetry({scratch.path() + "/100%s%n.mesh"}), "cannot open " + scratch.path() + "/100%s%n.mesh\n");
    expectFatal(runFacetry({""}), "cannot open \n");
}

TEST(CommandLine, FatalInputEndsBeforeAnyWindowWithItsMessages) {
    TempDir scratch;
    struct Case { const char* what; std::string text, err; };
    for (const Case& c : std::vector<Case>{
             {"empty file", "", "parse error, numVertices\n"},
             {"bad vertex count", "numV = x", "parse error, numVertices\n"},
             {"nan coordinate", "numV = 3\n0 0 0\n1 nan 0\n0 1 0\n", "parse error, vertex 1\n"},
             {"no edge count", std::string(kTriangleVertices) + "numF = 1", "parse error: numEdges\n"},
             {"no face count", std::string(kTriangleVertices) + "numE = 3", "parse error: numFaces\n"},
             {"index out of range", std::string(kTriangleVertices) + "numE = 3 numF = 1 0 1 3 -1",
              "PARSE ERROR: face 0\n"},
             {"dropped face, then the file ends", std::string(kTriangleVertices) + "numE = 3 numF = 2 0 1 -1 0 1 2",
              "parse error, vertex 2 valence out of range\nPARSE ERROR: face 0\n"},
             {"too few edges", std::string(kTriangleVertices) + "numE = 2 numF = 1 0 1 2 -1", "Too many edges\n"},
             {"faces touching at a vertex",
              "numV = 5 0 0 0 1 0 0 2 0 0 3 1 0 3 -1 0 numE = 6 numF = 2 0 1 2 -1 2 3 4 -1",
              "Non-manifold geometry -- the faces at vertex 2 do not form one fan\n"},
             {"no vertices", "numV = 0 numE = 0 numF = 0", "ERROR: the mesh has no vertices\n"},
             {"every face dropped", std::string(kTriangleVertices) + "numE = 3 numF = 1 0 1 1 -1",
              "ERROR: Face 0 -- repeats a vertex\nPARSE WARNING: 0 actual edges in mesh\nERROR: the mesh has no faces\n"},
         }) {
        SCOPED_TRACE(c.what);
        expectFatal(runFacetry({scratch.write("input.mesh", c.text)}), c.err);
    }
}

TEST(CommandLine, SecondArgumentIsAcceptedAndNothingIsWritten) {
    TempDir scratch;
    std::string input = scratch.write("bad.mesh", "numV = -1");
    std::string output = scratch.path() + "/out.mesh";
    expectFatal(runFacetry({input, output}), "parse error, numVertices\n");
    struct stat info;
    EXPECT_NE(stat(output.c_str(), &info), 0) << "an output file was written";
}

TEST(ViewerBinary, ReportsAnUnopenableObjFileBeforeAnyWindow) {
    TempDir dir;
    expectFatal(runFacetry({dir.path("none.obj")}), "cannot open " + dir.path("none.obj") + "\n");
}

// --help names the editing session; a bad --edit command line gets the
// usage with it, while no argument at all keeps the plain usage above.
TEST(CommandLine, HelpAndTheEditingSessionsCommandLine) {
    ProgramRun help = runFacetry({"--help"});
    EXPECT_EQ(0, help.exitStatus);
    EXPECT_EQ("", help.errorOutput);
    EXPECT_EQ(0u, help.output.find("Usage: facetry INPUT [OUTPUT]\n       facetry --edit INPUT [OUTPUT]\n"));
    for (const char* key : {"w  save", "u  undo", "y  redo", "e  export", "v  view back", "h  list", "q  quit"})
        EXPECT_NE(std::string::npos, help.output.find(key)) << key;
    const std::string usage =
        "\nSyntax: facetry [input] [output]\n        facetry --edit input [output]\n        facetry --help\n\n";
    expectFatal(runFacetry({"--edit"}), usage);
    expectFatal(runFacetry({"--edit", "a.mesh", "b.mesh", "c.mesh"}), usage);
    TempDir dir;
    expectFatal(runFacetry({"--edit", dir.path("none.obj")}), "cannot open " + dir.path("none.obj") + "\n");
    expectFatal(runFacetry({"--edit", dir.write("bad.mesh", "numV = -1"), dir.path("out.mesh")}),
                "parse error, numVertices\n");
    struct stat info;
    EXPECT_NE(stat(dir.path("out.mesh").c_str(), &info), 0) << "an output file was written";
}
