// OBJ crease and corner tags and texture coordinates: what reaches the mesh,
// and every way a file can get them wrong, reported with the file and line.

#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "mesh/meshbuilder.h"
#include "support/capture.h"
#include "support/loading.h"

using namespace facetry;

namespace {

// Lines 1-8 the vertices, 9-14 the faces; 0-based vertex 0 is (-1,-1,-1).
const std::string kCube =
    "v -1 -1 -1\nv 1 -1 -1\nv 1 1 -1\nv -1 1 -1\nv -1 -1 1\nv 1 -1 1\nv 1 1 1\nv -1 1 1\n"
    "f 1 4 3 2\nf 5 6 7 8\nf 1 2 6 5\nf 3 4 8 7\nf 1 5 8 4\nf 2 3 7 6\n";

// The sharp edges by their ends (smaller first), and every vertex's sharpness.
std::map<std::pair<int, int>, float> sharpEdges(const Mesh& mesh) {
    std::map<std::pair<int, int>, float> sharp;
    for (int e = 0; e < mesh.numEdges(); ++e) {
        const int a = mesh.edge(e)->vertex(0)->id, b = mesh.edge(e)->vertex(1)->id;
        if (mesh.edge(e)->sharpness() != 0) sharp[{std::min(a, b), std::max(a, b)}] = mesh.edge(e)->sharpness();
    }
    return sharp;
}

std::vector<float> vertexSharpness(const Mesh& mesh) {
    std::vector<float> sharp;
    for (int v = 0; v < mesh.numVertices(); ++v) sharp.push_back(mesh.vertex(v)->sharpness());
    return sharp;
}

}  // namespace

// Tags first, ahead of the vertices and faces they name; the last one on a
// line of its own without a line break.
TEST(ObjTags, CreasesAndCornersReachTheTaggedEdgesAndVertices) {
    const std::string tags =
        "t crease 2/1/0 0 1 2.5 # one edge\r\n"
        "t crease 4/1/0 4 5 6 7 1\r\n"      // a chain, one value for all
        "t crease 3/2/0 0 3 7 0.5 3\r\n"    // a chain, one value per edge
        "t crease 2/1/0 1 0 12.5\r\n"       // the first edge again, from its other end
        "t corner 1/1/0 2 4\r\n"
        "\tt corner 2/2/0 6 5 0.25 7\r\n";
    Loaded result = loadObjText(tags + kCube + "t corner 1/1/0 6 0");
    ASSERT_EQ("", result.fatal);
    EXPECT_TRUE(result.messages.empty());
    const std::map<std::pair<int, int>, float> edges = {{{0, 1}, 12.5f}, {{4, 5}, 1}, {{5, 6}, 1},
                                                        {{6, 7}, 1},     {{0, 3}, 0.5f}, {{3, 7}, 3}};
    EXPECT_EQ(edges, sharpEdges(*result.mesh));
    EXPECT_EQ(std::vector<float>({0, 0, 4, 0, 0, 7, 0, 0}), vertexSharpness(*result.mesh));
    EXPECT_TRUE(result.mesh->hasCreases());
    EXPECT_FALSE(result.mesh->hasTextureCoordinates());
}

// Tags of sharpness 0 leave the mesh as smooth as no tags at all.
TEST(ObjTags, UntaggedAndZeroTaggedFilesAreSmoothEverywhere) {
    for (const std::string& text : {kCube, kCube + "t crease 2/1/0 0 1 0\nt corner 1/1/0 3 -0\n"}) {
        Loaded result = loadObjText(text);
        ASSERT_EQ("", result.fatal);
        EXPECT_TRUE(sharpEdges(*result.mesh).empty());
        EXPECT_EQ(std::vector<float>(8, 0.0f), vertexSharpness(*result.mesh));
        EXPECT_FALSE(result.mesh->hasCreases());
    }
}

TEST(ObjTags, UnknownTagsAreReportedOncePerNameAndIgnored) {
    Loaded result = loadObjText("t vertexweight 1/0/0 1\n" + kCube +
                                "t vertexweight 1/0/0 1\nt interpolateboundary 1/0/0 1\n"
                                "t holes 1/0/0 0\nt corner 1/1/0 0 2\n");
    ASSERT_EQ("", result.fatal);
    const std::vector<std::string> expected = {
        "PARSE WARNING: t.obj:1: unknown tag \"vertexweight\" ignored",
        "PARSE WARNING: t.obj:18: unknown tag \"holes\" ignored"};
    EXPECT_EQ(expected, result.messages);
    EXPECT_EQ(std::vector<float>({2, 0, 0, 0, 0, 0, 0, 0}), vertexSharpness(*result.mesh));
    EXPECT_EQ(BoundaryInterpolation::EdgeAndCorner, result.mesh->options().boundary);
}

// The cube with one tag line, as line 15 or, where shown, line 1.
TEST(ObjTags, BadTagsAreFatalWithTheirLine) {
    const struct {
        std::string text, message;
    } cases[] = {
        {kCube + "t\n", "t.obj:15: malformed tag: no tag name"},
        {kCube + "t crease # soon\n", "t.obj:15: malformed crease tag: no counts nint/nfloat/nstring after the name"},
        {kCube + "t crease 2/1 0 1 1\n",
         "t.obj:15: malformed crease tag counts \"2/1\": expected nint/nfloat/nstring, three non-negative integers"},
        {kCube + "t crease 2/1/1 0 1 1 hard\n", "t.obj:15: malformed crease tag: string count 1, expected 0"},
        {kCube + "t crease 1/1/0 0 1\n", "t.obj:15: malformed crease tag: vertex count 1, expected at least 2"},
        {kCube + "t corner 0/1/0 1\n", "t.obj:15: malformed corner tag: vertex count 0, expected at least 1"},
        {kCube + "t crease 3/3/0 0 1 2 1 1 1\n",
         "t.obj:15: malformed crease tag: sharpness count 3 for 3 vertices, expected 1 or 2"},
        {kCube + "t crease 2/2/0 0 1 1 1\n",
         "t.obj:15: malformed crease tag: sharpness count 2 for 2 vertices, expected 1"},
        {kCube + "t corner 2/0/0 0 1\n",
         "t.obj:15: malformed corner tag: sharpness count 0 for 2 vertices, expected 1 or 2"},
        {kCube + "t crease 2/1/0 0 1\n", "t.obj:15: malformed crease tag: counts 2/1/0 call for 3 values, 2 given"},
        {kCube + "t corner 2/2/0 0 1 1 1 1\n",
         "t.obj:15: malformed corner tag: counts 2/2/0 call for 4 values, 5 given"},
        {kCube + "t crease 2/1/0 0 1.0 1\n",
         "t.obj:15: malformed crease tag: vertex index \"1.0\" is not a 32-bit integer"},
        {kCube + "t corner 1/1/0 4294967296 1\n",
         "t.obj:15: malformed corner tag: vertex index \"4294967296\" is not a 32-bit integer"},
        {kCube + "t crease 2/1/0 0 1 sharp", "t.obj:15: malformed crease tag: sharpness \"sharp\" is not a number"},
        {kCube + "t crease 2/1/0 0 1 1e39\n", "t.obj:15: crease sharpness \"1e39\" is not finite"},
        {kCube + "t corner 1/1/0 0 NaN\n", "t.obj:15: corner sharpness \"NaN\" is not finite"},
        {kCube + "t crease 2/1/0 0 1 -0.5\n", "t.obj:15: crease sharpness \"-0.5\" is negative"},
        {"t crease 2/1/0 0 8 1\n" + kCube, "t.obj:1: crease vertex index 8 out of range (8 vertices)"},
        {kCube + "t corner 2/1/0 3 -1 1\n", "t.obj:15: corner vertex index -1 out of range (8 vertices)"},
        {"t crease 2/1/0 0 6 1\n" + kCube, "t.obj:1: crease vertices 0 and 6 share no edge"},
        {kCube + "t crease 3/2/0 0 1 1 2 2\n", "t.obj:15: crease vertices 1 and 1 share no edge"},
        {kCube + "t crease 2/1/0 0 1 " + std::string(70000, '1') + "\n", "t.obj:15: line too long"},
    };
    for (const auto& c : cases) {
        Loaded result = loadObjText(c.text);
        EXPECT_EQ(c.message, result.fatal) << c.text.substr(0, 200);
        EXPECT_EQ(0, result.mesh->numVertices());
    }
}

// Coordinates come in file order; each face's corners keep theirs, relative
// indices counting back from the coordinates read so far, and a dropped face
// takes its own along.
TEST(ObjTextureCoordinates, EveryCornerKeepsTheCoordinateTheFileGivesIt) {
    Loaded result = loadObjText(
        "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvt 0.25 0\nvt 0.5 0.75 1\n"
        "f 1/1 2/2 3/3 4/4\nf 1/1/1 2/2/1\nvt 0.125\nvt 1 1\nv 2 0 0\nf 2/-1 5/-4 3/-2\n");
    ASSERT_EQ("", result.fatal);
    EXPECT_EQ(std::vector<std::string>{"parse error, vertex 2 valence out of range"}, result.messages);
    const Mesh& mesh = *result.mesh;
    ASSERT_TRUE(mesh.hasTextureCoordinates());
    EXPECT_EQ(std::vector<float>({0.25f, 0, 0.5f, 0.75f, 0.125f, 0, 1, 1}), mesh.textureCoordinates());
    ASSERT_EQ(2, mesh.numFaces());
    const int vertices[2][4] = {{0, 1, 2, 3}, {1, 4, 2, -1}}, coordinates[2][4] = {{0, 1, 2, 3}, {3, 0, 2, -1}};
    for (int f = 0; f < 2; ++f)
        for (int k = 0; k < mesh.face(f)->valence(); ++k) {
            EXPECT_EQ(vertices[f][k], mesh.face(f)->vertex(k)->id) << f << "," << k;
            EXPECT_EQ(coordinates[f][k], mesh.cornerTextureCoordinate(f, k)) << f << "," << k;
        }
}

TEST(ObjTextureCoordinates, BadCoordinatesAndMixedFacesAreFatalWithTheirLine) {
    const std::string base = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\n";
    const std::string malformed = "t.obj:7: malformed texture coordinate: expected vt u [v [w]] with finite numbers";
    const struct {
        std::string text, message;
    } cases[] = {
        {base + "vt 0.5 abc\n", malformed},
        {base + "vt \n", malformed},
        {base + "vt 1e39 0\n", malformed},
        {base + "f 1/1 2/2 3/4\n", "t.obj:7: texture coordinate index 4 out of range (3 texture coordinates)"},
        {base + "f 1/1 2/2 3/-4\n", "t.obj:7: texture coordinate index -4 points before the first texture coordinate"},
        {base + "f 1 2 3\nf 1/1 3/3 2/2\n", "t.obj:8: face has texture coordinates, but the faces before it have none"},
        {base + "f 1/1 2/2 3/3\nf 1//1 3//1 2//1\n",
         "t.obj:8: face has no texture coordinates, but the faces before it have them"},
        {base + "f 1/1 2 3/3\n", "t.obj:7: face has texture coordinates on only some of its corners"},
        {base + "f 1/1/1 2//1 3/3/1\n", "t.obj:7: face has texture coordinates on only some of its corners"},
    };
    for (const auto& c : cases) {
        Loaded result = loadObjText(c.text);
        EXPECT_EQ(c.message, result.fatal) << c.text;
        EXPECT_EQ(0, result.mesh->numVertices()) << c.text;
    }
}

TEST(MeshBuilderDeathTest, FacesWithAndWithoutTextureCoordinatesDoNotMix) {
    MeshBuilder builder([](const std::string&) {});
    for (int v = 0; v < 4; ++v) builder.addVertex(Vector(static_cast<float>(v), static_cast<float>(v % 2), 0));
    builder.addTextureCoordinate(0, 0);
    const int first[] = {0, 1, 2}, second[] = {0, 2, 3}, coordinates[] = {0, 0, 0};
    ASSERT_TRUE(builder.addFace(first, 3, coordinates));
    EXPECT_DEATH(builder.addFace(second, 3),
                 assertionPattern("faceCount() == 0 || (texIndices != nullptr) == !faceTex.empty()",
                                  "src/mesh/meshbuilder.cpp"));
}
