// Smooth texture coordinates on the surface, by hand and by invariant (the
// agreement with OpenSubdiv is tests/peer's): the values the rules give on
// two quads whose seam parts them, under "none" and "corners only"; an affine
// layout on a flat grid, which the smooth rules carry along exactly as they
// carry the points; a drag, which moves no texture coordinate; a level's
// export, whose texture coordinates refined on are the next level's; what a
// seam costs; and files under "all", which keep today's values.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>

#include "mr/limit.h"
#include "mr/mrmesh.h"
#include "mr/surfaceexport.h"
#include "support/loading.h"
#include "support/pointmatch.h"

using namespace facetry;

namespace {

// Two unit quads side by side, each with a chart of its own: the middle edge
// (vertices 2 and 5) is a seam, the left quad's chart is [0, 1]^2 and the
// right one's [2, 3] x [0, 1].
const std::string kTwoCharts =
    "v 0 0 0\nv 1 0 0\nv 2 0 0\nv 0 1 0\nv 1 1 0\nv 2 1 0\n"
    "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvt 2 0\nvt 3 0\nvt 3 1\nvt 2 1\n"
    "f 1/1 2/2 5/3 4/4\nf 2/5 3/6 6/7 5/8\n";

std::unique_ptr<MrMesh> surfaceOf(Loaded& loaded, int level) {
    EXPECT_EQ("", loaded.fatal);
    auto surface = std::make_unique<MrMesh>();
    EXPECT_TRUE(surface->build(*loaded.mesh).ok);
    for (int l = 0; l < level; ++l) EXPECT_TRUE(surface->subdivide().ok);
    return surface;
}

std::pair<float, float> uvAt(const MrMesh& s, int f, int i, int j) {
    float uv[2];
    s.textureCoordinateAt(f, i, j, uv);
    return {uv[0], uv[1]};
}

std::pair<float, float> limitAt(const MrMesh& s, int f, int i, int j) {
    float uv[2];
    limitTextureCoordinateAt(s, f, i, j, uv);
    return {uv[0], uv[1]};
}

std::string written(const MrMesh& surface) {
    char* text = nullptr;
    std::size_t size = 0;
    FILE* out = open_memstream(&text, &size);
    EXPECT_TRUE(writeSurface(out, surface, MeshFormat::Obj, SurfaceExtras{}));
    std::fclose(out);
    std::string result(text, size);
    std::free(text);
    return result;
}

// Every corner of every quad of the surface by its point and the next point
// round the quad, both as welded points renumbered through `partner` (none:
// the surface's own numbering), with its texture coordinate.
using CornerKey = std::pair<long long, long long>;
std::map<CornerKey, std::pair<float, float>> cornerUVs(const MrMesh& s, const std::vector<int>* partner = nullptr) {
    const WeldedSurface welded(s);
    const int m = 1 << s.curRes(), di[4] = {0, 1, 1, 0}, dj[4] = {0, 0, 1, 1};
    auto name = [&](long long p) { return partner ? static_cast<long long>((*partner)[p]) : p; };
    std::map<CornerKey, std::pair<float, float>> corners;
    for (int f = 0; f < s.numFaces(); ++f)
        for (int i = 0; i < m; ++i)
            for (int j = 0; j < m; ++j)
                for (int k = 0; k < 4; ++k) {
                    const int n = (k + 1) % 4;
                    const CornerKey key{name(welded.index(f, i + di[k], j + dj[k])), name(welded.index(f, i + di[n], j + dj[n]))};
                    corners[key] = uvAt(s, f, i + di[k], j + dj[k]);
                }
    return corners;
}

std::vector<Vector> weldedPoints(const MrMesh& s) {
    std::vector<Vector> points;
    WeldedSurface(s).forEachPoint([&points](const Vector& p) { points.push_back(p); });
    return points;
}

}  // namespace

// Level 1 of the two charts, face 0's grid: (0, 0) is vertex 1's corner, (2,
// 0) the seam's lower end (vertex 2), (2, 1) the seam's edge point.
// - The face point is the average of the face's corners: (0.5, 0.5).
// - The seam's edge point is the midpoint of its side: (1, 0.5) left.
// - The seam's lower end, a value of one face: under "none" a crease along
//   the left chart's border, 3/4 (1, 0) + 1/8 ((0, 0) + (1, 1)); under
//   "corners only" a corner, (1, 0).
// - The chart's corner at vertex 1: under "none" the points' rule, the
//   boundary curve, 3/4 (0, 0) + 1/8 ((1, 0) + (0, 1)); under "corners
//   only" a corner.
// Their limits at level 0: the crease's 2/3 p + 1/6 of its ends.
TEST(FaceVaryingRules, TwoChartsByHand) {
    struct Case {
        const char* rule;
        std::pair<float, float> seamEnd, chartCorner, seamEndLimit;
    } cases[] = {
        {"0", {0.875f, 0.125f}, {0.125f, 0.125f}, {5.0f / 6, 1.0f / 6}},
        {"1", {1.0f, 0.0f}, {0.0f, 0.0f}, {1.0f, 0.0f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        Loaded loaded = loadObjText(kTwoCharts + "t facevaryinginterpolateboundary 1/0/0 " + c.rule + "\n");
        auto level0 = surfaceOf(loaded, 0);
        const auto limit = limitAt(*level0, 0, 1, 0);
        EXPECT_NEAR(c.seamEndLimit.first, limit.first, 1e-6);
        EXPECT_NEAR(c.seamEndLimit.second, limit.second, 1e-6);
        ASSERT_TRUE(level0->subdivide().ok);
        const MrMesh& s = *level0;
        EXPECT_EQ(std::make_pair(0.5f, 0.5f), uvAt(s, 0, 1, 1));
        EXPECT_EQ(std::make_pair(2.5f, 0.5f), uvAt(s, 1, 1, 1));
        EXPECT_EQ(std::make_pair(1.0f, 0.5f), uvAt(s, 0, 2, 1));
        EXPECT_EQ(std::make_pair(2.0f, 0.5f), uvAt(s, 1, 0, 1));  // the same point, the right chart's side
        EXPECT_EQ(c.seamEnd, uvAt(s, 0, 2, 0));
        EXPECT_EQ(std::make_pair(3.0f - c.seamEnd.first, c.seamEnd.second), uvAt(s, 1, 0, 0));  // its mirror image
        EXPECT_EQ(c.chartCorner, uvAt(s, 0, 0, 0));
        // One point, two values: the export keeps them apart.
        const WeldedSurface welded(s);
        EXPECT_EQ(welded.index(0, 2, 0), welded.index(1, 0, 0));
        EXPECT_NE(s.faceVaryingLayout()->valueIndexAt(1, 0, 2, 0), s.faceVaryingLayout()->valueIndexAt(1, 1, 0, 0));
    }
}

// UVs that are an affine function of a flat grid's points, one chart: the
// smooth rules reproduce affine functions (the masks' weights sum to 1 and
// their first moments are those of the points), so under "none" every level's
// texture coordinates and limits are that function of the refined points and
// of their limits. A rule that read a wrong neighbour breaks it.
TEST(FaceVaryingRules, AnAffineLayoutFollowsThePoints) {
    std::string text;
    const int n = 4;
    for (int y = 0; y <= n; ++y)
        for (int x = 0; x <= n; ++x) {
            const float px = static_cast<float>(x) + 0.25f * (y % 2), py = static_cast<float>(y) + 0.125f * (x % 3);
            text += "v " + std::to_string(px) + " " + std::to_string(py) + " 0\n";
            text += "vt " + std::to_string(0.5f * px + 0.25f * py + 1) + " " + std::to_string(-0.25f * px + py) + "\n";
        }
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const int a = y * (n + 1) + x + 1, b = a + 1, c = a + n + 2, d = a + n + 1;
            text += "f " + std::to_string(a) + "/" + std::to_string(a) + " " + std::to_string(b) + "/" + std::to_string(b) + " " +
                    std::to_string(c) + "/" + std::to_string(c) + " " + std::to_string(d) + "/" + std::to_string(d) + "\n";
        }
    Loaded loaded = loadObjText(text + "t facevaryinginterpolateboundary 1/0/0 0\n");
    auto s = surfaceOf(loaded, 0);
    for (int level = 0; level <= 3; ++level) {
        if (level > 0) {
            ASSERT_TRUE(s->subdivide().ok);
        }
        std::vector<Vector> limits;
        limitPointsAndNormals(*s, &limits, nullptr);
        const WeldedSurface welded(*s);
        const std::vector<Vector> points = weldedPoints(*s);
        const int m = 1 << level;
        double worst = 0, worstLimit = 0;
        for (int f = 0; f < s->numFaces(); ++f)
            for (int i = 0; i <= m; ++i)
                for (int j = 0; j <= m; ++j) {
                    // no holes: the stored order is the welded one
                    const Vector at = points[welded.index(f, i, j)], q = limits[welded.index(f, i, j)];
                    const auto uv = uvAt(*s, f, i, j);
                    worst = std::max({worst, std::abs(uv.first - (0.5 * at.x + 0.25 * at.y + 1)), std::abs(uv.second - (-0.25 * at.x + at.y))});
                    const auto lim = limitAt(*s, f, i, j);
                    worstLimit = std::max({worstLimit, std::abs(lim.first - (0.5 * q.x + 0.25 * q.y + 1)),
                                           std::abs(lim.second - (-0.25 * q.x + q.y))});
                }
        EXPECT_LT(worst, 2e-6) << "level " << level;
        EXPECT_LT(worstLimit, 2e-6) << "level " << level;
    }
}

namespace {

// A 3 x 3 grid over a bumpy sheet, one chart, cut by a seam from its bottom
// edge up to the middle of the sheet (two edges; the cut ends inside, a
// dart), and a triangle beside it, so that both paths of level 0 are met.
std::string seamedSheet(bool withTriangle) {
    std::string text;
    for (int y = 0; y <= 3; ++y)
        for (int x = 0; x <= 3; ++x)
            text += "v " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(0.2 * ((x * 7 + y * 3) % 5)) + "\n";
    if (withTriangle) text += "v 4 1.5 0.3\n";
    // vt 1 to 16 as the vertices; 17 and 18 the seam's other side at vertices 2 and 6 (1-based 2, 6).
    for (int y = 0; y <= 3; ++y)
        for (int x = 0; x <= 3; ++x) text += "vt " + std::to_string(0.25 * x + 0.03 * y) + " " + std::to_string(0.25 * y) + "\n";
    text += "vt 0.3 0\nvt 0.32 0.25\n";
    if (withTriangle) text += "vt 1 0.4\n";
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) {
            const int a = y * 4 + x + 1, b = a + 1, c = a + 5, d = a + 4;
            // the faces right of the cut (x = 1, rows 0 and 1) take the other side's values at it
            auto t = [&](int v) { return (x == 1 && y <= 1 && (v == 2 || v == 6) ? (v == 2 ? 17 : 18) : v); };
            text += "f " + std::to_string(a) + "/" + std::to_string(t(a)) + " " + std::to_string(b) + "/" + std::to_string(t(b)) +
                    " " + std::to_string(c) + "/" + std::to_string(t(c)) + " " + std::to_string(d) + "/" + std::to_string(t(d)) + "\n";
        }
    if (withTriangle) text += "f 8/8 17/19 12/12\n";
    return text;
}

}  // namespace

// The seam's two edges have a second side each, and its end on the border
// and its middle vertex a second value; the dart's tip has one.
TEST(FaceVaryingRules, OnlySeamsKeepSecondValues) {
    Loaded loaded = loadObjText(seamedSheet(false) + "t facevaryinginterpolateboundary 1/0/0 0\n");
    auto s = surfaceOf(loaded, 1);
    ASSERT_TRUE(s->faceVaryingLayout());
    EXPECT_EQ(2, s->faceVaryingLayout()->seamCount());
    EXPECT_EQ(2, s->faceVaryingLayout()->extraValueCount());
    Loaded plain = loadObjText(seamedSheet(false));  // "all": today's corner values, no layout
    EXPECT_FALSE(surfaceOf(plain, 1)->faceVaryingLayout());
}

// A drag moves points only: every texture coordinate stays as it was, also
// where the drag had to rebuild a surface whose elements stood at different
// levels.
TEST(FaceVaryingRules, ADragKeepsTheTextureCoordinates) {
    for (const char* rule : {"0", "2", "4"})
        for (bool mixedLevels : {false, true}) {
            SCOPED_TRACE(std::string("rule ") + rule + (mixedLevels ? ", mixed levels" : ""));
            Loaded loaded = loadObjText(seamedSheet(true) + "t facevaryinginterpolateboundary 1/0/0 " + rule + "\n");
            auto s = surfaceOf(loaded, 2);
            if (mixedLevels) s->vertex(0)->refine();
            const int level = s->curRes();
            const auto before = cornerUVs(*s);
            MeshVertex* moved = loaded.mesh->vertex(5);
            moved->setPosition(moved->position() + Vector(0.2f, -0.1f, 0.4f));
            ASSERT_TRUE(s->vertexMoved(moved).ok);
            ASSERT_EQ(level, s->curRes());
            EXPECT_TRUE(before == cornerUVs(*s));
        }
}

// The export of level 1 names each value of the layout once and writes the
// rule: read back and refined once, it gives level 2's texture coordinates
// (the points match within the export's rounding).
TEST(FaceVaryingRules, AnExportRefinesOnToTheNextLevel) {
    for (bool withTriangle : {false, true})
        for (const char* rule : {"0", "1", "2", "3", "4"}) {
            SCOPED_TRACE(std::string("rule ") + rule + (withTriangle ? ", with a triangle" : ""));
            const std::string text = seamedSheet(withTriangle) + "t facevaryinginterpolateboundary 1/0/0 " + rule + "\n";
            Loaded loaded = loadObjText(text), second = loadObjText(text);  // a surface links its mesh
            auto original = surfaceOf(loaded, 2);
            auto level1 = surfaceOf(second, 1);
            Loaded back = loadObjText(written(*level1));
            auto again = surfaceOf(back, 1);
            ASSERT_EQ(original->options(), again->options());
            const std::vector<int> partner = matchPoints(weldedPoints(*again), weldedPoints(*original), 1e-5);
            ASSERT_EQ(std::count(partner.begin(), partner.end(), -1), 0);
            const auto expected = cornerUVs(*original), got = cornerUVs(*again, &partner);
            ASSERT_EQ(expected.size(), got.size());
            double worst = 0;
            for (const auto& [key, uv] : got) {
                const auto it = expected.find(key);
                ASSERT_NE(it, expected.end());
                worst = std::max({worst, double(std::abs(uv.first - it->second.first)), double(std::abs(uv.second - it->second.second))});
            }
            EXPECT_LT(worst, 1e-6);
        }
}

// Under "all", written out or not, a textured file gives the texture
// coordinates it always gave: bilinear in every control face.
TEST(FaceVaryingRules, TheRuleAllIsTodaysBilinearLayout) {
    Loaded tagged = loadObjText(seamedSheet(true) + "t facevaryinginterpolateboundary 1/0/0 5\n");
    Loaded plain = loadObjText(seamedSheet(true));
    auto a = surfaceOf(tagged, 2), b = surfaceOf(plain, 2);
    EXPECT_EQ(written(*b), written(*a));
    // level 0 is one step of the control mesh here: quad 0 is corner 0 of face 0,
    // its grid bilinear between the face's centre, edge midpoints and corner
    const auto centre = uvAt(*b, 0, 0, 0), corner = uvAt(*b, 0, 4, 4), middle = uvAt(*b, 0, 2, 2);
    EXPECT_FLOAT_EQ(0.5f * (centre.first + corner.first), middle.first);
    EXPECT_FLOAT_EQ(0.5f * (centre.second + corner.second), middle.second);
    EXPECT_EQ(limitAt(*b, 0, 1, 3), uvAt(*b, 0, 1, 3));  // linear: its limit is itself
}

// The memory guard counts the next level's texture coordinates: at least 8
// bytes a point more than the points alone, and a level whose points fit
// but whose texture coordinates do not is refused, leaving the level as it was.
TEST(FaceVaryingRules, TheMemoryGuardCountsTheTextureCoordinates) {
    Loaded plain = loadObjText(seamedSheet(true)), smooth = loadObjText(seamedSheet(true) + "t facevaryinginterpolateboundary 1/0/0 0\n");
    auto all = surfaceOf(plain, 1), none = surfaceOf(smooth, 1);
    const std::size_t pointsOnly = all->bytesForNextLevel(), withUVs = none->bytesForNextLevel();
    ASSERT_EQ(0u, pointsOnly % sizeof(Vector));  // nothing but points under "all"
    EXPECT_GE(withUVs - pointsOnly, pointsOnly / sizeof(Vector) * sizeof(TexCoord));
    // Room for the points and half the texture coordinates, past the guard's reserve and margin.
    const std::size_t between = pointsOnly + (withUVs - pointsOnly) / 2, available = (between + (std::size_t(64) << 20)) / 7 * 8;
    for (MrMesh* s : {all.get(), none.get()}) s->setMemoryProbe([available] { return available; });
    const auto before = cornerUVs(*none);
    EXPECT_TRUE(all->subdivide().ok);
    EXPECT_FALSE(none->subdivide().ok);
    EXPECT_EQ(1, none->curRes());
    EXPECT_TRUE(before == cornerUVs(*none));
}

// The bundled example: a cube cut along seven edges into a cross of 14
// values, refined under "corners only"; level 2 writes each of its values
// once: 9 inside each face, 3 on each of the 5 uncut edges, 3 on each side
// of the 7 cut ones and the 14 of the corners.
TEST(FaceVaryingRules, TheBundledCrossCube) {
    Loaded loaded = loadFile(std::string(FACETRY_SOURCE_DIR) + "/examples/uv-cube.obj");
    auto s = surfaceOf(loaded, 2);
    ASSERT_EQ(FaceVaryingInterpolation::CornersOnly, s->options().faceVarying);
    EXPECT_EQ(7, s->faceVaryingLayout()->seamCount());
    EXPECT_EQ(14 - 8, s->faceVaryingLayout()->extraValueCount());
    const std::string text = written(*s);
    int vt = 0;
    for (std::size_t at = 0; (at = text.find("\nvt ", at)) != std::string::npos; ++at) ++vt;
    EXPECT_EQ(6 * 9 + 5 * 3 + 7 * 3 * 2 + 14, vt);
}
