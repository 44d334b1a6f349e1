// Level 0 as its construction numbers it, over the whole catalogue: the
// numbering's counts and places agree with the surface that was built and
// with the control mesh's links into it, and the packed ring and frame bits
// of the topology say where every vertex and edge sits in its faces.
#include <gtest/gtest.h>

#include "support/catalogue.h"
#include "surface_probe.h"

using namespace facetry;

namespace {

class LevelZero : public testing::TestWithParam<int> {};

}  // namespace

TEST_P(LevelZero, NumberingIsTheSurfaceBuilt) {
    const CatalogueMesh& entry = meshCatalogue()[GetParam()];
    Surface s = makeSurface(entry.control);
    const MrMesh& mr = *s.mr;
    const Mesh& mesh = *s.mesh;
    const LevelZeroNumbering& at = mr.levelZeroNumbering();
    const MrTopology& t = mr.topology();
    EXPECT_EQ(at.refined(), !entry.allQuads);
    ASSERT_EQ(at.numV(), mr.numVertices());
    ASSERT_EQ(at.numE(), mr.numEdges());
    ASSERT_EQ(at.numF(), mr.numFaces());
    for (int v = 0; v < mesh.numVertices(); ++v)
        EXPECT_EQ(mesh.vertex(v)->mrVertex()->id, at.vertexVertex(v)) << "control vertex " << v;
    int edgePoints = 0;
    for (int v = 0; v < mr.numVertices(); ++v) edgePoints += at.controlEdgeAt(v) >= 0;
    if (!at.refined()) {
        EXPECT_EQ(edgePoints, 0);
        return;
    }
    EXPECT_EQ(edgePoints, mesh.numEdges());
    for (int f = 0; f < mesh.numFaces(); ++f) {
        EXPECT_EQ(mesh.face(f)->mrVertex()->id, at.faceVertex(f)) << "control face " << f;
        EXPECT_EQ(at.controlEdgeAt(at.faceVertex(f)), -1) << "control face " << f;
    }
    for (int e = 0; e < mesh.numEdges(); ++e) {
        const int point = at.edgeVertex(e);
        EXPECT_EQ(mesh.edge(e)->mrVertex()->id, point) << "control edge " << e;
        EXPECT_EQ(at.controlEdgeAt(point), e);
        // The halves run from the edge's vertex(0) to its point and on to its vertex(1).
        const MrEdgeTopology& first = t.edges[at.edgeHalf(e, 0)];
        const MrEdgeTopology& second = t.edges[at.edgeHalf(e, 1)];
        EXPECT_EQ(first.vertices[0], at.vertexVertex(mesh.edge(e)->vertex(0)->id)) << "control edge " << e;
        EXPECT_EQ(first.vertices[1], point) << "control edge " << e;
        EXPECT_EQ(second.vertices[0], point) << "control edge " << e;
        EXPECT_EQ(second.vertices[1], at.vertexVertex(mesh.edge(e)->vertex(1)->id)) << "control edge " << e;
    }
    // Corner k's edge joins the point of the edge leaving corner k to the face point.
    const MeshTopology& c = mesh.topology();
    for (int f = 0; f < c.numF; ++f)
        for (int k = c.faceStart[f]; k < c.faceStart[f + 1]; ++k) {
            const MrEdgeTopology& edge = t.edges[at.cornerEdge(k)];
            EXPECT_EQ(edge.vertices[0], at.edgeVertex(c.cornerEdges[k])) << "corner " << k;
            EXPECT_EQ(edge.vertices[1], at.faceVertex(f)) << "corner " << k;
        }
}

TEST_P(LevelZero, PackedBitsPlaceEveryRingEntryAndEdge) {
    const CatalogueMesh& entry = meshCatalogue()[GetParam()];
    Surface s = makeSurface(entry.control);
    const MrTopology& t = s.mr->topology();
    for (int v = 0; v < t.numV; ++v)
        for (int slot = t.ringStart[v]; slot < t.ringStart[v + 1]; ++slot) {
            const int f = t.ringFaces[slot], e = t.ringEdges[slot];
            EXPECT_EQ(t.edges[e].vertices[t.ringFromEnd(slot) ? 1 : 0], v) << "vertex " << v << ", entry " << slot;
            if (f >= 0) {
                EXPECT_EQ(t.faces[f].vertices[t.ringCorner(slot)], v) << "vertex " << v << ", entry " << slot;
            }
        }
    for (int e = 0; e < t.numE; ++e)
        for (int i = 0; i < (t.edgeOnBoundary(e) ? 1 : 2); ++i) {
            const int f = t.edges[e].faces[i], side = t.frameSide(e, i);
            EXPECT_EQ(t.faces[f].edges[side], e) << "edge " << e << " in face(" << i << ")";
            const bool fromStart = t.edges[e].vertices[0] == t.faces[f].vertices[kSideStart[side]];
            EXPECT_EQ(t.frameFromStart(e, i), fromStart) << "edge " << e << " in face(" << i << ")";
            EXPECT_EQ(t.sideFromStart(f, side), fromStart) << "edge " << e << " in face(" << i << ")";
        }
}

INSTANTIATE_TEST_SUITE_P(Catalogue, LevelZero, testing::Range(0, static_cast<int>(meshCatalogue().size())),
                         [](const testing::TestParamInfo<int>& instance) { return meshCatalogue()[instance.param].name; });
