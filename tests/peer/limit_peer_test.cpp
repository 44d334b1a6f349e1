// The surface and its limit against OpenSubdiv's, on the catalogue's
// oriented meshes, generated ones and shuffled copies, each also with random
// sharp edges and corners (fractional, whole and infinite sharpness, from
// fixed seeds): at OpenSubdiv levels 1
// to 4 (and 0 on a mesh of quads) both have the same number of points, each refined point has its own
// partner within 1e-5 of the mesh size, and at every pair of partners the
// limit positions agree within 1e-5 of the mesh size and the limit normals
// within 1e-4 radians.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "mr/limit.h"
#include "mr/mrmesh.h"
#include "mr/surfaceexport.h"
#include "support/catalogue.h"
#include "support/creasetags.h"
#include "support/loading.h"
#include "support/osdpeer.h"

namespace {

// `mesh` with its vertices and faces in a random order and every face
// starting at a random corner: the same surface, numbered otherwise.
RefMesh shuffled(const RefMesh& mesh, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<int> order(mesh.points.size());
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), random);
    std::vector<int> newIndex(order.size());
    RefMesh out;
    for (std::size_t k = 0; k < order.size(); ++k) {
        newIndex[order[k]] = static_cast<int>(k);
        out.points.push_back(mesh.points[order[k]]);
    }
    for (const std::vector<int>& face : mesh.faces) {
        std::vector<int> f;
        for (int v : face) f.push_back(newIndex[v]);
        std::rotate(f.begin(), f.begin() + random() % f.size(), f.end());
        out.faces.push_back(f);
    }
    std::shuffle(out.faces.begin(), out.faces.end(), random);
    return out;
}

struct PeerCase {
    std::string name;
    RefMesh control;
    unsigned creaseSeed = 0;  // 0: smooth; otherwise the seed of random creases and corners
};

const std::vector<PeerCase>& peerCases() {
    static const std::vector<PeerCase> cases = [] {
        std::vector<PeerCase> list;
        // OpenSubdiv takes an edge whose faces run along it the same way for
        // a seam of its own; only consistently wound meshes describe one surface.
        for (const CatalogueMesh& entry : meshCatalogue())
            if (entry.oriented) list.push_back({entry.name, entry.control});
        list.push_back({"gridTorus12x8", gridTorus(12, 8)});
        list.push_back({"mixedPatch9x7", mixedPatch(9, 7)});
        list.push_back({"shuffledMixedPatch", shuffled(mixedPatch(9, 7), 7)});
        list.push_back({"shuffledAntiprism", shuffled(catalogueMesh("exampleAntiprism").control, 11)});
        list.push_back({"shuffledOpenPatch", shuffled(catalogueMesh("openPatch").control, 13)});
        list.push_back({"shuffledTorus", shuffled(gridTorus(6, 5), 17)});
        // The same meshes with random sharp edges and corners.
        const std::size_t smooth = list.size();
        for (std::size_t k = 0; k < smooth; ++k)
            list.push_back({list[k].name + "Creased", list[k].control, static_cast<unsigned>(101 + k)});
        return list;
    }();
    return cases;
}

double distance(const Vector& a, const Vector& b) {
    const double x = a.x - b.x, y = a.y - b.y, z = a.z - b.z;
    return std::sqrt(x * x + y * y + z * z);
}

double angle(const Vector& a, const Vector& b) {
    const Vector c = cross(a, b);
    const double dot = double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z;
    return std::atan2(std::sqrt(double(c.lengthSquared())), dot);
}

std::vector<Vector> weldedPoints(const MrMesh& surface) {
    std::vector<Vector> points;
    WeldedSurface(surface).forEachPoint([&points](const Vector& p) { points.push_back(p); });
    return points;
}

// The largest differences over one mesh and level.
struct Agreement {
    double point = 0, position = 0, normal = 0;  // refined point and limit position (/ size), normal (rad)
};

class LimitPeer : public testing::TestWithParam<int> {};

TEST_P(LimitPeer, RefinedPointsLimitPositionsAndNormalsMatchOpenSubdiv) {
    const PeerCase& peer = peerCases()[GetParam()];
    const double size = meshSize(peer.control), tolerance = 1e-5 * size;
    std::unique_ptr<Mesh> control = loadMesh(meshText(peer.control));
    if (peer.creaseSeed) {
        const CreaseTags tags = randomCreases(*control, peer.creaseSeed, 0.3, 0.1);
        ASSERT_FALSE(tags.vertices.empty());
        control = withCreases(*control, tags);
    }
    MrMesh surface;
    ASSERT_TRUE(surface.build(*control).ok);
    const int offset = surface.isAllQuads() ? 0 : 1;  // OpenSubdiv's level of Facetry's level 0
    for (int level = offset; level <= 4; ++level) {
        while (surface.curRes() + offset < level) ASSERT_TRUE(surface.subdivide().ok);
        SCOPED_TRACE("OpenSubdiv level " + std::to_string(level));
        const std::vector<Vector> points = weldedPoints(surface);
        if (points.size() > 100000) break;  // enough to show agreement; keeps the test short
        std::vector<Vector> positions, normals;
        limitPointsAndNormals(surface, &positions, &normals);
        const OsdSurface osd = osdLimitSurface(*control, level);
        ASSERT_EQ(points.size(), osd.points.size());
        const std::vector<int> partner = matchPoints(points, osd.points, tolerance);
        std::vector<char> taken(osd.points.size(), 0);
        Agreement worst;
        int unmatched = 0, shared = 0, positionsOff = 0, normalsOff = 0;
        for (std::size_t k = 0; k < points.size(); ++k) {
            const int q = partner[k];
            if (q < 0) {
                ++unmatched;
                continue;
            }
            shared += taken[q]++ > 0;
            worst.point = std::max(worst.point, distance(points[k], osd.points[q]) / size);
            const double dp = distance(positions[k], osd.limitPositions[q]) / size;
            worst.position = std::max(worst.position, dp);
            positionsOff += dp > 1e-5;
            // a zero normal (no tangent plane) only where OpenSubdiv has none either
            const bool ours = normals[k].lengthSquared() > 0, theirs = osd.limitNormals[q].lengthSquared() > 0;
            if (ours != theirs) {
                ++normalsOff;
                continue;
            }
            if (!ours) continue;
            const double da = angle(normals[k], osd.limitNormals[q]);
            worst.normal = std::max(worst.normal, da);
            if (da > 1e-4) {
                if (normalsOff < 5)
                    ADD_FAILURE() << "point " << k << " at (" << points[k].x << ", " << points[k].y << ", "
                                  << points[k].z << "): normal (" << normals[k].x << ", " << normals[k].y << ", "
                                  << normals[k].z << "), OpenSubdiv's (" << osd.limitNormals[q].x << ", "
                                  << osd.limitNormals[q].y << ", " << osd.limitNormals[q].z << ")";
                ++normalsOff;
            }
        }
        EXPECT_EQ(unmatched, 0);
        EXPECT_EQ(shared, 0);
        EXPECT_EQ(positionsOff, 0) << "largest limit position difference " << worst.position << " of the size";
        EXPECT_EQ(normalsOff, 0) << "largest normal difference " << worst.normal << " rad";
        RecordProperty("level" + std::to_string(level), std::to_string(worst.point) + " " +
                                                           std::to_string(worst.position) + " " +
                                                           std::to_string(worst.normal));
    }
}

INSTANTIATE_TEST_SUITE_P(Meshes, LimitPeer, testing::Range(0, static_cast<int>(peerCases().size())),
                         [](const testing::TestParamInfo<int>& instance) { return peerCases()[instance.param].name; });

}  // namespace
