// The mesh's queries: accessors and their range checks, counts, the bounding
// box, the text dump, and the reading entry that reports on standard error.

#include <gtest/gtest.h>

#include <cmath>

#include "support/capture.h"
#include "support/catalogue.h"
#include "support/loading.h"
#include "support/tempdir.h"

using namespace facetry;

namespace {

// A pentagon and two quads around vertex 1, which they close like a cube corner.
const char* kPentagonAndTwoQuads =
    "numV = 8 0 0 0 1 0 0 2 1 0 1 2 0 -1 1 0 0 -1 1 1 -1 1 2 0 1 "
    "numE = 10 numF = 3 0 1 2 3 4 -1 1 0 5 6 -1 2 1 6 7 -1";

}  // namespace

TEST(MeshQueries, CountsAndTotalValence) {
    Loaded l = loadText(kPentagonAndTwoQuads);
    ASSERT_EQ(l.fatal, "");
    ASSERT_TRUE(l.messages.empty());
    EXPECT_EQ(l.mesh->numVertices(), 8);
    EXPECT_EQ(l.mesh->numEdges(), 10);
    EXPECT_EQ(l.mesh->numFaces(), 3);
    EXPECT_EQ(l.mesh->totalValence(), 13);
    EXPECT_FALSE(l.mesh->vertex(1)->onBoundary());
    EXPECT_EQ(l.mesh->vertex(1)->faceVal(), 3);
    // The accessors hand out the elements themselves, in array order.
    EXPECT_EQ(l.mesh->vertex(7), l.mesh->vertex(0) + 7);
    EXPECT_EQ(l.mesh->face(2)->vertex(0), l.mesh->vertex(2));
}

TEST(MeshQueries, BoundingBoxIsTheComponentwiseExtent) {
    Loaded cube = loadText(meshText(catalogueMesh("exampleCube").control));
    Vector lo(9, 9, 9), hi(-9, -9, -9);
    cube.mesh->boundingBox(lo, hi);
    EXPECT_EQ(lo, Vector(-1, -1, -1));
    EXPECT_EQ(hi, Vector(1, 1, 1));
    // Whatever the vertex order.
    Loaded shuffled = loadText(meshText({{1, 1, 1}, {-1, 1, -1}, {1, -1, -1}, {-1, -1, 1}}, 6,
                                        {{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}}));
    shuffled.mesh->boundingBox(lo, hi);
    EXPECT_EQ(lo, Vector(-1, -1, -1));
    EXPECT_EQ(hi, Vector(1, 1, 1));
    // All vertices at one point: both corners are that point.
    Loaded point = loadText(meshText({{2, -3, 5}, {2, -3, 5}, {2, -3, 5}}, 3, {{0, 1, 2}}));
    ASSERT_EQ(point.fatal, "");
    point.mesh->boundingBox(lo, hi);
    EXPECT_EQ(lo, Vector(2, -3, 5));
    EXPECT_EQ(hi, Vector(2, -3, 5));
}

TEST(MeshQueries, BoundingBoxKeepsItsValueUnlessStrictlyBeaten) {
    // +0 and -0 compare equal, so the sign shows which vertex gave the value.
    Loaded plusFirst = loadText("numV = 3 0 0 0 -0 -0 -0 1 1 1 numE = 3 numF = 1 0 1 2 -1");
    ASSERT_EQ(plusFirst.fatal, "");
    Vector lo, hi;
    plusFirst.mesh->boundingBox(lo, hi);
    EXPECT_FALSE(std::signbit(lo.x) || std::signbit(lo.y) || std::signbit(lo.z));
    Loaded minusFirst = loadText("numV = 3 -0 -0 -0 0 0 0 -1 -1 -1 numE = 3 numF = 1 0 1 2 -1");
    ASSERT_EQ(minusFirst.fatal, "");
    minusFirst.mesh->boundingBox(lo, hi);
    EXPECT_TRUE(std::signbit(hi.x) && std::signbit(hi.y) && std::signbit(hi.z));
}

TEST(MeshDump, SingleQuad) {
    Loaded q = loadText(meshText(catalogueMesh("singleQuad").control));
    ASSERT_EQ(q.fatal, "");
    EXPECT_EQ(captureStdout([&q] { q.mesh->print(); }),
              "[MESH]\nnumVertices=4"
              "\n\t[v0 e:{0 3} f:{0}]\n\t[v1 e:{0 1} f:{0}]\n\t[v2 e:{1 2} f:{0}]\n\t[v3 e:{2 3} f:{0}]"
              "\nnumEdges=4{"
              "\n\t[e0 v:{0 1}, f:{0 -1}]\n\t[e1 v:{1 2}, f:{0 -1}]\n\t[e2 v:{2 3}, f:{0 -1}]\n\t[e3 v:{3 0}, f:{0 -1}]"
              "\nnumFaces=1"
              "\n\t[f0 v:{0 1 2 3}]\n");
}

TEST(MeshDump, TwoQuadsShowTheRingOrderAndTheSharedEdge) {
    // Vertex 4 first met edge 1-4, but its ring starts at its first boundary edge, 4-3.
    Loaded two = loadText(meshText({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {0, 1, 0}, {1, 1, 0}, {2, 1, 0}}, 7,
                                   {{0, 1, 4, 3}, {1, 2, 5, 4}}));
    ASSERT_EQ(two.fatal, "");
    EXPECT_EQ(captureStdout([&two] { two.mesh->print(); }),
              "[MESH]\nnumVertices=6"
              "\n\t[v0 e:{0 3} f:{0}]\n\t[v1 e:{0 1 4} f:{0 1}]\n\t[v2 e:{4 5} f:{1}]"
              "\n\t[v3 e:{2 3} f:{0}]\n\t[v4 e:{2 1 6} f:{0 1}]\n\t[v5 e:{5 6} f:{1}]"
              "\nnumEdges=7{"
              "\n\t[e0 v:{0 1}, f:{0 -1}]\n\t[e1 v:{1 4}, f:{0 1}]\n\t[e2 v:{4 3}, f:{0 -1}]\n\t[e3 v:{3 0}, f:{0 -1}]"
              "\n\t[e4 v:{1 2}, f:{1 -1}]\n\t[e5 v:{2 5}, f:{1 -1}]\n\t[e6 v:{5 4}, f:{1 -1}]"
              "\nnumFaces=2"
              "\n\t[f0 v:{0 1 4 3}]\n\t[f1 v:{1 2 5 4}]\n");
}

TEST(MeshRead, WarningsGoToStandardErrorAndLoadingGoesOn) {
    std::string text = "numV = 4 0 0 0 1 0 0 1 1 0 0 1 0 numE = 9 numF = 2 0 1 -1 0 1 2 3 -1";
    FILE* input = fmemopen(&text[0], text.size(), "r");
    ASSERT_NE(input, nullptr);
    Mesh mesh;
    EXPECT_EQ(captureStderr([&] { mesh.read(input); }),
              "parse error, vertex 2 valence out of range\nPARSE WARNING: 4 actual edges in mesh\n");
    std::fclose(input);
    EXPECT_EQ(mesh.numFaces(), 1);
    EXPECT_EQ(mesh.numEdges(), 4);
}

TEST(MeshReadDeathTest, FatalErrorEndsTheProgramWithStatusMinusOne) {
    std::string text = "numV = 4 0 0 0 1 0 0 1 1 0 0 1 0 numE = 9 numF = 2 0 1 -1 0 1 2 4 -1";
    FILE* input = fmemopen(&text[0], text.size(), "r");
    ASSERT_NE(input, nullptr);
    Mesh mesh;
    EXPECT_EXIT(mesh.read(input), testing::ExitedWithCode(255),
                "^parse error, vertex 2 valence out of range\nPARSE ERROR: face 0\n$");
    std::fclose(input);
}

TEST(MeshDeathTest, AccessorsCheckTheirRangeAgainstTheCountsInUse) {
    // Declared 9 edges and 2 faces; 4 edges and 1 face are in use.
    Loaded l = loadText("numV = 4 0 0 0 1 0 0 1 1 0 0 1 0 numE = 9 numF = 2 0 1 -1 0 1 2 3 -1");
    ASSERT_EQ(l.fatal, "");
    const Mesh& m = *l.mesh;
    EXPECT_DEATH(m.vertex(4), "Assertion failed: 0<=i && i<numV, file src/mesh/mesh.h, line [0-9]+");
    EXPECT_DEATH(m.vertex(-1), "Assertion failed: 0<=i && i<numV, file src/mesh/mesh.h");
    EXPECT_DEATH(m.edge(4), "Assertion failed: 0<=i && i<numE, file src/mesh/mesh.h");
    EXPECT_DEATH(m.edge(-1), "Assertion failed: 0<=i && i<numE, file src/mesh/mesh.h");
    EXPECT_DEATH(m.face(1), "Assertion failed: 0<=i && i<numF, file src/mesh/mesh.h");
    EXPECT_DEATH(m.face(-1), "Assertion failed: 0<=i && i<numF, file src/mesh/mesh.h");
    Mesh empty;
    Vector lo, hi;
    EXPECT_DEATH(empty.boundingBox(lo, hi), "Assertion failed: numV, file src/mesh/mesh.cpp");
}
