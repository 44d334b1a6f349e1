// A vertex shared by tens of thousands of faces: loading it, laying the
// surface over it and dragging it must cost time in proportion to the fan,
// not to its square, and still give the exact Catmull-Clark points.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "mesh/mesh.h"
#include "mr/mrmesh.h"

using namespace facetry;

namespace {

// Triangles 0 i i+1 around the hub, vertex 0, in a closed ring of `rim`
// vertices: one text file of about 30 bytes per triangle.
std::string triangleFan(int rim) {
    std::string text = "numV = " + std::to_string(rim + 1) + "\n0 0 0\n";
    for (int i = 0; i < rim; ++i) text += std::to_string(i % 97) + " " + std::to_string(i % 89) + " 1\n";
    text += "numE = " + std::to_string(2 * rim) + "\nnumF = " + std::to_string(rim) + "\n";
    for (int i = 0; i < rim; ++i) text += "0 " + std::to_string(i + 1) + " " + std::to_string((i + 1) % rim + 1) + " -1\n";
    return text;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool sameBits(const Vector& a, const Vector& b) {
    return std::memcmp(&a, &b, sizeof(Vector)) == 0;
}

}  // namespace

TEST(WideFan, DraggingTheHubCostsLinearTime) {
    constexpr int kRim = 40000;
    std::string text = triangleFan(kRim);
    FILE* input = fmemopen(text.data(), text.size(), "r");
    ASSERT_NE(input, nullptr);
    Mesh mesh;
    mesh.load(input, [](const std::string&) {});
    std::fclose(input);
    ASSERT_EQ(mesh.numFaces(), kRim);
    MrMesh surface;
    surface.build(mesh);

    MeshVertex* hub = mesh.vertex(0);
    hub->setPosition(Vector(0.5f, -0.25f, 2.0f));
    const auto start = std::chrono::steady_clock::now();
    surface.vertexMoved(hub);
    const double seconds = secondsSince(start);
    std::printf("moving the hub of %d triangles took %.3f s\n", kRim, seconds);
    // Once per face would be 1.6e9 neighbour sums: many seconds even unsanitized.
    EXPECT_LT(seconds, 2.0);
    EXPECT_TRUE(sameBits(hub->mrVertex()->position(), hub->vertexPoint()));
    EXPECT_TRUE(sameBits(mesh.face(123)->mrVertex()->position(), mesh.face(123)->centroid()));
    EXPECT_EQ(surface.curRes(), 0);
}
