// Texture coordinates against OpenSubdiv's face-varying refinement: at
// OpenSubdiv levels 1 to 4, at every corner of every quad we keep, our UV
// equals OpenSubdiv's at that face corner within 1e-6, and our limit UV its
// LimitFaceVarying value within 1e-6. Faces are matched through their
// points: each of our points has its partner among OpenSubdiv's (within 1e-5
// of the mesh size, support/pointmatch.h), and a face corner is the partner
// of its point with the partner of the next point around the face, which
// runs the same way in OpenSubdiv's face.
//
// The layouts: a cube unfolded as a cross; a torus cut along a ring and a
// meridian; a UV sphere, triangle fans at its poles, one value per pole
// triangle and a seam meridian; open grids (quads, and quads with triangles)
// with one continuous layout; the catalogue's oriented meshes with seams
// split around random edges (fixed seeds), and two with a chart per face;
// a sphere whose poles have 20 values each.
// Each smooth and with random creases and corners, semi-sharp ones among
// them; the open ones under every boundary rule of the points; all six
// face-varying rules; Chaikin creasing and smooth triangles on a few. UVs
// carry a small irregular offset so that no layout is affine, which the
// smooth rules would reproduce whatever they did.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <numeric>
#include <random>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "mesh/meshbuilder.h"
#include "mr/limit.h"
#include "mr/mrmesh.h"
#include "mr/surfaceexport.h"
#include "support/catalogue.h"
#include "support/creasetags.h"
#include "support/osdpeer.h"
#include "support/pointmatch.h"

using namespace facetry;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kUvTolerance = 1e-6;

// A control mesh with its UV layout: per face corner a texture-coordinate
// index into `uvs`.
struct UvLayout {
    std::string name;
    RefMesh control;
    std::vector<float> uvs;               // u, v per texture coordinate
    std::vector<std::vector<int>> uvFaces;  // per face, per corner, its texture coordinate
    bool open = false;                    // has boundary edges
};

// A small irregular offset for texture coordinate k.
void addUv(UvLayout& layout, double u, double v) {
    const int k = static_cast<int>(layout.uvs.size() / 2);
    layout.uvs.push_back(static_cast<float>(u + ((k * 7) % 5) * 0.003));
    layout.uvs.push_back(static_cast<float>(v + ((k * 3) % 7) * 0.002));
}

RefPoint point(double x, double y, double z) { return {float(x), float(y), float(z)}; }

// The cube cut along seven edges and unfolded into a cross on a 5 x 4
// lattice: the four sides in the middle row, the top above the second and
// the bottom below it. 14 values; every cube vertex lies on a seam, with one
// to three values.
UvLayout cubeCross() {
    UvLayout layout{"cubeCross", {}, {}, {}, false};
    // b0..b3 the bottom ring, t0..t3 the top ring.
    for (int level = 0; level < 2; ++level)
        for (int k = 0; k < 4; ++k) {
            const double a = kPi / 4 + kPi / 2 * k;
            layout.control.points.push_back(point(std::sqrt(2.0) * std::cos(a) + 0.03 * k, std::sqrt(2.0) * std::sin(a),
                                                  level ? 1 + 0.05 * k : -1));
        }
    auto b = [](int k) { return k % 4; };
    auto t = [](int k) { return 4 + k % 4; };
    std::vector<std::pair<int, int>> lattice;  // the lattice point of each value
    auto uv = [&](int u, int v) {
        for (std::size_t k = 0; k < lattice.size(); ++k)
            if (lattice[k] == std::make_pair(u, v)) return static_cast<int>(k);
        lattice.push_back({u, v});
        addUv(layout, u / 4.0, v / 3.0);
        return static_cast<int>(lattice.size() - 1);
    };
    for (int c = 0; c < 4; ++c) {
        layout.control.faces.push_back({b(c), b(c + 1), t(c + 1), t(c)});
        layout.uvFaces.push_back({uv(c, 1), uv(c + 1, 1), uv(c + 1, 2), uv(c, 2)});
    }
    layout.control.faces.push_back({t(1), t(2), t(3), t(0)});
    layout.uvFaces.push_back({uv(1, 2), uv(2, 2), uv(2, 3), uv(1, 3)});
    layout.control.faces.push_back({b(0), b(3), b(2), b(1)});
    layout.uvFaces.push_back({uv(1, 0), uv(2, 0), uv(2, 1), uv(1, 1)});
    return layout;
}

// An n x m torus cut along ring 0 and meridian 0: an (n+1) x (m+1) grid of values.
UvLayout cutTorus(int n, int m) {
    UvLayout layout{"cutTorus" + std::to_string(n) + "x" + std::to_string(m), gridTorus(n, m), {}, {}, false};
    layout.control.faces.clear();
    for (int i = 0; i <= n; ++i)
        for (int j = 0; j <= m; ++j) addUv(layout, double(i) / n, double(j) / m);
    auto at = [&](int i, int j) { return (i % n) * m + j % m; };
    auto uv = [&](int i, int j) { return i * (m + 1) + j; };
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < m; ++j) {
            layout.control.faces.push_back({at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)});
            layout.uvFaces.push_back({uv(i, j), uv(i + 1, j), uv(i + 1, j + 1), uv(i, j + 1)});
        }
    return layout;
}

// A sphere of `segments` meridians and `rings` bands: triangle fans at the
// poles, each pole triangle with its own pole value, and the seam at
// meridian 0, whose vertices take u = 0 on one side and u = 1 on the other.
UvLayout uvSphere(int segments, int rings) {
    UvLayout layout{"uvSphere" + std::to_string(segments) + "x" + std::to_string(rings), {}, {}, {}, false};
    RefMesh& mesh = layout.control;
    mesh.points.push_back(point(0, 0, 1));  // north pole
    for (int k = 1; k < rings; ++k)
        for (int j = 0; j < segments; ++j) {
            const double theta = kPi * k / rings, phi = 2 * kPi * j / segments;
            mesh.points.push_back(point(std::sin(theta) * std::cos(phi), std::sin(theta) * std::sin(phi) * 0.9,
                                        std::cos(theta) + 0.02 * ((j * 3 + k) % 4)));
        }
    const int south = static_cast<int>(mesh.points.size());
    mesh.points.push_back(point(0, 0, -1));
    auto at = [&](int k, int j) { return 1 + (k - 1) * segments + j % segments; };
    for (int k = 1; k < rings; ++k)
        for (int j = 0; j <= segments; ++j) addUv(layout, double(j) / segments, 1 - double(k) / rings);
    auto uv = [&](int k, int j) { return (k - 1) * (segments + 1) + j; };
    const int northValues = static_cast<int>(layout.uvs.size() / 2);
    for (int j = 0; j < segments; ++j) addUv(layout, (j + 0.5) / segments, 1);
    const int southValues = static_cast<int>(layout.uvs.size() / 2);
    for (int j = 0; j < segments; ++j) addUv(layout, (j + 0.5) / segments, 0);
    for (int j = 0; j < segments; ++j) {
        mesh.faces.push_back({0, at(1, j), at(1, j + 1)});
        layout.uvFaces.push_back({northValues + j, uv(1, j), uv(1, j + 1)});
        for (int k = 1; k + 1 < rings; ++k) {
            mesh.faces.push_back({at(k, j), at(k + 1, j), at(k + 1, j + 1), at(k, j + 1)});
            layout.uvFaces.push_back({uv(k, j), uv(k + 1, j), uv(k + 1, j + 1), uv(k, j + 1)});
        }
        mesh.faces.push_back({at(rings - 1, j), south, at(rings - 1, j + 1)});
        layout.uvFaces.push_back({uv(rings - 1, j), southValues + j, uv(rings - 1, j + 1)});
    }
    return layout;
}

// An open nx x ny grid of quads, one value per vertex, bent a little.
UvLayout quadGrid(int nx, int ny) {
    UvLayout layout{"quadGrid" + std::to_string(nx) + "x" + std::to_string(ny), {}, {}, {}, true};
    auto at = [&](int i, int j) { return i * (ny + 1) + j; };
    for (int i = 0; i <= nx; ++i)
        for (int j = 0; j <= ny; ++j) {
            layout.control.points.push_back(point(i + 0.1 * j, j, 0.2 * std::sin(i + 1.3 * j)));
            addUv(layout, double(i) / nx + 0.02 * std::sin(j), double(j) / ny);
        }
    for (int i = 0; i < nx; ++i)
        for (int j = 0; j < ny; ++j) {
            layout.control.faces.push_back({at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)});
            layout.uvFaces.push_back(layout.control.faces.back());
        }
    return layout;
}

// support/catalogue.h's mixed patch (quads and triangles) with one value
// per vertex, from its lattice position.
UvLayout mixedGrid(int nx, int ny) {
    UvLayout layout{"mixedGrid" + std::to_string(nx) + "x" + std::to_string(ny), mixedPatch(nx, ny), {}, {}, true};
    for (const RefPoint& p : layout.control.points) addUv(layout, p.x / nx, p.y / ny);
    layout.uvFaces = layout.control.faces;
    return layout;
}

// A projection of a point: the layout's values before seams move them apart.
void projected(const RefPoint& p, double size, double& u, double& v) {
    u = 0.5 + (0.8 * p.x + 0.3 * p.z) / size;
    v = 0.5 + (0.8 * p.y - 0.2 * p.z + 0.1 * p.x) / size;
}

bool isOpen(const CatalogueMesh& entry) { return entry.boundaryEdges > 0; }

// `entry`'s faces with their corners split at about `seamShare` of the
// interior edges (drawn from `seed`): the corners at a vertex share a value
// exactly when some path of edges that are not seams joins their faces
// around it. Every value is the vertex's projection moved by its own small
// random offset.
UvLayout randomSeams(const CatalogueMesh& entry, unsigned seed, double seamShare) {
    UvLayout layout{entry.name + "Seams" + std::to_string(seed), entry.control, {}, {}, isOpen(entry)};
    const RefMesh& mesh = entry.control;
    std::vector<int> cornerStart{0};
    for (const std::vector<int>& face : mesh.faces) cornerStart.push_back(cornerStart.back() + static_cast<int>(face.size()));
    std::vector<int> parent(cornerStart.back());
    std::iota(parent.begin(), parent.end(), 0);
    auto root = [&parent](int c) {
        while (parent[c] != c) c = parent[c] = parent[parent[c]];
        return c;
    };
    auto corner = [&](int f, int v) {
        const std::vector<int>& face = mesh.faces[f];
        return cornerStart[f] + static_cast<int>(std::find(face.begin(), face.end(), v) - face.begin());
    };
    // Each interior edge by its ends, with its two faces.
    std::unordered_map<std::uint64_t, std::vector<int>> edgeFaces;
    std::vector<std::uint64_t> edgeOrder;
    auto key = [](int a, int b) { return std::uint64_t(std::min(a, b)) << 32 | std::uint64_t(std::max(a, b)); };
    for (std::size_t f = 0; f < mesh.faces.size(); ++f)
        for (std::size_t k = 0; k < mesh.faces[f].size(); ++k) {
            const std::uint64_t e = key(mesh.faces[f][k], mesh.faces[f][(k + 1) % mesh.faces[f].size()]);
            std::vector<int>& faces = edgeFaces[e];
            if (faces.empty()) edgeOrder.push_back(e);
            faces.push_back(static_cast<int>(f));
        }
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> share(0, 1);
    for (std::uint64_t e : edgeOrder) {
        const std::vector<int>& faces = edgeFaces[e];
        if (faces.size() != 2 || share(random) < seamShare) continue;
        for (int v : {int(e >> 32), int(e & 0xffffffffu)}) parent[root(corner(faces[0], v))] = root(corner(faces[1], v));
    }
    const double size = meshSize(mesh);
    std::vector<int> value(parent.size(), -1);
    for (std::size_t f = 0; f < mesh.faces.size(); ++f) {
        layout.uvFaces.emplace_back();
        for (int v : mesh.faces[f]) {
            const int c = root(corner(static_cast<int>(f), v));
            if (value[c] < 0) {
                value[c] = static_cast<int>(layout.uvs.size() / 2);
                double u, w;
                projected(mesh.points[v], size, u, w);
                addUv(layout, u + 0.1 * (share(random) - 0.5), w + 0.1 * (share(random) - 0.5));
            }
            layout.uvFaces.back().push_back(value[c]);
        }
    }
    return layout;
}

// Every face its own chart: its corners name values no other face names.
UvLayout facePerFace(const CatalogueMesh& entry) {
    UvLayout layout{entry.name + "FacePerFace", entry.control, {}, {}, isOpen(entry)};
    const double size = meshSize(entry.control);
    for (std::size_t f = 0; f < entry.control.faces.size(); ++f) {
        layout.uvFaces.emplace_back();
        for (int v : entry.control.faces[f]) {
            layout.uvFaces.back().push_back(static_cast<int>(layout.uvs.size() / 2));
            double u, w;
            projected(entry.control.points[v], size, u, w);
            addUv(layout, u + 0.05 * (f % 3), w - 0.04 * (f % 4));
        }
    }
    return layout;
}

const std::vector<UvLayout>& layouts() {
    static const std::vector<UvLayout> list = [] {
        std::vector<UvLayout> all = {cubeCross(), cutTorus(8, 6), uvSphere(8, 6), quadGrid(7, 5), mixedGrid(9, 7)};
        unsigned seed = 1101;
        for (const CatalogueMesh& entry : meshCatalogue())
            if (entry.oriented) all.push_back(randomSeams(entry, seed++, 0.35));
        // Larger ones, with few seams and with many.
        const CatalogueMesh torus = describeMesh("gridTorus8x6", gridTorus(8, 6), 0);
        const CatalogueMesh patch = describeMesh("mixedPatch9x7", mixedPatch(9, 7), 1);
        for (const CatalogueMesh* entry : {&torus, &patch})
            for (double share : {0.15, 0.5}) all.push_back(randomSeams(*entry, seed++, share));
        all.push_back(facePerFace(catalogueMesh("exampleAntiprism")));
        all.push_back(facePerFace(catalogueMesh("openPatch")));
        // Poles of 20 values each: a ring longer than the short search's.
        all.push_back(uvSphere(20, 4));
        return all;
    }();
    return list;
}

struct UvCase {
    std::string name;
    int layout;  // in layouts()
    SchemeOptions options;
    unsigned creaseSeed = 0;  // 0: smooth; otherwise random creases and corners
};

const char* boundaryName(BoundaryInterpolation b) {
    return b == BoundaryInterpolation::None ? "BoundaryNone" : b == BoundaryInterpolation::EdgeAndCorner ? "EdgeAndCorner" : "";
}

const char* ruleName(FaceVaryingInterpolation rule) {
    switch (rule) {
    case FaceVaryingInterpolation::None: return "RuleNone";
    case FaceVaryingInterpolation::CornersOnly: return "RuleCornersOnly";
    case FaceVaryingInterpolation::CornersPlus1: return "RuleCornersPlus1";
    case FaceVaryingInterpolation::CornersPlus2: return "RuleCornersPlus2";
    case FaceVaryingInterpolation::Boundaries: return "RuleBoundaries";
    case FaceVaryingInterpolation::All: return "RuleAll";
    }
    return "";
}

constexpr FaceVaryingInterpolation kRules[] = {
    FaceVaryingInterpolation::None,         FaceVaryingInterpolation::CornersOnly, FaceVaryingInterpolation::CornersPlus1,
    FaceVaryingInterpolation::CornersPlus2, FaceVaryingInterpolation::Boundaries,  FaceVaryingInterpolation::All};

// Every layout smooth and creased under every rule; the open ones under each
// boundary rule; Chaikin creasing and smooth triangles on the sphere, the
// mixed grid and the seamed octahedron, creased.
const std::vector<UvCase>& uvCases() {
    static const std::vector<UvCase> cases = [] {
        std::vector<UvCase> list;
        unsigned seed = 701;
        for (std::size_t l = 0; l < layouts().size(); ++l) {
            const UvLayout& layout = layouts()[l];
            std::vector<BoundaryInterpolation> boundaries{BoundaryInterpolation::EdgeOnly};
            if (layout.open)
                boundaries.insert(boundaries.end(), {BoundaryInterpolation::EdgeAndCorner, BoundaryInterpolation::None});
            const bool otherOptions = layout.name == "uvSphere8x6" || layout.name == "mixedGrid9x7" ||
                                      layout.name.rfind("octahedronSeams", 0) == 0;
            for (BoundaryInterpolation b : boundaries)
                for (bool creased : {false, true}) {
                    const unsigned creaseSeed = creased ? ++seed : 0;
                    for (FaceVaryingInterpolation rule : kRules) {
                        SchemeOptions options;
                        options.boundary = b;
                        options.faceVarying = rule;
                        const std::string name = layout.name + boundaryName(b) + (creased ? "Creased" : "") + ruleName(rule);
                        list.push_back({name, static_cast<int>(l), options, creaseSeed});
                        if (otherOptions && creased && b == BoundaryInterpolation::EdgeOnly) {
                            options.creasing = CreasingMethod::Chaikin;
                            options.triangles = TriangleSubdivision::Smooth;
                            list.push_back({layout.name + "CreasedChaikinSmoothTriangles" + ruleName(rule), static_cast<int>(l),
                                            options, creaseSeed});
                        }
                    }
                }
        }
        return list;
    }();
    return cases;
}

std::unique_ptr<Mesh> buildMesh(const UvLayout& layout, const SchemeOptions& options, const CreaseTags& tags,
                                bool withUvs, unsigned boundarySeed, double sharpBoundary = 0.75) {
    MeshBuilder builder([](const std::string& message) { throw std::runtime_error(message); });
    for (const RefPoint& p : layout.control.points) builder.addVertex(Vector(float(p.x), float(p.y), float(p.z)));
    if (withUvs)
        for (std::size_t k = 0; k < layout.uvs.size(); k += 2) builder.addTextureCoordinate(layout.uvs[k], layout.uvs[k + 1]);
    for (std::size_t f = 0; f < layout.control.faces.size(); ++f) {
        const std::vector<int>& face = layout.control.faces[f];
        if (!builder.addFace(face.data(), static_cast<int>(face.size()), withUvs ? layout.uvFaces[f].data() : nullptr))
            throw std::runtime_error(layout.name + ": face " + std::to_string(f) + " dropped");
    }
    for (std::size_t k = 0; k < tags.edges.size(); ++k)
        builder.setEdgeSharpness(builder.findEdge(tags.edges[k][0], tags.edges[k][1]), tags.edgeSharpness[k]);
    for (std::size_t k = 0; k < tags.vertices.size(); ++k) builder.setVertexSharpness(tags.vertices[k], tags.vertexSharpness[k]);
    // Under boundary interpolation "none" about `sharpBoundary` of the
    // boundary edges are infinitely sharp, so that some faces stay.
    if (options.boundary == BoundaryInterpolation::None) {
        std::mt19937 random(boundarySeed);
        std::uniform_real_distribution<double> share(0, 1);
        std::vector<int> faceCount(builder.edgeCount(), 0);
        for (const std::vector<int>& face : layout.control.faces)
            for (std::size_t k = 0; k < face.size(); ++k) ++faceCount[builder.findEdge(face[k], face[(k + 1) % face.size()])];
        for (int e = 0; e < builder.edgeCount(); ++e)
            if (faceCount[e] == 1 && share(random) < sharpBoundary) builder.setEdgeSharpness(e, 10 + float(share(random)));
    }
    builder.setOptions(options);
    auto mesh = std::make_unique<Mesh>();
    builder.finish(*mesh);
    return mesh;
}

// The case's control mesh as a reader builds it: UVs, options, tags.
std::unique_ptr<Mesh> buildCase(const UvCase& c) {
    const UvLayout& layout = layouts()[c.layout];
    CreaseTags tags;
    if (c.creaseSeed) tags = randomCreases(*buildMesh(layout, SchemeOptions(), {}, false, 0), c.creaseSeed, 0.25, 0.08);
    std::unique_ptr<Mesh> mesh = buildMesh(layout, c.options, tags, true, c.creaseSeed + 17);
    // A small mesh may lose every face that way: then every boundary edge is sharp.
    if (mesh->holeCount() == mesh->numFaces()) mesh = buildMesh(layout, c.options, tags, true, c.creaseSeed + 17, 1.0);
    return mesh;
}

std::string uvText(const float uv[2]) {
    char text[64];
    std::snprintf(text, sizeof text, "(%.9g, %.9g)", uv[0], uv[1]);
    return text;
}

std::string uvText(const double* uv) {
    const float f[2] = {float(uv[0]), float(uv[1])};
    return uvText(f);
}

double uvDistance(const float ours[2], const double* theirs) {
    return std::max(std::abs(ours[0] - theirs[0]), std::abs(ours[1] - theirs[1]));
}

// How far our UVs are from OpenSubdiv's at one level.
struct UvAgreement {
    double refined = 0, limit = 0;  // largest difference in u or v
    long long corners = 0, refinedOff = 0, limitOff = 0;
    std::string firstRefinedOff, firstLimitOff;  // the first corner beyond the tolerance
};

// A directed edge of OpenSubdiv's level: a face corner's point and the next.
std::uint64_t edgeKey(int from, int to) { return std::uint64_t(std::uint32_t(from)) << 32 | std::uint32_t(to); }

// OpenSubdiv's face corners by their directed edge: one face each on an
// oriented mesh.
std::unordered_map<std::uint64_t, int> cornersByEdge(const OsdFaceVarying& osd) {
    std::unordered_map<std::uint64_t, int> corners;
    for (int f = 0; f < osd.numFaces(); ++f) {
        const int start = osd.faceStart[f], n = osd.faceStart[f + 1] - start;
        for (int k = 0; k < n; ++k)
            if (!corners.emplace(edgeKey(osd.faceVertices[start + k], osd.faceVertices[start + (k + 1) % n]), start + k).second)
                ADD_FAILURE() << "harness: an edge of OpenSubdiv's face " << f << " runs the same way in another face";
    }
    return corners;
}

// Our UV and limit UV at grid point (i, j) of face f against OpenSubdiv's
// face-varying value `value`.
void compareCorner(const MrMesh& surface, int f, int i, int j, const OsdFaceVarying& osd, int value, UvAgreement& a) {
    float ours[2], limit[2];
    surface.textureCoordinateAt(f, i, j, ours);
    limitTextureCoordinateAt(surface, f, i, j, limit);
    const double* theirs = &osd.values[2 * value];
    const double* theirLimit = &osd.limits[2 * value];
    const double dr = uvDistance(ours, theirs), dl = uvDistance(limit, theirLimit);
    ++a.corners;
    a.refined = std::max(a.refined, dr);
    a.limit = std::max(a.limit, dl);
    const std::string where = "face " + std::to_string(f) + ", grid point (" + std::to_string(i) + ", " + std::to_string(j) +
                              ") of " + std::to_string(1 << surface.curRes()) + " cells: ";
    if (dr > kUvTolerance && !a.refinedOff++)
        a.firstRefinedOff = where + "ours " + uvText(ours) + ", OpenSubdiv's " + uvText(theirs);
    if (dl > kUvTolerance && !a.limitOff++)
        a.firstLimitOff = where + "our limit " + uvText(limit) + ", OpenSubdiv's " + uvText(theirLimit);
}

// Our UVs and their limits at every kept quad corner of `surface`, at its
// current level, against OpenSubdiv's at `level`; harness faults (points or
// faces without a partner, faces that differ) fail fatally.
void compareLevel(const MrMesh& surface, const Mesh& control, int level, double size, UvAgreement& a) {
    const WeldedSurface welded(surface);
    std::vector<Vector> points;
    welded.forEachPoint([&points](const Vector& p) { points.push_back(p); });
    const OsdFaceVarying osd = osdFaceVarying(control, level);
    ASSERT_FALSE(osd.values.empty()) << "harness: OpenSubdiv has no face-varying values";
    ASSERT_LE(points.size(), osd.points.size()) << "harness: more points than OpenSubdiv's";
    const std::vector<int> partner = matchPoints(points, osd.points, 1e-5 * size);
    std::vector<int> taken(osd.points.size(), 0);
    for (std::size_t k = 0; k < points.size(); ++k) {
        ASSERT_GE(partner[k], 0) << "harness: point " << k << " " << pointmatch::describe(points[k]) << " has no partner";
        ASSERT_EQ(0, taken[partner[k]]++) << "harness: point " << k << " shares its partner";
    }
    const std::unordered_map<std::uint64_t, int> corners = cornersByEdge(osd);
    std::vector<int> faceOfCorner(osd.faceVertices.size());
    for (int face = 0; face < osd.numFaces(); ++face)
        std::fill(faceOfCorner.begin() + osd.faceStart[face], faceOfCorner.begin() + osd.faceStart[face + 1], face);
    std::vector<char> faceSeen(osd.numFaces(), 0);
    const int m = 1 << surface.curRes();
    static const int kCorner[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};  // cell (i, j)'s corners in order
    for (int f = 0; f < surface.numFaces(); ++f) {
        if (!welded.keepsFace(f)) continue;
        for (int i = 0; i < m; ++i)
            for (int j = 0; j < m; ++j) {
                int p[4];
                for (int q = 0; q < 4; ++q) p[q] = partner[welded.index(f, i + kCorner[q][0], j + kCorner[q][1])];
                const auto found = corners.find(edgeKey(p[0], p[1]));
                if (found == corners.end())
                    FAIL() << "harness: no OpenSubdiv face runs from the partner of corner (" << i << ", " << j << ") of face " << f
                           << " to the next" << (corners.count(edgeKey(p[1], p[0])) ? " (one runs the other way)" : "");
                const int face = faceOfCorner[found->second];
                const int first = osd.faceStart[face], k = found->second - first;
                ASSERT_EQ(4, osd.faceStart[face + 1] - first) << "harness: OpenSubdiv's face " << face << " is not a quad";
                ASSERT_FALSE(osd.holes[face]) << "harness: face " << f << " is a hole to OpenSubdiv";
                ASSERT_EQ(0, faceSeen[face]++) << "harness: two cells on OpenSubdiv's face " << face;
                for (int q = 0; q < 4; ++q) {
                    const int corner = first + (k + q) % 4;
                    ASSERT_EQ(p[q], osd.faceVertices[corner])
                        << "harness: OpenSubdiv's face " << face << " differs from cell (" << i << ", " << j << ") of face " << f;
                    compareCorner(surface, f, i + kCorner[q][0], j + kCorner[q][1], osd, osd.faceValues[corner], a);
                }
            }
    }
    long long theirFaces = 0;
    for (int face = 0; face < osd.numFaces(); ++face) theirFaces += !osd.holes[face];
    EXPECT_EQ(theirFaces, welded.quadCount()) << "harness: OpenSubdiv keeps other faces";
}

// The one check of every case: at OpenSubdiv levels 1 to 4, stopping above
// 100,000 points, every corner's UV and limit UV equal OpenSubdiv's within
// 1e-6. The largest differences are recorded per level, up to the first
// level that differs.
void expectUvsAgreeWithOpenSubdiv(Mesh& control, double size) {
    MrMesh surface;
    ASSERT_TRUE(surface.build(control).ok);
    ASSERT_TRUE(surface.hasTextureCoordinates());
    const int offset = surface.isAllQuads() ? 0 : 1;  // OpenSubdiv's level of our level 0
    for (int level = std::max(offset, 1); level <= 4; ++level) {
        while (surface.curRes() + offset < level) ASSERT_TRUE(surface.subdivide().ok);
        SCOPED_TRACE("OpenSubdiv level " + std::to_string(level));
        if (WeldedSurface(surface).pointCount() > 100000) break;  // enough to show agreement; keeps the test short
        UvAgreement a;
        compareLevel(surface, control, level, size, a);
        if (testing::Test::HasFatalFailure()) return;
        EXPECT_GT(a.corners, 0);
        EXPECT_EQ(0, a.refinedOff) << a.refinedOff << " of " << a.corners << " corners differ; first: " << a.firstRefinedOff;
        EXPECT_EQ(0, a.limitOff) << a.limitOff << " of " << a.corners << " corner limits differ; first: " << a.firstLimitOff;
        char figures[64];
        std::snprintf(figures, sizeof figures, "%.1e %.1e", a.refined, a.limit);
        testing::Test::RecordProperty("level" + std::to_string(level), figures);
        if (a.refinedOff + a.limitOff > 0) return;  // the first level that differs tells enough
    }
}

class FaceVaryingPeer : public testing::TestWithParam<int> {};

TEST_P(FaceVaryingPeer, UvsAndTheirLimitsMatchOpenSubdiv) {
    const UvCase& c = uvCases()[GetParam()];
    std::unique_ptr<Mesh> control = buildCase(c);
    expectUvsAgreeWithOpenSubdiv(*control, meshSize(layouts()[c.layout].control));
}

INSTANTIATE_TEST_SUITE_P(Layouts, FaceVaryingPeer, testing::Range(0, static_cast<int>(uvCases().size())),
                         [](const testing::TestParamInfo<int>& instance) { return uvCases()[instance.param].name; });

// The layouts are what they claim: the cross has 14 values and the torus
// (n+1)(m+1); the seams split some vertices; the charts share no value.
TEST(FaceVaryingLayouts, HaveTheirValues) {
    EXPECT_EQ(28u, cubeCross().uvs.size());
    EXPECT_EQ(2u * 9 * 7, cutTorus(8, 6).uvs.size());
    EXPECT_EQ(2u * (5 * 9 + 16), uvSphere(8, 6).uvs.size());
    for (const UvLayout& layout : layouts()) {
        SCOPED_TRACE(layout.name);
        std::vector<int> uses(layout.uvs.size() / 2, 0);
        std::size_t corners = 0;
        for (const std::vector<int>& face : layout.uvFaces) {
            corners += face.size();
            for (int t : face) ++uses[t];
        }
        EXPECT_TRUE(std::all_of(uses.begin(), uses.end(), [](int u) { return u > 0; }));  // no value unused
        if (layout.name.find("FacePerFace") != std::string::npos) {
            EXPECT_EQ(corners, uses.size());
        }
        if (layout.name.find("Seams") != std::string::npos && layout.control.faces.size() > 4) {
            int used = 0;
            for (const std::vector<int>& face : layout.control.faces) used += static_cast<int>(face.size());
            EXPECT_LT(uses.size(), static_cast<std::size_t>(used));  // not every corner its own value
        }
    }
}

// The oracle hears the rule: on the cross, "none" smooths the corners "all"
// keeps, and "corners only" keeps them again, so each moves some value.
TEST(FaceVaryingOracle, TheRuleReachesOpenSubdiv) {
    auto refined = [](FaceVaryingInterpolation rule) {
        SchemeOptions options;
        options.faceVarying = rule;
        return osdFaceVarying(*buildMesh(cubeCross(), options, {}, true, 0), 2).values;
    };
    auto differ = [](const std::vector<double>& a, const std::vector<double>& b) {
        if (a.size() != b.size()) return true;
        for (std::size_t k = 0; k < a.size(); ++k)
            if (std::abs(a[k] - b[k]) > 1e-4) return true;
        return false;
    };
    const std::vector<double> none = refined(FaceVaryingInterpolation::None), all = refined(FaceVaryingInterpolation::All),
                              corners = refined(FaceVaryingInterpolation::CornersOnly);
    EXPECT_TRUE(differ(none, all));
    EXPECT_TRUE(differ(none, corners));
    // Under "all" a control value stays where it is: the cross's corner at
    // lattice point (0, 1), value 0, is corner 0 of face 0 at every level.
    const std::unique_ptr<Mesh> mesh = buildMesh(cubeCross(), SchemeOptions(), {}, true, 0);
    const OsdFaceVarying osd = osdFaceVarying(*mesh, 2);
    EXPECT_EQ(mesh->textureCoordinates()[0], float(osd.values[2 * osd.faceValues[0]]));
    EXPECT_EQ(mesh->textureCoordinates()[1], float(osd.values[2 * osd.faceValues[0] + 1]));
}

// A mesh without texture coordinates gives a surface without them, and
// OpenSubdiv no face-varying channel.
TEST(FaceVaryingPeerPlain, NoTextureCoordinatesReportNone) {
    const std::unique_ptr<Mesh> mesh = buildMesh(cubeCross(), SchemeOptions(), {}, false, 0);
    EXPECT_FALSE(mesh->hasTextureCoordinates());
    MrMesh surface;
    ASSERT_TRUE(surface.build(*mesh).ok);
    EXPECT_FALSE(surface.hasTextureCoordinates());
    ASSERT_TRUE(surface.subdivide().ok);
    EXPECT_FALSE(surface.hasTextureCoordinates());
    const OsdControl arrays = osdControl(*mesh);
    EXPECT_TRUE(arrays.uvs.empty());
    EXPECT_TRUE(arrays.uvIndices.empty());
    const OsdFaceVarying osd = osdFaceVarying(arrays, 1);
    EXPECT_TRUE(osd.values.empty());
    EXPECT_EQ(26u, osd.points.size());  // 8 + 12 + 6: the refinement itself still runs
}

}  // namespace
