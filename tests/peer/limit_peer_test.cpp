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
#include <cstdio>
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
#include "support/pointmatch.h"

using namespace facetry;

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
    double edgeShare = 0;     // of the interior edges, sharp
    double vertexShare = 0;   // of the vertices, corners
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
        list.push_back({"gridTorus24x16", gridTorus(24, 16)});
        list.push_back({"mixedPatch20x15", mixedPatch(20, 15)});
        // The same meshes with random sharp edges and corners: many (most
        // vertices on a sharp edge, many corners), and few (mostly creases
        // through smooth surroundings, where the side a crease's normal is
        // taken from shows).
        const std::size_t smooth = list.size();
        for (std::size_t k = 0; k < smooth; ++k) {
            const unsigned seed = static_cast<unsigned>(101 + k);
            list.push_back({list[k].name + "Creased", list[k].control, seed, 0.3, 0.1});
            list.push_back({list[k].name + "FewCreases", list[k].control, seed + 1000, 0.08, 0.02});
        }
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

// How far our limit is from OpenSubdiv's over one mesh and level: the
// largest differences and the points beyond the tolerances.
struct Agreement {
    double position = 0, normal = 0;  // limit position (of the size), normal (rad)
    int positionsOff = 0, normalsOff = 0;
    std::string firstOff;  // the first point beyond a tolerance
};

// Ours (in our order) against theirs (in OpenSubdiv's), `partner` mapping
// the one order to the other.
Agreement compareLimits(const std::vector<Vector>& points, const std::vector<int>& partner,
                        const std::vector<Vector>& positions, const std::vector<Vector>& normals,
                        const std::vector<Vector>& theirPositions, const std::vector<Vector>& theirNormals,
                        double size, double normalTolerance) {
    Agreement a;
    for (std::size_t k = 0; k < points.size(); ++k) {
        const int q = partner[k];
        const double dp = distance(positions[k], theirPositions[q]) / size;
        a.position = std::max(a.position, dp);
        // a zero normal (no tangent plane) only where OpenSubdiv has none either
        const bool ours = normals[k].lengthSquared() > 0, theirs = theirNormals[q].lengthSquared() > 0;
        const double da = ours && theirs ? angle(normals[k], theirNormals[q]) : ours == theirs ? 0 : 4;
        a.normal = std::max(a.normal, da);
        const bool off = dp > 1e-5 || da > normalTolerance;
        a.positionsOff += dp > 1e-5;
        a.normalsOff += da > normalTolerance;
        if (off && a.firstOff.empty())
            a.firstOff = "point " + std::to_string(k) + ": position off by " + std::to_string(dp) +
                         " of the size, normal (" + std::to_string(normals[k].x) + ", " + std::to_string(normals[k].y) +
                         ", " + std::to_string(normals[k].z) + ") against (" + std::to_string(theirNormals[q].x) +
                         ", " + std::to_string(theirNormals[q].y) + ", " + std::to_string(theirNormals[q].z) + ")";
    }
    return a;
}

class LimitPeer : public testing::TestWithParam<int> {};

// Three comparisons per level: the refined points; our limit against
// OpenSubdiv's limit masks applied in double precision to our own refined
// points (the same input: positions within 1e-5 of the size, normals within
// 1e-4 rad); and against OpenSubdiv's whole single-precision pipeline:
// positions within 1e-5 of the size, normals within 1e-4 rad. Where a
// crease's sector is one face, its cross tangent is the crease's second
// difference, a few thousandths of the size at level 4, and OpenSubdiv's
// float sums turn that normal the most (some 6e-5 rad).
TEST_P(LimitPeer, RefinedPointsLimitPositionsAndNormalsMatchOpenSubdiv) {
    const PeerCase& peer = peerCases()[GetParam()];
    const double size = meshSize(peer.control), tolerance = 1e-5 * size;
    std::unique_ptr<Mesh> control = loadMesh(meshText(peer.control));
    if (peer.creaseSeed) {
        const CreaseTags tags = randomCreases(*control, peer.creaseSeed, peer.edgeShare, peer.vertexShare);
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
        std::vector<int> taken(osd.points.size(), 0);
        int unmatched = 0, shared = 0;
        double worstPoint = 0;
        for (std::size_t k = 0; k < points.size(); ++k) {
            if (partner[k] < 0) {
                ++unmatched;
                continue;
            }
            shared += taken[partner[k]]++ > 0;
            worstPoint = std::max(worstPoint, distance(points[k], osd.points[partner[k]]) / size);
        }
        ASSERT_EQ(unmatched, 0);
        ASSERT_EQ(shared, 0);

        std::vector<Vector> ourPointsTheirOrder(points.size()), sameInputPositions, sameInputNormals;
        for (std::size_t k = 0; k < points.size(); ++k) ourPointsTheirOrder[partner[k]] = points[k];
        osdLimitOf(*control, level, ourPointsTheirOrder, sameInputPositions, sameInputNormals);
        const Agreement same = compareLimits(points, partner, positions, normals, sameInputPositions,
                                             sameInputNormals, size, 1e-4);
        EXPECT_EQ(same.positionsOff + same.normalsOff, 0) << same.firstOff;
        const Agreement whole = compareLimits(points, partner, positions, normals, osd.limitPositions,
                                              osd.limitNormals, size, 1e-4);
        EXPECT_EQ(whole.positionsOff + whole.normalsOff, 0) << whole.firstOff;
        char figures[160];
        std::snprintf(figures, sizeof figures, "%.1e %.1e %.1e %.1e %.1e", worstPoint, same.position, same.normal,
                      whole.position, whole.normal);
        RecordProperty("level" + std::to_string(level), figures);
    }
}

INSTANTIATE_TEST_SUITE_P(Meshes, LimitPeer, testing::Range(0, static_cast<int>(peerCases().size())),
                         [](const testing::TestParamInfo<int>& instance) { return peerCases()[instance.param].name; });

}  // namespace
