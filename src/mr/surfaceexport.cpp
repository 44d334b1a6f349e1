#include "mr/surfaceexport.h"

namespace {

void writePoint(FILE* out, const char* prefix, const Vector& p) {
    std::fprintf(out, "%s%.9g %.9g %.9g\n", prefix, p.x, p.y, p.z);
}

}  // namespace

WeldedSurface::WeldedSurface(const MrMesh& surface_) : surface(surface_), topology(surface_.topology()) {
    cells = 1 << surface.curRes();
    edgeBase = surface.numVertices();
    faceBase = edgeBase + static_cast<long long>(surface.numEdges()) * (cells - 1);
}

long long WeldedSurface::pointCount() const {
    return faceBase + static_cast<long long>(surface.numFaces()) * (cells - 1) * (cells - 1);
}

long long WeldedSurface::quadCount() const { return static_cast<long long>(surface.numFaces()) * cells * cells; }

long long WeldedSurface::edgeCount() const {
    return static_cast<long long>(surface.numEdges()) * cells +
           static_cast<long long>(surface.numFaces()) * 2 * cells * (cells - 1);
}

// Point k steps along side `side` of the face, 0 < k < m, found on the edge
// of that side, whose own points may run the other way.
long long WeldedSurface::sidePoint(int face, int side, int k) const {
    const int edge = topology.faces[face].edges[side];
    const int steps = topology.sideFromStart(face, side) ? k : cells - k;
    return edgeBase + static_cast<long long>(edge) * (cells - 1) + steps - 1;
}

long long WeldedSurface::index(int f, int i, int j) const {
    const int m = cells;
    FACETRY_ASSERT(0 <= i && i <= m && 0 <= j && j <= m);
    const int* corners = topology.faces[f].vertices;
    if (i == 0 && j == 0) return corners[0];
    if (i == m && j == 0) return corners[1];
    if (i == m && j == m) return corners[2];
    if (i == 0 && j == m) return corners[3];
    if (j == 0) return sidePoint(f, 0, i);
    if (i == m) return sidePoint(f, 1, j);
    if (j == m) return sidePoint(f, 2, i);
    if (i == 0) return sidePoint(f, 3, j);
    return faceBase + static_cast<long long>(f) * (m - 1) * (m - 1) + static_cast<long long>(i - 1) * (m - 1) + (j - 1);
}

// Vertices, then the inner points of every edge, then the inner grid points
// of every face: the level's three blocks in turn, as the surface stores them.
void WeldedSurface::forEachPoint(const std::function<void(const Vector&)>& visit) const {
    const LevelPoints points = surface.points(surface.curRes());
    const std::size_t edgePoints = topology.numE * points.edgeInnerCount();
    const std::size_t facePoints = topology.numF * points.faceInnerCount();
    for (int v = 0; v < topology.numV; ++v) visit(points.vertices[v]);
    for (std::size_t k = 0; k < edgePoints; ++k) visit(points.edges[k]);
    for (std::size_t k = 0; k < facePoints; ++k) visit(points.faces[k]);
}

void WeldedSurface::forEachQuad(const std::function<void(const long long* corners)>& visit) const {
    long long corners[4];
    for (int f = 0; f < surface.numFaces(); ++f)
        for (int i = 0; i < cells; ++i)
            for (int j = 0; j < cells; ++j) {
                corners[0] = index(f, i, j);
                corners[1] = index(f, i + 1, j);
                corners[2] = index(f, i + 1, j + 1);
                corners[3] = index(f, i, j + 1);
                visit(corners);
            }
}

// OBJ counts its points from 1, OFF from 0.
bool writeSurface(FILE* out, const MrMesh& surface, MeshFormat format) {
    FACETRY_ASSERT(format == MeshFormat::Obj || format == MeshFormat::Off);
    const WeldedSurface welded(surface);
    const bool obj = format == MeshFormat::Obj;
    if (obj)
        std::fprintf(out, "# Facetry surface at level %d: %lld points, %lld quads\n", surface.curRes(),
                     welded.pointCount(), welded.quadCount());
    else
        std::fprintf(out, "OFF\n%lld %lld %lld\n", welded.pointCount(), welded.quadCount(), welded.edgeCount());
    const char* pointPrefix = obj ? "v " : "";
    welded.forEachPoint([&](const Vector& p) { writePoint(out, pointPrefix, p); });
    const long long base = obj ? 1 : 0;
    const char* quadPrefix = obj ? "f" : "4";
    welded.forEachQuad([&](const long long* c) {
        std::fprintf(out, "%s %lld %lld %lld %lld\n", quadPrefix, c[0] + base, c[1] + base, c[2] + base, c[3] + base);
    });
    return std::fflush(out) == 0 && !std::ferror(out);
}
