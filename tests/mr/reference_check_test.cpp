// The surface against an independent refinement of the same control mesh:
// at every level each surface point, taken once, has its partner in the
// reference within 1e-5 of the mesh size.
#include <gtest/gtest.h>

#include "support/catalogue.h"
#include "surface_probe.h"

using namespace facetry;

class ReferenceCheck : public testing::TestWithParam<int> {};

TEST_P(ReferenceCheck, WeldedSurfaceMatchesReferenceRefinement) {
    const CatalogueMesh& entry = meshCatalogue()[GetParam()];
    const double tolerance = 1e-5 * meshSize(entry.control);
    Surface s = makeSurface(entry.control);
    // Level 0 of a surface over other polygons is already one step in.
    RefMesh reference = entry.allQuads ? entry.control : refineOnce(entry.control);
    for (int level = 0; level <= 4; ++level) {
        if (level > 0) {
            ASSERT_TRUE(s.mr->subdivide());
            reference = refineOnce(reference);
        }
        EXPECT_EQ(matchPointSets(weldedPoints(*s.mr), reference.points, tolerance), "") << "level " << level;
    }
}

INSTANTIATE_TEST_SUITE_P(Catalogue, ReferenceCheck, testing::Range(0, static_cast<int>(meshCatalogue().size())),
                         [](const testing::TestParamInfo<int>& instance) { return meshCatalogue()[instance.param].name; });
