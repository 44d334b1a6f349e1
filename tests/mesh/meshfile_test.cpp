// Reading by extension: every format of one shape builds the same surface,
// bit for bit; unopenable files are reported by name; every error of a file
// knows the file and, where it is about one, the line.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "support/catalogue.h"
#include "support/loading.h"
#include "support/tempdir.h"
#include "mesh/meshfile.h"
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

// The text format's messages stand alone (the programs print them so);
// located() puts the file and the line the scanner stopped on in front. The
// OBJ and OFF messages already begin with them. Errors about the finished
// mesh have no line.
TEST(MeshFile, EveryErrorKnowsItsFileAndLine) {
    struct Case {
        const char* file;
        const char* text;
        long line;             // expected line(), 0 for none
        const char* located;   // expected located(), the file in the test's directory
    };
    const Case cases[] = {
        {"a.mesh", "numV = 2\n0 0 0\n1 1 x\nnumE = 0\n", 3, "a.mesh:3: parse error, vertex 1"},
        {"b.mesh", "numV = 3\n0 0 0\n1 0 0\n0 1 0\nnumE = 3\nnumF = 1\n\n0 1 9 -1\n", 8, "b.mesh:8: PARSE ERROR: face 0"},
        {"c.mesh", "numV = 3\n0 0 0\n1 0 0\n0 1 0\nnumE = 1\nnumF = 1\n0 1 2 -1\n", 7, "c.mesh:7: Too many edges"},
        {"d.mesh", "numV = 3\n0 0 0\n1 0 0\n0 1 0\nnumE = 0\nnumF = 0\n", 0, "d.mesh: ERROR: the mesh has no faces"},
        {"e.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\n\nf 1 2 9\n", 5, "e.obj:5: face index 9 out of range (3 vertices)"},
        {"f.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nv -1 0 0\nv 0 -1 0\nf 1 2 3\nf 1 4 5\n", 0,
         "f.obj: Non-manifold geometry -- the faces at vertex 0 do not form one fan"},
        {"g.off", "OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 7\n", 6, "g.off:6: face 0: vertex index 7 out of range (3 vertices)"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = dir.write(c.file, c.text);
        Mesh mesh;
        try {
            loadMeshFile(path, mesh, [](const std::string&) {});
            ADD_FAILURE() << "loaded";
        } catch (const LoadError& error) {
            EXPECT_EQ(path, error.file());
            EXPECT_EQ(c.line, error.line());
            const std::string what = error.what();
            EXPECT_EQ(dir.path(c.located), error.located());
            // The message itself as the programs print it: the place in front
            // where the OBJ and OFF readers put it, nothing for the rest.
            const bool placed = meshFormatOf(path) != MeshFormat::Text && c.line > 0;
            EXPECT_EQ(placed ? error.located() : error.located().substr(error.located().size() - what.size()), what);
        }
    }
    try {
        Mesh mesh;
        loadMeshFile(dir.path("missing.obj"), mesh, [](const std::string&) {});
        ADD_FAILURE() << "loaded";
    } catch (const LoadError& error) {
        EXPECT_EQ("", error.file());
        EXPECT_EQ("cannot open " + dir.path("missing.obj"), error.located());
    }
}

}  // namespace
