// The generated benchmark meshes: loaded through the real loader without a
// message, with the exact counts, Euler characteristic, boundary and mix of
// polygons each generator promises, and the same text on every call.
#include "benchmeshes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <tuple>

#include "facetrytimings.h"

using namespace facetry;

namespace {

struct Shape {
    int vertices, edges, faces, boundaryEdges;
};

Shape shapeOf(const Mesh& mesh) {
    Shape shape{mesh.numVertices(), mesh.numEdges(), mesh.numFaces(), 0};
    for (int e = 0; e < mesh.numEdges(); ++e) shape.boundaryEdges += mesh.edge(e)->onBoundary();
    return shape;
}

std::map<int, int> facesByValence(const Mesh& mesh) {
    std::map<int, int> count;
    for (int f = 0; f < mesh.numFaces(); ++f) ++count[mesh.face(f)->valence()];
    return count;
}

void expectShape(const BenchMesh& input, Shape expected, int euler) {
    SCOPED_TRACE(input.name);
    std::unique_ptr<Mesh> mesh = loadText(input.text);  // throws on any loader message
    Shape shape = shapeOf(*mesh);
    EXPECT_EQ(shape.vertices, expected.vertices);
    EXPECT_EQ(shape.edges, expected.edges);
    EXPECT_EQ(shape.faces, expected.faces);
    EXPECT_EQ(shape.boundaryEdges, expected.boundaryEdges);
    EXPECT_EQ(shape.vertices - shape.edges + shape.faces, euler);
}

TEST(BenchMeshes, GeneratedMeshesHaveTheirCountsAndTopology) {
    expectShape(quadTorus(), {10000, 20000, 10000, 0}, 0);
    expectShape(triangleSphere(), {25002, 75000, 50000, 0}, 2);
    expectShape(shuffledSphere(), {25002, 75000, 50000, 0}, 2);
    expectShape(scannedSphere(), {121002, 363000, 242000, 0}, 2);
    expectShape(mixedTorus(), {1560, 3000, 1440, 0}, 0);
    // 121 x 81 grid vertices less the 19 x 9 strictly inside the hole;
    // 120 * 81 + 121 * 80 grid edges less the 20 * 9 + 19 * 10 inside it; the
    // outer rim has 2 * (120 + 80) edges, the hole's rim 2 * (20 + 10).
    expectShape(openPatch(), {9630, 19030, 9400, 460}, 0);
}

TEST(BenchMeshes, PolygonMixAndValences) {
    std::unique_ptr<Mesh> mixed = loadText(mixedTorus().text);
    EXPECT_EQ(facesByValence(*mixed), (std::map<int, int>{{3, 240}, {4, 840}, {5, 240}, {6, 120}}));
    std::unique_ptr<Mesh> torus = loadText(quadTorus().text);
    EXPECT_EQ(facesByValence(*torus), (std::map<int, int>{{4, 10000}}));

    std::unique_ptr<Mesh> sphere = loadText(triangleSphere().text);
    std::map<int, int> vertexValences;
    for (int v = 0; v < sphere->numVertices(); ++v) ++vertexValences[sphere->vertex(v)->edgeVal()];
    EXPECT_EQ(vertexValences, (std::map<int, int>{{5, 12}, {6, 24990}}));

    // The scan's edge flips spread the valences over 4 to 10.
    std::unique_ptr<Mesh> scan = loadText(scannedSphere().text);
    std::map<int, int> scanValences;
    for (int v = 0; v < scan->numVertices(); ++v) ++scanValences[scan->vertex(v)->edgeVal()];
    EXPECT_EQ(scanValences.begin()->first, 4);
    EXPECT_EQ(scanValences.rbegin()->first, 10);
    for (int valence = 4; valence <= 10; ++valence) EXPECT_GT(scanValences[valence], 100) << valence;
}

TEST(BenchMeshes, ShuffledSphereIsTheSphereInAnotherOrder) {
    std::unique_ptr<Mesh> sphere = loadText(triangleSphere().text), shuffled = loadText(shuffledSphere().text);
    auto sorted = [](const Mesh& mesh) {
        std::vector<std::tuple<float, float, float>> points;
        for (int v = 0; v < mesh.numVertices(); ++v) {
            const Vector p = mesh.vertex(v)->position();
            points.emplace_back(p.x, p.y, p.z);
        }
        std::sort(points.begin(), points.end());
        return points;
    };
    EXPECT_EQ(sorted(*sphere), sorted(*shuffled));
    // Far from the order it was generated in: most faces moved.
    int samePlace = 0;
    for (int f = 0; f < sphere->numFaces(); ++f)
        samePlace += sphere->face(f)->vertex(0)->position() == shuffled->face(f)->vertex(0)->position();
    EXPECT_LT(samePlace, sphere->numFaces() / 100);
}

TEST(BenchMeshes, GeneratorsAreDeterministic) {
    EXPECT_EQ(quadTorus().text, quadTorus().text);
    EXPECT_EQ(triangleSphere().text, triangleSphere().text);
    EXPECT_EQ(mixedTorus().text, mixedTorus().text);
    EXPECT_EQ(openPatch().text, openPatch().text);
    EXPECT_EQ(shuffledSphere().text, shuffledSphere().text);
}

TEST(BenchMeshes, BundledExamplesAreFoundAndLoad) {
    std::vector<BenchMesh> examples = bundledExamples(FACETRY_SOURCE_DIR "/examples");
    ASSERT_GE(examples.size(), 4u);
    for (std::size_t k = 1; k < examples.size(); ++k) EXPECT_LT(examples[k - 1].name, examples[k].name);
    for (const BenchMesh& example : examples) {
        SCOPED_TRACE(example.name);
        EXPECT_GT(loadText(example.text)->numFaces(), 0);
    }
}

}  // namespace
