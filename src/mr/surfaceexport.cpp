#include "mr/surfaceexport.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

#include "mesh/filewriting.h"
#include "mesh/meshwriter.h"
#include "mr/limit.h"
#include "mr/parallel.h"

namespace facetry {

WeldedSurface::WeldedSurface(const MrMesh& surface_) : surface(surface_), topology(surface_.topology()) {
    cells = 1 << surface.curRes();
    edgeBase = surface.numVertices();
    faceBase = edgeBase + static_cast<long long>(surface.numEdges()) * (cells - 1);
    if (topology.hasHoles()) numberAroundHoles();
}

// A vertex or an edge is kept when a face that is not a hole touches it (a
// vertex that no face uses at all stays, as it does without holes).
// Per element, not per point: holes cost nothing on the faces kept.
void WeldedSurface::numberAroundHoles() {
    const int numV = topology.numV, numE = topology.numE, numF = topology.numF;
    vertexIndex.assign(numV, -1);
    edgeStart.assign(numE, -1);
    faceStart.assign(numF, -1);
    for (int f = 0; f < numF; ++f) {
        if (topology.isHole(f)) continue;
        faceStart[f] = 0;
        for (int k = 0; k < 4; ++k) {
            vertexIndex[topology.faces[f].vertices[k]] = 0;
            edgeStart[topology.faces[f].edges[k]] = 0;
        }
    }
    // A vertex no face uses is written as without holes.
    for (int v = 0; v < numV; ++v)
        if (topology.edgeVal(v) == 0) vertexIndex[v] = 0;
    long long next = 0;
    const long long edgeInner = cells - 1, faceInner = static_cast<long long>(cells - 1) * (cells - 1);
    for (long long& index : vertexIndex)
        if (index == 0) index = next++, ++kept[0];
    for (long long& index : edgeStart)
        if (index == 0) index = next, next += edgeInner, ++kept[1];
    for (long long& index : faceStart)
        if (index == 0) index = next, next += faceInner, ++kept[2];
}

long long WeldedSurface::pointCount() const {
    if (!topology.hasHoles()) return storedPointCount();
    return kept[0] + kept[1] * (cells - 1) + kept[2] * (cells - 1) * (cells - 1);
}

long long WeldedSurface::quadCount() const {
    const long long faces = topology.hasHoles() ? kept[2] : surface.numFaces();
    return faces * cells * cells;
}

long long WeldedSurface::edgeCount() const {
    const long long edges = topology.hasHoles() ? kept[1] : surface.numEdges();
    const long long faces = topology.hasHoles() ? kept[2] : surface.numFaces();
    return edges * cells + faces * 2 * cells * (cells - 1);
}

// Point k steps along side `side` of the face, 0 < k < m, found on the edge
// of that side, whose own points may run the other way.
long long WeldedSurface::sidePoint(int face, int side, int k) const {
    const int edge = topology.faces[face].edges[side];
    const int steps = topology.sideFromStart(face, side) ? k : cells - k;
    return edgeInnerStart(edge) + steps - 1;
}

long long WeldedSurface::edgePointIndex(int e, int k) const {
    FACETRY_ASSERT(0 <= k && k <= cells);
    if (k == 0) return vertexPoint(topology.edges[e].vertices[0]);
    if (k == cells) return vertexPoint(topology.edges[e].vertices[1]);
    return edgeInnerStart(e) + k - 1;
}

long long WeldedSurface::index(int f, int i, int j) const {
    const int m = cells;
    FACETRY_ASSERT(0 <= i && i <= m && 0 <= j && j <= m);
    const int* corners = topology.faces[f].vertices;
    if (i == 0 && j == 0) return vertexPoint(corners[0]);
    if (i == m && j == 0) return vertexPoint(corners[1]);
    if (i == m && j == m) return vertexPoint(corners[2]);
    if (i == 0 && j == m) return vertexPoint(corners[3]);
    if (j == 0) return sidePoint(f, 0, i);
    if (i == m) return sidePoint(f, 1, j);
    if (j == m) return sidePoint(f, 2, i);
    if (i == 0) return sidePoint(f, 3, j);
    return faceInnerStart(f) + static_cast<long long>(i - 1) * (m - 1) + (j - 1);
}

// Vertices, then the inner points of every edge, then the inner grid points
// of every face: the level's three blocks in turn, as the surface stores them.
void WeldedSurface::forEachPoint(const std::function<void(const Vector&)>& visit) const {
    const LevelPoints points = surface.points(surface.curRes());
    if (topology.hasHoles()) {
        forEachStoredIndex([&](long long k) {
            visit(k < edgeBase ? points.vertices[k] : k < faceBase ? points.edges[k - edgeBase] : points.faces[k - faceBase]);
        });
        return;
    }
    const std::size_t edgePoints = topology.numE * points.edgeInnerCount();
    const std::size_t facePoints = topology.numF * points.faceInnerCount();
    for (int v = 0; v < topology.numV; ++v) visit(points.vertices[v]);
    for (std::size_t k = 0; k < edgePoints; ++k) visit(points.edges[k]);
    for (std::size_t k = 0; k < facePoints; ++k) visit(points.faces[k]);
}

void WeldedSurface::forEachStoredIndex(const std::function<void(long long stored)>& visit) const {
    const long long edgeInner = cells - 1, faceInner = static_cast<long long>(cells - 1) * (cells - 1);
    for (int v = 0; v < topology.numV; ++v)
        if (keepsVertex(v)) visit(v);
    for (int e = 0; e < topology.numE; ++e)
        if (keepsEdge(e))
            for (long long k = 0; k < edgeInner; ++k) visit(edgeBase + e * edgeInner + k);
    for (int f = 0; f < topology.numF; ++f)
        if (keepsFace(f))
            for (long long k = 0; k < faceInner; ++k) visit(faceBase + f * faceInner + k);
}

void WeldedSurface::forEachQuad(const std::function<void(const long long* corners)>& visit) const {
    long long corners[4];
    for (int f = 0; f < surface.numFaces(); ++f) {
        if (!keepsFace(f)) continue;
        for (int i = 0; i < cells; ++i)
            for (int j = 0; j < cells; ++j) {
                corners[0] = index(f, i, j);
                corners[1] = index(f, i + 1, j);
                corners[2] = index(f, i + 1, j + 1);
                corners[3] = index(f, i, j + 1);
                visit(corners);
            }
    }
}

std::vector<std::size_t> WeldedSurface::keptFaceSlots() const {
    std::vector<std::size_t> slots;
    if (!topology.hasHoles()) return slots;
    slots.resize(topology.numF);
    std::size_t next = 0;
    for (int f = 0; f < topology.numF; ++f) slots[f] = keepsFace(f) ? next++ : 0;
    return slots;
}

void WeldedSurface::copyPoints(float* xyz) const {
    const LevelPoints points = surface.points(surface.curRes());
    if (topology.hasHoles()) {
        forEachPoint([&xyz](const Vector& p) {
            *xyz++ = p.x;
            *xyz++ = p.y;
            *xyz++ = p.z;
        });
        return;
    }
    const std::size_t counts[3] = {static_cast<std::size_t>(topology.numV), topology.numE * points.edgeInnerCount(),
                                   topology.numF * points.faceInnerCount()};
    const Vector* blocks[3] = {points.vertices, points.edges, points.faces};
    static_assert(sizeof(Vector) == 3 * sizeof(float), "a Vector is three floats");
    for (int b = 0; b < 3; ++b)
        if (counts[b] > 0) {
            std::memcpy(xyz, blocks[b], counts[b] * sizeof(Vector));
            xyz += 3 * counts[b];
        }
}

// Each face's (m + 1)^2 grid indices are found once, then its m^2 cells read
// them: the cells (i, j) in order, corners as forEachQuad gives them.
void WeldedSurface::copyQuads(std::int32_t* out) const {
    FACETRY_ASSERT(pointCount() <= INT32_MAX);
    const int m = cells;
    const std::size_t perFace = 4 * static_cast<std::size_t>(m) * m;
    const std::vector<std::size_t> slots = keptFaceSlots();
    parallelFor(surface.numFaces(), surface.threads(), grainFor(perFace), [&](std::size_t begin, std::size_t end) {
        std::vector<std::int32_t> grid(static_cast<std::size_t>(m + 1) * (m + 1));
        for (std::size_t f = begin; f < end; ++f) {
            if (!keepsFace(static_cast<int>(f))) continue;
            for (int i = 0; i <= m; ++i)
                for (int j = 0; j <= m; ++j) grid[i * (m + 1) + j] = static_cast<std::int32_t>(index(static_cast<int>(f), i, j));
            std::int32_t* quad = out + (slots.empty() ? f : slots[f]) * perFace;
            for (int i = 0; i < m; ++i)
                for (int j = 0; j < m; ++j, quad += 4) {
                    const std::int32_t* row = grid.data() + i * (m + 1) + j;
                    quad[0] = row[0];
                    quad[1] = row[m + 1];
                    quad[2] = row[m + 2];
                    quad[3] = row[1];
                }
        }
    });
}

void WeldedSurface::copyTextureCoordinates(float* out, bool limit) const {
    FACETRY_ASSERT(surface.hasTextureCoordinates());
    const int m = cells;
    const std::size_t perFace = 8 * static_cast<std::size_t>(m) * m;
    const std::vector<std::size_t> slots = keptFaceSlots();
    parallelFor(surface.numFaces(), surface.threads(), grainFor(perFace), [&](std::size_t begin, std::size_t end) {
        std::vector<float> grid(2 * static_cast<std::size_t>(m + 1) * (m + 1));
        for (std::size_t f = begin; f < end; ++f) {
            if (!keepsFace(static_cast<int>(f))) continue;
            for (int i = 0; i <= m; ++i)
                for (int j = 0; j <= m; ++j) {
                    float* uv = &grid[2 * (i * (m + 1) + j)];
                    if (limit)
                        limitTextureCoordinateAt(surface, static_cast<int>(f), i, j, uv);
                    else
                        surface.textureCoordinateAt(static_cast<int>(f), i, j, uv);
                }
            float* corner = out + (slots.empty() ? f : slots[f]) * perFace;
            for (int i = 0; i < m; ++i)
                for (int j = 0; j < m; ++j) {
                    const std::size_t at[4] = {static_cast<std::size_t>(i * (m + 1) + j), static_cast<std::size_t>((i + 1) * (m + 1) + j),
                                               static_cast<std::size_t>((i + 1) * (m + 1) + j + 1), static_cast<std::size_t>(i * (m + 1) + j + 1)};
                    for (std::size_t k : at) {
                        *corner++ = grid[2 * k];
                        *corner++ = grid[2 * k + 1];
                    }
                }
        }
    });
}

namespace {

// The texture coordinates of the surface's grids, one index per value: under
// the rule "all" per distinct (u, v), a table from the bits of the pair to
// its index; under the others per value of the UV layout, so that the two
// sides of a seam stay two values even where they agree.
class TextureCoordinates {
public:
    TextureCoordinates(const MrMesh& surface_, bool limit_)
        : surface(surface_), layout(surface_.faceVaryingLayout()), m(1 << surface_.curRes()), limit(limit_) {}

    // Writes every value as a vt line, in order of first use.
    void write(FILE* out, const WeldedSurface& welded) {
        float uv[2];
        for (int f = 0; f < surface.numFaces(); ++f)
            for (int i = 0; i <= m && welded.keepsFace(f); ++i)
                for (int j = 0; j <= m; ++j) {
                    if (!indices.emplace(key(f, i, j), static_cast<long long>(indices.size())).second) continue;
                    if (limit)
                        limitTextureCoordinateAt(surface, f, i, j, uv);
                    else
                        surface.textureCoordinateAt(f, i, j, uv);
                    std::fprintf(out, "vt " FACETRY_FLOAT " " FACETRY_FLOAT "\n", uv[0], uv[1]);
                }
    }
    // The index of grid point (i, j) of face f's value.
    long long index(int f, int i, int j) const { return indices.at(key(f, i, j)); }

private:
    std::uint64_t key(int f, int i, int j) const {
        if (layout) return static_cast<std::uint64_t>(layout->valueIndexAt(surface.curRes(), f, i, j));
        float uv[2];
        surface.textureCoordinateAt(f, i, j, uv);
        std::uint32_t u, v;
        const float a = uv[0] + 0.0f, b = uv[1] + 0.0f;  // -0 and 0 alike
        std::memcpy(&u, &a, 4);
        std::memcpy(&v, &b, 4);
        return static_cast<std::uint64_t>(u) << 32 | v;
    }

    const MrMesh& surface;
    const FaceVaryingLayout* layout;
    int m;       // cells along a face side
    bool limit;  // write the limits
    std::unordered_map<std::uint64_t, long long> indices;
};

// The options in effect, and the sharp edges and vertices of the surface's
// level as tags: every quad side along a sharp edge, every sharp vertex, of
// the faces written.
void writeTags(FILE* out, const MrMesh& surface, const WeldedSurface& welded) {
    writeOptionTags(out, surface.options());
    const MrTopology& t = surface.topology();
    if (!t.creased()) return;
    const int level = surface.curRes(), m = 1 << level;
    for (int e = 0; e < t.numE; ++e)
        for (int k = 0; k < m && welded.keepsEdge(e); ++k) {
            const float s = t.segmentSharpnessAt(e, k, level);
            if (s > 0)
                std::fprintf(out, "t crease 2/1/0 %lld %lld " FACETRY_FLOAT "\n", welded.edgePointIndex(e, k),
                             welded.edgePointIndex(e, k + 1), s);
        }
    for (int v = 0; v < t.numV; ++v) {
        const float s = t.vertexSharpnessAt(v, level);
        if (s > 0 && welded.keepsVertex(v))
            std::fprintf(out, "t corner 1/1/0 %lld " FACETRY_FLOAT "\n", welded.vertexPoint(v), s);
    }
}

}  // namespace

// OBJ counts its points from 1, OFF from 0.
bool writeSurface(FILE* out, const MrMesh& surface, MeshFormat format, const SurfaceExtras& extras) {
    FACETRY_ASSERT(format == MeshFormat::Obj || format == MeshFormat::Off);
    const WeldedSurface welded(surface);
    const bool obj = format == MeshFormat::Obj;
    auto fits = [&welded](const std::vector<Vector>* values) {
        const long long n = values ? static_cast<long long>(values->size()) : -1;
        return !values || n == welded.storedPointCount() || n == welded.pointCount();
    };
    FACETRY_ASSERT(fits(extras.positions));
    FACETRY_ASSERT(!extras.normals || obj);
    FACETRY_ASSERT(fits(extras.normals));
    if (obj)
        std::fprintf(out, "# Facetry surface at level %d: %lld points, %lld quads\n", surface.curRes(),
                     welded.pointCount(), welded.quadCount());
    else
        std::fprintf(out, "OFF\n%lld %lld %lld\n", welded.pointCount(), welded.quadCount(), welded.edgeCount());
    const char* pointPrefix = obj ? "v " : "";
    const bool holes = surface.topology().hasHoles();
    // One entry per stored point (the limit's order) or per point written.
    auto writeEach = [&](const std::vector<Vector>& values, const char* prefix) {
        if (holes && static_cast<long long>(values.size()) == welded.storedPointCount())
            welded.forEachStoredIndex([&](long long k) { writeVector(out, prefix, values[k]); });
        else
            for (const Vector& p : values) writeVector(out, prefix, p);
    };
    if (extras.positions)
        writeEach(*extras.positions, pointPrefix);
    else
        welded.forEachPoint([&](const Vector& p) { writeVector(out, pointPrefix, p); });
    if (!obj) {
        welded.forEachQuad([&](const long long* c) { std::fprintf(out, "4 %lld %lld %lld %lld\n", c[0], c[1], c[2], c[3]); });
        return std::fflush(out) == 0 && !std::ferror(out);
    }
    if (extras.normals) writeEach(*extras.normals, "vn ");
    std::unique_ptr<TextureCoordinates> uvs;
    if (surface.hasTextureCoordinates()) {
        uvs = std::make_unique<TextureCoordinates>(surface, extras.limitTextureCoordinates);
        uvs->write(out, welded);
    }
    if (!uvs && !extras.normals) {
        welded.forEachQuad([&](const long long* c) {
            std::fprintf(out, "f %lld %lld %lld %lld\n", c[0] + 1, c[1] + 1, c[2] + 1, c[3] + 1);
        });
    } else {
        // Corner k of cell (i, j) is grid point (i + di[k], j + dj[k]).
        const int m = 1 << surface.curRes(), di[4] = {0, 1, 1, 0}, dj[4] = {0, 0, 1, 1};
        for (int f = 0; f < surface.numFaces(); ++f)
            for (int i = 0; i < m && welded.keepsFace(f); ++i)
                for (int j = 0; j < m; ++j) {
                    std::fputc('f', out);
                    for (int k = 0; k < 4; ++k) {
                        const long long p = welded.index(f, i + di[k], j + dj[k]) + 1;
                        if (uvs && extras.normals)
                            std::fprintf(out, " %lld/%lld/%lld", p, uvs->index(f, i + di[k], j + dj[k]) + 1, p);
                        else if (uvs)
                            std::fprintf(out, " %lld/%lld", p, uvs->index(f, i + di[k], j + dj[k]) + 1);
                        else
                            std::fprintf(out, " %lld//%lld", p, p);
                    }
                    std::fputc('\n', out);
                }
    }
    writeTags(out, surface, welded);
    return std::fflush(out) == 0 && !std::ferror(out);
}

}  // namespace facetry
