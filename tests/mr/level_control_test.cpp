// Invariants of the level operations over the whole mesh catalogue: shared
// points stay equal, counts follow the level, coarser levels come back bit
// for bit, and an edit equals a fresh build from the moved control mesh.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "support/capture.h"
#include "support/catalogue.h"
#include "surface_probe.h"

using namespace facetry;

namespace {

constexpr int kDeepestLevel = 4;

class LevelControl : public testing::TestWithParam<int> {
protected:
    const CatalogueMesh& entry() const { return meshCatalogue()[GetParam()]; }
    double tolerance() const { return 1e-5 * meshSize(entry().control); }
};

// A control vertex that faces use, away from index 0 where possible.
int movedVertex(const CatalogueMesh& entry) {
    int candidate = static_cast<int>(entry.control.points.size()) / 2;
    return candidate == entry.unusedVertex ? candidate + 1 : candidate;
}

// Where the moved vertex goes: off its place in all three coordinates.
RefPoint movedPosition(const RefPoint& p) {
    return {static_cast<float>(p.x + 0.3), static_cast<float>(p.y - 0.2), static_cast<float>(p.z + 0.45)};
}

// The largest coordinate difference between two point lists of equal length.
double largestDifference(const std::vector<Vector>& a, const std::vector<Vector>& b) {
    double worst = 0;
    for (std::size_t k = 0; k < a.size(); ++k)
        worst = std::max({worst, std::abs(double(a[k].x) - b[k].x), std::abs(double(a[k].y) - b[k].y),
                          std::abs(double(a[k].z) - b[k].z)});
    return worst;
}

// The surface vertices whose level-0 position may depend on control vertex v.
std::set<int> dependents(const Mesh& mesh, const MrMesh& mr, int v) {
    std::set<int> ids;
    const MeshVertex* moved = mesh.vertex(v);
    if (mr.isAllQuads()) return {moved->mrVertex()->id};
    for (int i = 0; i < moved->faceVal(); ++i) {
        const MeshFace* f = moved->face(i);
        ids.insert(f->mrVertex()->id);
        for (int j = 0; j < f->valence(); ++j) {
            ids.insert(f->edge(j)->mrVertex()->id);
            ids.insert(f->vertex(j)->mrVertex()->id);
        }
    }
    return ids;
}

}  // namespace

TEST_P(LevelControl, SharedPointsEqualAndCountsFollowTheLevel) {
    Surface s = makeSurface(entry().control);
    for (int level = 0; level <= kDeepestLevel; ++level) {
        if (level > 0) {
            ASSERT_TRUE(s.mr->subdivide());
        }
        ASSERT_EQ(levelMismatch(*s.mr, level), "") << "level " << level;
        ASSERT_EQ(sharedPointMismatch(*s.mr), "") << "level " << level;
    }
    s.mr->undivide();
    EXPECT_EQ(levelMismatch(*s.mr, kDeepestLevel - 1), "");
    EXPECT_EQ(sharedPointMismatch(*s.mr), "");
    s.mr->reset();
    EXPECT_EQ(levelMismatch(*s.mr, 0), "");
    EXPECT_EQ(sharedPointMismatch(*s.mr), "");
}

TEST_P(LevelControl, CoarserLevelsComeBackBitForBit) {
    Surface s = makeSurface(entry().control);
    const std::vector<Vector> level0 = surfacePoints(*s.mr);
    std::string where;
    s.mr->undivide();  // nothing at level 0
    EXPECT_TRUE(sameBits(surfacePoints(*s.mr), level0, &where)) << where;
    s.mr->reset();
    EXPECT_TRUE(sameBits(surfacePoints(*s.mr), level0, &where)) << where;

    s.mr->subdivide();
    s.mr->subdivide();
    const std::vector<Vector> level2 = surfacePoints(*s.mr);
    s.mr->subdivide();
    s.mr->undivide();
    EXPECT_EQ(s.mr->curRes(), 2);
    const std::vector<Vector> undivided = surfacePoints(*s.mr);
    s.mr->reset();
    EXPECT_TRUE(sameBits(surfacePoints(*s.mr), level0, &where)) << where;
    s.mr->subdivide();
    s.mr->subdivide();
    EXPECT_TRUE(sameBits(undivided, surfacePoints(*s.mr), &where)) << where;
    EXPECT_TRUE(sameBits(level2, undivided, &where)) << where;
}

TEST_P(LevelControl, VertexMovedEqualsAFreshBuildOfTheMovedMesh) {
    const int v = movedVertex(entry());
    RefMesh moved = entry().control;
    moved.points[v] = movedPosition(moved.points[v]);
    const RefPoint& p = moved.points[v];
    for (int level : {0, 1, 3}) {
        Surface edited = makeSurface(entry().control, level);
        edited.mesh->vertex(v)->setPosition(Vector(p.x, p.y, p.z));
        edited.mr->vertexMoved(edited.mesh->vertex(v));
        ASSERT_EQ(levelMismatch(*edited.mr, level), "");
        ASSERT_EQ(sharedPointMismatch(*edited.mr), "");
        Surface fresh = makeSurface(moved, level);
        std::vector<Vector> a = surfacePoints(*edited.mr), b = surfacePoints(*fresh.mr);
        ASSERT_EQ(a.size(), b.size());
        EXPECT_LE(largestDifference(a, b), tolerance()) << "level " << level;
    }
}

TEST_P(LevelControl, DragOverEveryVertexEqualsAFullRebuildBitForBit) {
    // Each edit, however it saves work, must leave exactly the points that
    // resetting and refining again from level 0 gives.
    Surface s = makeSurface(entry().control, 3);
    std::string where;
    for (int v = 0; v < s.mesh->numVertices(); ++v) {
        MeshVertex* control = s.mesh->vertex(v);
        for (int motion = 1; motion <= 2; ++motion) {
            control->setPosition(control->position() + Vector(0.05f * motion, -0.03f, 0.02f * v));
            s.mr->vertexMoved(control);
            const std::vector<Vector> edited = surfacePoints(*s.mr);
            s.mr->reset();
            for (int level = 1; level <= 3; ++level) s.mr->subdivide();
            ASSERT_TRUE(sameBits(edited, surfacePoints(*s.mr), &where)) << "vertex " << v << ": " << where;
        }
    }
}

TEST_P(LevelControl, VertexMovedAtLevelZeroChangesOnlyItsDependents) {
    const int v = movedVertex(entry());
    Surface s = makeSurface(entry().control);
    std::vector<Vector> before;
    for (int i = 0; i < s.mr->numVertices(); ++i) before.push_back(s.mr->vertex(i)->position());
    const RefPoint p = movedPosition(entry().control.points[v]);
    s.mesh->vertex(v)->setPosition(Vector(p.x, p.y, p.z));
    s.mr->vertexMoved(s.mesh->vertex(v));
    EXPECT_EQ(levelMismatch(*s.mr, 0), "");
    EXPECT_EQ(sharedPointMismatch(*s.mr), "");

    const std::set<int> allowed = dependents(*s.mesh, *s.mr, v);
    std::set<int> changed;
    for (int i = 0; i < s.mr->numVertices(); ++i)
        if (s.mr->vertex(i)->position() != before[i]) changed.insert(i);
    for (int i : changed) EXPECT_TRUE(allowed.count(i)) << "surface vertex " << i << " moved";
    // The moved vertex's own point and the face points around it do change.
    EXPECT_TRUE(changed.count(s.mesh->vertex(v)->mrVertex()->id));
    if (entry().allQuads) {
        EXPECT_EQ(changed.size(), 1u);
        EXPECT_EQ(s.mesh->vertex(v)->mrVertex()->position(), Vector(p.x, p.y, p.z));
    } else {
        for (int i = 0; i < s.mesh->vertex(v)->faceVal(); ++i)
            EXPECT_TRUE(changed.count(s.mesh->vertex(v)->face(i)->mrVertex()->id));
    }
}

INSTANTIATE_TEST_SUITE_P(Catalogue, LevelControl, testing::Range(0, static_cast<int>(meshCatalogue().size())),
                         [](const testing::TestParamInfo<int>& instance) { return meshCatalogue()[instance.param].name; });

// Both catalogue meshes with a vertex that no face uses, one per path.
TEST(LevelControlUnusedVertex, KeepsItsPlaceAtEveryLevel) {
    int checked = 0;
    for (const CatalogueMesh& entry : meshCatalogue()) {
        if (entry.unusedVertex < 0) continue;
        SCOPED_TRACE(entry.name);
        ++checked;
        const int unused = entry.unusedVertex;
        Surface s = makeSurface(entry.control);
        const MeshVertex* control = s.mesh->vertex(unused);
        const Vector place = control->position();
        for (int level = 0; level <= kDeepestLevel; ++level) {
            if (level > 0) {
                ASSERT_TRUE(s.mr->subdivide());
            }
            ASSERT_EQ(control->mrVertex()->position(), place) << "level " << level;
        }
        // Edits elsewhere and coarsening leave it where it is.
        const int v = movedVertex(entry);
        s.mesh->vertex(v)->setPosition(s.mesh->vertex(v)->position() + Vector(0.1f, 0, 0));
        s.mr->vertexMoved(s.mesh->vertex(v));
        s.mr->undivide();
        EXPECT_EQ(s.mr->curRes(), kDeepestLevel - 1);
        EXPECT_EQ(control->mrVertex()->position(), place);
        // Moving it runs without complaint and keeps the level.
        s.mesh->vertex(unused)->setPosition(place + Vector(1, 1, 1));
        s.mr->vertexMoved(s.mesh->vertex(unused));
        EXPECT_EQ(s.mr->curRes(), kDeepestLevel - 1);
        EXPECT_EQ(sharedPointMismatch(*s.mr), "");
    }
    EXPECT_EQ(checked, 2);
}

// Edits of a surface whose elements were moved to other levels one by one
// through their handles. The surface's level is vertex 0's; the edit must
// leave every element there, as the surface a reset and that many steps
// give from the new level-0 positions, and the level operations must go on
// from it as from any other surface.
namespace {

RefMesh oneQuad() { return {{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, 3}}}; }
RefMesh oneTriangle() { return {{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}}; }

struct MixedLevels {
    const char* name;
    RefMesh control;
    int subdivisions;                      // whole-surface steps first
    std::function<void(MrMesh&)> handles;  // then per-element steps and resets
    int level;                             // the level the edit keeps: vertex 0's
};

const std::vector<MixedLevels>& mixedLevels() {
    static const std::vector<MixedLevels> cases = {
        {"uniform quad at 2", oneQuad(), 2, [](MrMesh&) {}, 2},
        {"quad vertex 0 refined alone", oneQuad(), 0, [](MrMesh& mr) { mr.vertex(0)->refine(); }, 1},
        {"quad vertex 1 reset from 2", oneQuad(), 2, [](MrMesh& mr) { mr.vertex(1)->reset(); }, 2},
        {"quad edge 0 and its ends reset from 1", oneQuad(), 1,
         [](MrMesh& mr) {
             mr.vertex(0)->reset();
             mr.vertex(1)->reset();
             mr.edge(0)->reset();
         },
         0},
        {"quad face refined ahead", oneQuad(), 1, [](MrMesh& mr) { mr.face(0)->refine(); }, 1},
        {"quad edge refined ahead", oneQuad(), 1, [](MrMesh& mr) { mr.edge(1)->refine(); }, 1},
        {"triangle vertex 2 refined alone", oneTriangle(), 1, [](MrMesh& mr) { mr.vertex(2)->refine(); }, 1},
        {"triangle face 1 refined ahead", oneTriangle(), 2, [](MrMesh& mr) { mr.face(1)->refine(); }, 2},
    };
    return cases;
}

// The described result: the same edit at level 0, then `level` steps.
Surface editedFromLevelZero(const RefMesh& control, const Vector& p, int level) {
    Surface s = makeSurface(control);
    s.mesh->vertex(0)->setPosition(p);
    s.mr->vertexMoved(s.mesh->vertex(0));
    for (int k = 0; k < level; ++k) s.mr->subdivide();
    return s;
}

}  // namespace

TEST(LevelControlMixedLevels, VertexMovedBringsEveryElementToTheSurfaceLevel) {
    const Vector p(0.25f, 0.5f, 0.75f);
    for (const MixedLevels& c : mixedLevels()) {
        SCOPED_TRACE(c.name);
        Surface s = makeSurface(c.control, c.subdivisions);
        c.handles(*s.mr);
        s.mesh->vertex(0)->setPosition(p);
        ASSERT_TRUE(s.mr->vertexMoved(s.mesh->vertex(0)));
        std::string where;
        for (int step : {0, 1, -1}) {
            if (step > 0) {
                ASSERT_TRUE(s.mr->subdivide());
            } else if (step < 0) {
                ASSERT_TRUE(s.mr->undivide());
            }
            const int level = c.level + (step > 0 ? 1 : 0);
            SCOPED_TRACE("level " + std::to_string(level));
            ASSERT_EQ(levelMismatch(*s.mr, level), "");
            EXPECT_EQ(sharedPointMismatch(*s.mr), "");
            Surface expected = editedFromLevelZero(c.control, p, level);
            EXPECT_TRUE(sameBits(surfacePoints(*s.mr), surfacePoints(*expected.mr), &where)) << where;
            EXPECT_EQ(captureStdout([&] { s.mr->print(); }), captureStdout([&] { expected.mr->print(); }));
        }
    }
}

// The one quad with vertex 1 reset from level 2, then vertex 0 moved: both
// are the boundary rule's points twice over, 0.75 P + 0.125 (A + B) with A
// and B the neighbours along the edges (at level 1 the edge midpoints).
TEST(LevelControlMixedLevels, ResetVertexTakesTheBoundaryRuleOfTheMovedCorner) {
    Surface s = makeSurface(oneQuad(), 2);
    s.mr->vertex(1)->reset();
    s.mesh->vertex(0)->setPosition(Vector(0.25f, 0.5f, 0.75f));
    ASSERT_TRUE(s.mr->vertexMoved(s.mesh->vertex(0)));
    EXPECT_EQ(s.mr->vertex(1)->curRes(), 2);
    // Level 1: (0.90625, 0.1875, 0.09375); edge midpoints (0.625, 0.25, 0.375) and (1, 0.5, 0).
    EXPECT_EQ(s.mr->vertex(1)->position(), Vector(0.8828125f, 0.234375f, 0.1171875f));
    // Level 1: (0.3125, 0.5, 0.5625); edge midpoints (0.625, 0.25, 0.375) and (0.125, 0.75, 0.375).
    EXPECT_EQ(s.mr->vertex(0)->position(), Vector(0.328125f, 0.5f, 0.515625f));
}
