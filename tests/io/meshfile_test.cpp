// Reading by extension: every format of one shape builds the same surface,
// bit for bit, and the viewer opens OBJ and OFF files the same way.

#include <gtest/gtest.h>

#include <cstring>

#include "app/startup.h"
#include "io_support.h"
#include "mr/surfaceexport.h"

namespace {

// The welded points of the shape's surface at `level`.
std::vector<Vector> surfacePoints(const Mesh& mesh, int level) {
    MrMesh surface;
    surface.build(mesh);
    for (int k = 0; k < level; ++k) EXPECT_TRUE(surface.subdivide());
    std::vector<Vector> points;
    WeldedSurface(surface).forEachPoint([&](const Vector& p) { points.push_back(p); });
    return points;
}

TEST(MeshFile, TheSameShapeInEveryFormatBuildsTheSameSurfaceBitForBit) {
    TempDir dir;
    for (const Shape& shape : shapeCatalogue()) {
        LoadResult text = loadFile(dir.write(shape.name + ".mesh", meshTextOf(shape)));
        LoadResult obj = loadFile(dir.write(shape.name + ".OBJ", objTextOf(shape)));
        LoadResult off = loadFile(dir.write(shape.name + ".Off", offTextOf(shape)));
        ASSERT_EQ("", text.fatal + obj.fatal + off.fatal) << shape.name;
        EXPECT_TRUE(text.messages.empty() && obj.messages.empty() && off.messages.empty()) << shape.name;
        EXPECT_EQ(shapeOf(*text.mesh).faces, shape.faces) << shape.name;
        const std::vector<Vector> expected = surfacePoints(*text.mesh, 2);
        for (const LoadResult* other : {&obj, &off}) {
            EXPECT_EQ(shapeOf(*text.mesh).faces, shapeOf(*other->mesh).faces) << shape.name;
            EXPECT_EQ(text.mesh->numEdges(), other->mesh->numEdges()) << shape.name;
            const std::vector<Vector> points = surfacePoints(*other->mesh, 2);
            ASSERT_EQ(expected.size(), points.size()) << shape.name;
            EXPECT_EQ(0, std::memcmp(expected.data(), points.data(), points.size() * sizeof(Vector))) << shape.name;
        }
    }
}

TEST(MeshFile, AnyOtherExtensionIsTheTextFormat) {
    TempDir dir;
    const Shape cube = shapeCatalogue()[0];
    EXPECT_EQ("", loadFile(dir.write("cube.txt", meshTextOf(cube))).fatal);
    EXPECT_EQ("parse error, numVertices", loadFile(dir.write("cube.objx", objTextOf(cube))).fatal);
    EXPECT_EQ("parse error, numVertices", loadFile(dir.write("obj", objTextOf(cube))).fatal);
}

TEST(MeshFile, UnopenableFilesAreReportedByName) {
    TempDir dir;
    for (const char* name : {"missing.obj", "missing.off", "missing.mesh"})
        EXPECT_EQ("cannot open " + dir.path(name), loadFile(dir.path(name)).fatal);
    EXPECT_EQ(0, system(("mkdir '" + dir.path("folder.obj") + "'").c_str()));
    EXPECT_EQ("cannot open " + dir.path("folder.obj"), loadFile(dir.path("folder.obj")).fatal);
}

TEST(MeshFile, TheViewerOpensObjAndOffFiles) {
    TempDir dir;
    const Shape cube = shapeCatalogue()[0];
    for (const std::string& file : {dir.write("c.obj", objTextOf(cube)), dir.write("c.off", offTextOf(cube))}) {
        const char* argv[] = {"facetry", file.c_str()};
        Mesh mesh;
        loadControlMesh(2, const_cast<char**>(argv), mesh);
        EXPECT_EQ(cube.faces, shapeOf(mesh).faces) << file;
    }
    const std::string bad = dir.write("bad.obj", "v 0 0 0\nv 1 0\n");
    const char* argv[] = {"facetry", bad.c_str()};
    Mesh mesh;
    EXPECT_EXIT(loadControlMesh(2, const_cast<char**>(argv), mesh), testing::ExitedWithCode(255),
                "^" + bad + ":2: malformed vertex: expected v x y z \\[w\\] with finite numbers\n$");
}

}  // namespace
