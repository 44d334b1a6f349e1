// Boundary interpolation and holes against OpenSubdiv: every boundary rule
// (edge only, edge and corner, none), with and without holes drawn at random,
// smooth and with random sharp edges and corners (fixed seeds), and with
// holes, creases, Chaikin creasing and smooth triangles all at once, on the
// catalogue's oriented meshes with boundaries, corners and triangles and on
// generated ones; under "none" most boundary edges are tagged infinitely
// sharp, so that some faces stay. At OpenSubdiv levels 1 to 4 every point we
// store (holes' too: their points shape their neighbours) has its own partner
// within 1e-5 of the mesh size; at the points the export keeps, the limit
// positions agree within 1e-5 of the size and the normals within 1e-4 rad;
// the export writes exactly the points and quads of the faces that are not
// holes in OpenSubdiv's refinement.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "mesh/meshbuilder.h"
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

struct BoundaryCase {
    std::string name;
    RefMesh control;
    BoundaryInterpolation boundary = BoundaryInterpolation::EdgeOnly;
    bool holes = false;        // a fifth of the faces, at random, tagged holes
    unsigned creaseSeed = 0;   // 0: smooth; otherwise random creases and corners
    bool otherOptions = false; // Chaikin creasing and smooth triangles too
};

const char* boundaryName(BoundaryInterpolation b) {
    return b == BoundaryInterpolation::None ? "None" : b == BoundaryInterpolation::EdgeAndCorner ? "EdgeAndCorner" : "EdgeOnly";
}

const std::vector<BoundaryCase>& boundaryCases() {
    static const std::vector<BoundaryCase> cases = [] {
        std::vector<std::pair<std::string, RefMesh>> meshes;
        for (const CatalogueMesh& entry : meshCatalogue())
            if (entry.oriented && entry.boundaryEdges > 0) meshes.push_back({entry.name, entry.control});
        meshes.push_back({"mixedPatch9x7", mixedPatch(9, 7)});
        meshes.push_back({"gridTorus8x6", gridTorus(8, 6)});  // closed: holes alone
        std::vector<BoundaryCase> list;
        unsigned seed = 301;
        for (const auto& [name, control] : meshes)
            for (BoundaryInterpolation b :
                 {BoundaryInterpolation::EdgeOnly, BoundaryInterpolation::EdgeAndCorner, BoundaryInterpolation::None})
                for (bool holes : {false, true})
                    for (bool creased : {false, true}) {
                        const std::string caseName = name + boundaryName(b) + (holes ? "Holes" : "") + (creased ? "Creased" : "");
                        list.push_back({caseName, control, b, holes, creased ? ++seed : 0});
                        // Every option at once, where each has something to do.
                        if (holes && creased) list.push_back({caseName + "ChaikinSmoothTriangles", control, b, holes, ++seed, true});
                    }
        return list;
    }();
    return cases;
}

// The case's control mesh as a reader builds it: options, tags, holes.
std::unique_ptr<Mesh> buildCase(const BoundaryCase& c) {
    std::unique_ptr<Mesh> plain = loadMesh(meshText(c.control));
    CreaseTags tags;
    if (c.creaseSeed) tags = randomCreases(*plain, c.creaseSeed, 0.2, 0.08);
    std::mt19937 random(c.creaseSeed + 7 * static_cast<unsigned>(c.control.faces.size()));
    std::uniform_real_distribution<double> share(0, 1);
    MeshBuilder builder([](const std::string& message) { throw std::runtime_error(message); });
    for (int v = 0; v < plain->numVertices(); ++v) builder.addVertex(plain->vertex(v)->position());
    for (const std::vector<int>& face : c.control.faces) builder.addFace(face.data(), static_cast<int>(face.size()));
    for (std::size_t k = 0; k < tags.edges.size(); ++k)
        builder.setEdgeSharpness(builder.findEdge(tags.edges[k][0], tags.edges[k][1]), tags.edgeSharpness[k]);
    for (std::size_t k = 0; k < tags.vertices.size(); ++k) builder.setVertexSharpness(tags.vertices[k], tags.vertexSharpness[k]);
    if (c.boundary == BoundaryInterpolation::None)
        for (int e = 0; e < plain->numEdges(); ++e)
            if (plain->edge(e)->onBoundary() && share(random) < 0.75) builder.setEdgeSharpness(e, 10 + float(share(random)));
    if (c.holes)
        for (int f = 0; f < builder.faceCount(); ++f)
            if (share(random) < 0.2) builder.setHole(f);
    SchemeOptions options;
    options.boundary = c.boundary;
    if (c.otherOptions) {
        options.creasing = CreasingMethod::Chaikin;
        options.triangles = TriangleSubdivision::Smooth;
    }
    builder.setOptions(options);
    auto mesh = std::make_unique<Mesh>();
    builder.finish(*mesh);
    return mesh;
}

double distance(const Vector& a, const Vector& b) { return pointmatch::distance(a, b); }

double angle(const Vector& a, const Vector& b) {
    const Vector c = cross(a, b);
    const double dot = double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z;
    return std::atan2(std::sqrt(double(c.lengthSquared())), dot);
}

// Every point of the level in the stored order, holes' too.
std::vector<Vector> storedPoints(const MrMesh& surface) {
    const LevelPoints level = surface.points(surface.curRes());
    const MrTopology& t = surface.topology();
    std::vector<Vector> points(level.vertices, level.vertices + t.numV);
    points.insert(points.end(), level.edges, level.edges + t.numE * level.edgeInnerCount());
    points.insert(points.end(), level.faces, level.faces + t.numF * level.faceInnerCount());
    return points;
}

class BoundaryPeer : public testing::TestWithParam<int> {};

TEST_P(BoundaryPeer, PointsAndTheKeptLimitMatchOpenSubdiv) {
    const BoundaryCase& c = boundaryCases()[GetParam()];
    const double size = meshSize(c.control), tolerance = 1e-5 * size;
    std::unique_ptr<Mesh> control = buildCase(c);
    MrMesh surface;
    ASSERT_TRUE(surface.build(*control).ok);
    const int offset = surface.isAllQuads() ? 0 : 1;
    int keptFaces = 0;
    for (int f = 0; f < surface.numFaces(); ++f) keptFaces += !surface.isHole(f);
    for (int level = std::max(offset, 1); level <= 4; ++level) {
        while (surface.curRes() + offset < level) ASSERT_TRUE(surface.subdivide().ok);
        SCOPED_TRACE("OpenSubdiv level " + std::to_string(level));
        const std::vector<Vector> points = storedPoints(surface);
        if (points.size() > 60000) break;
        const OsdSurface osd = osdLimitSurface(*control, level);
        ASSERT_EQ(points.size(), osd.points.size());
        const std::vector<int> partner = matchPoints(points, osd.points, tolerance);
        std::vector<int> taken(osd.points.size(), 0);
        for (std::size_t k = 0; k < points.size(); ++k) {
            ASSERT_GE(partner[k], 0) << "point " << k;
            ASSERT_EQ(0, taken[partner[k]]++) << "point " << k;
        }

        // The points we keep are those of OpenSubdiv's faces that are not
        // holes, and those of no face at all (a vertex no face uses).
        const std::unique_ptr<OpenSubdiv::Far::TopologyRefiner> refiner = osdRefine(osdControl(*control), level, true);
        const OpenSubdiv::Far::TopologyLevel& last = refiner->GetLevel(level);
        std::vector<char> theirsKept(osd.points.size(), 0);
        int theirFaces = 0;
        for (int v = 0; v < last.GetNumVertices(); ++v) theirsKept[v] = last.GetVertexFaces(v).size() == 0;
        for (int f = 0; f < last.GetNumFaces(); ++f) {
            if (last.IsFaceHole(f)) continue;
            ++theirFaces;
            for (int v : last.GetFaceVertices(f)) theirsKept[v] = 1;
        }
        std::vector<Vector> positions, normals;
        limitPointsAndNormals(surface, &positions, &normals);
        const WeldedSurface welded(surface);
        EXPECT_EQ(theirFaces, welded.quadCount());
        std::vector<char> oursKept(osd.points.size(), 0);
        welded.forEachStoredIndex([&](long long k) { oursKept[partner[k]] = 1; });
        EXPECT_TRUE(oursKept == theirsKept);
        long long kept = 0;
        int off = 0;
        std::string firstOff;
        welded.forEachStoredIndex([&](long long k) {
            ++kept;
            const int q = partner[k];
            const double dp = distance(positions[k], osd.limitPositions[q]) / size;
            const bool ours = normals[k].lengthSquared() > 0, theirs = osd.limitNormals[q].lengthSquared() > 0;
            const double da = ours && theirs ? angle(normals[k], osd.limitNormals[q]) : ours == theirs ? 0 : 4;
            if (dp > 1e-5 || da > 1e-4) {
                if (!off++) firstOff = "point " + std::to_string(k) + ": " + std::to_string(dp) + ", " + std::to_string(da);
            }
        });
        EXPECT_EQ(0, off) << firstOff;
        const long long m = 1LL << surface.curRes();
        EXPECT_EQ(welded.pointCount(), kept);
        EXPECT_EQ(welded.quadCount(), keptFaces * m * m);
        if (!surface.topology().hasHoles()) {
            EXPECT_EQ(welded.pointCount(), static_cast<long long>(points.size()));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Meshes, BoundaryPeer, testing::Range(0, static_cast<int>(boundaryCases().size())),
                         [](const testing::TestParamInfo<int>& instance) { return boundaryCases()[instance.param].name; });

}  // namespace
