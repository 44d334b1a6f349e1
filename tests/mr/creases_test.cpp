// Sharp and semi-sharp edges and corners in the surface: values worked out by
// hand from the crease rules on a cube and on an open strip, sharpness that
// counts down one level per step, and edits of a creased surface.

#include <gtest/gtest.h>

#include <string>

#include "support/loading.h"
#include "surface_probe.h"

using namespace facetry;

namespace {

// The cube [-1, 1]^3, faces turned outwards; 0-based vertex k is the k-th v line.
const std::string kCube =
    "v -1 -1 -1\nv 1 -1 -1\nv 1 1 -1\nv -1 1 -1\nv -1 -1 1\nv 1 -1 1\nv 1 1 1\nv -1 1 1\n"
    "f 1 4 3 2\nf 5 6 7 8\nf 1 2 6 5\nf 2 3 7 6\nf 3 4 8 7\nf 4 1 5 8\n";

// The four edges around the cube's top face, all of sharpness s.
std::string topRing(const std::string& s) {
    return "t crease 5/1/0 4 5 6 7 4 " + s + "\n";
}

struct Creased {
    std::unique_ptr<Mesh> mesh;
    std::unique_ptr<MrMesh> surface;
};

Creased refine(const std::string& obj, int level) {
    Loaded loaded = loadObjText(obj);
    EXPECT_EQ("", loaded.fatal);
    Creased c{std::move(loaded.mesh), nullptr};
    c.surface = buildSurface(*c.mesh);
    for (int k = 0; k < level; ++k) EXPECT_TRUE(c.surface->subdivide());
    return c;
}

// The edge of the surface between vertices a and b.
int edgeBetween(const MrMesh& surface, int a, int b) {
    const MrTopology& t = surface.topology();
    for (int e = 0; e < t.numE; ++e)
        if ((t.edges[e].vertices[0] == a && t.edges[e].vertices[1] == b) ||
            (t.edges[e].vertices[0] == b && t.edges[e].vertices[1] == a))
            return e;
    ADD_FAILURE() << "no edge " << a << "-" << b;
    return 0;
}

// At level 1, the point of the surface's vertex v and the midpoint of edge a-b.
Vector vertexAt(const MrMesh& surface, int v) { return surface.points(surface.curRes()).vertices[v]; }
Vector edgeMiddle(const MrMesh& surface, int a, int b) {
    const LevelPoints p = surface.points(surface.curRes());
    return p.edgeInner(edgeBetween(surface, a, b))[p.cells / 2 - 1];
}

void expectNear(const Vector& expected, const Vector& actual, const std::string& what) {
    EXPECT_NEAR(expected.x, actual.x, 1e-6) << what;
    EXPECT_NEAR(expected.y, actual.y, 1e-6) << what;
    EXPECT_NEAR(expected.z, actual.z, 1e-6) << what;
}

// One step of the cube with its top ring tagged. Smooth, the top corner
// (1, 1, 1) goes to (F + 2R)/3 with F = (1/3, 1/3, 1/3) the mean of its face
// centres and R = (2/3, 2/3, 2/3) of its edge midpoints: (5/9, 5/9, 5/9); and the edge point of the top-right edge
// is the mean of its ends and face centres, (3/4, 0, 3/4). Sharp, the corner
// follows the crease curve, 3/4 of itself and 1/8 of its two neighbours on the
// ring, (3/4, 3/4, 1), and the edge point is the edge's midpoint, (1, 0, 1).
// Sharpness 1.5 is still sharp in this step; 0.5 weighs the sharp rules by 1/2.
TEST(Creases, OneStepOfACubeWithASharpTopRing) {
    const struct {
        const char* sharpness;
        Vector corner, edge;
    } cases[] = {
        {"0", {5 / 9.0f, 5 / 9.0f, 5 / 9.0f}, {0.75f, 0, 0.75f}},
        {"10", {0.75f, 0.75f, 1}, {1, 0, 1}},
        {"1.5", {0.75f, 0.75f, 1}, {1, 0, 1}},
        {"0.5", {47 / 72.0f, 47 / 72.0f, 7 / 9.0f}, {0.875f, 0, 0.875f}},
    };
    for (const auto& c : cases) {
        const Creased cube = refine(kCube + topRing(c.sharpness), 1);
        const std::string what = std::string("sharpness ") + c.sharpness;
        expectNear(c.corner, vertexAt(*cube.surface, 6), what);
        expectNear(c.edge, edgeMiddle(*cube.surface, 5, 6), what);
        expectNear({5 / 9.0f, 5 / 9.0f, -5 / 9.0f}, vertexAt(*cube.surface, 2), what + ": the bottom stays smooth");
    }
}

// A sharpness of k gives the infinitely sharp surface for k steps, to the bit,
// and a smoother one from step k+1 on; 10 and more never wears off.
TEST(Creases, SharpnessCountsDownOneLevelPerStep) {
    for (int k = 1; k <= 2; ++k) {
        for (int level = 1; level <= k + 1; ++level) {
            const Creased finite = refine(kCube + topRing(std::to_string(k)), level);
            const Creased infinite = refine(kCube + topRing("10"), level);
            const bool same = sameBits(surfacePoints(*finite.surface), surfacePoints(*infinite.surface));
            EXPECT_EQ(level <= k, same) << "sharpness " << k << " at level " << level;
        }
    }
    const Creased ten = refine(kCube + topRing("10"), 4), more = refine(kCube + topRing("25"), 4);
    EXPECT_TRUE(sameBits(surfacePoints(*ten.surface), surfacePoints(*more.surface)));
}

// A corner stays where it is at every level, whether tagged as a corner or
// made one by three sharp edges.
TEST(Creases, CornersStayPut) {
    for (const std::string tags : {"t corner 1/1/0 6 10\n", "t crease 2/1/0 5 6 10\nt crease 3/1/0 2 6 7 10\n"}) {
        Creased cube = refine(kCube + tags, 0);
        for (int level = 1; level <= 3; ++level) {
            ASSERT_TRUE(cube.surface->subdivide());
            EXPECT_EQ(Vector(1, 1, 1), vertexAt(*cube.surface, 6)) << tags << "level " << level;
        }
    }
}

// Two quads side by side, bent along their shared edge 1-4, which ends on the
// boundary at both sides. Smooth, vertex 1 follows the boundary curve:
// 3/4 (1, 0, 1/2) + 1/8 ((0, 0, 0) + (3, 0, 0)); the shared edge's point is the
// mean of its ends and the two face centres. A crease there makes 1 and 4
// corners (two boundary edges and the crease) and the edge point the midpoint.
// Tagging a boundary edge changes nothing: the boundary is sharp already.
TEST(Creases, ACreaseMeetingAnOpenBoundary) {
    const std::string strip =
        "v 0 0 0\nv 1 0 0.5\nv 3 0 0\nv 0 1 0\nv 1 1 0.5\nv 3 1 0\nf 1 2 5 4\nf 2 3 6 5\n";
    const Creased smooth = refine(strip, 1), creased = refine(strip + "t crease 2/1/0 1 4 10\n", 1);
    expectNear({1.125f, 0, 0.375f}, vertexAt(*smooth.surface, 1), "smooth boundary vertex");
    expectNear({1.125f, 0.5f, 0.375f}, edgeMiddle(*smooth.surface, 1, 4), "smooth edge point");
    EXPECT_EQ(Vector(1, 0, 0.5f), vertexAt(*creased.surface, 1));
    EXPECT_EQ(Vector(1, 1, 0.5f), vertexAt(*creased.surface, 4));
    EXPECT_EQ(Vector(1, 0.5f, 0.5f), edgeMiddle(*creased.surface, 1, 4));
    const Creased boundaryTag = refine(strip + "t crease 3/1/0 0 1 2 10\n", 3), untagged = refine(strip, 3);
    EXPECT_TRUE(sameBits(surfacePoints(*boundaryTag.surface), surfacePoints(*untagged.surface)));
}

// Dragging a control vertex of a creased surface gives, at every point, the
// surface built afresh over the moved mesh: on a quad mesh and on one that
// is refined once to make level 0, with sharp, semi-sharp and corner tags.
TEST(Creases, AnEditEqualsARebuild) {
    const std::string pyramid =
        "v -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\nv 0 0 1.5\nf 1 4 3 2\nf 1 2 5\nf 2 3 5\nf 3 4 5\nf 4 1 5\n";
    const struct {
        std::string obj;
        int moved;
    } cases[] = {
        {kCube + topRing("1.7") + "t crease 2/1/0 1 2 10\nt corner 1/1/0 0 2.5\n", 6},
        {kCube + topRing("1.7") + "t crease 2/1/0 1 2 10\nt corner 1/1/0 0 2.5\n", 3},
        {pyramid + "t crease 3/1/0 0 4 2 2.3\nt crease 2/1/0 1 2 0.4\nt corner 1/1/0 3 10\n", 4},
        {pyramid + "t crease 3/1/0 0 4 2 2.3\nt crease 2/1/0 1 2 0.4\nt corner 1/1/0 3 10\n", 1},
    };
    for (const auto& c : cases) {
        Creased edited = refine(c.obj, 3);
        const Vector to = edited.mesh->vertex(c.moved)->position() + Vector(0.3f, -0.2f, 0.45f);
        edited.mesh->vertex(c.moved)->setPosition(to);
        ASSERT_TRUE(edited.surface->vertexMoved(edited.mesh->vertex(c.moved)));
        Loaded moved = loadObjText(c.obj);
        moved.mesh->vertex(c.moved)->setPosition(to);
        std::unique_ptr<MrMesh> rebuilt = buildSurface(*moved.mesh);
        for (int k = 0; k < 3; ++k) ASSERT_TRUE(rebuilt->subdivide());
        std::string where;
        EXPECT_TRUE(sameBits(surfacePoints(*edited.surface), surfacePoints(*rebuilt), &where))
            << "vertex " << c.moved << " moved: " << where;
    }
}

}  // namespace
