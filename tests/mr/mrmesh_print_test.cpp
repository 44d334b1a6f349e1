// The text dump of the surface, byte for byte.
#include <gtest/gtest.h>

#include "surface_probe.h"

using namespace facetry;

TEST(MrMeshPrint, SingleSquareAtLevelOne) {
    Surface s = makeSurface({{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, 3}}}, 1);
    testing::internal::CaptureStdout();
    s.mr->print();
    const std::string dump = testing::internal::GetCapturedStdout();
    EXPECT_EQ(dump,
              "[MR-MESH]\n"
              "numVertices=4\n"
              "\t[v0 p:{0.125000 0.125000 0.000000} e:{0 3} f:{0}]\n"
              "\t[v1 p:{0.875000 0.125000 0.000000} e:{0 1} f:{0}]\n"
              "\t[v2 p:{0.875000 0.875000 0.000000} e:{1 2} f:{0}]\n"
              "\t[v3 p:{0.125000 0.875000 0.000000} e:{2 3} f:{0}]\n"
              "numEdges=4{\n"
              "\t[e0 v:{0 1}, f:{0 -1}]\n"
              "\t[e1 v:{1 2}, f:{0 -1}]\n"
              "\t[e2 v:{2 3}, f:{0 -1}]\n"
              "\t[e3 v:{3 0}, f:{0 -1}]\n"
              "numFaces=1\n"
              "\t[f0 v:{0 1 2 3}]\n");
}

TEST(MrMeshPrint, InteriorVertexListsItsOrderedStar) {
    Surface s = makeSurface({{{0, 0, 0}, {4, 0, 0}, {0, 4, 0}}, {{0, 1, 2}}});
    testing::internal::CaptureStdout();
    s.mr->print();
    const std::string dump = testing::internal::GetCapturedStdout();
    // The face point: spokes 6, 7, 8 to the edge points, walked around
    // starting from the first spoke and the first quad set up on it.
    EXPECT_NE(dump.find("\n\t[v0 p:{1.333333 1.333333 0.000000} e:{6 8 7} f:{0 2 1}]\n"), std::string::npos) << dump;
    EXPECT_NE(dump.find("\n\t[e6 v:{1 0}, f:{0 1}]\n"), std::string::npos) << dump;
    EXPECT_NE(dump.find("\n\t[f2 v:{0 2 6 3}]\n"), std::string::npos) << dump;
}
