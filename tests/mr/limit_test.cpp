// The limit surface at the points of a level: the masks' values worked out by
// hand on small meshes, and what any limit must satisfy over the catalogue:
// a point has the same limit (position and normal) at every level it is on,
// a flat mesh has the plane's normal everywhere, a convex closed mesh's
// normals point outwards, and the thread count changes nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "mr/limit.h"
#include "mr/mrmesh.h"
#include "mr/surfaceexport.h"
#include "support/catalogue.h"
#include "support/loading.h"
#include "surface_probe.h"

using namespace facetry;

namespace {

// The 2 x 2 grid of quads over x, y in {-1, 0, 1}, vertex (x, y) at
// 3 (y + 1) + x + 1, every face turning counterclockwise seen from +z; the
// centre 4 is lifted to z = 1, the side vertex 1 at (0, -1) to 0.6 and the
// corner 0 to 0.3. Face 0 is the one at the centre's upper right.
RefMesh liftedGrid() {
    RefMesh m;
    for (int y = -1; y <= 1; ++y)
        for (int x = -1; x <= 1; ++x) m.points.push_back({double(x), double(y), 0.0});
    m.points[4].z = 1;
    m.points[1].z = 0.6;
    m.points[0].z = 0.3;
    m.faces = {{4, 5, 8, 7}, {3, 4, 7, 6}, {0, 1, 4, 3}, {1, 2, 5, 4}};
    return m;
}

// The cube [-1, 1]^3, faces turned outwards.
RefMesh plainCube() {
    RefMesh m;
    for (int k = 0; k < 8; ++k) m.points.push_back({k & 1 ? 1.0 : -1.0, k & 2 ? 1.0 : -1.0, k & 4 ? 1.0 : -1.0});
    m.faces = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    return m;
}

// The control mesh as OBJ with crease and corner tags (0-based vertices),
// loaded as a file is, and the surface over it.
Surface makeTaggedSurface(const RefMesh& control, const std::string& tags) {
    Surface s;
    Loaded loaded = loadObjText(objText(control) + tags);
    EXPECT_EQ(loaded.fatal, "");
    s.mesh = std::move(loaded.mesh);
    s.mr = buildSurface(*s.mesh, &s.progress);
    return s;
}

struct HandCase {
    std::string name;
    RefMesh mesh;
    std::string tags;  // OBJ crease and corner tags
    int vertex;
    Vector position;   // its limit position
    Vector normal;     // its limit normal; zero: not checked
};

const double kRoot3 = std::sqrt(3.0), kRoot13 = std::sqrt(13.0), kRoot1682 = std::sqrt(1682.0);

const std::vector<HandCase>& handCases() {
    static const std::vector<HandCase> cases = {
        // (16 p + 4 (edge ends) + diagonals) / 36, with p, the edge end
        // (0, -1, 0.6) and the diagonal (-1, -1, 0.3) off the plane: z =
        // (16 + 2.4 + 0.3) / 36. t1 = 4 (e0 - e2) + d0 - d1 - d2 + d3 =
        // (12, 0, -0.3), t2 = 4 (e1 - e3) + d0 + d1 - d2 - d3 = (0, 12, -2.7),
        // t1 x t2 = (3.6, 32.4, 144), along (1, 9, 40).
        {"regularInterior", liftedGrid(), "", 4, {0, 0, 18.7f / 36},
         {float(1 / kRoot1682), float(9 / kRoot1682), float(40 / kRoot1682)}},
        // One sharp edge (a dart) keeps the smooth rule.
        {"dart", liftedGrid(), "t crease 2/1/0 4 5 3\n", 4, {0, 0, 18.7f / 36}, {}},
        // 2/3 p + 1/6 of the boundary neighbours (-1, -1, 0.3) and (1, -1, 0).
        {"boundary", liftedGrid(), "", 1, {0, -1, 0.45f}, {}},
        // A corner of one face: the boundary curve too, 2/3 p + 1/6 (0, -1, 0.6) + 1/6 (-1, 0, 0).
        {"boundaryOneFace", liftedGrid(), "", 0, {-5.0f / 6, -5.0f / 6, 0.3f}, {}},
        // The crease along x: 2/3 p + 1/6 (-1, 0, 0) + 1/6 (1, 0, 0). Its
        // normal is that of the half face 0 lies in (y > 0): t1 along x, t2 =
        // -4/6 p - 1/6 (e_left + e_right) + 4/6 (0, 1, 0) + 1/6 (two diagonals).
        {"crease", liftedGrid(), "t crease 3/1/0 3 4 5 10\n", 4, {0, 0, 2.0f / 3},
         {0, float(2 / kRoot13), float(3 / kRoot13)}},
        {"semiSharpCrease", liftedGrid(), "t crease 3/1/0 3 4 5 2.5\n", 4, {0, 0, 2.0f / 3}, {}},
        // A corner stays; its tangents run to its first two edge ends, (1, 0, 0) and (0, 1, 0).
        {"cornerTag", liftedGrid(), "t corner 1/1/0 4 1.5\n", 4, {0, 0, 1}, {float(1 / kRoot3), float(1 / kRoot3), float(1 / kRoot3)}},
        {"threeSharpEdges", liftedGrid(), "t crease 3/1/0 3 4 5 10\nt crease 2/1/0 4 7 10\n", 4, {0, 0, 1}, {}},
        // Valence 3: 3/8 p + 1/6 (edge ends) + 1/24 (diagonals) = (1, 1, 1) / 2.
        {"valence3", plainCube(), "", 7, {0.5f, 0.5f, 0.5f}, {float(1 / kRoot3), float(1 / kRoot3), float(1 / kRoot3)}},
    };
    return cases;
}

class LimitByHand : public testing::TestWithParam<int> {};

TEST_P(LimitByHand, VertexLimitIsTheMaskWorkedOutByHand) {
    const HandCase& c = handCases()[GetParam()];
    Surface s = makeTaggedSurface(c.mesh, c.tags);
    std::vector<Vector> positions, normals;
    limitPointsAndNormals(*s.mr, &positions, &normals);
    const Vector& p = positions.at(c.vertex);
    EXPECT_NEAR(p.x, c.position.x, 1e-6);
    EXPECT_NEAR(p.y, c.position.y, 1e-6);
    EXPECT_NEAR(p.z, c.position.z, 1e-6);
    if (c.normal.lengthSquared() > 0) {
        const Vector& n = normals.at(c.vertex);
        EXPECT_NEAR(n.x, c.normal.x, 1e-6);
        EXPECT_NEAR(n.y, c.normal.y, 1e-6);
        EXPECT_NEAR(n.z, c.normal.z, 1e-6);
    }
}

INSTANTIATE_TEST_SUITE_P(Masks, LimitByHand, testing::Range(0, static_cast<int>(handCases().size())),
                         [](const testing::TestParamInfo<int>& instance) { return handCases()[instance.param].name; });

double distance(const Vector& a, const Vector& b) {
    const double x = a.x - b.x, y = a.y - b.y, z = a.z - b.z;
    return std::sqrt(x * x + y * y + z * z);
}

class LimitInvariants : public testing::TestWithParam<int> {};

// Whether welded point k is a vertex on the boundary in other than two
// faces: there the tangent masks (a corner's chords, the irregular crease's
// approximation) give a normal that only tends to the limit's as the level
// grows.
bool approximateNormal(const MrTopology& t, long long k) {
    if (k >= t.numV) return false;
    const int v = static_cast<int>(k);
    return t.faceVal(v) != t.edgeVal(v) && t.faceVal(v) != 2;
}

// The limit surface does not change with refinement: grid point (i, j) of a
// face at level L is point (2i, 2j) at level L+1, with the same limit.
TEST_P(LimitInvariants, EveryPointHasTheSameLimitAtEveryLevel) {
    const CatalogueMesh& entry = meshCatalogue()[GetParam()];
    const double tolerance = 1e-5 * meshSize(entry.control);
    Surface s = makeSurface(entry.control);
    std::vector<Vector> positions, normals, finerPositions, finerNormals;
    limitPointsAndNormals(*s.mr, &positions, &normals);
    for (int level = 0; level < 3; ++level) {
        std::vector<long long> coarse;
        {
            WeldedSurface welded(*s.mr);
            const int m = 1 << level;
            for (int f = 0; f < s.mr->numFaces(); ++f)
                for (int i = 0; i <= m; ++i)
                    for (int j = 0; j <= m; ++j) coarse.push_back(welded.index(f, i, j));
        }
        ASSERT_TRUE(s.mr->subdivide().ok);
        limitPointsAndNormals(*s.mr, &finerPositions, &finerNormals);
        WeldedSurface welded(*s.mr);
        const int m = 1 << level;
        const MrTopology& t = s.mr->topology();
        int moved = 0, turned = 0;
        std::size_t k = 0;
        for (int f = 0; f < s.mr->numFaces(); ++f)
            for (int i = 0; i <= m; ++i)
                for (int j = 0; j <= m; ++j, ++k) {
                    const long long a = coarse[k], b = welded.index(f, 2 * i, 2 * j);
                    moved += distance(positions[a], finerPositions[b]) > tolerance;
                    turned += !approximateNormal(t, a) && distance(normals[a], finerNormals[b]) > 1e-4;
                }
        EXPECT_EQ(moved, 0) << "level " << level;
        EXPECT_EQ(turned, 0) << "level " << level;
        positions.swap(finerPositions);
        normals.swap(finerNormals);
    }
}

// Normals are unit vectors (zero only at vertices no face uses), and those
// of a convex closed mesh turned outwards point away from its centre.
TEST_P(LimitInvariants, NormalsAreUnitAndConvexMeshesFaceOutwards) {
    const CatalogueMesh& entry = meshCatalogue()[GetParam()];
    Surface s = makeSurface(entry.control, 2);
    std::vector<Vector> positions, normals;
    limitPointsAndNormals(*s.mr, &positions, &normals);
    ASSERT_EQ(normals.size(), static_cast<std::size_t>(WeldedSurface(*s.mr).pointCount()));
    Vector centre;
    for (const Vector& p : positions) centre += p;
    centre = centre / static_cast<float>(positions.size());
    int notUnit = 0, inwards = 0;
    for (std::size_t k = 0; k < normals.size(); ++k) {
        if (k < static_cast<std::size_t>(s.mr->numVertices()) && s.mr->topology().edgeVal(static_cast<int>(k)) == 0) {
            EXPECT_EQ(normals[k], Vector());
            continue;
        }
        notUnit += std::fabs(normals[k].lengthSquared() - 1) > 1e-5;
        const Vector out = positions[k] - centre;
        inwards += entry.convex && normals[k].x * out.x + normals[k].y * out.y + normals[k].z * out.z <= 0;
    }
    EXPECT_EQ(notUnit, 0);
    EXPECT_EQ(inwards, 0);
}

TEST_P(LimitInvariants, ThreadCountChangesNoBit) {
    const CatalogueMesh& entry = meshCatalogue()[GetParam()];
    Surface s = makeSurface(entry.control, 3);
    std::vector<Vector> positions1, normals1, positionsN, normalsN, positionsOnly;
    s.mr->setThreads(1);
    limitPointsAndNormals(*s.mr, &positions1, &normals1);
    s.mr->setThreads(4);
    limitPointsAndNormals(*s.mr, &positionsN, &normalsN);
    limitPointsAndNormals(*s.mr, &positionsOnly, nullptr);
    EXPECT_TRUE(sameBits(positions1, positionsN));
    EXPECT_TRUE(sameBits(normals1, normalsN));
    EXPECT_TRUE(sameBits(positions1, positionsOnly));
}

INSTANTIATE_TEST_SUITE_P(Catalogue, LimitInvariants, testing::Range(0, static_cast<int>(meshCatalogue().size())),
                         [](const testing::TestParamInfo<int>& instance) { return meshCatalogue()[instance.param].name; });

// A flat mesh, quads or not, with its faces turning counterclockwise seen
// from +z: every limit point lies in the plane and every normal is +z exactly,
// on the boundary and at its corners too.
TEST(LimitOfFlatMesh, NormalIsThePlaneNormalEverywhere) {
    for (RefMesh mesh : {mixedPatch(5, 4), catalogueMesh("gridPatch").control}) {
        for (RefPoint& p : mesh.points) p.z = 0;
        Surface s = makeSurface(mesh);
        for (int level = 0; level <= 3; ++level) {
            if (level > 0) {
                ASSERT_TRUE(s.mr->subdivide().ok);
            }
            std::vector<Vector> positions, normals;
            limitPointsAndNormals(*s.mr, &positions, &normals);
            int off = 0;
            for (std::size_t k = 0; k < normals.size(); ++k)
                off += positions[k].z != 0 || normals[k] != Vector(0, 0, 1);
            EXPECT_EQ(off, 0) << "level " << level << " of " << normals.size() << " points";
        }
    }
}

}  // namespace
