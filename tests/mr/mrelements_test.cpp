// The surface elements on their own: linking, which way edges run along
// their faces, reset, the checks of shared points, and the order of the five
// passes of one refinement step.
#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "support/capture.h"
#include "support/catalogue.h"
#include "support/loading.h"
#include "support/meshcopy.h"
#include "surface_probe.h"

using namespace facetry;

namespace {

// Two squares side by side, sharing the edge from (0,0,0) to (0,1,0).
RefMesh twoSquares() {
    return {{{0, 0, 0}, {0, 1, 0}, {-1, 0, 0}, {-1, 1, 0}, {1, 0, 0}, {1, 1, 0}}, {{2, 0, 1, 3}, {0, 4, 5, 1}}};
}

// Runs passes 1 to 3 of a refinement step by hand: every vertex, then every
// edge, then every face computes its next level.
void refineOwnedPoints(MrMesh& mr) {
    for (int i = 0; i < mr.numVertices(); ++i) mr.vertex(i)->refine();
    for (int i = 0; i < mr.numEdges(); ++i) mr.edge(i)->refine();
    for (int i = 0; i < mr.numFaces(); ++i) mr.face(i)->refine();
}

// Passes 4 and 5: the checks that every shared point's owner is at its level.
void copySharedPoints(MrMesh& mr) {
    for (int i = 0; i < mr.numEdges(); ++i) mr.edge(i)->updateEnds();
    for (int i = 0; i < mr.numFaces(); ++i) mr.face(i)->updateBoundary();
}

}  // namespace

TEST(MrElements, LinkGivesEdgesTheirEndsAndFacesTheirCorners) {
    Surface s = makeSurface(twoSquares());
    EXPECT_EQ(levelMismatch(*s.mr, 0), "");
    const MrFace* f = s.mr->face(0);
    ASSERT_EQ(f->gridSize(), 2);
    EXPECT_EQ(f->point(0, 0), Vector(-1, 0, 0));
    EXPECT_EQ(f->point(1, 0), Vector(0, 0, 0));
    EXPECT_EQ(f->point(1, 1), Vector(0, 1, 0));
    EXPECT_EQ(f->point(0, 1), Vector(-1, 1, 0));
    // Each edge joins the two corners of a side of each of its faces, the
    // lower-numbered face first.
    for (int i = 0; i < s.mr->numEdges(); ++i) {
        const MrEdge* e = s.mr->edge(i);
        ASSERT_EQ(e->pointCount(), 2);
        EXPECT_EQ(sideAlong(e->face(0), e).size(), 2u) << "edge " << i;
        if (e->face(1)) {
            EXPECT_EQ(sideAlong(e->face(1), e).size(), 2u) << "edge " << i;
            EXPECT_LT(e->face(0)->id, e->face(1)->id) << "edge " << i;
        }
    }
}

// Which way every edge runs: its points, read from its vertex(0) by the edge
// itself and along the side of each of its faces, are the points an
// independent refinement puts along it, in that order.
class EdgeDirection : public testing::TestWithParam<int> {};

TEST_P(EdgeDirection, EdgePointsRunFromVertexZeroAlongBothFaces) {
    const CatalogueMesh& entry = meshCatalogue()[GetParam()];
    const double tolerance = 1e-5 * meshSize(entry.control);
    Surface s = makeSurface(entry.control);
    const MrMesh& mr = *s.mr;
    // The reference's vertex under each surface vertex, found by position:
    // level 0 of a surface over other polygons is already one step in.
    const RefMesh level0 = entry.allQuads ? entry.control : refineOnce(entry.control);
    std::vector<Vector> vertices;
    for (int v = 0; v < mr.numVertices(); ++v) vertices.push_back(mr.vertex(v)->position());
    const std::vector<int> reference = matchPoints(vertices, level0.points, tolerance);
    std::vector<std::pair<int, int>> ends;
    for (int e = 0; e < mr.numEdges(); ++e) {
        ASSERT_GE(reference[mr.edge(e)->vertex(0)->id], 0);
        ASSERT_GE(reference[mr.edge(e)->vertex(1)->id], 0);
        ends.push_back({reference[mr.edge(e)->vertex(0)->id], reference[mr.edge(e)->vertex(1)->id]});
    }
    for (int level = 1; level <= 3; ++level) {
        ASSERT_TRUE(s.mr->subdivide());
        const std::vector<std::vector<RefPoint>> chains = edgeChains(level0, ends, level);
        for (int e = 0; e < mr.numEdges(); ++e) {
            const MrEdge* edge = mr.edge(e);
            const std::vector<RefPoint>& expected = chains[e];
            ASSERT_EQ(static_cast<int>(expected.size()), edge->pointCount());
            std::vector<Vector> own;
            for (int k = 0; k < edge->pointCount(); ++k) own.push_back(edge->point(k));
            for (int which = 0; which < 2; ++which) {
                if (!edge->face(which)) continue;
                EXPECT_EQ(sideAlong(edge->face(which), edge), own) << "level " << level << ", edge " << e
                                                                    << ", face(" << which << ")";
            }
            for (int k = 0; k < edge->pointCount(); ++k)
                ASSERT_LE(pointmatch::distance(own[k], expected[k]), tolerance)
                    << "level " << level << ", edge " << e << ", point " << k;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Catalogue, EdgeDirection, testing::Range(0, static_cast<int>(meshCatalogue().size())),
                         [](const testing::TestParamInfo<int>& instance) { return meshCatalogue()[instance.param].name; });

TEST(MrElements, EdgeResetOnARefinedSurfaceGivesItsLevelZeroEnds) {
    const RefMesh control = twoSquares();
    Surface s = makeSurface(control, 2);
    MrEdge* e = s.mr->edge(0);
    ASSERT_NE(e->point(0), Vector(float(control.points[e->vertex(0)->id].x), float(control.points[e->vertex(0)->id].y), 0));
    // Its vertices first: an edge's ends are at its level.
    e->vertex(0)->reset();
    e->vertex(1)->reset();
    e->reset();
    EXPECT_EQ(e->curRes(), 0);
    ASSERT_EQ(e->pointCount(), 2);
    for (int k = 0; k < 2; ++k) {
        const RefPoint& p = control.points[e->vertex(k)->id];
        EXPECT_EQ(e->point(k), Vector(float(p.x), float(p.y), float(p.z))) << "end " << k;
    }
    // The rest stays at level 2.
    EXPECT_EQ(e->face(0)->curRes(), 2);
    EXPECT_EQ(s.mr->edge(1)->pointCount(), 5);
}

TEST(MrElements, VertexKeepsItsLevelZeroPositionThroughRefinement) {
    Surface s = makeSurface(twoSquares(), 2);
    MrVertex* v = s.mr->vertex(2);  // corner (-1,0,0)
    ASSERT_NE(v->position(), Vector(-1, 0, 0));
    v->reset();
    EXPECT_EQ(v->curRes(), 0);
    EXPECT_EQ(v->position(), Vector(-1, 0, 0));

    MrVertex* w = s.mr->vertex(4);
    w->setPosition(Vector(9, 8, 7));
    EXPECT_EQ(w->curRes(), 2);
    EXPECT_EQ(w->position(), Vector(9, 8, 7));
    w->reset();
    EXPECT_EQ(w->position(), Vector(9, 8, 7));
}

TEST(MrElements, ElementByElementStepsGiveTheSurfaceOfSubdivide) {
    Surface byPasses = makeSurface(twoSquares());
    Surface bySubdivide = makeSurface(twoSquares(), 1);
    refineOwnedPoints(*byPasses.mr);
    copySharedPoints(*byPasses.mr);
    EXPECT_EQ(levelMismatch(*byPasses.mr, 1), "");
    // Face point of the square (0,0), (1,0), (1,1), (0,1); the border is
    // its edges' and corners' points.
    const MrFace* f = byPasses.mr->face(1);
    ASSERT_EQ(f->gridSize(), 3);
    EXPECT_EQ(f->point(1, 1), Vector(0.5f, 0.5f, 0));
    EXPECT_EQ(f->point(1, 0), Vector(0.5f, 0, 0));
    EXPECT_EQ(sharedPointMismatch(*byPasses.mr), "");
    std::string where;
    EXPECT_TRUE(sameBits(surfacePoints(*byPasses.mr), surfacePoints(*bySubdivide.mr), &where)) << where;

    // And once more from level 1 to level 2; the whole-surface step then
    // takes the elements on together.
    refineOwnedPoints(*byPasses.mr);
    copySharedPoints(*byPasses.mr);
    bySubdivide.mr->subdivide();
    EXPECT_TRUE(sameBits(surfacePoints(*byPasses.mr), surfacePoints(*bySubdivide.mr), &where)) << where;
    ASSERT_TRUE(byPasses.mr->subdivide());
    ASSERT_TRUE(bySubdivide.mr->subdivide());
    EXPECT_TRUE(sameBits(surfacePoints(*byPasses.mr), surfacePoints(*bySubdivide.mr), &where)) << where;
}

// Under Chaikin creasing the steps of single elements read the sharpness of
// each segment as the level operations do: the same bits, on a pyramid (its
// first step from the control mesh's triangles) and on a cube (its level 0
// the control mesh itself), creased with sharpness that parts ways along the
// edges.
TEST(MrElements, ElementByElementStepsUnderChaikinCreasingGiveTheSurfaceOfSubdivide) {
    const char* const meshes[] = {
        "v -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\nv 0 0 1.5\nf 1 4 3 2\nf 1 2 5\nf 2 3 5\nf 3 4 5\nf 4 1 5\n"
        "t crease 3/1/0 0 4 2 2.3\nt crease 2/1/0 1 2 0.4\nt crease 2/1/0 3 4 1.6\n",
        "v -1 -1 -1\nv 1 -1 -1\nv 1 1 -1\nv -1 1 -1\nv -1 -1 1\nv 1 -1 1\nv 1 1 1\nv -1 1 1\n"
        "f 1 4 3 2\nf 5 6 7 8\nf 1 2 6 5\nf 2 3 7 6\nf 3 4 8 7\nf 4 1 5 8\n"
        "t crease 5/1/0 4 5 6 7 4 1.7\nt crease 2/1/0 1 5 0.8\nt crease 2/1/0 1 2 2.6\n",
    };
    SchemeOptions chaikin;
    chaikin.creasing = CreasingMethod::Chaikin;
    for (const char* obj : meshes) {
        Loaded loadedA = loadObjText(obj), loadedB = loadObjText(obj);
        ASSERT_EQ("", loadedA.fatal);
        std::unique_ptr<Mesh> a = withOptions(*loadedA.mesh, chaikin), b = withOptions(*loadedB.mesh, chaikin);
        std::unique_ptr<MrMesh> byElements = buildSurface(*a), bySubdivide = buildSurface(*b);
        for (int level = 1; level <= 3; ++level) {
            refineOwnedPoints(*byElements);
            copySharedPoints(*byElements);
            ASSERT_TRUE(bySubdivide->subdivide());
            std::string where;
            EXPECT_TRUE(sameBits(surfacePoints(*byElements), surfacePoints(*bySubdivide), &where))
                << "level " << level << ": " << where;
        }
    }
}

TEST(MrElementsDeathTest, OutOfRangeReadsAndLevelChecksNameTheirExpressions) {
    Surface s = makeSurface(twoSquares());
    MrMesh& mr = *s.mr;
    EXPECT_DEATH(mr.edge(0)->point(2), assertionPattern("0<=i && i<d", "src/mr/mredge\\.(h|cpp)"));
    EXPECT_DEATH(mr.edge(0)->point(-1), assertionPattern("0<=i && i<d", "src/mr/mredge\\.(h|cpp)"));
    EXPECT_DEATH(mr.face(0)->point(0, 2), assertionPattern("in_bounds(i,j)", "src/mr/table.h"));

    // Vertex 0 ends the shared edge; ahead of its edges, its ends disagree.
    mr.vertex(0)->refine();
    EXPECT_DEATH(mr.vertex(0)->refine(), assertionPattern("edge(0)->curRes() == res", "src/mr/mrvertex.cpp"));
    int shared = -1;
    for (int i = 0; i < mr.numEdges(); ++i)
        if (mr.edge(i)->incident(mr.vertex(0)) && mr.edge(i)->incident(mr.vertex(1))) shared = i;
    ASSERT_GE(shared, 0);
    EXPECT_DEATH(mr.edge(shared)->updateEnds(),
                 assertionPattern("vertex(0)->curRes()==res && vertex(1)->curRes()==res", "src/mr/mredge.cpp"));

    // A face ahead of its edges and vertices.
    mr.face(0)->refine();
    EXPECT_DEATH(mr.face(0)->updateBoundary(), assertionPattern("edge(0)->curRes()==res", "src/mr/MrFace.cpp"));
    EXPECT_DEATH(mr.edge(shared)->refine(), assertionPattern("face(0)->curRes() == res", "src/mr/mredge.cpp"));
}

namespace {

// A vertex that is not an end of edge e, and one that is not a corner of face f.
template <class MeshT, class EdgeT>
auto vertexOffEdge(const MeshT& m, const EdgeT* e) {
    int v = 0;
    while (e->incident(m.vertex(v))) ++v;
    return m.vertex(v);
}
template <class MeshT, class FaceT>
auto vertexOffFace(const MeshT& m, const FaceT* f) {
    for (int v = 0;; ++v) {
        bool corner = false;
        for (int k = 0; k < f->valence(); ++k) corner = corner || f->vertex(k) == m.vertex(v);
        if (!corner) return m.vertex(v);
    }
}

// A query both meshes take from the topology, broken on each mesh in turn.
struct SharedQuery {
    const char* expression;  // as the topology writes it
    const char* file;        // where the topology checks it
    std::function<void(const Mesh&)> control;
    std::function<void(const MrMesh&)> surface;
};

}  // namespace

// Whichever mesh's element breaks one of these preconditions, the report
// names the topology's expression and file, the same for both.
TEST(MrElementsDeathTest, SharedQueriesReportTheTopologysExpressionAndFile) {
    Surface s = makeSurface(twoSquares());
    const std::vector<SharedQuery> queries = {
        {"0<=i && i<edgeVal()", "src/mesh/topvertex.h", [](const Mesh& m) { m.vertex(0)->edge(99); },
         [](const MrMesh& mr) { mr.vertex(0)->edge(99); }},
        {"0<=i && i<edgeVal()", "src/mesh/topvertex.h", [](const Mesh& m) { m.vertex(2)->edge(-1); },
         [](const MrMesh& mr) { mr.vertex(2)->edge(-1); }},
        {"0<=i && i<faceVal()", "src/mesh/topvertex.h", [](const Mesh& m) { m.vertex(2)->face(1); },
         [](const MrMesh& mr) { mr.vertex(2)->face(1); }},
        {"incident(v)", "src/mesh/topedge.cpp",
         [](const Mesh& m) { m.edge(0)->otherVertex(vertexOffEdge(m, m.edge(0))); },
         [](const MrMesh& mr) { mr.edge(0)->otherVertex(vertexOffEdge(mr, mr.edge(0))); }},
        {"v", "src/mesh/topedge.cpp", [](const Mesh& m) { m.edge(0)->incident(static_cast<const MeshVertex*>(nullptr)); },
         [](const MrMesh& mr) { mr.edge(0)->incident(static_cast<const MrVertex*>(nullptr)); }},
        {"f", "src/mesh/topedge.cpp", [](const Mesh& m) { m.edge(0)->incident(static_cast<const MeshFace*>(nullptr)); },
         [](const MrMesh& mr) { mr.edge(0)->incident(static_cast<const MrFace*>(nullptr)); }},
        {"e", "src/mesh/topedge.cpp", [](const Mesh& m) { m.edge(0)->incident(static_cast<const MeshEdge*>(nullptr)); },
         [](const MrMesh& mr) { mr.edge(0)->incident(static_cast<const MrEdge*>(nullptr)); }},
        {"v", "src/mesh/TopFace.cpp",
         [](const Mesh& m) {
             const MeshEdge *e1, *e2;
             m.face(0)->edgesAt(nullptr, e1, e2);
         },
         [](const MrMesh& mr) {
             MrEdge *e1, *e2;
             mr.face(0)->edgesAt(nullptr, e1, e2);
         }},
        {"found == 2", "src/mesh/TopFace.cpp",
         [](const Mesh& m) {
             const MeshEdge *e1, *e2;
             m.face(1)->edgesAt(vertexOffFace(m, m.face(1)), e1, e2);
         },
         [](const MrMesh& mr) {
             MrEdge *e1, *e2;
             mr.face(1)->edgesAt(vertexOffFace(mr, mr.face(1)), e1, e2);
         }},
    };
    for (const SharedQuery& q : queries) {
        SCOPED_TRACE(q.expression);
        EXPECT_DEATH(q.control(*s.mesh), assertionPattern(q.expression, q.file));
        EXPECT_DEATH(q.surface(*s.mr), assertionPattern(q.expression, q.file));
    }
}
