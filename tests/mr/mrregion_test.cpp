// An edit recomputes only the part of the surface that the moved vertex
// reaches. Whichever control vertex moves, at whichever level, and after any
// number of earlier edits, the surface must equal to the bit what a reset
// and a full refinement from the same level-0 positions give; and elements
// far from the edit must keep their storage untouched.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "support/catalogue.h"
#include "surface_probe.h"

using namespace facetry;

namespace {

constexpr int kDeepestLevel = 4;
constexpr int kMostDrags = 24;  // per mesh and level: each is checked against a full rebuild

// The meshes edited here: the catalogue and the two larger ones above.
std::vector<CatalogueMesh> editedMeshes() {
    std::vector<CatalogueMesh> meshes = meshCatalogue();
    meshes.push_back(describeMesh("quadTorus16x12", gridTorus(16, 12), 0));
    meshes.push_back(describeMesh("mixedPatch9x7", mixedPatch(9, 7), 1));
    return meshes;
}

// A drag of control vertex v: a different offset for every vertex and step.
Vector dragged(const Vector& p, int v, int step) {
    float s = 0.05f * static_cast<float>(1 + (v + step) % 4) * ((step % 2) ? -1.0f : 1.0f);
    return p + Vector(s, -0.5f * s, 0.25f * s);
}

void refineTo(MrMesh& mr, int level) {
    while (mr.curRes() < level) ASSERT_TRUE(mr.subdivide());
}

class EditRegion : public testing::TestWithParam<int> {
protected:
    const CatalogueMesh& entry() const {
        static const std::vector<CatalogueMesh> meshes = editedMeshes();
        return meshes[GetParam()];
    }
};

}  // namespace

// Surface `edited` takes only edits; `rebuilt` takes the same edits and after
// each one a reset and a full refinement, the plain way to the same surface.
TEST_P(EditRegion, EveryEditEqualsAFullRebuildToTheBit) {
    for (int level = 0; level <= kDeepestLevel; ++level) {
        SCOPED_TRACE("level " + std::to_string(level));
        Surface edited = makeSurface(entry().control, level);
        Surface rebuilt = makeSurface(entry().control, level);
        const int count = edited.mesh->numVertices();
        // Every vertex of a small mesh twice, in a scattered order; on the
        // larger ones a scattered sample of interior, boundary and corner vertices.
        for (int step = 0; step < std::min(2 * count, kMostDrags); ++step) {
            const int v = (step * 7) % count;
            const Vector p = dragged(edited.mesh->vertex(v)->position(), v, step);
            edited.mesh->vertex(v)->setPosition(p);
            edited.mr->vertexMoved(edited.mesh->vertex(v));
            rebuilt.mesh->vertex(v)->setPosition(p);
            rebuilt.mr->vertexMoved(rebuilt.mesh->vertex(v));
            rebuilt.mr->reset();
            refineTo(*rebuilt.mr, level);

            ASSERT_EQ(edited.mr->curRes(), level);
            ASSERT_EQ(levelMismatch(*edited.mr, level), "") << "after moving vertex " << v;
            ASSERT_EQ(sharedPointMismatch(*edited.mr), "") << "after moving vertex " << v;
            std::string where;
            ASSERT_TRUE(sameBits(surfacePoints(*edited.mr), surfacePoints(*rebuilt.mr), &where))
                << "after moving vertex " << v << ": " << where;
        }
    }
}

// Coarsening and refining again after edits still gives the plain surface.
TEST_P(EditRegion, UndivideAndSubdivideAfterEditsKeepTheBits) {
    Surface s = makeSurface(entry().control, 3);
    for (int v = 0; v < s.mesh->numVertices(); v += 2) {
        s.mesh->vertex(v)->setPosition(dragged(s.mesh->vertex(v)->position(), v, 1));
        s.mr->vertexMoved(s.mesh->vertex(v));
    }
    const std::vector<Vector> atThree = surfacePoints(*s.mr);
    s.mr->undivide();
    ASSERT_TRUE(s.mr->subdivide());
    std::string where;
    EXPECT_TRUE(sameBits(atThree, surfacePoints(*s.mr), &where)) << where;
}

INSTANTIATE_TEST_SUITE_P(Meshes, EditRegion, testing::Range(0, static_cast<int>(editedMeshes().size())),
                         [](const testing::TestParamInfo<int>& instance) { return editedMeshes()[instance.param].name; });

// A drag on a large surface must not rebuild it: an edit writes the level's
// points of the elements near the moved vertex and of no other.
TEST(EditRegionReach, AnEditWritesOnlyNearTheMovedVertex) {
    Surface s = makeSurface(gridTorus(16, 12), 3);
    const MrMesh& mr = *s.mr;
    const LevelPoints points = mr.points(3);
    const std::size_t edgeInner = points.edgeInnerCount(), faceInner = points.faceInnerCount();
    // Every stored point of level 3 gets a mark that no refinement gives.
    const Vector mark(1e30f, -1e30f, 1e30f);
    std::fill(points.edges, points.edges + mr.numEdges() * edgeInner, mark);
    std::fill(points.faces, points.faces + mr.numFaces() * faceInner, mark);

    const int v = 5 * 12 + 6;
    s.mesh->vertex(v)->setPosition(s.mesh->vertex(v)->position() + Vector(0, 0, 0.3f));
    s.mr->vertexMoved(s.mesh->vertex(v));

    auto written = [&mark](const Vector* first, std::size_t count) {
        return std::any_of(first, first + count, [&mark](const Vector& p) { return p != mark; });
    };
    int facesWritten = 0, edgesWritten = 0;
    for (int i = 0; i < mr.numFaces(); ++i) facesWritten += written(points.faceInner(i), faceInner);
    for (int i = 0; i < mr.numEdges(); ++i) edgesWritten += written(points.edgeInner(i), edgeInner);
    // Each step reaches one ring of faces further: a level-3 edit of a
    // regular quad mesh rewrites the 6 x 6 faces around the vertex, out of 192.
    EXPECT_EQ(facesWritten, 6 * 6);
    EXPECT_LE(edgesWritten, 2 * 7 * 7);
    for (int k = 0; k < s.mesh->vertex(v)->faceVal(); ++k) {
        const int f = s.mesh->vertex(v)->face(k)->id;
        EXPECT_TRUE(written(points.faceInner(f), faceInner)) << "face " << f;
    }
}

// Whoever keeps a copy of the points hears of every face whose grid an edit
// changed, border included, at every level.
TEST(EditRegionReach, TheChangedFacesAreReported) {
    for (int level = 0; level <= 3; ++level) {
        SCOPED_TRACE("level " + std::to_string(level));
        Surface s = makeSurface(mixedPatch(9, 7), level);
        std::vector<int> reported;
        bool everything = false;
        s.mr->setChangeListener([&](const std::vector<int>* faces) {
            if (faces)
                reported.insert(reported.end(), faces->begin(), faces->end());
            else
                everything = true;
        });
        auto grids = [&s] {
            std::vector<std::vector<Vector>> all;
            for (int f = 0; f < s.mr->numFaces(); ++f) {
                const int n = s.mr->face(f)->gridSize();
                all.emplace_back();
                for (int i = 0; i < n; ++i)
                    for (int j = 0; j < n; ++j) all.back().push_back(s.mr->face(f)->point(i, j));
            }
            return all;
        };
        for (int v : {0, 23, 41}) {
            const auto before = grids();
            reported.clear();
            s.mesh->vertex(v)->setPosition(dragged(s.mesh->vertex(v)->position(), v, 1));
            s.mr->vertexMoved(s.mesh->vertex(v));
            const auto after = grids();
            EXPECT_FALSE(everything);
            for (int f = 0; f < s.mr->numFaces(); ++f) {
                if (before[f] == after[f]) continue;
                EXPECT_NE(std::find(reported.begin(), reported.end(), f), reported.end())
                    << "face " << f << " changed unreported after moving vertex " << v;
            }
        }
    }
}
