// The real facetry binary on command lines and files that end before any
// window opens: its standard error byte for byte, its standard output and its
// exit status (255 for exit(-1)).

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

// What one run of the program left behind.
struct Run {
    int status = -1;     // exit status, or -1 if it did not exit normally
    std::string out;     // standard output
    std::string err;     // standard error
};

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A scratch directory for the files of one test, removed with them.
class Scratch {
public:
    Scratch() {
        char name[] = "/tmp/facetry-cli-XXXXXX";
        dir = mkdtemp(name) ? name : "/tmp/facetry-cli-unavailable";
    }
    ~Scratch() {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
    std::string write(const std::string& name, const std::string& text) const {
        std::string path = dir + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    std::string dir;  // the directory's path
};

// Runs the binary with `args`; stops it after 30 seconds, which counts as a failure.
Run runFacetry(const std::vector<std::string>& args, const Scratch& scratch) {
    const std::string outPath = scratch.dir + "/.stdout", errPath = scratch.dir + "/.stderr";
    pid_t child = fork();
    if (child == 0) {
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out, 1);
        dup2(err, 2);
        unsetenv("DISPLAY");  // should the program get as far as a window, it fails instead of waiting
        std::vector<char*> argv{const_cast<char*>(FACETRY_BINARY)};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(FACETRY_BINARY, argv.data());
        _exit(127);
    }
    Run run;
    int status = 0;
    for (int waited = 0; waitpid(child, &status, WNOHANG) == 0; ++waited) {
        if (waited == 3000) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
    run.out = slurp(outPath);
    run.err = slurp(errPath);
    return run;
}

void expectFatal(const Run& run, const std::string& err) {
    EXPECT_EQ(run.err, err);
    EXPECT_EQ(run.status, 255);
    EXPECT_EQ(run.out, "");
}

const char* kTriangleVertices = "numV = 3\n0 0 0\n1 0 0\n0 1 0\n";

}  // namespace

TEST(CommandLine, WithoutArgumentPrintsTheThreeLineSyntax) {
    Scratch scratch;
    expectFatal(runFacetry({}, scratch), "\nSyntax: facetry [input] [output]\n\n");
}

TEST(CommandLine, UnopenableNamesAreReportedAsGiven) {
    Scratch scratch;
    expectFatal(runFacetry({"/nonexistent-facetry-dir/cube.mesh"}, scratch),
                "cannot open /nonexistent-facetry-dir/cube.mesh\n");
    expectFatal(runFacetry({scratch.dir}, scratch), "cannot open " + scratch.dir + "\n");
    // The name is printed as text, never used as a format.
    expectFatal(runFacetry({scratch.dir + "/100%s%n.mesh"}, scratch), "cannot open " + scratch.dir + "/100%s%n.mesh\n");
    expectFatal(runFacetry({""}, scratch), "cannot open \n");
}

TEST(CommandLine, FatalInputEndsBeforeAnyWindowWithItsMessages) {
    Scratch scratch;
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
        expectFatal(runFacetry({scratch.write("input.mesh", c.text)}, scratch), c.err);
    }
}

TEST(CommandLine, SecondArgumentIsAcceptedAndNothingIsWritten) {
    Scratch scratch;
    std::string input = scratch.write("bad.mesh", "numV = -1");
    std::string output = scratch.dir + "/out.mesh";
    expectFatal(runFacetry({input, output}, scratch), "parse error, numVertices\n");
    struct stat info;
    EXPECT_NE(stat(output.c_str(), &info), 0) << "an output file was written";
}
