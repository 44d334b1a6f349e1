// The benchmark's bookkeeping of Facetry's surface: the distinct points it
// divides by must be those of the level, worked out from the level-0 counts;
// the loader check must refuse a mesh that is not clean; and a surface of a
// million faces must keep within its memory goals.
#include "facetrytimings.h"

#include <gtest/gtest.h>

#include "benchmeshes.h"

using namespace facetry;

namespace {

TEST(FacetryBookkeeping, PointCountsAndBytesFollowTheLevel) {
    for (const BenchMesh& input : bundledExamples(FACETRY_SOURCE_DIR "/examples")) {
        std::unique_ptr<Mesh> mesh = loadText(input.text);
        std::unique_ptr<MrMesh> surface = buildQuietly(*mesh);
        const std::size_t v = surface->numVertices(), e = surface->numEdges(), f = surface->numFaces();
        for (int level = 0; level <= 3; ++level) {
            SCOPED_TRACE(input.name + " level " + std::to_string(level));
            if (level > 0) {
                ASSERT_TRUE(surface->subdivide());
            }
            const std::size_t inner = (std::size_t(1) << level) - 1;
            EXPECT_EQ(weldedPointCount(*surface), v + e * inner + f * inner * inner);
            EXPECT_EQ(weldedSurfacePoints(*surface).size(), weldedPointCount(*surface));
        }
    }
}

TEST(FacetryBookkeeping, MeshWithDroppedFaceIsRefused) {
    // The second face repeats a vertex: the loader drops it with a message.
    const std::string text = "numV = 4 0 0 0 1 0 0 1 1 0 0 1 0 numE = 5 numF = 2 0 1 2 3 -1 0 1 1 -1";
    EXPECT_THROW(loadText(text), LoadError);
    EXPECT_THROW(loadText("numV = x"), LoadError);
}

// A million quads refined to level 3 (64 million points): the memory the
// surface holds at its peak stays within 3 times the bytes of its distinct
// points at level 2 and within 2 times at level 3.
TEST(FacetryMemory, AMillionFacesStayWithinTheMemoryGoals) {
    const FacetryFigures figures = runFacetry(quadTorusOf(1000, 1000).text, 3, 1, 0);
    ASSERT_EQ(figures.levels.size(), 3u);
    for (int level : {2, 3}) {
        const FacetryLevelFigures& at = figures.levels[level - 1];
        SCOPED_TRACE("level " + std::to_string(level));
        EXPECT_EQ(at.weldedPoints, 1000000u * (std::size_t(1) << (2 * level)));
        EXPECT_LE(at.peakBytes, (level == 2 ? 3 : 2) * at.pointBytes()) << at.peakBytes / double(at.pointBytes());
    }
}

}  // namespace
