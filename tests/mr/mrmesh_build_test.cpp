// Level 0 of the surface: the control mesh itself when it is all quads,
// otherwise one Catmull-Clark step of it, with the path it reports.
#include <gtest/gtest.h>

#include <cmath>

#include "support/catalogue.h"
#include "surface_probe.h"
#include "support/capture.h"

using namespace facetry;

namespace {

RefMesh tetrahedron() {
    return {{{0, 0, 0}, {2, 0, 0.5}, {0.5, 2, 0}, {0.25, 0.5, 2}}, {{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}}};
}

std::vector<int> vertexIds(const MrFace* f) {
    return {f->vertex(0)->id, f->vertex(1)->id, f->vertex(2)->id, f->vertex(3)->id};
}

std::pair<int, int> endIds(const MrEdge* e) { return {e->vertex(0)->id, e->vertex(1)->id}; }

}  // namespace

TEST(MrMeshBuild, CubeTakesTheQuadPath) {
    const CatalogueMesh& cube = catalogueMesh("cube");
    Surface s = makeSurface(cube.control);
    EXPECT_EQ(s.progress, "Not subdividing original mesh -- all quads");
    const MrMesh& mr = *s.mr;
    const Mesh& mesh = *s.mesh;
    EXPECT_TRUE(mr.isAllQuads());
    ASSERT_EQ(mr.numVertices(), 8);
    ASSERT_EQ(mr.numEdges(), 12);
    ASSERT_EQ(mr.numFaces(), 6);
    EXPECT_EQ(levelMismatch(mr, 0), "");
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(mesh.vertex(i)->mrVertex(), mr.vertex(i));
        EXPECT_EQ(mr.vertex(i)->position(), mesh.vertex(i)->position());
    }
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(endIds(mr.edge(i)), std::make_pair(mesh.edge(i)->vertex(0)->id, mesh.edge(i)->vertex(1)->id));
    for (int i = 0; i < 6; ++i) {
        const MeshFace* f = mesh.face(i);
        EXPECT_EQ(vertexIds(mr.face(i)),
                  (std::vector<int>{f->vertex(0)->id, f->vertex(1)->id, f->vertex(2)->id, f->vertex(3)->id}));
    }
}

TEST(MrMeshBuild, SingleTriangleTakesTheRefinementPath) {
    Surface s = makeSurface({{{0, 0, 0}, {4, 0, 0}, {0, 4, 0}}, {{0, 1, 2}}});
    EXPECT_EQ(s.progress, "Subdividing original mesh");
    const MrMesh& mr = *s.mr;
    EXPECT_FALSE(mr.isAllQuads());
    ASSERT_EQ(mr.numVertices(), 7);
    ASSERT_EQ(mr.numEdges(), 9);
    ASSERT_EQ(mr.numFaces(), 3);
    // Face point, the midpoints of edges 0-1, 1-2, 2-0, then the corners.
    const Vector expected[7] = {{4.0f / 3, 4.0f / 3, 0}, {2, 0, 0}, {2, 2, 0},     {0, 2, 0},
                                {0.5f, 0.5f, 0},         {3, 0.5f, 0}, {0.5f, 3, 0}};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(mr.vertex(i)->position(), expected[i]) << "vertex " << i;
    // Halves of each control edge keep its direction, then one spoke per corner.
    const std::pair<int, int> ends[9] = {{4, 1}, {1, 5}, {5, 2}, {2, 6}, {6, 3}, {3, 4}, {1, 0}, {2, 0}, {3, 0}};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(endIds(mr.edge(i)), ends[i]) << "edge " << i;
    // Quad j: face point, edge point before corner j, corner j, edge point after.
    EXPECT_EQ(vertexIds(mr.face(0)), (std::vector<int>{0, 3, 4, 1}));
    EXPECT_EQ(vertexIds(mr.face(1)), (std::vector<int>{0, 1, 5, 2}));
    EXPECT_EQ(vertexIds(mr.face(2)), (std::vector<int>{0, 2, 6, 3}));
}

TEST(MrMeshBuild, TetrahedronVertexPointsAndCounts) {
    RefMesh control = tetrahedron();
    Surface s = makeSurface(control);
    const MrMesh& mr = *s.mr;
    ASSERT_EQ(mr.numVertices(), 14);
    ASSERT_EQ(mr.numEdges(), 24);  // 4 cE on a closed mesh
    ASSERT_EQ(mr.numFaces(), 12);  // 2 cE
    // Vertex v: p/3 plus a ninth of its three face centroids and three neighbours.
    for (int v = 0; v < 4; ++v) {
        RefPoint sum;
        for (const std::vector<int>& face : control.faces) {
            bool has = false;
            for (int w : face) has = has || w == v;
            if (!has) continue;
            for (int w : face) {
                const RefPoint& p = control.points[w];
                sum = {sum.x + p.x / 3, sum.y + p.y / 3, sum.z + p.z / 3};
            }
        }
        for (int w = 0; w < 4; ++w)
            if (w != v) sum = {sum.x + control.points[w].x, sum.y + control.points[w].y, sum.z + control.points[w].z};
        const RefPoint& p = control.points[v];
        Vector actual = s.mesh->vertex(v)->mrVertex()->position();
        EXPECT_NEAR(actual.x, p.x / 3 + sum.x / 9, 2e-6);
        EXPECT_NEAR(actual.y, p.y / 3 + sum.y / 9, 2e-6);
        EXPECT_NEAR(actual.z, p.z / 3 + sum.z / 9, 2e-6);
        EXPECT_EQ(s.mesh->vertex(v)->mrVertex(), mr.vertex(4 + 6 + v));
    }
}

class MrMeshBuildOverCatalogue : public testing::TestWithParam<int> {};

TEST_P(MrMeshBuildOverCatalogue, PathCountsAndIds) {
    const CatalogueMesh& entry = meshCatalogue()[GetParam()];
    Surface s = makeSurface(entry.control);
    const Mesh& mesh = *s.mesh;
    const MrMesh& mr = *s.mr;
    int cV = mesh.numVertices(), cE = mesh.numEdges(), cF = mesh.numFaces(), corners = mesh.totalValence();
    EXPECT_EQ(mr.isAllQuads(), entry.allQuads);
    if (entry.allQuads) {
        EXPECT_EQ(s.progress, "Not subdividing original mesh -- all quads");
        EXPECT_EQ(mr.numVertices(), cV);
        EXPECT_EQ(mr.numEdges(), cE);
        EXPECT_EQ(mr.numFaces(), cF);
    } else {
        EXPECT_EQ(s.progress, "Subdividing original mesh");
        EXPECT_EQ(mr.numVertices(), cF + cE + cV);
        EXPECT_EQ(mr.numEdges(), 2 * cE + corners);
        EXPECT_EQ(mr.numFaces(), corners);
    }
    for (int i = 0; i < mr.numVertices(); ++i) ASSERT_EQ(mr.vertex(i)->id, i);
    for (int i = 0; i < mr.numEdges(); ++i) ASSERT_EQ(mr.edge(i)->id, i);
    for (int i = 0; i < mr.numFaces(); ++i) ASSERT_EQ(mr.face(i)->id, i);
}

INSTANTIATE_TEST_SUITE_P(Catalogue, MrMeshBuildOverCatalogue,
                         testing::Range(0, static_cast<int>(meshCatalogue().size())),
                         [](const testing::TestParamInfo<int>& instance) { return meshCatalogue()[instance.param].name; });

TEST(MrMeshBuildDeathTest, SecondBuildAndMissingHostsStopTheProgram) {
    Surface quads = makeSurface(catalogueMesh("cube").control);
    EXPECT_DEATH(quads.mr->build(*quads.mesh), assertionPattern("!vertices", "src/mr/mrmesh.cpp"));
    // On the quad path control edges and faces have no surface vertex.
    EXPECT_DEATH(quads.mesh->edge(0)->mrVertex(), assertionPattern("mrV", "src/mesh/mrvertexhost.h"));
    EXPECT_DEATH(quads.mesh->face(0)->mrVertex(), assertionPattern("mrV", "src/mesh/mrvertexhost.h"));
    EXPECT_DEATH(quads.mr->vertexMoved(nullptr), assertionPattern("v", "src/mr/mrmesh.cpp"));
}
