// How the loader settles bad input: dropped faces leave nothing behind,
// unused vertices are kept apart from the surface, and every input that
// cannot give a usable mesh ends in a clear fatal message.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

#include "support/capture.h"
#include "support/catalogue.h"
#include "support/loading.h"
#include "support/tempdir.h"

using namespace facetry;

namespace {

const std::string kTetrahedronVertices = "numV = 4\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n";
const std::string kTetrahedronFaces = "0 2 1 -1\n0 1 3 -1\n0 3 2 -1\n1 2 3 -1\n";

// Every edge of the mesh has at least one face.
void expectNoBareEdges(const Mesh& mesh) {
    for (int e = 0; e < mesh.numEdges(); ++e) EXPECT_NE(mesh.edge(e)->face(0), nullptr) << "edge " << e;
}

}  // namespace

TEST(LoaderDecisions, DroppedFaceLeavesNoEdgeBehind) {
    // The last face would make the new edge 4-0 before meeting the full edge 0-1.
    const std::string text = "numV = 7\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n3 0 0\n4 0 0\n3 1 0\n"
                             "numE = 10 numF = 6\n" + kTetrahedronFaces + "4 5 6 -1\n4 0 1 -1\n";
    Loaded l = loadText(text);
    ASSERT_EQ(l.fatal, "");
    EXPECT_EQ(l.messages, (std::vector<std::string>{"ERROR: Face 5 -- creates non-manifold geometry",
                                                     "PARSE WARNING: 9 actual edges in mesh"}));
    EXPECT_EQ(l.mesh->numEdges(), 9);
    EXPECT_EQ(l.mesh->numFaces(), 5);
    EXPECT_EQ(l.mesh->vertex(0)->edgeVal(), 3);
    EXPECT_FALSE(l.mesh->vertex(0)->adjacent(l.mesh->vertex(4)));
    EXPECT_EQ(l.mesh->vertex(4)->edgeVal(), 2);
    EXPECT_TRUE(l.mesh->vertex(4)->onBoundary());
    expectNoBareEdges(*l.mesh);
}

TEST(LoaderDecisions, DroppedFaceDoesNotUseUpTheEdgeCount) {
    // With numE exact for the accepted faces, a dropped face that would have
    // made edges before failing must not run into "Too many edges".
    const std::string text = "numV = 7\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n3 0 0\n4 0 0\n3 1 0\n"
                             "numE = 9 numF = 6\n" + kTetrahedronFaces + "5 4 0 1 -1\n4 5 6 -1\n";
    Loaded l = loadText(text);
    ASSERT_EQ(l.fatal, "");
    EXPECT_EQ(l.messages, std::vector<std::string>{"ERROR: Face 4 -- creates non-manifold geometry"});
    EXPECT_EQ(l.mesh->numEdges(), 9);
    expectNoBareEdges(*l.mesh);
}

TEST(LoaderDecisions, RepeatedVertexIsDroppedBeforeAnyEdgeIsMade) {
    // Made edge by edge, "0 4 2 4" would need edge 0-4 beyond the declared four.
    Loaded l = loadText("numV = 5\n0 0 0\n1 0 0\n1 1 0\n0 1 0\n2 2 0\nnumE = 4 numF = 2\n0 1 2 3 -1\n0 4 2 4 -1\n");
    ASSERT_EQ(l.fatal, "");
    EXPECT_EQ(l.messages, std::vector<std::string>{"ERROR: Face 1 -- repeats a vertex"});
    EXPECT_EQ(l.mesh->numFaces(), 1);
    EXPECT_EQ(l.mesh->numEdges(), 4);
    EXPECT_EQ(l.mesh->vertex(4)->edgeVal(), 0);
}

TEST(LoaderDecisions, UnusedVerticesStayOutsideTheSurface) {
    Loaded l = loadText("numV = 5\n0 0 0\n1 0 0\n1 1 0\n0 1 0\n7 -8 9\nnumE = 4 numF = 1\n0 1 2 3 -1\n");
    ASSERT_EQ(l.fatal, "");
    EXPECT_TRUE(l.messages.empty());
    ASSERT_EQ(l.mesh->numVertices(), 5);
    const MeshVertex* loose = l.mesh->vertex(4);
    EXPECT_EQ(loose->id, 4);
    EXPECT_EQ(loose->edgeVal(), 0);
    EXPECT_EQ(loose->faceVal(), 0);
    EXPECT_FALSE(loose->onBoundary());
    EXPECT_EQ(loose->vertexPoint(), Vector(7, -8, 9));
    // It still counts for the bounds and the dump.
    Vector lo, hi;
    l.mesh->boundingBox(lo, hi);
    EXPECT_EQ(lo, Vector(0, -8, 0));
    EXPECT_EQ(hi, Vector(7, 1, 9));
    std::string dump = captureStdout([&l] { l.mesh->print(); });
    EXPECT_NE(dump.find("\n\t[v4 e:{} f:{}]\n"), std::string::npos) << dump;
    // Moving it is harmless.
    l.mesh->vertex(4)->setPosition(Vector(1, 2, 3));
    EXPECT_EQ(loose->vertexPoint(), Vector(1, 2, 3));
}

TEST(LoaderDecisions, VertexWhoseFacesFormNoSingleFanIsFatal) {
    const char* fatal = "Non-manifold geometry -- the faces at vertex %d do not form one fan";
    auto message = [fatal](int v) {
        char text[120];
        std::snprintf(text, sizeof text, fatal, v);
        return std::string(text);
    };
    struct Case { const char* what; std::string text; int vertex; };
    for (const Case& c : std::vector<Case>{
             {"two triangles touching at a corner",
              "numV = 5 0 0 0 1 0 0 2 0 0 3 1 0 3 -1 0 numE = 6 numF = 2 0 1 2 -1 2 3 4 -1", 2},
             {"two closed tetrahedra sharing a vertex",
              "numV = 7 0 0 0 1 0 0 0 1 0 1 1 1 2 1 1 1 2 1 1 1 2 numE = 12 numF = 8 "
              "0 2 1 -1 0 1 3 -1 0 3 2 -1 1 2 3 -1 3 5 4 -1 3 4 6 -1 3 6 5 -1 4 5 6 -1", 3},
             {"a closed fan and an open one",
              "numV = 6 0 0 0 1 0 0 0 1 0 0 0 1 2 2 2 3 3 2 numE = 9 numF = 5 " + kTetrahedronFaces + "3 4 5 -1", 3},
         }) {
        Loaded l = loadText(c.text);
        EXPECT_EQ(l.fatal, message(c.vertex)) << c.what;
        EXPECT_TRUE(l.messages.empty()) << c.what;
        EXPECT_EQ(l.mesh->numVertices(), 0) << c.what;
    }
}

TEST(LoaderDecisions, MeshWithoutVerticesOrFacesIsFatal) {
    struct Case { const char* what; std::string text; std::vector<std::string> messages; std::string fatal; };
    for (const Case& c : std::vector<Case>{
             {"no vertices", "numV = 0 numE = 0 numF = 0", {}, "ERROR: the mesh has no vertices"},
             {"no faces declared", "numV = 3 0 0 0 1 0 0 0 1 0 numE = 0 numF = 0", {}, "ERROR: the mesh has no faces"},
             {"every face dropped", "numV = 3 0 0 0 1 0 0 0 1 0 numE = 3 numF = 2 0 1 -1 0 1 1 -1",
              {"parse error, vertex 2 valence out of range", "ERROR: Face 0 -- repeats a vertex",
               "PARSE WARNING: 0 actual edges in mesh"},
              "ERROR: the mesh has no faces"},
         }) {
        Loaded l = loadText(c.text);
        EXPECT_EQ(l.messages, c.messages) << c.what;
        EXPECT_EQ(l.fatal, c.fatal) << c.what;
    }
}

TEST(LoaderDecisions, HugeCountsCostNoMemoryUntilTheDataIsThere) {
    // Were the arrays sized by the counts, these would ask for hundreds of gigabytes.
    Loaded vertices = loadText("numV = 2000000000\n0 0 0\n1 0 0\n0 1 0\nnumE = 3\n");
    EXPECT_EQ(vertices.fatal, "parse error, vertex 3");
    std::string cube = meshText(catalogueMesh("exampleCube").control);
    std::string moreEdges = cube;
    moreEdges.replace(moreEdges.find("numE = 12"), 9, "numE = 2147483647");
    Loaded edges = loadText(moreEdges);
    EXPECT_EQ(edges.fatal, "");
    EXPECT_EQ(edges.messages, std::vector<std::string>{"PARSE WARNING: 12 actual edges in mesh"});
    EXPECT_EQ(edges.mesh->numEdges(), 12);
    std::string moreFaces = cube;
    moreFaces.replace(moreFaces.find("numF = 6"), 8, "numF = 2147483647");
    Loaded faces = loadText(moreFaces);
    EXPECT_EQ(faces.fatal, "PARSE ERROR: face 6");
}

TEST(LoaderDeathTest, ReadingTwiceOrFromNoStreamFailsItsCheck) {
    Loaded l = loadText(meshText(catalogueMesh("exampleCube").control));
    ASSERT_EQ(l.fatal, "");
    std::string text = meshText(catalogueMesh("exampleCube").control);
    FILE* input = fmemopen(&text[0], text.size(), "r");
    ASSERT_NE(input, nullptr);
    const char* expected = "Assertion failed: !numV && !numE && !numF && input, file src/mesh/mesh.cpp";
    EXPECT_DEATH(l.mesh->load(input, [](const std::string&) {}), expected);
    Mesh empty;
    EXPECT_DEATH(empty.load(nullptr, [](const std::string&) {}), expected);
    std::fclose(input);
}

TEST(LoaderDeathTest, RunningOutOfMemoryIsAClearFatalMessage) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#else
    // Two million vertices need 24 MB for their positions alone; the child
    // gets 8 MB of address space beyond what it already uses.
    std::string text = "numV = 2000000\n";
    for (int i = 0; i < 2000000; ++i) text += "0 0 0\n";
    text += "numE = 3 numF = 1 0 1 2 -1\n";
    FILE* input = fmemopen(&text[0], text.size(), "r");
    ASSERT_NE(input, nullptr);
    auto loadWithLittleMemory = [input] {
        long pages = 0;
        if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(statm, "%ld", &pages) != 1) pages = 0;
            std::fclose(statm);
        }
        rlim_t limit = rlim_t(pages) * sysconf(_SC_PAGESIZE) + (8 << 20);
        rlimit cap{limit, limit};
        setrlimit(RLIMIT_AS, &cap);
        Mesh mesh;
        mesh.read(input);
    };
    EXPECT_EXIT(loadWithLittleMemory(), testing::ExitedWithCode(255), "^ERROR: not enough memory to load the mesh\n$");
    std::fclose(input);
#endif
}
