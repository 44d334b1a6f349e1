// The welded surface over the catalogue and levels 0 to 3: its counts, that
// every grid point is the welded point it names, closed in closed out with
// the faces' orientation kept, written files that read back unchanged, and
// the arrays copied into a caller's memory.

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

// The copies into a caller's memory hold what the visits give, on one
// thread and on three, and write nothing past their end.
TEST(SurfaceExport, CopiedArraysAreWhatTheVisitsGive) {
    std::vector<CatalogueMesh> shapes = meshCatalogue();
    for (const CatalogueMesh& shape : shapes)
        for (int level = 0; level <= 3; ++level)
            for (int threads : {1, 3}) {
                SCOPED_TRACE(shape.name + " level " + std::to_string(level) + " threads " + std::to_string(threads));
                Refined r = refine(shape.control, level);
                r.surface->setThreads(threads);
                const WeldedSurface welded(*r.surface);
                const std::size_t n = static_cast<std::size_t>(welded.pointCount());
                const std::size_t q = static_cast<std::size_t>(welded.quadCount());
                std::vector<float> xyz(3 * n + 1, 7.0f);
                welded.copyPoints(xyz.data());
                EXPECT_EQ(7.0f, xyz.back());
                const std::vector<Vector> points = weldedPoints(welded);
                EXPECT_EQ(0, std::memcmp(points.data(), xyz.data(), n * sizeof(Vector)));
                std::vector<std::int32_t> quads(4 * q + 1, -7);
                welded.copyQuads(quads.data());
                EXPECT_EQ(-7, quads.back());
                std::vector<std::int32_t> visited;
                welded.forEachQuad([&](const long long* c) { visited.insert(visited.end(), c, c + 4); });
                quads.pop_back();
                EXPECT_EQ(visited, quads);
            }
}

TEST(SurfaceExport, CopiedTextureCoordinatesAreTheGridsAtEachQuadCorner) {
    // A cube and a triangle, every corner its own (u, v).
    std::string obj = "v -1 -1 -1\nv 1 -1 -1\nv 1 1 -1\nv -1 1 -1\nv -1 -1 1\nv 1 -1 1\nv 1 1 1\nv -1 1 1\n"
                      "v 3 0 0\nv 4 0 0\nv 3 1 0\n";
    const int faces[7][4] = {{1, 4, 3, 2}, {5, 6, 7, 8}, {1, 2, 6, 5}, {3, 4, 8, 7}, {1, 5, 8, 4}, {2, 3, 7, 6}, {9, 10, 11, 0}};
    int corner = 0;
    std::string vt;
    for (const auto& face : faces) {
        obj += "f";
        for (int v : face)
            if (v) {
                obj += " " + std::to_string(v) + "/" + std::to_string(++corner);
                vt += "vt " + std::to_string(0.1 * corner) + " " + std::to_string(1.0 / (v + corner)) + "\n";
            }
        obj += "\n";
    }
    obj += vt;
    for (int level = 0; level <= 3; ++level) {
        Loaded mesh = loadObjText(obj);
        ASSERT_EQ("", mesh.fatal);
        MrMesh surface;
        ASSERT_TRUE(surface.build(*mesh.mesh));
        for (int k = 0; k < level; ++k) ASSERT_TRUE(surface.subdivide());
        ASSERT_TRUE(surface.hasTextureCoordinates());
        const WeldedSurface welded(surface);
        std::vector<float> uv(8 * welded.quadCount() + 1, 7.0f);
        welded.copyTextureCoordinates(uv.data());
        EXPECT_EQ(7.0f, uv.back());
        const int m = 1 << level, di[4] = {0, 1, 1, 0}, dj[4] = {0, 0, 1, 1};
        std::size_t at = 0;
        for (int f = 0; f < surface.numFaces(); ++f)
            for (int i = 0; i < m; ++i)
                for (int j = 0; j < m; ++j)
                    for (int k = 0; k < 4; ++k, at += 2) {
                        float expected[2];
                        surface.textureCoordinateAt(f, i + di[k], j + dj[k], expected);
                        ASSERT_EQ(expected[0], uv[at]) << level << " face " << f;
                        ASSERT_EQ(expected[1], uv[at + 1]) << level << " face " << f;
                    }
    }
}

}  // namespace
