// Hostile input to the real facetry binary: files it cannot read, and
// standard input streams of hundreds of megabytes to a gigabyte. Each run
// must end with the loader's message and exit status -1 (255), within a time
// limit and a resident-memory bound.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "support/process.h"
#include "support/tempdir.h"

namespace {

constexpr long long kGigabyte = 1LL << 30;
constexpr double kTimeLimitSeconds = 120;
// Peak resident memory any run may reach (the sanitizer builds need room).
constexpr long kMemoryBoundKb = 256 * 1024;
constexpr int kFatalStatus = 255;  // exit(-1)

ProgramRun runFacetry(const std::vector<std::string>& arguments, const StdinFeeder& feeder = nullptr) {
    ProgramRun run = runProgram(FACETRY_BINARY, arguments, kTimeLimitSeconds, feeder);
    std::printf("fed %lld bytes; %.3f s, peak %ld KB, status %d\n", run.bytesFed, run.seconds,
                run.peakResidentKb, run.exitStatus);
    EXPECT_FALSE(run.timedOut);
    EXPECT_LT(run.peakResidentKb, kMemoryBoundKb);
    return run;
}

}  // namespace

// Root reads files whatever their mode, so as root the program is run as
// the unprivileged user nobody (through setpriv), for whom the file is closed.
TEST(UnusableFile, UnreadableFileCannotBeOpened) {
    TempDir scratch;
    ASSERT_FALSE(scratch.path().empty());
    ASSERT_EQ(chmod(scratch.path().c_str(), 0755), 0);
    const std::string file = scratch.path() + "/locked.mesh";
    std::ofstream(file) << "numV = 0\n";
    ASSERT_EQ(chmod(file.c_str(), 0), 0);
    ProgramRun run;
    if (access(file.c_str(), R_OK) != 0) {
        run = runFacetry({file});
    } else {
        const char* const kSetpriv = "/usr/bin/setpriv";
        if (geteuid() != 0 || access(kSetpriv, X_OK) != 0)
            GTEST_SKIP() << "this user reads files whatever their mode and cannot drop to another user";
        run = runProgram(kSetpriv, {"--reuid=65534", "--regid=65534", "--clear-groups", FACETRY_BINARY, file},
                         kTimeLimitSeconds);
    }
    EXPECT_EQ(run.errorOutput, "cannot open " + file + "\n");
    EXPECT_EQ(run.exitStatus, kFatalStatus);
}

TEST(UnusableFile, MissingFileCannotBeOpened) {
    ProgramRun run = runFacetry({"/nonexistent/facetry/none.mesh"});
    EXPECT_EQ(run.errorOutput, "cannot open /nonexistent/facetry/none.mesh\n");
    EXPECT_EQ(run.exitStatus, kFatalStatus);
}

// A gigabyte line of digits as the first coordinate: the reader gives up
// after a few hundred of them instead of buffering the line.
TEST(HugeStream, GigabyteLineOfDigitsIsRefusedQuickly) {
    ProgramRun run = runFacetry({"/dev/stdin"}, [](int fd) {
        return feedRepeated(fd, "numV = 3\n", "1234567890", kGigabyte, "\n");
    });
    EXPECT_EQ(run.errorOutput, "parse error, vertex 0\n");
    EXPECT_EQ(run.exitStatus, kFatalStatus);
    EXPECT_LT(run.bytesFed, kGigabyte);
}

// Inputs the reader must read to the end: a face that never ends and a sea
// of whitespace. Memory stays flat however long they are.
TEST(HugeStream, EndlessFaceAndEndlessWhitespaceAreReadToTheEnd) {
    const long long size = 256LL << 20;
    ProgramRun face = runFacetry({"/dev/stdin"}, [size](int fd) {
        return feedRepeated(fd, "numV = 3 0 0 0 1 0 0 0 1 0 numE = 3 numF = 1\n", "2 0 1 ", size);
    });
    EXPECT_EQ(face.errorOutput, "PARSE ERROR: face 0 has too high valence\nPARSE ERROR: face 0\n");
    EXPECT_EQ(face.exitStatus, kFatalStatus);
    EXPECT_EQ(face.bytesFed, size);

    ProgramRun blank = runFacetry({"/dev/stdin"}, [size](int fd) { return feedRepeated(fd, "", " \n\t", size); });
    EXPECT_EQ(blank.errorOutput, "parse error, numVertices\n");
    EXPECT_EQ(blank.exitStatus, kFatalStatus);
    EXPECT_EQ(blank.bytesFed, size);
}

// The same gigabyte line handed to the OBJ and OFF readers (through names
// that lead to standard input): refused after at most one bounded line.
TEST(HugeStream, GigabyteLineIsRefusedByTheObjAndOffReaders) {
    TempDir scratch;
    ASSERT_FALSE(scratch.path().empty());
    struct Case {
        const char* name;     // the link's name, which picks the reader
        const char* prefix;   // what comes before the digits
        const char* message;  // the message after the file name
    };
    const Case cases[] = {{"/stdin.obj", "v 0 0 0\nv 1 0 ", ":2: vertex line too long\n"},
                          {"/stdin.off", "OFF\n3 1 0\n0 ", ":3: vertex 0: expected three numbers x y z\n"}};
    for (const Case& c : cases) {
        const std::string link = scratch.path() + c.name;
        ASSERT_EQ(symlink("/dev/stdin", link.c_str()), 0);
        ProgramRun run = runFacetry({link}, [&c](int fd) { return feedRepeated(fd, c.prefix, "1234567890", kGigabyte); });
        EXPECT_EQ(run.errorOutput, link + c.message);
        EXPECT_EQ(run.exitStatus, kFatalStatus);
        EXPECT_LT(run.bytesFed, kGigabyte);
    }
}
