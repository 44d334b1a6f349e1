// The Catmull-Clark point rules of the control mesh, with exact values where
// the positions make every step exact, the centroids that follow a moved
// vertex, and the link to the surface.

#include <gtest/gtest.h>

#include "support/capture.h"
#include "support/catalogue.h"
#include "support/loading.h"
#include "support/tempdir.h"

using namespace facetry;

namespace {

// A box from (1,2,3) to (5,10,19): every vertex has valence 3, and every
// centroid and sum of the vertex rule is an integer.
std::string box() {
    return meshText({{1, 2, 3}, {5, 2, 3}, {5, 10, 3}, {1, 10, 3}, {1, 2, 19}, {5, 2, 19}, {5, 10, 19}, {1, 10, 19}},
                    12, {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4}, {2, 3, 7, 6}, {0, 4, 7, 3}, {1, 2, 6, 5}});
}

// The textbook form of the interior rule, in double precision:
// ((n-2) P + average of the neighbours + average of the face points) / n.
Vector textbookVertexPoint(const MeshVertex* v) {
    const int n = v->faceVal();
    double p[3] = {v->position().x, v->position().y, v->position().z}, s[3] = {0, 0, 0};
    for (int i = 0; i < n; ++i) {
        Vector q = v->edge(i)->otherVertex(v)->position(), c = v->face(i)->centroid();
        s[0] += (double(q.x) + c.x) / n;
        s[1] += (double(q.y) + c.y) / n;
        s[2] += (double(q.z) + c.z) / n;
    }
    return Vector(float(((n - 2) * p[0] + s[0]) / n), float(((n - 2) * p[1] + s[1]) / n),
                  float(((n - 2) * p[2] + s[2]) / n));
}

void expectNear(const Vector& a, const Vector& b, float tolerance) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

}  // namespace

TEST(VertexPoint, ValenceThreeWeighsTheSumByANinthAndItselfByAThird) {
    Loaded b = loadText(box());
    ASSERT_EQ(b.fatal, "");
    const MeshVertex* v = b.mesh->vertex(0);
    ASSERT_EQ(v->faceVal(), 3);
    // Neighbours sum to (7, 14, 25), the face points (3,6,3) + (3,2,11) + (1,6,11) likewise.
    const float ninth = 1.0f / 9.0f;                          // 1/9 on the sum
    const float third = static_cast<float>(1.0 - 2.0 / 3.0);  // 1/3 on the vertex
    EXPECT_EQ(v->vertexPoint(), Vector(14 * ninth + 1 * third, 28 * ninth + 2 * third, 50 * ninth + 3 * third));
    for (int i = 0; i < 8; ++i) expectNear(b.mesh->vertex(i)->vertexPoint(), textbookVertexPoint(b.mesh->vertex(i)), 1e-5f);
}

TEST(VertexPoint, InteriorValenceFourOnTheGridIsExact) {
    Loaded g = loadText(meshText(catalogueMesh("gridPatch").control));
    ASSERT_EQ(g.fatal, "");
    const MeshVertex* v = g.mesh->vertex(5);  // (1,1,1), the lifted corner of the middle quad
    ASSERT_FALSE(v->onBoundary());
    ASSERT_EQ(v->faceVal(), 4);
    // Face points sum to (4, 4, 2.25), neighbours to (4, 4, 2): S/16 + P/2.
    EXPECT_EQ(v->vertexPoint(), Vector(1, 1, 0.765625f));
}

TEST(VertexPoint, HigherValencesAgreeWithTheTextbookRule) {
    for (const CatalogueMesh& m : meshCatalogue()) {
        Loaded l = loadText(meshText(m.control));
        ASSERT_EQ(l.fatal, "") << m.name;
        for (int i = 0; i < l.mesh->numVertices(); ++i) {
            const MeshVertex* v = l.mesh->vertex(i);
            if (v->edgeVal() == 0 || v->onBoundary()) continue;
            SCOPED_TRACE(m.name + " vertex " + std::to_string(i));
            expectNear(v->vertexPoint(), textbookVertexPoint(v), 1e-5f);
        }
    }
}

TEST(VertexPoint, BoundaryVerticesFollowTheBoundaryCurveOnly) {
    // A quad corner: 3/4 of itself and 1/8 of each neighbour.
    Loaded q = loadText(meshText({{4, 8, 0}, {8, 8, 0}, {8, 16, 0}, {4, 16, 0}}, 4, {{0, 1, 2, 3}}));
    ASSERT_EQ(q.fatal, "");
    EXPECT_EQ(q.mesh->vertex(0)->vertexPoint(), Vector(4.5f, 9, 0));
    EXPECT_EQ(q.mesh->vertex(2)->vertexPoint(), Vector(7.5f, 15, 0));
    // On the grid's edge the lifted interior neighbour (1,1,1) plays no part.
    Loaded g = loadText(meshText(catalogueMesh("gridPatch").control));
    ASSERT_EQ(g.fatal, "");
    ASSERT_TRUE(g.mesh->vertex(1)->onBoundary());
    ASSERT_EQ(g.mesh->vertex(1)->edgeVal(), 3);
    EXPECT_EQ(g.mesh->vertex(1)->vertexPoint(), Vector(1, 0, 0));
    // The open fan's hub at the origin: only the ends of the first and last
    // spoke, (4,0,0) and (2,-3,1), count.
    Loaded fan = loadText(meshText(catalogueMesh("openFan").control));
    ASSERT_EQ(fan.fatal, "");
    EXPECT_EQ(fan.mesh->vertex(0)->vertexPoint(), Vector(0.75f, -0.375f, 0.125f));
}

TEST(EdgePoint, MidpointOnTheBoundaryAverageOfFourInside) {
    Loaded g = loadText(meshText(catalogueMesh("gridPatch").control));
    ASSERT_EQ(g.fatal, "");
    const Mesh& m = *g.mesh;
    const MeshEdge* boundary = static_cast<const MeshEdge*>(m.vertex(1)->edgeTo(m.vertex(2)));
    ASSERT_TRUE(boundary->onBoundary());
    EXPECT_EQ(boundary->edgePoint(), Vector(1.5f, 0, 0));
    // Between (1,1,1) and (2,1,1): face points (1.5,0.5,0.5) and (1.5,1.5,1).
    const MeshEdge* inner = static_cast<const MeshEdge*>(m.vertex(5)->edgeTo(m.vertex(6)));
    ASSERT_FALSE(inner->onBoundary());
    EXPECT_EQ(inner->edgePoint(), Vector(1.5f, 1, 0.875f));
    // An edge whose two faces are a triangle and a pentagon.
    Loaded pt = loadText(meshText(catalogueMesh("pentagonAndTriangle").control));
    ASSERT_EQ(pt.fatal, "");
    const MeshEdge* shared = pt.mesh->edge(0);
    ASSERT_FALSE(shared->onBoundary());
    Vector c0 = pt.mesh->face(0)->centroid(), c1 = pt.mesh->face(1)->centroid();
    expectNear(shared->edgePoint(), (Vector(2, 0, 0) + c0 + c1) * 0.25f, 0);
}

TEST(Centroid, AverageOfTheVerticesFollowsAMovedVertex) {
    Loaded g = loadText(meshText(catalogueMesh("gridPatch").control));
    ASSERT_EQ(g.fatal, "");
    Mesh& m = *g.mesh;
    EXPECT_EQ(m.face(4)->centroid(), Vector(1.5f, 1.5f, 1));
    EXPECT_EQ(m.face(0)->centroid(), Vector(0.5f, 0.5f, 0.25f));
    // Moving vertex 5 by (4, 8, 12) moves its four quads' face points by a quarter of that.
    m.vertex(5)->setPosition(Vector(5, 9, 13));
    EXPECT_EQ(m.vertex(5)->position(), Vector(5, 9, 13));
    EXPECT_EQ(m.face(0)->centroid(), Vector(1.5f, 2.5f, 3.25f));
    EXPECT_EQ(m.face(4)->centroid(), Vector(2.5f, 3.5f, 4));
    EXPECT_EQ(m.face(2)->centroid(), Vector(2.5f, 0.5f, 0.25f));  // not a face of vertex 5
    // After moves to inexact places every centroid is still the average, up to rounding.
    m.vertex(5)->setPosition(Vector(0.1f, 0.7f, -0.3f));
    m.vertex(10)->setPosition(Vector(2.2f, 1.9f, 0.45f));
    for (int f = 0; f < m.numFaces(); ++f) {
        Vector sum;
        for (int i = 0; i < 4; ++i) sum += m.face(f)->vertex(i)->position();
        expectNear(m.face(f)->centroid(), sum * 0.25f, 1e-6f);
    }
}

TEST(Centroid, TriangleAndPentagonDivideByTheirValence) {
    Loaded pt = loadText(meshText(catalogueMesh("pentagonAndTriangle").control));
    ASSERT_EQ(pt.fatal, "");
    // (2,0,0) + (0,0,0) + (1,-2,0) over 3, and the pentagon's (5, 7, 0) over 5.
    const float fifth = 1.0f / 5.0f;
    EXPECT_EQ(pt.mesh->face(0)->centroid(), Vector(3, -2, 0) * (1.0f / 3.0f));
    EXPECT_EQ(pt.mesh->face(1)->centroid(), Vector(1, 7 * fifth, 0));
    pt.mesh->vertex(0)->setPosition(Vector(0, 0, 15));
    EXPECT_EQ(pt.mesh->face(1)->centroid(), Vector(1, 7 * fifth, 3));
    EXPECT_NEAR(pt.mesh->face(0)->centroid().z, 5, 1e-6f);
}

TEST(MrVertexHostDeathTest, LinkIsSetOnceAndReadOnlyWhenSet) {
    Loaded q = loadText(meshText(catalogueMesh("singleQuad").control));
    ASSERT_EQ(q.fatal, "");
    MeshVertex* v = q.mesh->vertex(0);
    MrVertex* fake = reinterpret_cast<MrVertex*>(q.mesh->vertex(1));  // any non-null address
    EXPECT_DEATH(v->mrVertex(), "Assertion failed: mrV, file src/mesh/mrvertexhost.h");
    EXPECT_DEATH(v->setMrV(nullptr), "Assertion failed: !mrV && v, file src/mesh/mrvertexhost.h");
    v->setMrV(fake);
    EXPECT_EQ(v->mrVertex(), fake);
    EXPECT_DEATH(v->setMrV(fake), "Assertion failed: !mrV && v, file src/mesh/mrvertexhost.h");
}
