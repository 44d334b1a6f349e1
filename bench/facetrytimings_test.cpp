// The benchmark's bookkeeping of Facetry's surface: the distinct points and
// the stored bytes it divides by must be those of the level, worked out from
// the level-0 counts, and the loader check must refuse a mesh that is not
// clean.
#include "facetrytimings.h"

#include <gtest/gtest.h>

#include "benchmeshes.h"

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
            const std::size_t inner = (std::size_t(1) << level) - 1, d = inner + 2;
            EXPECT_EQ(weldedPointCount(*surface), v + e * inner + f * inner * inner);
            EXPECT_EQ(weldedSurfacePoints(*surface).size(), weldedPointCount(*surface));
            EXPECT_EQ(storedPointBytes(*surface), 24 * v + 12 * e * d + 12 * f * d * d);
        }
    }
}

TEST(FacetryBookkeeping, MeshWithDroppedFaceIsRefused) {
    // The second face repeats a vertex: the loader drops it with a message.
    const std::string text = "numV = 4 0 0 0 1 0 0 1 1 0 0 1 0 numE = 5 numF = 2 0 1 2 3 -1 0 1 1 -1";
    EXPECT_THROW(loadText(text), LoadError);
    EXPECT_THROW(loadText("numV = x"), LoadError);
}

}  // namespace
