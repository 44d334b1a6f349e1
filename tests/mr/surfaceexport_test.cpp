// The welded surface over the catalogue and levels 0 to 3: its counts, that
// every grid point is the welded point it names, closed in closed out with
// the faces' orientation kept, and written files that read back unchanged.

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <utility>

#include "support/catalogue.h"
#include "support/loading.h"
#include "support/tempdir.h"
#include "mr/surfaceexport.h"

using namespace facetry;

namespace {

// A control mesh and its surface at one level.
struct Refined {
    std::unique_ptr<Mesh> mesh;                                    // loaded from its OBJ text
    std::unique_ptr<MrMesh> surface = std::make_unique<MrMesh>(); // refined to the level
};

Refined refine(const RefMesh& shape, int level) {
    Refined r{std::move(loadObjText(objText(shape)).mesh)};
    EXPECT_TRUE(r.surface->build(*r.mesh));
    for (int k = 0; k < level; ++k) EXPECT_TRUE(r.surface->subdivide());
    return r;
}

std::vector<Vector> weldedPoints(const WeldedSurface& welded) {
    std::vector<Vector> points;
    welded.forEachPoint([&](const Vector& p) { points.push_back(p); });
    return points;
}

Vector newellNormal(const std::vector<Vector>& points, const long long* c) {
    Vector n;
    for (int k = 0; k < 4; ++k) n += cross(points[c[k]], points[c[(k + 1) % 4]]);
    return n;
}

TEST(SurfaceExport, CountsAndEveryGridPointIsTheWeldedPointItNames) {
    for (const CatalogueMesh& shape : meshCatalogue())
        for (int level = 0; level <= 3; ++level) {
            Refined r = refine(shape.control, level);
            const MrMesh& s = *r.surface;
            const WeldedSurface welded(s);
            const long long m = 1LL << level, V = s.numVertices(), E = s.numEdges(), F = s.numFaces();
            EXPECT_EQ(V + E * (m - 1) + F * (m - 1) * (m - 1), welded.pointCount()) << shape.name << level;
            EXPECT_EQ(F * m * m, welded.quadCount()) << shape.name << level;
            const std::vector<Vector> points = weldedPoints(welded);
            ASSERT_EQ(welded.pointCount(), static_cast<long long>(points.size()));
            std::vector<int> uses(points.size(), 0);
            for (int f = 0; f < F; ++f)
                for (int i = 0; i <= m; ++i)
                    for (int j = 0; j <= m; ++j) {
                        long long k = welded.index(f, i, j);
                        ASSERT_TRUE(k >= 0 && k < welded.pointCount());
                        Vector grid = s.face(f)->point(i, j);
                        EXPECT_EQ(0, std::memcmp(&grid, &points[k], sizeof grid)) << shape.name << " face " << f;
                        ++uses[k];
                    }
            // every point but that of a vertex no face uses
            for (std::size_t k = 0; k < uses.size(); ++k)
                EXPECT_TRUE(uses[k] > 0 || (k < std::size_t(V) && s.vertex(int(k))->edgeVal() == 0))
                    << shape.name << " point " << k;
        }
}

// On a consistently oriented surface every quad side is run once in each
// direction, but the boundary's, run once: each boundary edge of the control
// mesh, halved into level 0 unless it is all quads, and then into 2^level.
// On the convex closed meshes, whose faces turn outward, so does every quad.
TEST(SurfaceExport, ClosedInClosedOutWithTheOrientationKept) {
    for (const CatalogueMesh& shape : meshCatalogue()) {
        if (!shape.oriented) continue;
        for (int level = 0; level <= 3; ++level) {
            Refined r = refine(shape.control, level);
            const WeldedSurface welded(*r.surface);
            const std::vector<Vector> points = weldedPoints(welded);
            Vector middle;
            for (const RefPoint& p : shape.control.points)
                middle += Vector(float(p.x), float(p.y), float(p.z)) / static_cast<float>(shape.control.points.size());
            std::map<std::pair<long long, long long>, int> sides;
            welded.forEachQuad([&](const long long* c) {
                for (int k = 0; k < 4; ++k) ++sides[{c[k], c[(k + 1) % 4]}];
                Vector centre = (points[c[0]] + points[c[1]] + points[c[2]] + points[c[3]]) * 0.25f;
                Vector n = newellNormal(points, c), out = centre - middle;
                if (shape.convex) {
                    EXPECT_GT(n.x * out.x + n.y * out.y + n.z * out.z, 0) << shape.name << level;
                }
            });
            int once = 0;
            for (const auto& side : sides) {
                EXPECT_EQ(1, side.second) << shape.name << " side repeated in one direction";
                once += sides.count({side.first.second, side.first.first}) ? 0 : 1;
            }
            EXPECT_EQ(welded.edgeCount(), static_cast<long long>(sides.size() + once) / 2) << shape.name;
            EXPECT_EQ((shape.boundaryEdges * (shape.allQuads ? 1 : 2)) << level, once) << shape.name << level;
        }
    }
}

TEST(SurfaceExport, WrittenFilesReadBackUnchanged) {
    TempDir dir;
    const RefMesh awkward = refMesh({{0.1f, -0.0f, 1e-45f}, {1.0f / 3, 3.4028235e38f, 1e-30f},
                                     {-2.5e-7f, 16777217.0f, 0.7f}, {123456.789f, -1e10f, 1.17549435e-38f}},
                                    {{0, 1, 2, 3}});
    std::vector<CatalogueMesh> shapes = meshCatalogue();
    shapes.push_back(describeMesh("awkward", awkward, 1));
    for (const CatalogueMesh& shape : shapes)
        for (const char* file : {"s.obj", "s.off"}) {
            Refined r = refine(shape.control, shape.name == "awkward" ? 0 : 2);
            const MeshFormat format = meshFormatOf(file);
            FILE* out = std::fopen(dir.path(file).c_str(), "w");
            ASSERT_TRUE(writeSurface(out, *r.surface, format));
            std::fclose(out);
            Loaded back = loadFile(dir.path(file));
            ASSERT_EQ("", back.fatal) << shape.name << file;
            const WeldedSurface welded(*r.surface);
            const std::vector<Vector> points = weldedPoints(welded);
            const std::vector<Vector> read = positionsOf(*back.mesh);
            ASSERT_EQ(points.size(), read.size());
            EXPECT_EQ(0, std::memcmp(points.data(), read.data(), points.size() * sizeof(Vector))) << shape.name << file;
            std::vector<std::vector<int>> quads;
            welded.forEachQuad([&](const long long* c) { quads.push_back({int(c[0]), int(c[1]), int(c[2]), int(c[3])}); });
            EXPECT_EQ(quads, facesOf(*back.mesh)) << shape.name << file;
            if (shape.name == "awkward") {
                EXPECT_EQ(shape.control.faces, facesOf(*back.mesh));
            }
        }
}

}  // namespace
