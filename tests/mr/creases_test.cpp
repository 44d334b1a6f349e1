// Sharp and semi-sharp edges and corners in the surface: values worked out by
// hand from the crease rules on a cube and on an open strip, sharpness that
// counts down one level per step (and by Chaikin's rule, segment by
// segment), smooth-triangle edge points on a tetrahedron and a pyramid, and
// edits of a creased surface under each scheme option.

#include <gtest/gtest.h>

#include <string>

#include "support/loading.h"
#include "support/meshcopy.h"
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

SchemeOptions optionsOf(CreasingMethod creasing, TriangleSubdivision triangles) {
    SchemeOptions options;
    options.creasing = creasing;
    options.triangles = triangles;
    return options;
}

// The edge point of control edge a-b, from the control mesh and from the
// surface's level 0, which takes it from there.
void expectEdgePoint(const std::string& obj, const SchemeOptions& options, int a, int b, const Vector& expected,
                     const std::string& what) {
    Loaded loaded = loadObjText(obj);
    ASSERT_EQ("", loaded.fatal);
    std::unique_ptr<Mesh> mesh = withOptions(*loaded.mesh, options);
    const MeshEdge* edge = mesh->vertex(a)->edgeTo(mesh->vertex(b));
    ASSERT_TRUE(edge);
    const Vector got = edge->edgePoint();
    EXPECT_NEAR(got.x, expected.x, 1e-5) << what;
    EXPECT_NEAR(got.y, expected.y, 1e-5) << what;
    EXPECT_NEAR(got.z, expected.z, 1e-5) << what;
    std::unique_ptr<MrMesh> surface = buildSurface(*mesh);
    const Vector onSurface = surface->points(0).vertices[surface->levelZeroNumbering().edgeVertex(edge->id)];
    EXPECT_EQ(onSurface, got) << what;
}

// Smooth triangles, by hand: beside two triangles each face point weighs
// (0.47 + 0.47)/2 = 0.47 and each end (1 - 0.94)/2 = 0.03; beside a triangle
// and a quad, 0.36 and 0.14. The tetrahedron has corners 0 and 3 on the axes,
// so its face points are whole; the pyramid stands on the square [0, 4]^2.
TEST(SmoothTriangles, EdgePointsWeighTheFacePointsAsTrianglesWant) {
    const std::string tetrahedron = "v 0 0 0\nv 3 0 0\nv 0 3 0\nv 0 0 3\nf 1 3 2\nf 1 2 4\nf 1 4 3\nf 2 3 4\n";
    const std::string pyramid =
        "v 0 0 0\nv 4 0 0\nv 4 4 0\nv 0 4 0\nv 2 2 3\nf 1 4 3 2\nf 1 2 5\nf 2 3 5\nf 3 4 5\nf 4 1 5\n";
    const SchemeOptions smooth = optionsOf(CreasingMethod::Uniform, TriangleSubdivision::Smooth);
    const struct {
        std::string obj;
        SchemeOptions options;
        int a, b;
        Vector expected;
        const char* what;
    } cases[] = {
        // faces (1, 1, 0) and (1, 0, 1): 0.03 (3, 0, 0) + 0.47 (2, 1, 1)
        {tetrahedron, smooth, 0, 1, Vector(1.03f, 0.47f, 0.47f), "tetrahedron, two triangles"},
        {tetrahedron, SchemeOptions(), 0, 1, Vector(1.25f, 0.25f, 0.25f), "tetrahedron, Catmull-Clark"},
        // quad (2, 2, 0), triangle (2, 2/3, 1): 0.14 (4, 0, 0) + 0.36 (4, 8/3, 1)
        {pyramid, smooth, 0, 1, Vector(2, 0.96f, 0.36f), "pyramid, a triangle and the quad"},
        // triangles (2, 2/3, 1) and (2/3, 2, 1): 0.03 (2, 2, 3) + 0.47 (8/3, 8/3, 2)
        {pyramid, smooth, 0, 4, Vector(1.3133333f, 1.3133333f, 1.03f), "pyramid, two triangles"},
        {pyramid + "t crease 2/1/0 0 1 0.5\n", smooth, 0, 1, Vector(2, 0.48f, 0.18f),
         "pyramid, sharpness 0.5: half the midpoint (2, 0, 0), half the smooth-triangle point"},
        {pyramid + "t crease 2/1/0 0 1 1.5\n", smooth, 0, 1, Vector(2, 0, 0), "pyramid, sharp: the midpoint"},
    };
    for (const auto& c : cases) expectEdgePoint(c.obj, c.options, c.a, c.b, c.expected, c.what);
}

// Chaikin creasing along a crease of two edges, A of sharpness 3 from vertex
// 6 to 7 and B of 2 from 7 to 8, across a 4 x 4 grid of quads (the surface's
// level 0 is the grid): by hand, A's halves take 3 - 1 = 2 at 6, where it is
// alone, and 3/4 3 + 1/4 2 - 1 = 1.75 at 7, B's 3/4 2 + 1/4 3 - 1 = 1.25 at 7
// and 1 at 8; a level on, the segments 2, 1.75 | 1.25, 1 give 1, 0.9375,
// 0.8125, 0.625 | 0.375, 0.1875, 0.0625, 0.
TEST(ChaikinCreasing, EachSegmentOfACreaseWearsOffByTheSegmentsBesideIt) {
    std::string grid;
    for (int j = 0; j < 5; ++j)
        for (int i = 0; i < 5; ++i) grid += "v " + std::to_string(i) + " " + std::to_string(j) + " 0\n";
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) {
            const int v = 5 * j + i + 1;
            grid += "f " + std::to_string(v) + " " + std::to_string(v + 1) + " " + std::to_string(v + 6) + " " +
                    std::to_string(v + 5) + "\n";
        }
    Loaded loaded = loadObjText(grid + "t crease 2/1/0 6 7 3\nt crease 2/1/0 7 8 2\n");
    ASSERT_EQ("", loaded.fatal);
    std::unique_ptr<Mesh> mesh = withOptions(*loaded.mesh, optionsOf(CreasingMethod::Chaikin, TriangleSubdivision::CatmullClark));
    std::unique_ptr<MrMesh> surface = buildSurface(*mesh);
    ASSERT_TRUE(surface->isAllQuads());
    const struct {
        int from, to, level;
        std::vector<float> segments;  // from `from` on
    } cases[] = {
        {6, 7, 0, {3}},
        {7, 8, 0, {2}},
        {6, 7, 1, {2, 1.75f}},
        {7, 8, 1, {1.25f, 1}},
        {6, 7, 2, {1, 0.9375f, 0.8125f, 0.625f}},
        {7, 8, 2, {0.375f, 0.1875f, 0.0625f, 0}},
        {7, 8, 3, {0, 0, 0, 0, 0, 0, 0, 0}},
        {6, 11, 2, {0, 0, 0, 0}},  // a smooth edge stays smooth
    };
    for (const auto& c : cases) {
        while (surface->curRes() < c.level) ASSERT_TRUE(surface->subdivide());
        const MrTopology& t = surface->topology();
        const int e = edgeBetween(*surface, c.from, c.to), m = 1 << c.level;
        const bool forward = t.edges[e].vertices[0] == c.from;
        for (int i = 0; i < m; ++i)
            EXPECT_EQ(t.segmentSharpnessAt(e, forward ? i : m - 1 - i, c.level), c.segments[i])
                << c.from << "-" << c.to << " at level " << c.level << ", segment " << i;
    }
    // Back down, the levels above are let go and worked out again on the way up.
    surface->reset();
    ASSERT_TRUE(surface->subdivide());
    ASSERT_TRUE(surface->subdivide());
    const int e = edgeBetween(*surface, 6, 7);
    const bool forward = surface->topology().edges[e].vertices[0] == 6;
    EXPECT_EQ(surface->topology().segmentSharpnessAt(e, forward ? 1 : 2, 2), 0.9375f);
}

// An edit under each scheme option gives the bits of a surface built anew
// around the moved vertex.
TEST(Creases, AnEditUnderEachSchemeOptionEqualsARebuild) {
    const std::string pyramid =
        "v -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\nv 0 0 1.5\nf 1 4 3 2\nf 1 2 5\nf 2 3 5\nf 3 4 5\nf 4 1 5\n"
        "t crease 3/1/0 0 4 2 2.3\nt crease 2/1/0 1 2 0.4\nt crease 2/1/0 3 4 1.6\nt corner 1/1/0 3 1.5\n";
    const std::string cube = kCube + "t crease 5/1/0 4 5 6 7 4 1.7\nt crease 2/1/0 1 5 0.8\nt crease 2/1/0 1 2 2.6\n";
    const SchemeOptions chaikin = optionsOf(CreasingMethod::Chaikin, TriangleSubdivision::CatmullClark);
    const SchemeOptions both = optionsOf(CreasingMethod::Chaikin, TriangleSubdivision::Smooth);
    const SchemeOptions triangles = optionsOf(CreasingMethod::Uniform, TriangleSubdivision::Smooth);
    const struct {
        std::string obj;
        SchemeOptions options;
        int moved;
    } cases[] = {
        {pyramid, both, 4}, {pyramid, both, 1}, {pyramid, triangles, 0}, {pyramid, chaikin, 2},
        {cube, chaikin, 5}, {cube, chaikin, 0},
    };
    for (const auto& c : cases) {
        Loaded loaded = loadObjText(c.obj);
        ASSERT_EQ("", loaded.fatal);
        std::unique_ptr<Mesh> edited = withOptions(*loaded.mesh, c.options);
        std::unique_ptr<MrMesh> surface = buildSurface(*edited);
        for (int k = 0; k < 3; ++k) ASSERT_TRUE(surface->subdivide());
        const Vector to = edited->vertex(c.moved)->position() + Vector(0.3f, -0.2f, 0.45f);
        edited->vertex(c.moved)->setPosition(to);
        ASSERT_TRUE(surface->vertexMoved(edited->vertex(c.moved)));
        // moved the same way, so that its face centroids follow by the same sums
        std::unique_ptr<Mesh> moved = withOptions(*loaded.mesh, c.options);
        moved->vertex(c.moved)->setPosition(to);
        std::unique_ptr<MrMesh> rebuilt = buildSurface(*moved);
        for (int k = 0; k < 3; ++k) ASSERT_TRUE(rebuilt->subdivide());
        std::string where;
        EXPECT_TRUE(sameBits(surfacePoints(*surface), surfacePoints(*rebuilt), &where))
            << "vertex " << c.moved << " moved: " << where;
        // and the options changed the surface
        Loaded plain = loadObjText(c.obj);
        plain.mesh->vertex(c.moved)->setPosition(to);
        std::unique_ptr<MrMesh> untagged = buildSurface(*plain.mesh);
        for (int k = 0; k < 3; ++k) ASSERT_TRUE(untagged->subdivide());
        EXPECT_FALSE(sameBits(surfacePoints(*surface), surfacePoints(*untagged))) << "vertex " << c.moved;
    }
}

}  // namespace
