// Boundary interpolation and holes on the surface, by hand: the corners of a
// single face under "edge and corner" stay where they are at every level,
// on the quad path and the refinement path, where "edge only" moves them by
// the boundary curve; and the welded export of a strip whose last face is a
// hole: its counts, its numbering without the points only the hole uses, and
// the tags of what is left.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "mesh/meshbuilder.h"
#include "mr/limit.h"
#include "mr/mrmesh.h"
#include "mr/surface.h"
#include "mr/surfaceexport.h"
#include "support/loading.h"

using namespace facetry;

namespace {

std::string written(const MrMesh& surface, const SurfaceExtras& extras = {}) {
    char* text = nullptr;
    std::size_t size = 0;
    FILE* out = open_memstream(&text, &size);
    EXPECT_TRUE(writeSurface(out, surface, MeshFormat::Obj, extras));
    std::fclose(out);
    std::string result(text, size);
    std::free(text);
    return result;
}

int linesStartingWith(const std::string& text, const std::string& start) {
    int count = 0;
    for (std::size_t at = 0; at < text.size(); at = text.find('\n', at) + 1) {
        if (text.compare(at, start.size(), start) == 0) ++count;
        if (text.find('\n', at) == std::string::npos) break;
    }
    return count;
}

// Three quads in a row over vertices 0-3 (bottom) and 4-7 (top); `tags` after them.
const std::string kStrip = "v 0 0 0\nv 1 0 0\nv 2 0 0\nv 3 0 0\nv 0 1 0\nv 1 1 0.5\nv 2 1 0\nv 3 1 0\n"
                           "f 1 2 6 5\nf 2 3 7 6\nf 3 4 8 7\n";

}  // namespace

TEST(EdgeAndCorner, TheCornersOfOneFaceStayPutAtEveryLevel) {
    const std::string faces[] = {"v 0 0 0\nv 1 0 0\nv 1.25 1 0\nv 0 1 0.5\nf 1 2 3 4\n",  // the quad path
                                 "v 0 0 0\nv 1 0 0\nv 0.25 1 0.5\nf 1 2 3\n",             // the refinement path
                                 "v 0 0 0\nv 1 0 0\nv 1.5 1 0\nv 0.5 1.5 0\nv -0.5 1 0.25\nf 1 2 3 4 5\n"};
    for (const std::string& face : faces) {
        Loaded loaded = loadObjText("t interpolateboundary 1/0/0 1\n" + face);
        ASSERT_EQ("", loaded.fatal);
        MrMesh surface;
        ASSERT_TRUE(surface.build(*loaded.mesh).ok);
        for (int level = 0; level <= 4; ++level) {
            if (level > 0) {
            ASSERT_TRUE(surface.subdivide().ok);
        }
            const LevelPoints points = surface.points(level);
            for (int v = 0; v < loaded.mesh->numVertices(); ++v) {
                const Vector p = points.vertices[surface.levelZeroNumbering().vertexVertex(v)];
                const Vector c = loaded.mesh->vertex(v)->position();
                EXPECT_TRUE(p.x == c.x && p.y == c.y && p.z == c.z) << face << "level " << level << " vertex " << v;
            }
        }
        std::vector<Vector> limit;
        limitPointsAndNormals(surface, &limit, nullptr);
        EXPECT_EQ(loaded.mesh->vertex(0)->position().x, limit[surface.levelZeroNumbering().vertexVertex(0)].x);
    }
    // Edge only: the corner follows the boundary curve, 3/4 of it and 1/8 of
    // each neighbour: (1/8 + 1/8 * 0, 1/8, 1/16) from (0,0,0), (1,0,0), (0,1,0.5).
    Loaded plain = loadObjText(faces[0]);
    MrMesh surface;
    ASSERT_TRUE(surface.build(*plain.mesh).ok);
    ASSERT_TRUE(surface.subdivide().ok);
    const Vector corner = surface.points(1).vertices[0];
    EXPECT_EQ(0.125f, corner.x);
    EXPECT_EQ(0.125f, corner.y);
    EXPECT_EQ(0.0625f, corner.z);
}

// The strip's last face a hole: vertices 3 and 7 and the edges 2-3, 3-7,
// 7-6 are the hole's alone, so 6 vertices and 7 edges stay, and the points
// at level L are 6 + 7(m-1) + 2(m-1)^2 in 2m^2 quads. The corner tag of
// vertex 4 names its new index 3; vertex 3's and the crease 2-3 go.
TEST(HoleExport, AStripWithoutItsLastFace) {
    Loaded loaded = loadObjText(kStrip + "t hole 1/0/0 2\nt corner 2/1/0 4 3 2\nt crease 2/1/0 2 3 10\n");
    ASSERT_EQ("", loaded.fatal);
    MrMesh surface;
    ASSERT_TRUE(surface.build(*loaded.mesh).ok);
    for (int level = 0; level <= 3; ++level) {
        if (level > 0) {
            ASSERT_TRUE(surface.subdivide().ok);
        }
        const long long m = 1LL << level;
        const WeldedSurface welded(surface);
        EXPECT_EQ(6 + 7 * (m - 1) + 2 * (m - 1) * (m - 1), welded.pointCount()) << level;
        EXPECT_EQ(2 * m * m, welded.quadCount());
        EXPECT_EQ(7 * m + 2 * 2 * m * (m - 1), welded.edgeCount());
        std::set<long long> used;
        welded.forEachQuad([&](const long long* c) { used.insert(c, c + 4); });
        EXPECT_EQ(welded.pointCount(), static_cast<long long>(used.size()));
        EXPECT_EQ(0, *used.begin());
        EXPECT_EQ(welded.pointCount() - 1, *used.rbegin());
        // The points in order are the stored points the numbering keeps.
        std::vector<long long> stored;
        welded.forEachStoredIndex([&](long long k) { stored.push_back(k); });
        EXPECT_EQ((std::vector<long long>{0, 1, 2, 4, 5, 6}), std::vector<long long>(stored.begin(), stored.begin() + 6));
        std::vector<Vector> limit;
        limitPointsAndNormals(surface, &limit, nullptr);
        ASSERT_EQ(welded.storedPointCount(), static_cast<long long>(limit.size()));
        SurfaceExtras extras;
        extras.positions = &limit;
        const std::string text = written(surface, extras);
        EXPECT_EQ(welded.pointCount(), linesStartingWith(text, "v "));
        EXPECT_EQ(welded.quadCount(), linesStartingWith(text, "f "));
        EXPECT_EQ(level < 2, text.find("t corner 1/1/0 3 ") != std::string::npos) << level;
        EXPECT_EQ(level < 2 ? 1 : 0, linesStartingWith(text, "t corner"));  // 2 wears off after two steps
        EXPECT_EQ(0, linesStartingWith(text, "t crease"));
        EXPECT_EQ(0, linesStartingWith(text, "t hole"));
    }
}

// The arrays a program takes from Surface leave the hole out as the export
// does: the points, the quads over them, the limit at those points.
TEST(HoleExport, TheSurfaceArraysLeaveTheHoleOut) {
    Loaded loaded = loadObjText(kStrip + "t hole 1/0/0 2\n");
    ASSERT_EQ("", loaded.fatal);
    Surface surface;
    ASSERT_TRUE(surface.build(*loaded.mesh).ok);
    ASSERT_TRUE(surface.subdivide().ok);
    ASSERT_EQ(15, surface.pointCount());  // 6 + 7 + 2, as above at level 1
    ASSERT_EQ(8, surface.quadCount());
    std::vector<float> xyz(3 * 15);
    std::vector<std::int32_t> quads(4 * 8, -1);
    surface.copyPoints(xyz.data());
    surface.copyQuads(quads.data());
    std::set<std::int32_t> used(quads.begin(), quads.end());
    EXPECT_EQ(15u, used.size());
    EXPECT_EQ(0, *used.begin());
    EXPECT_EQ(14, *used.rbegin());
    std::vector<Vector> positions, normals;
    surface.limit(&positions, &normals);
    ASSERT_EQ(15u, positions.size());
    ASSERT_EQ(15u, normals.size());
    // The same as the limit at every stored point, taken where the export keeps points.
    Loaded again = loadObjText(kStrip + "t hole 1/0/0 2\n");  // a surface of its own links to its mesh
    MrMesh mr;
    ASSERT_TRUE(mr.build(*again.mesh).ok);
    ASSERT_TRUE(mr.subdivide().ok);
    std::vector<Vector> all;
    limitPointsAndNormals(mr, &all, nullptr);
    std::size_t next = 0;
    WeldedSurface(mr).forEachStoredIndex([&](long long k) {
        EXPECT_TRUE(all[k].x == positions[next].x && all[k].y == positions[next].y && all[k].z == positions[next].z) << k;
        ++next;
    });
    EXPECT_EQ(15u, next);
    next = 0;
    WeldedSurface(mr).forEachPoint([&](const Vector& p) {
        EXPECT_TRUE(p.x == xyz[3 * next] && p.y == xyz[3 * next + 1] && p.z == xyz[3 * next + 2]) << next;
        ++next;
    });
}
