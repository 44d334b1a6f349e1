// Start-up before the window: reading the mesh named on the command line, in
// any format, and centring and scaling the view on its bounding box.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "app/startup.h"
#include "support/capture.h"
#include "support/catalogue.h"
#include "support/loading.h"
#include "support/tempdir.h"

using namespace facetry;

namespace {

// A box from lo to hi as a closed quad mesh.
std::string boxText(const Vector& lo, const Vector& hi) {
    std::vector<Vector> p;
    for (int k = 0; k < 8; ++k) p.emplace_back(k & 1 ? hi.x : lo.x, k & 2 ? hi.y : lo.y, k & 4 ? hi.z : lo.z);
    return meshText(p, 12, {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}});
}

}  // namespace

TEST(FitView, CentresOnTheBoxAndScalesByTheLargestHalfExtent) {
    struct Case { const char* what; Vector lo, hi, center; float scale; };
    for (const Case& c : std::vector<Case>{
             {"2..4 by 0..1 by 0..1", {2, 0, 0}, {4, 1, 1}, {3, 0.5f, 0.5f}, 1},
             {"the cube -1..1", {-1, -1, -1}, {1, 1, 1}, {0, 0, 0}, 1},
             {"largest along z", {0, 0, 0}, {1, 2, 8}, {0.5f, 1, 4}, 0.25f},
             {"largest along y", {-1, -10, 3}, {1, 6, 5}, {0, -2, 4}, 0.125f},
             {"flat along z", {-2, -1, 7}, {2, 1, 7}, {0, 0, 7}, 0.5f},
             {"half-extent 3, reciprocal in double", {0, 0, 0}, {6, 1, 1}, {3, 0.5f, 0.5f},
              static_cast<float>(1.0 / 3.0)},
         }) {
        Loaded l = loadText(boxText(c.lo, c.hi));
        ASSERT_EQ(l.fatal, "") << c.what;
        ViewFit fit = fitView(*l.mesh);
        EXPECT_EQ(fit.center, c.center) << c.what;
        EXPECT_EQ(fit.scale, c.scale) << c.what;
    }
}

TEST(FitView, AllVerticesAtOnePointLeaveTheScaleZero) {
    Loaded l = loadText(meshText({{5, -5, 0.5f}, {5, -5, 0.5f}, {5, -5, 0.5f}}, 3, {{0, 1, 2}}));
    ASSERT_EQ(l.fatal, "");
    ViewFit fit = fitView(*l.mesh);
    EXPECT_EQ(fit.center, Vector(5, -5, 0.5f));
    EXPECT_EQ(fit.scale, 0);
}

TEST(LoadControlMesh, ReadsTheFirstArgumentAndIgnoresTheSecond) {
    TempDir dir;
    std::string input = dir.write("cube.mesh", meshText(catalogueMesh("exampleCube").control));
    std::string output = dir.path("output");
    char* argv[] = {const_cast<char*>("facetry"), &input[0], &output[0], nullptr};
    Mesh mesh;
    EXPECT_EQ(captureStderr([&] { loadControlMesh(3, argv, mesh); }), "");
    EXPECT_EQ(mesh.numVertices(), 8);
    EXPECT_EQ(mesh.numFaces(), 6);
    EXPECT_NE(access(output.c_str(), F_OK), 0) << "an output file was written";
}

TEST(LoadControlMesh, WarningsReachStandardErrorAndTheMeshLoads) {
    std::string text = meshText(catalogueMesh("exampleCube").control);
    text.replace(text.find("numE = 12"), 9, "numE = 14");
    TempDir dir;
    std::string input = dir.write("cube.mesh", text);
    char* argv[] = {const_cast<char*>("facetry"), &input[0], nullptr};
    Mesh mesh;
    EXPECT_EQ(captureStderr([&] { loadControlMesh(2, argv, mesh); }), "PARSE WARNING: 12 actual edges in mesh\n");
    EXPECT_EQ(mesh.numEdges(), 12);
}

TEST(LoadControlMesh, OpensObjAndOffFilesByTheirExtension) {
    TempDir dir;
    const RefMesh& cube = catalogueMesh("exampleCube").control;
    for (const std::string& file : {dir.write("c.obj", objText(cube)), dir.write("c.off", offText(cube))}) {
        const char* argv[] = {"facetry", file.c_str()};
        Mesh mesh;
        loadControlMesh(2, const_cast<char**>(argv), mesh);
        EXPECT_EQ(cube.faces, facesOf(mesh)) << file;
    }
    const std::string bad = dir.write("bad.obj", "v 0 0 0\nv 1 0\n");
    const char* argv[] = {"facetry", bad.c_str()};
    Mesh mesh;
    EXPECT_EXIT(loadControlMesh(2, const_cast<char**>(argv), mesh), testing::ExitedWithCode(255),
                "^" + bad + ":2: malformed vertex: expected v x y z \\[w\\] with finite numbers\n$");
}
