// A level that does not fit in the memory available is refused: the surface
// stays exactly as it was and one line on standard error says why.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <regex>

#include "support/catalogue.h"
#include "surface_probe.h"

using namespace facetry;

namespace {

const RefMesh& torus() { return catalogueMesh("torus").control; }

// The bytes the next level's points take at the least: every vertex's
// position, every edge's inner points and every face's inner grid points.
std::size_t nextLevelPointBytes(const MrMesh& mr) {
    std::size_t points = mr.numVertices();
    for (int i = 0; i < mr.numEdges(); ++i) points += 2 * mr.edge(i)->pointCount() - 3;
    for (int i = 0; i < mr.numFaces(); ++i) {
        std::size_t n = 2 * mr.face(i)->gridSize() - 3;
        points += n * n;
    }
    return points * sizeof(Vector);
}

bool containsWord(const std::string& text, const std::string& word) {
    return std::regex_search(text, std::regex("(^|[^0-9])" + word + "([^0-9]|$)"));
}

// A memory figure of a message: its value in bytes and the size of its unit.
struct Figure {
    double bytes;  // the figure as stated, in bytes
    double unit;   // bytes per unit of the figure
};

// The memory figures of a message ("46 KiB", "0.5 MiB", "47520 bytes"), in
// the order they appear.
std::vector<Figure> statedFigures(const std::string& message) {
    static const std::regex figure("([0-9]+(\\.[0-9]+)?) ?(bytes|B|KiB|kB|MiB|MB|GiB|GB)\\b");
    std::vector<Figure> figures;
    for (auto m = std::sregex_iterator(message.begin(), message.end(), figure); m != std::sregex_iterator(); ++m) {
        const std::string u = (*m)[3];
        double unit = u == "KiB" ? 1024.0 : u == "kB" ? 1e3 : u == "MiB" ? 1048576.0 : u == "MB" ? 1e6
                    : u == "GiB" ? 1073741824.0 : u == "GB" ? 1e9 : 1.0;
        figures.push_back({std::stod((*m)[1]) * unit, unit});
    }
    return figures;
}

// Refuses the next level of `mr` with `available` bytes; returns its line,
// which the surface gives back rather than print.
std::string refusal(MrMesh& mr, std::size_t available) {
    mr.setMemoryProbe([available] { return available; });
    testing::internal::CaptureStderr();
    const Status refined = mr.subdivide();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(refined.ok);
    return refined.message;
}

// A fingerprint of every stored point, taken without copying the surface.
std::uint64_t fingerprint(const MrMesh& mr) {
    std::uint64_t hash = 1469598103934665603ull;
    auto mix = [&hash](const Vector& v) {
        std::uint32_t bits[3];
        std::memcpy(bits, &v, sizeof bits);
        for (std::uint32_t b : bits) hash = (hash ^ b) * 1099511628211ull;
    };
    for (int i = 0; i < mr.numVertices(); ++i) mix(mr.vertex(i)->position());
    for (int i = 0; i < mr.numEdges(); ++i)
        for (int k = 0; k < mr.edge(i)->pointCount(); ++k) mix(mr.edge(i)->point(k));
    for (int i = 0; i < mr.numFaces(); ++i)
        for (int a = 0; a < mr.face(i)->gridSize(); ++a)
            for (int b = 0; b < mr.face(i)->gridSize(); ++b) mix(mr.face(i)->point(a, b));
    return hash;
}

// Caps this process's address space a few megabytes above what it uses now;
// false when the system does not allow it.
bool capAddressSpace(std::size_t headroom) {
    std::ifstream statm("/proc/self/statm");
    unsigned long long pages = 0;
    statm >> pages;
    struct rlimit limit;
    limit.rlim_cur = limit.rlim_max = pages * sysconf(_SC_PAGESIZE) + headroom;
    return pages > 0 && setrlimit(RLIMIT_AS, &limit) == 0;
}

// Refines with the guard told there is plenty of room while the allocator
// has little, until an allocation fails; exits 0 when that failure left the
// surface exactly as it was.
[[noreturn, maybe_unused]] void refineUntilAllocationFails(Surface& s) {
    s.mr->setMemoryProbe([] { return std::size_t(1) << 50; });
    // Without the cap the levels below would really be allocated: stop.
    if (!capAddressSpace(std::size_t(24) << 20)) std::exit(3);
    // From level 5 of the torus, level 9 alone needs some 40 MB.
    for (int attempt = 0; attempt < 4; ++attempt) {
        const int level = s.mr->curRes();
        const std::uint64_t before = fingerprint(*s.mr);
        const Status step = s.mr->subdivide();
        if (!step) {
            bool intact = s.mr->curRes() == level && fingerprint(*s.mr) == before &&
                          levelMismatch(*s.mr, level).empty() && sharedPointMismatch(*s.mr).empty() &&
                          step.message == "Not subdivided to level " + std::to_string(level + 1) + ": not enough memory";
            std::exit(intact ? 0 : 1);
        }
    }
    std::exit(2);  // never ran out: the cap did not bite
}

}  // namespace

TEST(MemoryGuard, RefusedLevelLeavesTheSurfaceAsItWas) {
    Surface s = makeSurface(torus(), 2);
    Surface twin = makeSurface(torus(), 3);
    const std::vector<Vector> before = surfacePoints(*s.mr);
    const std::size_t needed = s.mr->bytesForNextLevel();
    EXPECT_GE(needed, nextLevelPointBytes(*s.mr));

    const std::string message = refusal(*s.mr, 4096);
    std::string where;
    EXPECT_TRUE(sameBits(surfacePoints(*s.mr), before, &where)) << where;
    EXPECT_EQ(levelMismatch(*s.mr, 2), "");
    // One line, naming the level and the bytes it would need.
    ASSERT_FALSE(message.empty());
    EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    EXPECT_TRUE(containsWord(message, "3")) << message;
    // The figure it gives is the need, to the rounding of its last digit;
    // a need of a few kilobytes is not "0.0" of a larger unit.
    const std::vector<Figure> figures = statedFigures(message);
    ASSERT_FALSE(figures.empty()) << message;
    EXPECT_GT(figures[0].bytes, 0) << message;
    EXPECT_NEAR(figures[0].bytes, double(needed), 0.05 * figures[0].unit + 0.01 * double(needed)) << message;

    // With room again the same surface refines as if nothing had happened.
    s.mr->setMemoryProbe([] { return std::size_t(1) << 40; });
    EXPECT_TRUE(s.mr->subdivide());
    EXPECT_TRUE(sameBits(surfacePoints(*s.mr), surfacePoints(*twin.mr), &where)) << where;
}

TEST(MemoryGuard, RefusalNeverStatesThatEnoughMemoryIsLeft) {
    // More than the level needs, but not once the safety margin is kept:
    // the line must not give a figure it could have fitted in.
    Surface s = makeSurface(torus(), 2);
    const std::size_t needed = s.mr->bytesForNextLevel();
    const std::string message = refusal(*s.mr, std::size_t(1) << 20);
    const std::vector<Figure> figures = statedFigures(message);
    ASSERT_GE(figures.size(), 2u) << message;
    EXPECT_LT(figures[1].bytes, double(needed)) << message;
    EXPECT_EQ(levelMismatch(*s.mr, 2), "");
}

TEST(MemoryGuard, RebuildingExistingLevelsIsNeverRefused) {
    Surface s = makeSurface(torus(), 3);
    Surface twin = makeSurface(torus(), 2);
    s.mr->setMemoryProbe([] { return std::size_t(0); });
    std::string where;

    EXPECT_TRUE(s.mr->undivide());
    EXPECT_EQ(levelMismatch(*s.mr, 2), "");
    EXPECT_TRUE(sameBits(surfacePoints(*s.mr), surfacePoints(*twin.mr), &where)) << where;

    s.mesh->vertex(5)->setPosition(s.mesh->vertex(5)->position() + Vector(0.25f, 0, 0));
    EXPECT_TRUE(s.mr->vertexMoved(s.mesh->vertex(5)));
    EXPECT_EQ(levelMismatch(*s.mr, 2), "");
    EXPECT_EQ(sharedPointMismatch(*s.mr), "");
}

TEST(MemoryGuard, SystemFigureIsPlausible) {
    const std::size_t available = systemAvailableMemory();
    EXPECT_GT(available, std::size_t(16) << 20);  // the tests themselves run in more than this
    // A default surface asks the system, and a small level fits.
    Surface s = makeSurface(torus());
    EXPECT_TRUE(s.mr->subdivide());
    EXPECT_EQ(s.mr->curRes(), 1);
}

TEST(MemoryGuardDeathTest, FailedAllocationLeavesTheSurfaceAsItWas) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves more address space than the cap allows";
#else
    Surface s = makeSurface(torus(), 5);
    EXPECT_EXIT(refineUntilAllocationFails(s), testing::ExitedWithCode(0), "");
#endif
}
