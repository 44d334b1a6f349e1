// The text loader: every message it gives, word for word, which inputs are
// fatal and which only drop a face, and what the mesh looks like afterwards.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "support/capture.h"
#include "support/catalogue.h"
#include "support/loading.h"
#include "support/tempdir.h"
#include "mesh/meshfile.h"

using namespace facetry;

namespace {

const std::string kTriangleVertices = "numV = 3\n0 0 0\n1 0 0\n0 1 0\n";
const std::string kTriangle = kTriangleVertices + "numE = 3\nnumF = 1\n0 1 2 -1\n";
const std::string kQuadVertices = "numV = 4\n0 0 0\n1 0 0\n1 1 0\n0 1 0\n";

// One input and everything the loader says about it.
struct Case {
    const char* what;                   // what the input shows
    std::string text;                   // the file's contents
    std::vector<std::string> messages;  // the non-fatal messages, in order
    std::string fatal;                  // the fatal message, or "" when the mesh loads
};

void expectOutcome(const Case& c) {
    SCOPED_TRACE(c.what);
    Loaded l = loadText(c.text);
    EXPECT_EQ(l.messages, c.messages);
    EXPECT_EQ(l.fatal, c.fatal);
    if (!c.fatal.empty()) {
        // A fatal error leaves the mesh empty.
        EXPECT_EQ(l.mesh->numVertices(), 0);
        EXPECT_EQ(l.mesh->numEdges(), 0);
        EXPECT_EQ(l.mesh->numFaces(), 0);
    }
}

// The vertices of a 23-gon in the plane, enough for faces of 20 to 23 vertices.
std::string polygonVertices(int n) {
    std::string text = "numV = " + std::to_string(n) + "\n";
    for (int i = 0; i < n; ++i)
        text += std::to_string(std::cos(i * 0.27)) + " " + std::to_string(std::sin(i * 0.27)) + " 0\n";
    return text;
}

std::string indices(int from, int to) {  // "from from+1 ... to-1 -1"
    std::string text;
    for (int i = from; i < to; ++i) text += std::to_string(i) + " ";
    return text + "-1\n";
}

const std::string kTetrahedronVertices = "numV = 4\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n";
const std::string kTetrahedronFaces = "0 2 1 -1\n0 1 3 -1\n0 3 2 -1\n1 2 3 -1\n";

}  // namespace

TEST(LoaderMessages, CountLines) {
    for (const Case& c : std::vector<Case>{
             {"no input at all", "", {}, "parse error, numVertices"},
             {"word in lower case", "numv = 3", {}, "parse error, numVertices"},
             {"longer word", "numVertices = 3", {}, "parse error, numVertices"},
             {"no equals sign", "numV 3", {}, "parse error, numVertices"},
             {"no number", "numV = x", {}, "parse error, numVertices"},
             {"negative count", "numV = -1", {}, "parse error, numVertices"},
             {"count beyond 32 bits", "numV = 4294967299", {}, "parse error, numVertices"},
             {"count just beyond int", "numV = 2147483648", {}, "parse error, numVertices"},
             {"no edge count", kTriangleVertices + "numF = 1", {}, "parse error: numEdges"},
             {"edge word cased", kTriangleVertices + "NumE = 3", {}, "parse error: numEdges"},
             {"negative edges", kTriangleVertices + "numE = -3", {}, "parse error: numEdges"},
             {"edges beyond 32 bits", kTriangleVertices + "numE = 4294967299", {}, "parse error: numEdges"},
             {"no face count", kTriangleVertices + "numE = 3\n", {}, "parse error: numFaces"},
             {"face word cased", kTriangleVertices + "numE = 3 NUMF = 1", {}, "parse error: numFaces"},
             {"negative faces", kTriangleVertices + "numE = 3 numF = -1", {}, "parse error: numFaces"},
             {"faces beyond 32 bits", kTriangleVertices + "numE = 3 numF = 4294967297", {}, "parse error: numFaces"},
         })
        expectOutcome(c);
}

TEST(LoaderMessages, VertexRecords) {
    const std::string head = "numV = 3\n0 0 0\n";
    const std::string tail = "\n0 1 0\nnumE = 3\nnumF = 1\n0 1 2 -1\n";
    for (const Case& c : std::vector<Case>{
             {"two numbers", head + "1 1\nnumE = 3\nnumF = 1\n0 1 2 -1\n", {}, "parse error, vertex 1"},
             {"a word", head + "1 zero 0" + tail, {}, "parse error, vertex 1"},
             {"nan", head + "1 nan 0" + tail, {}, "parse error, vertex 1"},
             {"NAN", head + "NAN 0 0" + tail, {}, "parse error, vertex 1"},
             {"inf", head + "inf 0 0" + tail, {}, "parse error, vertex 1"},
             {"-infinity", head + "0 0 -infinity" + tail, {}, "parse error, vertex 1"},
             {"overflows to infinity", head + "1e39 0 0" + tail, {}, "parse error, vertex 1"},
             {"hexadecimal overflow", head + "0x1p200 0 0" + tail, {}, "parse error, vertex 1"},
             {"file ends in the vertices", head + "1 0 0\n", {}, "parse error, vertex 2"},
             {"first vertex short", "numV = 3\n0 0\nnumE", {}, "parse error, vertex 0"},
             {"signs, fractions, exponents", head + "+1.5e0 -.25 0x1p-2" + tail, {}, ""},
         })
        expectOutcome(c);
}

TEST(LoaderMessages, FaceIndices) {
    const std::string head = kQuadVertices + "numE = 5\nnumF = 2\n";
    for (const Case& c : std::vector<Case>{
             {"index equal to numV", head + "0 1 4 -1", {}, "PARSE ERROR: face 0"},
             {"index -2", head + "0 -2 1 -1", {}, "PARSE ERROR: face 0"},
             {"not a number", head + "0 1 x -1", {}, "PARSE ERROR: face 0"},
             {"index beyond 32 bits", head + "0 1 4294967298 -1", {}, "PARSE ERROR: face 0"},
             {"negative beyond 32 bits", head + "0 1 -4294967297 -1", {}, "PARSE ERROR: face 0"},
             {"second face bad", head + "0 1 2 -1 2 3 7 -1", {}, "PARSE ERROR: face 1"},
             {"file ends before the faces", head, {}, "PARSE ERROR: face 0"},
             {"file ends inside a face", head + "0 1 2 -1 2 3", {}, "PARSE ERROR: face 1"},
             {"file ends before the last -1", head + "0 1 2 -1 2 3 0", {}, "PARSE ERROR: face 1"},
             // A dropped face does not take a slot: the next record is reported under its number.
             {"after a dropped face", head + "0 1 -1 0 1 9 -1", {"parse error, vertex 2 valence out of range"},
              "PARSE ERROR: face 0"},
             {"two triangles", head + "0 1 2 -1 2 3 0 -1", {}, ""},
         })
        expectOutcome(c);
}

TEST(LoaderMessages, EdgeCounts) {
    for (const Case& c : std::vector<Case>{
             {"one edge short", kTriangleVertices + "numE = 2 numF = 1 0 1 2 -1", {}, "Too many edges"},
             {"no edges declared", kTriangleVertices + "numE = 0 numF = 1 0 1 2 -1", {}, "Too many edges"},
             {"second face needs more", kQuadVertices + "numE = 4 numF = 2 0 1 2 -1 2 3 0 -1", {}, "Too many edges"},
             {"exact count", kTriangle, {}, ""},
             {"more declared", kTriangleVertices + "numE = 7 numF = 1 0 1 2 -1", {"PARSE WARNING: 3 actual edges in mesh"},
              ""},
         })
        expectOutcome(c);
}

TEST(LoaderMessages, DroppedFaces) {
    const std::string head = kQuadVertices + "numE = 4\nnumF = 3\n";
    for (const Case& c : std::vector<Case>{
             {"-1 alone", head + "-1 0 1 2 3 -1 -1", {"parse error, vertex 0 valence out of range",
                                                     "parse error, vertex 0 valence out of range"}, ""},
             {"two vertices", head + "0 1 -1 0 1 2 3 -1 3 2 -1", {"parse error, vertex 2 valence out of range",
                                                                 "parse error, vertex 2 valence out of range"}, ""},
             {"repeated vertex", head + "0 1 2 3 -1 0 1 1 2 -1 0 2 0 -1", {"ERROR: Face 1 -- repeats a vertex",
                                                                         "ERROR: Face 1 -- repeats a vertex"}, ""},
             {"repeated at the wrap", head + "0 1 2 0 -1 0 1 2 3 -1 1 0 3 2 -1", {"ERROR: Face 0 -- repeats a vertex"},
              ""},
             {"tetrahedron with a fifth face",
              kTetrahedronVertices + "numE = 6 numF = 5\n" + kTetrahedronFaces + "0 1 2 -1\n",
              {"ERROR: Face 4 -- creates non-manifold geometry"}, ""},
         })
        expectOutcome(c);
}

TEST(Loader, TetrahedronWithAFifthFaceKeepsFourFaces) {
    Loaded t = loadText(kTetrahedronVertices + "numE = 6 numF = 5\n" + kTetrahedronFaces + "0 1 2 -1\n");
    ASSERT_EQ(t.fatal, "");
    EXPECT_EQ(t.mesh->numEdges(), 6);
    EXPECT_EQ(t.mesh->numFaces(), 4);
    for (int v = 0; v < 4; ++v) {
        EXPECT_FALSE(t.mesh->vertex(v)->onBoundary());
        EXPECT_EQ(t.mesh->vertex(v)->edgeVal(), 3);
        EXPECT_EQ(t.mesh->vertex(v)->faceVal(), 3);
    }
    for (int e = 0; e < 6; ++e) EXPECT_FALSE(t.mesh->edge(e)->onBoundary());
}

TEST(Loader, TwentyVerticesMakeAFaceTwentyOneAreDropped) {
    Loaded twenty = loadText(polygonVertices(20) + "numE = 20 numF = 1\n" + indices(0, 20));
    ASSERT_EQ(twenty.fatal, "");
    EXPECT_TRUE(twenty.messages.empty());
    ASSERT_EQ(twenty.mesh->numFaces(), 1);
    EXPECT_EQ(twenty.mesh->face(0)->valence(), 20);
    EXPECT_EQ(twenty.mesh->totalValence(), 20);

    // Records of 21 and 23 vertices, then one of 20: the reader resumes after
    // each long record's -1 (a misplaced resumption would read "21 22 -1").
    Loaded longer = loadText(polygonVertices(23) + "numE = 20 numF = 3\n" + indices(0, 21) + indices(0, 23) +
                             indices(0, 20));
    ASSERT_EQ(longer.fatal, "");
    EXPECT_EQ(longer.messages, (std::vector<std::string>{"PARSE ERROR: face 0 has too high valence",
                                                          "PARSE ERROR: face 0 has too high valence"}));
    ASSERT_EQ(longer.mesh->numFaces(), 1);
    EXPECT_EQ(longer.mesh->face(0)->valence(), 20);
    EXPECT_EQ(longer.mesh->numEdges(), 20);
    EXPECT_EQ(longer.mesh->numVertices(), 23);

    // The file ends while the rest of a long record is passed over.
    std::string unfinished = indices(0, 22);
    unfinished.resize(unfinished.size() - 3);  // without its "-1\n"
    Loaded cut = loadText(polygonVertices(23) + "numE = 20 numF = 1\n" + unfinished);
    EXPECT_EQ(cut.messages, std::vector<std::string>{"PARSE ERROR: face 0 has too high valence"});
    EXPECT_EQ(cut.fatal, "PARSE ERROR: face 0");
}

TEST(Loader, CountLinesReadAlikeWithAndWithoutBlanks) {
    const std::string body = "0 0 0\n1 0 0\n0 1 0\n";
    for (const std::string& layout :
         {std::string("numV = 3\n") + body + "numE = 3\nnumF = 1\n", "numV=3\n" + body + "numE=3\nnumF=1\n",
          "numV =3 " + body + "numE= 3 numF =1 ", "  numV\n=\n3\n" + body + "\tnumE\t=\t3\nnumF\n\n=\n1",
          std::string("numV = 3\r\n0 0 0\r\n1 0 0\r\n0 1 0\r\nnumE = 3\r\nnumF = 1\r\n")}) {
        Loaded l = loadText(layout + " 0 1\n2\n-1");
        ASSERT_EQ(l.fatal, "") << layout;
        EXPECT_TRUE(l.messages.empty()) << layout;
        EXPECT_EQ(l.mesh->numVertices(), 3);
        EXPECT_EQ(l.mesh->numEdges(), 3);
        EXPECT_EQ(l.mesh->numFaces(), 1);
        EXPECT_EQ(l.mesh->vertex(2)->position(), Vector(0, 1, 0));
    }
}

TEST(Loader, ReadsNoFurtherThanTheLastFaceAndLeavesTheStreamOpen) {
    std::string text = kTriangle.substr(0, kTriangle.size() - 1) + "Xrest of the file 1 2 3";
    FILE* input = fmemopen(&text[0], text.size(), "r");
    ASSERT_NE(input, nullptr);
    Mesh mesh;
    std::vector<std::string> messages;
    mesh.load(input, [&messages](const std::string& m) { messages.push_back(m); });
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(mesh.numFaces(), 1);
    EXPECT_EQ(std::fgetc(input), 'X');
    std::fclose(input);
}

TEST(Loader, ExampleMeshesLoadWithoutAnyMessage) {
    int examples = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(FACETRY_SOURCE_DIR) + "/examples")) {
        if (!entry.is_regular_file()) continue;  // the consumer program's folder
        const std::string path = entry.path().string();
        SCOPED_TRACE(path);
        Mesh mesh;
        std::vector<std::string> messages;
        try {
            loadMeshFile(path, mesh, [&messages](const std::string& m) { messages.push_back(m); });
        } catch (const LoadError& error) {
            ADD_FAILURE() << error.what();
        }
        EXPECT_TRUE(messages.empty()) << messages.size() << " messages";
        EXPECT_GT(mesh.numFaces(), 0);
        ++examples;
    }
    EXPECT_GE(examples, 3);
    Loaded cube = loadText(meshText(catalogueMesh("exampleCube").control));
    EXPECT_EQ(cube.mesh->numVertices(), 8);
    EXPECT_EQ(cube.mesh->numEdges(), 12);
    EXPECT_EQ(cube.mesh->numFaces(), 6);
}
