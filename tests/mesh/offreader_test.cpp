// OFF import: comments, colours and header forms; the shared face checks;
// malformed records reported with the file and line; counts the file does
// not live up to.

#include <gtest/gtest.h>

#include "support/catalogue.h"
#include "support/loading.h"
#include "support/process.h"
#include "support/tempdir.h"

using namespace facetry;

namespace {

TEST(OffReader, IgnoresCommentsColoursAndTheDeclaredEdgeCount) {
    const std::string text =
        "# a tetrahedron\nCOFF # with colours\n\n4 4 99 # edges declared wrongly\n"
        "0.1 0.2 0.3 255 0 0 255\n1.7 0.1 -0.2 0 255 0 255\n# between\n0.3 1.9 0.1 0 0 255 255\n"
        "0.2 0.4 1.3 9 9 9 9\n3 0 2 1 0.5 0.5 0.5\n3 0 1 3\n3\t0 3 2 # last but one\n3 1 2 3 1 0 0 1\n";
    Loaded result = loadOffText(text);
    ASSERT_EQ("", result.fatal);
    EXPECT_TRUE(result.messages.empty());
    const RefMesh& expected = catalogueMesh("tetrahedron").control;
    EXPECT_EQ(expected.faces, facesOf(*result.mesh));
    EXPECT_EQ(static_cast<float>(expected.points[2].y), result.mesh->vertex(2)->position().y);
    EXPECT_EQ(6, result.mesh->numEdges());
}

TEST(OffReader, TakesTheCountsOnTheHeaderLine) {
    Loaded result = loadOffText("OFF 3 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n");
    ASSERT_EQ("", result.fatal);
    EXPECT_EQ(3, result.mesh->numEdges());
}

TEST(OffReader, DropsFacesWithTheTextFormatsMessages) {
    std::string text = "OFF\n4 5 0\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n3 0 2 1\n2 0 1\n21";
    for (int k = 0; k < 7; ++k) text += " 0 1 2";
    text += "\n0\n3 0 1 3\n";
    Loaded result = loadOffText(text);
    ASSERT_EQ("", result.fatal);
    const std::vector<std::string> expected = {"parse error, vertex 2 valence out of range",
                                               "PARSE ERROR: face 1 has too high valence",
                                               "parse error, vertex 0 valence out of range"};
    EXPECT_EQ(expected, result.messages);
    EXPECT_EQ(2, result.mesh->numFaces());
}

TEST(OffReader, NamesTheFileAndLineOfMalformedInput) {
    const std::string tri = "OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n";
    const struct {
        std::string text, message;
    } cases[] = {
        {"3 1 0\n0 0 0\n", "t.off:1: not an OFF file (it must begin with OFF)"},
        {"# c\n\nOFX\n", "t.off:3: not an OFF file (it must begin with OFF)"},
        {"OFF\nthree 1 0\n", "t.off:2: expected the vertex count"},
        {"OFF\n3 -1 0\n", "t.off:2: expected the face count"},
        {"OFF\n3 1 0\n0 0 0\n1 0 nan\n", "t.off:4: vertex 1: expected three numbers x y z"},
        {"OFF\n3 1 0\n0 0 0\n1 0 0\n", "t.off:5: vertex 2: the file ends inside the vertices"},
        {tri + "3 0 1 3\n", "t.off:6: face 0: vertex index 3 out of range (3 vertices)"},
        {tri + "3 0 -1 2\n", "t.off:6: face 0: vertex index -1 out of range (3 vertices)"},
        {tri + "-3 0 1 2\n", "t.off:6: face 0: negative vertex count"},
        {tri + "3 0 1\n", "t.off:7: face 0: the file ends inside the face"},
        {tri + "3 0 1 x\n", "t.off:6: face 0: expected a vertex index"},
        {"OFF\n3 2 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n", "t.off:7: face 1: the file ends before the last face"},
        // Counts far beyond the data fail at the end of the data, having
        // committed no memory for them.
        {"OFF\n2147483647 2147483647 0\n0 0 0\n", "t.off:4: vertex 1: the file ends inside the vertices"},
        {tri.substr(0, 4) + "3 2147483647 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n",
         "t.off:7: face 1: the file ends before the last face"},
        {"OFF\n0 0 0\n", "ERROR: the mesh has no vertices"},
    };
    for (const auto& c : cases) {
        Loaded result = loadOffText(c.text);
        EXPECT_EQ(c.message, result.fatal) << c.text;
        EXPECT_EQ(0, result.mesh->numVertices()) << c.text;
    }
}

}  // namespace
