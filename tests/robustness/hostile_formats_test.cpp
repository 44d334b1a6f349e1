// Hostile input to the OBJ and OFF readers, in process: lines and streams of
// up to a gigabyte, counts at the edge of 32 bits, nothing but whitespace.
// Each must end in a clear message naming the file and line, having held no
// more memory than a bounded line.

#include <gtest/gtest.h>

#include <chrono>
#include <istream>
#include <string>

#include "generated_stream.h"
#include "mesh/meshfile.h"

using namespace facetry;

namespace {

constexpr long long kGigabyte = 1LL << 30;
// Memory any of these inputs may add to the test process.
constexpr double kMemoryBoundMb = 64;

// The fatal message of one load (empty when it loaded) and its cost.
struct Outcome {
    std::string fatal;   // the LoadError message, or empty
    double addedMb = 0;  // growth of the process's peak memory
    double seconds = 0;  // wall time of the load
};

template <class Load>
Outcome measure(Load load) {
    Outcome outcome;
    const double peakBefore = peakResidentMb();
    const auto start = std::chrono::steady_clock::now();
    Mesh mesh;
    try {
        load(mesh, [](const std::string&) {});
    } catch (const LoadError& error) {
        outcome.fatal = error.what();
    }
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    outcome.addedMb = peakResidentMb() - peakBefore;
    std::printf("%.3f s, peak memory +%.1f MB: %s\n", outcome.seconds, outcome.addedMb, outcome.fatal.c_str());
    return outcome;
}

Outcome loadGeneratedObj(GeneratedBuffer& buffer) {
    return measure([&buffer](Mesh& mesh, const MessageSink& sink) {
        std::istream input(&buffer);
        loadObj(input, "hostile.obj", mesh, sink);
    });
}

Outcome loadGeneratedOff(GeneratedStream& stream) {
    return measure([&stream](Mesh& mesh, const MessageSink& sink) {
        loadOff(stream.file(), "hostile.off", mesh, sink);
    });
}

Outcome loadOffText(const std::string& text) {
    GeneratedStream stream(text, " ", static_cast<long long>(text.size()));
    return loadGeneratedOff(stream);
}

}  // namespace

// A gigabyte line is refused once it is known to be too long, whatever the
// statement, instead of being gathered into memory.
TEST(ObjHugeLine, GigabyteLinesAreRefusedInBoundedMemory) {
    const char* const prefixes[] = {"v 0 0 0\nv 1 0 0\nv 1", "f 1 2 3", "# a comment that goes on "};
    for (const char* prefix : prefixes) {
        SCOPED_TRACE(prefix);
        GeneratedBuffer buffer(prefix, prefix[0] == 'f' ? " 1 2 3" : "1234567890", kGigabyte, "\n");
        Outcome outcome = loadGeneratedObj(buffer);
        EXPECT_NE(outcome.fatal.find("hostile.obj:"), std::string::npos) << outcome.fatal;
        EXPECT_NE(outcome.fatal.find("line too long"), std::string::npos) << outcome.fatal;
        EXPECT_LT(outcome.addedMb, kMemoryBoundMb);
        EXPECT_LT(buffer.bytesRead(), 1 << 20);
    }
}

// Many short lines are fine however many there are: memory follows what is
// kept (nothing, for texture coordinates and comments), not the file size.
TEST(ObjHugeLine, LongRunOfIgnoredStatementsLoadsInBoundedMemory) {
    GeneratedBuffer buffer("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", "vt 0.5 0.5\n# note\n", 64LL << 20);
    Outcome outcome = loadGeneratedObj(buffer);
    EXPECT_EQ(outcome.fatal, "");
    EXPECT_LT(outcome.addedMb, kMemoryBoundMb);
}

TEST(OffHostile, CountsNearTheIntLimitEndAtTheMissingRecord) {
    EXPECT_EQ(loadOffText("OFF\n2147483647 1 0\n0 0 0\n1 0 0\n0 1 0\n").fatal,
              "hostile.off:6: vertex 3: the file ends inside the vertices");
    EXPECT_EQ(loadOffText("OFF\n3 2147483647 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n").fatal,
              "hostile.off:7: face 1: the file ends before the last face");
    EXPECT_EQ(loadOffText("OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n2147483647 0 1 2\n").fatal,
              "hostile.off:7: face 0: the file ends inside the face");
    EXPECT_EQ(loadOffText("OFF\n2147483648 1 0\n").fatal, "hostile.off:2: expected the vertex count");
}

TEST(OffHostile, EndlessFaceAndGigabyteNumeralsInBoundedMemory) {
    GeneratedStream face("OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n2147483647 ", "0 1 2 ", 128LL << 20);
    Outcome endless = loadGeneratedOff(face);
    EXPECT_EQ(endless.fatal, "hostile.off:6: face 0: the file ends inside the face");
    EXPECT_EQ(face.bytesRead(), face.size());
    EXPECT_LT(endless.addedMb, kMemoryBoundMb);

    GeneratedStream digits("OFF\n3 1 0\n0 ", "7", kGigabyte);
    Outcome numeral = loadGeneratedOff(digits);
    EXPECT_EQ(numeral.fatal, "hostile.off:3: vertex 0: expected three numbers x y z");
    EXPECT_LT(digits.bytesRead(), 1 << 20);
    EXPECT_LT(numeral.addedMb, kMemoryBoundMb);
}

TEST(OffHostile, WhitespaceOnlyIsNotAnOffFile) {
    GeneratedStream blanks("", " \n\t", 64LL << 20);
    Outcome outcome = loadGeneratedOff(blanks);
    EXPECT_EQ(outcome.fatal.rfind("hostile.off:", 0), 0u) << outcome.fatal;
    EXPECT_NE(outcome.fatal.find("not an OFF file (it must begin with OFF)"), std::string::npos);
    EXPECT_EQ(blanks.bytesRead(), blanks.size());
    EXPECT_LT(outcome.addedMb, kMemoryBoundMb);
}
