// OBJ import: the forms real files use, the shared face checks and messages,
// and malformed lines reported with the file and line.

#include <gtest/gtest.h>

#include <cstring>

#include "support/catalogue.h"
#include "support/loading.h"
#include "support/process.h"
#include "support/tempdir.h"

using namespace facetry;

namespace {

void expectSameShape(const RefMesh& expected, const Mesh& actual) {
    const std::vector<Vector> positions = positionsOf(actual);
    ASSERT_EQ(expected.points.size(), positions.size());
    for (std::size_t v = 0; v < positions.size(); ++v) {
        EXPECT_EQ(expected.points[v].x, positions[v].x) << "vertex " << v;
        EXPECT_EQ(expected.points[v].y, positions[v].y) << "vertex " << v;
        EXPECT_EQ(expected.points[v].z, positions[v].z) << "vertex " << v;
    }
    EXPECT_EQ(expected.faces, facesOf(actual));
}

// The cube in every form at once: objects, groups, materials, texture and
// normal data, negative and forward indices, a w, trailing comments and
// Windows line breaks; once with texture coordinates on every corner and
// once with none (v//vn and v), which faces may not mix.
TEST(ObjReader, ReadsEveryIndexFormAndMergesObjectsAndGroups) {
    const std::string textured =
        "# exported\r\nmtllib cube.mtl\r\no first\r\n"
        "v -1 -1 -1\r\nv 1 -1 -1\r\nv 1 1 -1 1.0\r\nv -1 1 -1\r\n"
        "vt 0 0\r\nvt 1 0\r\nvn 0 0 -1\r\n"
        "g bottom\r\nusemtl red\r\nf 1/1/1 4/2/1 3/1/1 2/2/1\r\n"
        "v -1 -1 1\r\nv 1 -1 1\r\nv 1 1 1\r\nv -1 1 1 # top corners\r\n"
        "g top side\r\nf -4/-2/1 -3/-1/1 -2/1/1 -1/2/1\r\n"
        "o second\r\ns 1\r\nf 1/1 2/2 6/1 5/2\r\nf 3/1 4/2 8/1 7/2 # back\r\n"
        "f 1/1/1 5/1/1 8/2/1 4/2/1\r\nf 2/3 3/3 7/3 6/3\r\nvt 0.5 0.5\r\n";
    const std::string plain =
        "# exported\r\nmtllib cube.mtl\r\no first\r\n"
        "v -1 -1 -1\r\nv 1 -1 -1\r\nv 1 1 -1 1.0\r\nv -1 1 -1\r\n"
        "vt 0 0\r\nvt 1 0\r\nvn 0 0 -1\r\n"
        "g bottom\r\nusemtl red\r\nf 1//1 4//1 3//1 2//1\r\n"
        "v -1 -1 1\r\nv 1 -1 1\r\nv 1 1 1\r\nv -1 1 1 # top corners\r\n"
        "g top side\r\nf -4//1 -3//1 -2//1 -1//1\r\n"
        "o second\r\ns 1\r\nf 1 2 6 5\r\nf 3 4 8 7 # back\r\n"
        "f 1//1 5//1 8//1 4//1\r\nf 2 3 7 6\r\n";
    for (const std::string* text : {&textured, &plain}) {
        Loaded result = loadObjText(*text);
        ASSERT_EQ("", result.fatal);
        EXPECT_TRUE(result.messages.empty());
        expectSameShape(catalogueMesh("exampleCube").control, *result.mesh);
        EXPECT_EQ(12, result.mesh->numEdges());
        EXPECT_EQ(text == &textured, result.mesh->hasTextureCoordinates());
    }
}

// Decimals exactly halfway between two floats round to even, as in the text
// format; a conversion in double precision can land on the other float.
TEST(ObjReader, CoordinatesAreTheFloatsTheTextFormatReads) {
    Loaded text = loadObjText(
        "v 2.83e9 0.147597e9 0.36e11\nv 0.1 -0 1e-45\nv 16777217 3.4028235e38 7e-9\nf 1 2 3\n");
    ASSERT_EQ("", text.fatal);
    const float expected[] = {2830000000.0f, 147597000.0f, 36000000000.0f, 0.1f, -0.0f, 1e-45f,
                              16777217.0f, 3.4028235e38f, 7e-9f};
    for (int v = 0; v < 3; ++v) {
        Vector p = text.mesh->vertex(v)->position();
        const float got[] = {p.x, p.y, p.z};
        EXPECT_EQ(0, std::memcmp(expected + 3 * v, got, sizeof got)) << "vertex " << v;
    }
}

TEST(ObjReader, AcceptsFacesBeforeTheVerticesTheyName) {
    Loaded result = loadObjText("f 1 2 3\nv 0 0 0\nv 1 0 0\nv 0 1 0\n");
    ASSERT_EQ("", result.fatal);
    EXPECT_EQ(1, result.mesh->numFaces());
}

// Dropped faces get the text format's messages, numbered by the slot the
// next accepted face takes; the edge count is what the faces make.
TEST(ObjReader, DropsFacesWithTheTextFormatsMessages) {
    std::string text = "v 0.1 0.2 0.3\nv 1.7 0.1 -0.2\nv 0.3 1.9 0.1\nv 0.2 0.4 1.3\n";
    text += "f 1 3 2\nf 1 2\nf 1 2 4\nf";
    for (int k = 0; k < 7; ++k) text += " 1 2 3";
    text += "\nf 1 4 3\nf 2 3 4\nf 1 3 2\nf 1 1 2\n";
    Loaded result = loadObjText(text);
    ASSERT_EQ("", result.fatal);
    const std::vector<std::string> expected = {
        "parse error, vertex 2 valence out of range", "PARSE ERROR: face 2 has too high valence",
        "ERROR: Face 4 -- creates non-manifold geometry", "ERROR: Face 4 -- repeats a vertex"};
    EXPECT_EQ(expected, result.messages);
    EXPECT_EQ(4, result.mesh->numFaces());
    EXPECT_EQ(6, result.mesh->numEdges());
}

TEST(ObjReader, NamesTheFileAndLineOfMalformedInput) {
    const std::string tri = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
    const std::string badVertex = ": malformed vertex: expected v x y z [w] with finite numbers";
    const struct {
        std::string text, message;
    } cases[] = {
        {"v 1 2\nf 1 2 3\n", "t.obj:1" + badVertex},
        {"v 0 0 0\nv 1 abc 0\n", "t.obj:2" + badVertex},
        {"v 0 0 0\nv 1e39 0 0\n", "t.obj:2" + badVertex},
        {"v 0 0 0\nv 1 2 3 4 5 6 7 8\n", "t.obj:2" + badVertex},
        {tri + "f 1 2 0\n", "t.obj:4: malformed face corner \"0\": expected v, v/t, v//n or v/t/n"},
        {tri + "f 1 2 3/x\n", "t.obj:4: malformed face corner \"3/x\": expected v, v/t, v//n or v/t/n"},
        {tri + "f 1 2 1.5\n", "t.obj:4: malformed face corner \"1.5\": expected v, v/t, v//n or v/t/n"},
        {tri + "f 1 2 99999999999\n",
         "t.obj:4: malformed face corner \"99999999999\": expected v, v/t, v//n or v/t/n"},
        {tri + "\n\nf 1 2 4\n", "t.obj:6: face index 4 out of range (3 vertices)"},
        {tri + "f 1 2 3\nf 1 2 3 1 2 3 1 2 3 1 2 3 1 2 3 1 2 3 1 2 9\n", "t.obj:5: face index 9 out of range (3 vertices)"},
        {"v 0 0 0\r\nv 1 0 0\r\nf 1 2 -3\r\nv 0 1 0\r\n", "t.obj:3: face index -3 points before the first vertex"},
        {"# nothing\n", "ERROR: the mesh has no vertices"},
        {tri, "ERROR: the mesh has no faces"},
    };
    for (const auto& c : cases) {
        Loaded result = loadObjText(c.text);
        EXPECT_EQ(c.message, result.fatal) << c.text;
        EXPECT_EQ(0, result.mesh->numVertices()) << c.text;
    }
}

}  // namespace
