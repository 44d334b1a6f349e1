// Hostile input to the control-mesh reader, in process: counts at the edge of
// 32 bits, a face that never ends, gigabyte numerals, nothing but whitespace.
// Each must end in the right message, having read no more than it needs and
// holding memory bounded by what the input really delivers.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "generated_stream.h"
#include "mesh/mesh.h"

using namespace facetry;

namespace {

constexpr long long kGigabyte = 1LL << 30;
// Memory any of these inputs may add to the test process.
constexpr double kMemoryBoundMb = 64;

// The outcome of loading one stream: the fatal message (empty when it
// loaded), the warnings, and what it cost.
struct Load {
    std::string fatal;                  // the LoadError message, or empty
    std::vector<std::string> warnings;  // the non-fatal messages, in order
    double seconds = 0;                 // wall time of the load
    double addedMb = 0;                 // growth of the process's peak memory
    long long bytesRead = 0;            // how far into the stream the reader went
};

Load loadStream(GeneratedStream& stream, Mesh& mesh) {
    Load result;
    const double peakBefore = peakResidentMb();
    const auto start = std::chrono::steady_clock::now();
    try {
        mesh.load(stream.file(), [&result](const std::string& m) { result.warnings.push_back(m); });
    } catch (const LoadError& error) {
        result.fatal = error.what();
    }
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.addedMb = peakResidentMb() - peakBefore;
    result.bytesRead = stream.bytesRead();
    std::printf("read %lld bytes in %.3f s, peak memory +%.1f MB\n", result.bytesRead, result.seconds,
                result.addedMb);
    return result;
}

Load loadText(const std::string& text) {
    GeneratedStream stream(text, " ", static_cast<long long>(text.size()));
    Mesh mesh;
    return loadStream(stream, mesh);
}

const char* const kCubeVertices =
    "-1 -1 -1  1 -1 -1  1 1 -1  -1 1 -1  -1 -1 1  1 -1 1  1 1 1  -1 1 1\n";
const char* const kCubeFaces = "0 3 2 1 -1 4 5 6 7 -1 0 1 5 4 -1 2 3 7 6 -1 0 4 7 3 -1 1 2 6 5 -1\n";

}  // namespace

// Counts the file announces but never delivers cost nothing: the reader runs
// out of records and says where.
TEST(HugeCounts, AnnouncedCountsNearTheIntLimitEndAtTheMissingRecord) {
    Load vertices = loadText("numV = 2147483647\n0 0 0\n1 0 0\n0 1 0\n");
    EXPECT_EQ(vertices.fatal, "parse error, vertex 3");
    EXPECT_LT(vertices.addedMb, kMemoryBoundMb);

    Load faces = loadText(std::string("numV = 8\n") + kCubeVertices +
                          "numE = 12\nnumF = 2147483647\n0 3 2 1 -1\n4 5 6 7 -1\n");
    EXPECT_EQ(faces.fatal, "PARSE ERROR: face 2");
    EXPECT_LT(faces.addedMb, kMemoryBoundMb);
}

TEST(HugeCounts, EdgeBoundNearTheIntLimitLoadsWithTheTrueCount) {
    const std::string text = std::string("numV = 8\n") + kCubeVertices + "numE = 2147483647\nnumF = 6\n" + kCubeFaces;
    GeneratedStream stream(text, " ", static_cast<long long>(text.size()));
    Mesh mesh;
    Load load = loadStream(stream, mesh);
    EXPECT_EQ(load.fatal, "");
    EXPECT_EQ(load.warnings, std::vector<std::string>{"PARSE WARNING: 12 actual edges in mesh"});
    EXPECT_EQ(mesh.numEdges(), 12);
    EXPECT_EQ(mesh.numFaces(), 6);
    EXPECT_LT(load.addedMb, kMemoryBoundMb);
}

// Counts beyond 32 bits do not wrap around into something plausible.
TEST(HugeCounts, CountsBeyondTheIntLimitAreParseErrors) {
    EXPECT_EQ(loadText("numV = 2147483648\n").fatal, "parse error, numVertices");
    EXPECT_EQ(loadText("numV = 4294967299\n0 0 0 1 0 0 0 1 0\n").fatal, "parse error, numVertices");
    EXPECT_EQ(loadText("numV = -2147483648\n").fatal, "parse error, numVertices");
    EXPECT_EQ(loadText("numV = 3 0 0 0 1 0 0 0 1 0 numE = 9223372036854775807 numF = 1\n").fatal,
              "parse error: numEdges");
    EXPECT_EQ(loadText("numV = 3 0 0 0 1 0 0 0 1 0 numE = 3 numF = -1\n").fatal, "parse error: numFaces");
    EXPECT_EQ(loadText("numV = 3 0 0 0 1 0 0 0 1 0 numE = 3 numF = 1 0 1 4294967298 -1\n").fatal,
              "PARSE ERROR: face 0");
}

// A face that never ends is read through to the end of the input (it may end
// after its twentieth vertex), holding no more than twenty indices.
TEST(EndlessFace, IndicesWithoutTerminatorReadToTheEndInBoundedMemory) {
    const long long size = 128LL << 20;
    GeneratedStream stream("numV = 3 0 0 0 1 0 0 0 1 0 numE = 3 numF = 1\n", "0 1 2 ", size);
    Mesh mesh;
    Load load = loadStream(stream, mesh);
    EXPECT_EQ(load.fatal, "PARSE ERROR: face 0");
    EXPECT_EQ(load.warnings, std::vector<std::string>{"PARSE ERROR: face 0 has too high valence"});
    EXPECT_EQ(load.bytesRead, size);
    EXPECT_LT(load.addedMb, kMemoryBoundMb);
    EXPECT_LT(load.seconds, 60);
}

// A gigabyte of digits where a number belongs is refused after a few hundred
// characters, wherever it stands.
TEST(GigabyteNumeral, RefusedEarlyInEveryPosition) {
    struct Case {
        const char* prefix;   // the input up to where the digits start
        const char* message;  // the fatal message expected
    };
    const Case cases[] = {
        {"numV = ", "parse error, numVertices"},
        {"numV = 3\n0 ", "parse error, vertex 0"},
        {"numV = 3\n0 0 0 1 0 0 0 1 0\nnumE = ", "parse error: numEdges"},
        {"numV = 3\n0 0 0 1 0 0 0 1 0\nnumE = 3 numF = ", "parse error: numFaces"},
        {"numV = 3\n0 0 0 1 0 0 0 1 0\nnumE = 3 numF = 1\n0 1 ", "PARSE ERROR: face 0"},
        {"numV = 3\n0.", "parse error, vertex 0"},
        {"numV = 3\n0 0 1e", "parse error, vertex 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.prefix);
        GeneratedStream stream(c.prefix, "7", kGigabyte);
        Mesh mesh;
        Load load = loadStream(stream, mesh);
        EXPECT_EQ(load.fatal, c.message);
        EXPECT_LT(load.bytesRead, 1 << 20);
        EXPECT_LT(load.addedMb, kMemoryBoundMb);
    }
}

// Whitespace of every kind, and no whitespace at all, are a missing count.
TEST(EmptyInput, WhitespaceOnlyOrNothingIsAMissingVertexCount) {
    GeneratedStream blanks("", " \t\n\r\v\f", 64LL << 20);
    Mesh mesh;
    Load load = loadStream(blanks, mesh);
    EXPECT_EQ(load.fatal, "parse error, numVertices");
    EXPECT_EQ(load.bytesRead, blanks.size());
    EXPECT_LT(load.addedMb, kMemoryBoundMb);

    EXPECT_EQ(loadText("").fatal, "parse error, numVertices");
    EXPECT_EQ(loadText(std::string("\0\0\0", 3)).fatal, "parse error, numVertices");
}
