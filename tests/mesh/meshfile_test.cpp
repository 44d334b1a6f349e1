// Reading by extension: every format of one shape builds the same surface,
// bit for bit; unopenable files are reported by name.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "support/catalogue.h"
#include "support/loading.h"
#include "support/tempdir.h"
#include "mr/surfaceexport.h"

using namespace facetry;

namespace {

// The welded points of the shape's surface at `level`.
std::vector<Vector> surfacePoints(Mesh& mesh, int level) {
    MrMesh surface;
    EXPECT_TRUE(surface.build(mesh));
    for (int k = 0; k < level; ++k) EXPECT_TRUE(surface.subdivide());
    std::vector<Vector> points;
    WeldedSurface(surface).forEachPoint([&](const Vector& p) { points.push_back(p); });
    return points;
}

TEST(MeshFile, TheSameShapeInEveryFormatBuildsTheSameSurfaceBitForBit) {
    TempDir dir;
    for (const CatalogueMesh& shape : meshCatalogue()) {
        Loaded text = loadFile(dir.write(shape.name + ".mesh", meshText(shape.control)));
        Loaded obj = loadFile(dir.write(shape.name + ".OBJ", objText(shape.control)));
        Loaded off = loadFile(dir.write(shape.name + ".Off", offText(shape.control)));
        ASSERT_EQ("", text.fatal + obj.fatal + off.fatal) << shape.name;
        EXPECT_TRUE(text.messages.empty() && obj.messages.empty() && off.messages.empty()) << shape.name;
        EXPECT_EQ(facesOf(*text.mesh), shape.control.faces) << shape.name;
        const std::vector<Vector> expected = surfacePoints(*text.mesh, 2);
        for (const Loaded* other : {&obj, &off}) {
            EXPECT_EQ(facesOf(*text.mesh), facesOf(*other->mesh)) << shape.name;
            EXPECT_EQ(text.mesh->numEdges(), other->mesh->numEdges()) << shape.name;
            const std::vector<Vector> points = surfacePoints(*other->mesh, 2);
            ASSERT_EQ(expected.size(), points.size()) << shape.name;
            EXPECT_EQ(0, std::memcmp(expected.data(), points.data(), points.size() * sizeof(Vector))) << shape.name;
        }
    }
}

TEST(MeshFile, AnyOtherExtensionIsTheTextFormat) {
    TempDir dir;
    const RefMesh& cube = catalogueMesh("exampleCube").control;
    EXPECT_EQ("", loadFile(dir.write("cube.txt", meshText(cube))).fatal);
    EXPECT_EQ("parse error, numVertices", loadFile(dir.write("cube.objx", objText(cube))).fatal);
    EXPECT_EQ("parse error, numVertices", loadFile(dir.write("obj", objText(cube))).fatal);
}

TEST(MeshFile, UnopenableFilesAreReportedByName) {
    TempDir dir;
    for (const char* name : {"missing.obj", "missing.off", "missing.mesh"})
        EXPECT_EQ("cannot open " + dir.path(name), loadFile(dir.path(name)).fatal);
}

// A directory opens and reads as an empty file: each reader fails with what
// it says of an empty file by the same name.
TEST(MeshFile, ADirectoryFailsAsAnEmptyFileOfItsName) {
    TempDir dir;
    for (const char* name : {"mesh", "mesh.obj", "mesh.off", "mesh.MESH"}) {
        SCOPED_TRACE(name);
        const std::string path = dir.write(name, "");
        const std::string empty = loadFile(path).fatal;
        ASSERT_EQ(0, std::remove(path.c_str()));
        ASSERT_EQ(0, system(("mkdir '" + path + "'").c_str()));
        EXPECT_NE("", empty);
        EXPECT_EQ(empty, loadFile(path).fatal);
    }
}

}  // namespace
