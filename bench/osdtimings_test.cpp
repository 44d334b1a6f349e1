// The two libraries side by side: OpenSubdiv's uniform refinement with smooth
// boundaries and corners must give Facetry's surface, point for point after
// welding, on closed, open and mixed meshes, one level further for a control
// mesh that is not all quads; and the check must notice a surface that is off.
#include "osdtimings.h"

#include <gtest/gtest.h>

#include "benchmeshes.h"
#include "creasedmeshes.h"
#include "facetrytimings.h"
#include "support/pointmatch.h"

using namespace facetry;

namespace {

// Facetry's distinct points at `level` over its own copy of the mesh (a
// control mesh carries one surface), and the OpenSubdiv level of the same surface.
std::vector<Vector> facetryPoints(const std::string& text, int level, int& osdLevel) {
    std::unique_ptr<Mesh> mesh = loadText(text);
    std::unique_ptr<MrMesh> surface = buildQuietly(*mesh);
    osdLevel = level + (surface->isAllQuads() ? 0 : 1);
    for (int k = 0; k < level; ++k) EXPECT_TRUE(surface->subdivide());
    return weldedSurfacePoints(*surface);
}

TEST(OpenSubdivAgreement, SameSurfaceOnEveryKindOfMesh) {
    std::vector<BenchMesh> inputs = bundledExamples(FACETRY_SOURCE_DIR "/examples");
    inputs.push_back(mixedTorus());
    for (const BenchMesh& input : inputs) {
        std::unique_ptr<Mesh> mesh = loadText(input.text);
        for (int level = 1; level <= 3; ++level) {
            SCOPED_TRACE(input.name + " level " + std::to_string(level));
            int osdLevel = 0;
            std::vector<Vector> ours = facetryPoints(input.text, level, osdLevel);
            OsdFigures osd = runOpenSubdiv(*mesh, osdLevel, 1);
            EXPECT_EQ(osd.level, osdLevel);
            WeldResult weld = compareWelded(ours, osd.points, 1e-5 * meshSize(*mesh));
            EXPECT_TRUE(weld.matched()) << weld.summary();
            EXPECT_GT(osd.topologySeconds, 0);
            EXPECT_GT(osd.peakBytes, 0u);
        }
    }
}

// The creased variants load with their tags (about 5% of the interior edges
// sharp, some corners) and give OpenSubdiv's creased surface.
TEST(OpenSubdivAgreement, SameCreasedSurface) {
    for (const BenchMesh& input : {creasedVariant(mixedTorus(), 5), creasedVariant(openPatch(), 6)}) {
        std::unique_ptr<Mesh> mesh = loadText(input.text);
        int interior = 0, sharp = 0, corners = 0;
        for (int e = 0; e < mesh->numEdges(); ++e) {
            interior += !mesh->edge(e)->onBoundary();
            sharp += mesh->edge(e)->sharpness() > 0;
        }
        for (int v = 0; v < mesh->numVertices(); ++v) corners += mesh->vertex(v)->sharpness() > 0;
        EXPECT_GT(sharp, interior / 40);
        EXPECT_LT(sharp, interior / 10);
        EXPECT_GT(corners, 0);
        for (int level = 1; level <= 3; ++level) {
            SCOPED_TRACE(input.name + " level " + std::to_string(level));
            int osdLevel = 0;
            std::vector<Vector> ours = facetryPoints(input.text, level, osdLevel);
            WeldResult weld = compareWelded(ours, runOpenSubdiv(*mesh, osdLevel, 1).points, 1e-5 * meshSize(*mesh));
            EXPECT_TRUE(weld.matched()) << weld.summary();
        }
    }
}

TEST(OpenSubdivAgreement, MovedControlVertexIsNoticed) {
    const std::string text = bundledExamples(FACETRY_SOURCE_DIR "/examples")[0].text;
    std::unique_ptr<Mesh> moved = loadText(text);
    moved->vertex(0)->setPosition(moved->vertex(0)->position() + Vector(0.05f, 0, 0));
    int osdLevel = 0;
    std::vector<Vector> points = facetryPoints(text, 2, osdLevel);
    WeldResult weld = compareWelded(points, runOpenSubdiv(*moved, osdLevel, 1).points, 1e-5 * meshSize(*moved));
    EXPECT_TRUE(weld.countsEqual);
    EXPECT_GT(weld.unmatched, 0u);
}

}  // namespace
