// The surface does not depend on how it is computed: any number of threads
// gives the same bits, and a control mesh whose vertices and faces come in
// another order gives the same surface, up to that order and to the rounding
// of sums taken around a vertex in another order.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <numeric>
#include <random>
#include <stdexcept>

#include "support/catalogue.h"
#include "support/loading.h"
#include "mr/parallel.h"
#include "surface_probe.h"

using namespace facetry;

namespace {

// Large enough that every kind of element is split over several threads
// from level 1 on, small enough to take a fraction of a second.
std::vector<CatalogueMesh> largeMeshes() {
    return {describeMesh("gridTorus120x80", gridTorus(120, 80), 0), describeMesh("mixedPatch90x60", mixedPatch(90, 60), 1)};
}

// Builds over `control` on `threads` threads, refines to level 3, drags three
// control vertices and steps back and forth: every level operation.
std::vector<Vector> workedSurface(const RefMesh& control, int threads) {
    Surface s;
    s.mesh = loadMesh(meshText(control));
    auto mr = std::make_unique<MrMesh>();
    mr->setThreads(threads);
    testing::internal::CaptureStdout();
    mr->build(*s.mesh);
    testing::internal::GetCapturedStdout();
    for (int level = 0; level < 3; ++level) EXPECT_TRUE(mr->subdivide());
    for (int v : {0, 7, static_cast<int>(control.points.size()) / 2}) {
        MeshVertex* moved = s.mesh->vertex(v);
        moved->setPosition(moved->position() + Vector(0.03f, -0.02f, 0.05f));
        mr->vertexMoved(moved);
    }
    mr->undivide();
    EXPECT_TRUE(mr->subdivide());
    return surfacePoints(*mr);
}

// The same mesh with its vertices and its faces in a shuffled order (fixed
// seed), each face keeping its own vertex order.
RefMesh shuffled(const RefMesh& mesh, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<int> place(mesh.points.size());
    std::iota(place.begin(), place.end(), 0);
    std::shuffle(place.begin(), place.end(), random);
    RefMesh result;
    result.points.resize(mesh.points.size());
    for (std::size_t v = 0; v < mesh.points.size(); ++v) result.points[place[v]] = mesh.points[v];
    for (const std::vector<int>& face : mesh.faces) {
        result.faces.emplace_back();
        for (int v : face) result.faces.back().push_back(place[v]);
    }
    std::shuffle(result.faces.begin(), result.faces.end(), random);
    return result;
}

}  // namespace

TEST(ParallelFor, VisitsEveryIndexOnceAndPassesOnAFailure) {
    for (int threads : {1, 2, 7})
        for (std::size_t count : {0u, 1u, 5u, 1000u, 100003u}) {
            std::vector<std::atomic<int>> visits(count);
            parallelFor(count, threads, 7, [&](std::size_t begin, std::size_t end) {
                ASSERT_LE(begin, end);
                for (std::size_t k = begin; k < end; ++k) ++visits[k];
            });
            for (std::size_t k = 0; k < count; ++k) ASSERT_EQ(visits[k], 1) << count << " on " << threads;
        }
    EXPECT_THROW(parallelFor(100000, 2, 10,
                             [](std::size_t begin, std::size_t) {
                                 if (begin >= 50000) throw std::runtime_error("chunk failed");
                             }),
                 std::runtime_error);
}

TEST(Independence, AnyThreadCountGivesTheSameBits) {
    std::vector<CatalogueMesh> meshes = largeMeshes();
    meshes.push_back(catalogueMesh("quadFan"));
    for (const CatalogueMesh& entry : meshes) {
        SCOPED_TRACE(entry.name);
        const std::vector<Vector> one = workedSurface(entry.control, 1);
        for (int threads : {2, 7}) {
            std::string where;
            EXPECT_TRUE(sameBits(workedSurface(entry.control, threads), one, &where)) << threads << " threads: " << where;
        }
    }
}

TEST(Independence, ShuffledVerticesAndFacesGiveTheSameSurface) {
    std::vector<CatalogueMesh> meshes = meshCatalogue();
    meshes.push_back(describeMesh("gridTorus16x12", gridTorus(16, 12), 0));
    meshes.push_back(describeMesh("mixedPatch20x15", mixedPatch(20, 15), 1));
    for (const CatalogueMesh& entry : meshes) {
        SCOPED_TRACE(entry.name);
        const RefMesh other = shuffled(entry.control, 20261208);
        Surface a = makeSurface(entry.control, 3), b = makeSurface(other, 3);
        EXPECT_EQ(a.mr->numFaces(), b.mr->numFaces());
        EXPECT_EQ(matchPointSets(weldedPoints(*b.mr), weldedPoints(*a.mr), 1e-6 * meshSize(entry.control)), "");
    }
}
