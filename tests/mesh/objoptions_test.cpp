// OBJ scheme-option and hole tags: what reaches the mesh, what the boundary
// rule derives from them (sharpened corners, holes) without touching the
// tags a writer gives back, and every malformed form with its file and line.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "mesh/meshwriter.h"
#include "support/loading.h"

using namespace facetry;

namespace {

// A grid of `cols` x `rows` quads over (cols+1) x (rows+1) vertices, faces
// row by row: vertex r(cols+1) + c, face r cols + c. The default 3 x 2 grid
// takes lines 1-12 for its vertices and 13-18 for its faces.
std::string grid(int cols = 3, int rows = 2) {
    std::string text;
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c <= cols; ++c) text += "v " + std::to_string(c) + " " + std::to_string(r) + " 0\n";
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const int a = r * (cols + 1) + c + 1;
            text += "f " + std::to_string(a) + " " + std::to_string(a + 1) + " " + std::to_string(a + cols + 2) + " " +
                    std::to_string(a + cols + 1) + "\n";
        }
    return text;
}

std::vector<int> holes(const Mesh& mesh, bool tagged) {
    std::vector<int> faces;
    for (int f = 0; f < mesh.numFaces(); ++f)
        if (tagged ? mesh.isTaggedHole(f) : mesh.isHole(f)) faces.push_back(f);
    return faces;
}

SchemeOptions uv(FaceVaryingInterpolation rule) {
    SchemeOptions options;
    options.faceVarying = rule;
    return options;
}

// What `write` puts out for `mesh`: the tags alone, or the whole OBJ file.
std::string writtenBy(const Mesh& mesh, void (*write)(FILE*, const Mesh&)) {
    char* text = nullptr;
    std::size_t size = 0;
    FILE* out = open_memstream(&text, &size);
    write(out, mesh);
    std::fclose(out);
    std::string tags(text, size);
    std::free(text);
    return tags;
}

std::string tagsWritten(const Mesh& mesh) { return writtenBy(mesh, writeMeshTags); }

std::string objWritten(const Mesh& mesh) {
    return writtenBy(mesh, [](FILE* out, const Mesh& m) { writeMesh(out, m, MeshFormat::Obj); });
}

}  // namespace

// Each tag as it reaches the options; a later tag of the same option wins.
TEST(ObjOptions, EachTagSetsItsOption) {
    const struct {
        std::string tags;
        SchemeOptions options;
    } cases[] = {
        {"", {}},
        {"t interpolateboundary 1/0/0 0\n", {BoundaryInterpolation::None}},
        {"t interpolateboundary 1/0/0 1\n", {BoundaryInterpolation::EdgeAndCorner}},
        {"t interpolateboundary 1/0/0 0\nt interpolateboundary 1/0/0 2\n", {}},
        {"t creasemethod 0/0/1 chaikin\n", {BoundaryInterpolation::EdgeOnly, CreasingMethod::Chaikin}},
        {"t creasemethod 0/0/1 chaikin\nt creasemethod 0/0/1 normal\n", {}},
        {"t smoothtriangles 0/0/1 smooth # after\n",
         {BoundaryInterpolation::EdgeOnly, CreasingMethod::Uniform, TriangleSubdivision::Smooth}},
        {"t smoothtriangles 0/0/1 catmark\n", {}},
        {"t interpolateboundary 1/0/0 1\nt creasemethod 0/0/1 chaikin\nt smoothtriangles 0/0/1 smooth\n",
         {BoundaryInterpolation::EdgeAndCorner, CreasingMethod::Chaikin, TriangleSubdivision::Smooth}},
        {"t facevaryinginterpolateboundary 1/0/0 0\n", uv(FaceVaryingInterpolation::None)},
        {"t facevaryinginterpolateboundary 1/0/0 1\n", uv(FaceVaryingInterpolation::CornersOnly)},
        {"t facevaryinginterpolateboundary 1/0/0 2\n", uv(FaceVaryingInterpolation::CornersPlus1)},
        {"t facevaryinginterpolateboundary 1/0/0 3\n", uv(FaceVaryingInterpolation::CornersPlus2)},
        {"t facevaryinginterpolateboundary 1/0/0 4\n", uv(FaceVaryingInterpolation::Boundaries)},
        {"t facevaryinginterpolateboundary 1/0/0 5\n", {}},
        {"t facevaryinginterpolateboundary 1/0/0 0\nt facevaryinginterpolateboundary 1/0/0 5\n", {}},
        {"t facevaryinginterpolateboundary 1/0/0 4\nt interpolateboundary 1/0/0 1\n",
         {BoundaryInterpolation::EdgeAndCorner, CreasingMethod::Uniform, TriangleSubdivision::CatmullClark,
          FaceVaryingInterpolation::Boundaries}},
        // Corners propagate or not, the rules are the same.
        {"t facevaryingpropagatecorners 1/0/0 1\n", {}},
        {"t facevaryingpropagatecorners 1/0/0 0\nt facevaryinginterpolateboundary 1/0/0 1\n",
         uv(FaceVaryingInterpolation::CornersOnly)},
    };
    for (const auto& c : cases) {
        Loaded result = loadObjText(c.tags + grid());
        ASSERT_EQ("", result.fatal) << c.tags;
        EXPECT_TRUE(result.messages.empty()) << c.tags;
        EXPECT_TRUE(c.options == result.mesh->options()) << c.tags;
    }
}

// Every rule of the texture coordinates is written as the tag that gives it
// (none for the default), after the other options, and the whole OBJ file
// reads back with the same options and seams. The grid's two columns of
// faces on the left and the one on the right are separate UV islands.
TEST(ObjOptions, TheUvRuleIsWrittenAndReadsBack) {
    std::string textured;
    for (int r = 0; r <= 2; ++r)
        for (int c = 0; c <= 4; ++c) textured += "vt " + std::to_string(c) + " " + std::to_string(r) + "\n";
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c) {
            const int a = r * 4 + c + 1, t = r * 5 + c + (c == 2 ? 2 : 1);
            textured += "f " + std::to_string(a) + "/" + std::to_string(t) + " " + std::to_string(a + 1) + "/" +
                        std::to_string(t + 1) + " " + std::to_string(a + 5) + "/" + std::to_string(t + 6) + " " +
                        std::to_string(a + 4) + "/" + std::to_string(t + 5) + "\n";
        }
    const std::string points = grid().substr(0, grid().find("f "));
    for (int rule = 0; rule <= 5; ++rule) {
        for (const std::string other : {"", "t interpolateboundary 1/0/0 1\n"}) {
            const std::string tag = "t facevaryinginterpolateboundary 1/0/0 " + std::to_string(rule) + "\n";
            SCOPED_TRACE(other + tag);
            Loaded original = loadObjText(points + textured + tag + other);
            ASSERT_EQ("", original.fatal);
            ASSERT_EQ(static_cast<FaceVaryingInterpolation>(rule), original.mesh->options().faceVarying);
            EXPECT_EQ(other + (rule == 5 ? "" : tag), tagsWritten(*original.mesh));
            Loaded back = loadObjText(objWritten(*original.mesh));
            ASSERT_EQ("", back.fatal);
            EXPECT_TRUE(original.mesh->options() == back.mesh->options());
            ASSERT_TRUE(back.mesh->hasTextureCoordinates());
            for (int f = 0; f < 6; ++f)
                for (int k = 0; k < 4; ++k)
                    EXPECT_EQ(original.mesh->cornerTextureCoordinate(f, k), back.mesh->cornerTextureCoordinate(f, k));
        }
    }
    // Set on a mesh, as a command line does.
    Loaded set = loadObjText(grid());
    set.mesh->setOptions(uv(FaceVaryingInterpolation::CornersPlus2));
    EXPECT_EQ("t facevaryinginterpolateboundary 1/0/0 3\n", tagsWritten(*set.mesh));
}

// Hole indices count the file's faces, dropped ones too: the face line after
// a dropped one is file face 2 but accepted face 1.
TEST(ObjOptions, HolesNameFileFacesAndSkipDroppedOnesWithAWarning) {
    Loaded result = loadObjText("t hole 2/0/0 0 2\n" + grid() + "f 1 2 1\nt hole 2/0/0 6 5\n");
    ASSERT_EQ("", result.fatal);
    EXPECT_EQ(std::vector<int>({0, 2, 5}), holes(*result.mesh, false));
    EXPECT_EQ(std::vector<int>({0, 2, 5}), holes(*result.mesh, true));
    EXPECT_EQ(3, result.mesh->holeCount());
    ASSERT_EQ(2u, result.messages.size());
    EXPECT_EQ("PARSE WARNING: t.obj:21: hole face 6 was dropped, hole ignored", result.messages[1]);

    Loaded shifted = loadObjText("v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 2 0 0\nv 2 1 0\n"
                                 "f 1 2 2\nf 1 2 3 4\nf 2 5 6 3\nt hole 1/0/0 2\n");
    ASSERT_EQ("", shifted.fatal);
    EXPECT_EQ(std::vector<int>({1}), holes(*shifted.mesh, false));
}

// Edge and corner sharpens every vertex of one face and two edges for the
// rules; the tags stay, and a writer gives back what the file said.
TEST(ObjOptions, EdgeAndCornerSharpensCornersButWritesTheTags) {
    Loaded result = loadObjText("t interpolateboundary 1/0/0 1\nt corner 1/1/0 1 2\n" + grid());
    ASSERT_EQ("", result.fatal);
    const Mesh& mesh = *result.mesh;
    for (int v = 0; v < mesh.numVertices(); ++v) {
        const bool corner = v == 0 || v == 3 || v == 8 || v == 11;
        EXPECT_EQ(corner ? 10.0f : v == 1 ? 2.0f : 0.0f, mesh.vertex(v)->sharpness()) << v;
        EXPECT_EQ(v == 1 ? 2.0f : 0.0f, mesh.vertex(v)->taggedSharpness()) << v;
    }
    EXPECT_TRUE(mesh.hasCreases());
    EXPECT_EQ("t interpolateboundary 1/0/0 1\nt corner 1/1/0 1 2\n", tagsWritten(mesh));
}

// None: a vertex with a boundary edge below infinite sharpness makes all its
// faces holes. On the grid every vertex but the two inner ones is on the
// boundary, so every face is a hole; with the bottom row's boundary edges
// infinitely sharp (and its corners' side edges too) the faces the row's
// vertices alone touch stay.
TEST(ObjOptions, NoneMakesTheFacesAtOpenBoundaryVerticesHoles) {
    Loaded open = loadObjText("t interpolateboundary 1/0/0 0\n" + grid());
    ASSERT_EQ("", open.fatal);
    EXPECT_EQ(6, open.mesh->holeCount());
    EXPECT_TRUE(holes(*open.mesh, true).empty());

    // A 5 x 5 grid: its 9 inner faces touch the boundary only through the
    // ring of 16 faces, whose boundary vertices make them holes.
    Loaded big = loadObjText("t interpolateboundary 1/0/0 0\n" + grid(5, 5));
    ASSERT_EQ("", big.fatal);
    std::vector<int> inner;
    for (int r = 1; r < 4; ++r)
        for (int c = 1; c < 4; ++c) inner.push_back(r * 5 + c);
    std::vector<int> kept;
    for (int f = 0; f < big.mesh->numFaces(); ++f)
        if (!big.mesh->isHole(f)) kept.push_back(f);
    EXPECT_EQ(inner, kept);

    // Infinitely sharp boundary edges all round keep every face; 9.5 is not infinite.
    const std::string ring = "t crease 5/1/0 0 1 2 3 7 10\nt crease 5/1/0 11 10 9 8 4 10\nt crease 2/1/0 7 11 10\n"
                             "t crease 2/1/0 4 0 ";
    Loaded closed = loadObjText("t interpolateboundary 1/0/0 0\n" + grid() + ring + "10\n");
    ASSERT_EQ("", closed.fatal);
    EXPECT_FALSE(closed.mesh->hasHoles());
    Loaded almost = loadObjText("t interpolateboundary 1/0/0 0\n" + grid() + ring + "9.5\n");
    ASSERT_EQ("", almost.fatal);
    EXPECT_EQ(std::vector<int>({0, 3}), holes(*almost.mesh, false));
}

// Other options in effect: the derived sharpness and holes follow, the tags stay.
TEST(ObjOptions, SetOptionsRederivesFromTheTags) {
    Loaded result = loadObjText("t interpolateboundary 1/0/0 1\nt hole 1/0/0 4\n" + grid());
    ASSERT_EQ("", result.fatal);
    Mesh& mesh = *result.mesh;
    EXPECT_EQ(10.0f, mesh.vertex(0)->sharpness());
    mesh.setOptions(SchemeOptions{});
    EXPECT_EQ(0.0f, mesh.vertex(0)->sharpness());
    EXPECT_FALSE(mesh.hasCreases());
    EXPECT_EQ(std::vector<int>({4}), holes(mesh, false));
    mesh.setOptions(SchemeOptions{BoundaryInterpolation::None});
    EXPECT_EQ(6, mesh.holeCount());
    EXPECT_EQ(std::vector<int>({4}), holes(mesh, true));
    EXPECT_EQ("t interpolateboundary 1/0/0 0\nt hole 1/0/0 4\n", tagsWritten(mesh));
}

// The grid with one tag line, line 1 or (where shown) line 19.
TEST(ObjOptions, MalformedOptionTagsAreFatalWithTheirLine) {
    const std::string uvRules = "expected 0 (none), 1 (corners only), 2 (corners plus one), 3 (corners plus two), "
                                 "4 (boundaries) or 5 (all)";
    const struct {
        std::string text, message;
    } cases[] = {
        {"t interpolateboundary\n" + grid(),
         "t.obj:1: malformed interpolateboundary tag: no counts nint/nfloat/nstring after the name"},
        {"t interpolateboundary 1/0/1 2 x\n" + grid(),
         "t.obj:1: malformed interpolateboundary tag: counts 1/0/1, expected 1/0/0"},
        {"t interpolateboundary 1/0/0\n" + grid(),
         "t.obj:1: malformed interpolateboundary tag: counts 1/0/0 call for 1 values, 0 given"},
        {"t interpolateboundary 1/0/0 3\n" + grid(),
         "t.obj:1: malformed interpolateboundary tag: \"3\", expected 0 (none), 1 (edge and corner) or 2 (edge only)"},
        {"t interpolateboundary 1/0/0 one\n" + grid(),
         "t.obj:1: malformed interpolateboundary tag: \"one\", expected 0 (none), 1 (edge and corner) or 2 (edge only)"},
        {"t creasemethod 1/0/0 1\n" + grid(), "t.obj:1: malformed creasemethod tag: counts 1/0/0, expected 0/0/1"},
        {"t creasemethod 0/0/1 uniform\n" + grid(),
         "t.obj:1: malformed creasemethod tag: \"uniform\", expected normal or chaikin"},
        {"t creasemethod 0/0/1 chaikin normal\n" + grid(),
         "t.obj:1: malformed creasemethod tag: counts 0/0/1 call for 1 values, 2 given"},
        {"t smoothtriangles 0/0/2 smooth smooth\n" + grid(),
         "t.obj:1: malformed smoothtriangles tag: counts 0/0/2, expected 0/0/1"},
        {"t smoothtriangles 0/0/1 Smooth\n" + grid(),
         "t.obj:1: malformed smoothtriangles tag: \"Smooth\", expected catmark or smooth"},
        {"t facevaryinginterpolateboundary 0/0/1 all\n" + grid(),
         "t.obj:1: malformed facevaryinginterpolateboundary tag: counts 0/0/1, expected 1/0/0"},
        {"t facevaryinginterpolateboundary 1/0/0 1 2\n" + grid(),
         "t.obj:1: malformed facevaryinginterpolateboundary tag: counts 1/0/0 call for 1 values, 2 given"},
        {"t facevaryinginterpolateboundary 1/0/0 6\n" + grid(),
         "t.obj:1: malformed facevaryinginterpolateboundary tag: \"6\", " + uvRules},
        {"t facevaryinginterpolateboundary 1/0/0 -1\n" + grid(),
         "t.obj:1: malformed facevaryinginterpolateboundary tag: \"-1\", " + uvRules},
        {grid() + "t facevaryinginterpolateboundary 1/0/0 4.0\n",
         "t.obj:19: malformed facevaryinginterpolateboundary tag: \"4.0\", " + uvRules},
        {"t facevaryingpropagatecorners 1/0/1 1 x\n" + grid(),
         "t.obj:1: malformed facevaryingpropagatecorners tag: counts 1/0/1, expected 1/0/0"},
        {grid() + "t facevaryingpropagatecorners 1/0/0 2\n",
         "t.obj:19: malformed facevaryingpropagatecorners tag: \"2\", expected 0 or 1"},
        {"t facevaryingpropagatecorners 1/0/0 yes\n" + grid(),
         "t.obj:1: malformed facevaryingpropagatecorners tag: \"yes\", expected 0 or 1"},
        {"t hole 0/0/0\n" + grid(), "t.obj:1: malformed hole tag: counts 0/0/0, expected n/0/0 with n >= 1"},
        {"t hole 1/1/0 0 1\n" + grid(), "t.obj:1: malformed hole tag: counts 1/1/0, expected n/0/0 with n >= 1"},
        {"t hole 2/0/0 1\n" + grid(), "t.obj:1: malformed hole tag: counts 2/0/0 call for 2 values, 1 given"},
        {"t hole 1/0/0 x\n" + grid(), "t.obj:1: malformed hole tag: face index \"x\" is not a 32-bit integer"},
        {grid() + "t hole 1/0/0 6\n", "t.obj:19: hole face index 6 out of range (6 faces)"},
        {grid() + "t hole 2/0/0 0 -1\n", "t.obj:19: hole face index -1 out of range (6 faces)"},
    };
    for (const auto& c : cases) {
        Loaded result = loadObjText(c.text);
        EXPECT_EQ(c.message, result.fatal) << c.text.substr(0, 60);
        EXPECT_EQ(0, result.mesh->numVertices());
    }
}
