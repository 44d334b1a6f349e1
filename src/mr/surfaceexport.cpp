#include "mr/surfaceexport.h"

#include "mesh/meshfile.h"

#include <cctype>

namespace {

// The corner each side of a face grid is counted from: side 0 (row j = 0)
// and side 3 (column i = 0) from vertex(0), side 1 (column i = m) from
// vertex(1), side 2 (row j = m) from vertex(3).
constexpr int kSideStart[4] = {0, 1, 3, 0};

void writePoint(FILE* out, const char* prefix, const Vector& p) {
    std::fprintf(out, "%s%.9g %.9g %.9g\n", prefix, p.x, p.y, p.z);
}

}  // namespace

WeldedSurface::WeldedSurface(const MrMesh& surface_) : surface(surface_) {
    cells = surface.numFaces() > 0 ? surface.face(0)->gridSize() - 1 : 1;
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
long long WeldedSurface::sidePoint(const MrFace* face, int side, int k) const {
    const MrEdge* edge = face->edge(side);
    const int steps = edge->vertex(0) == face->vertex(kSideStart[side]) ? k : cells - k;
    return edgeBase + static_cast<long long>(edge->id) * (cells - 1) + steps - 1;
}

long long WeldedSurface::index(int f, int i, int j) const {
    const MrFace* face = surface.face(f);
    const int m = cells;
    FACETRY_ASSERT(0 <= i && i <= m && 0 <= j && j <= m);
    if (i == 0 && j == 0) return face->vertex(0)->id;
    if (i == m && j == 0) return face->vertex(1)->id;
    if (i == m && j == m) return face->vertex(2)->id;
    if (i == 0 && j == m) return face->vertex(3)->id;
    if (j == 0) return sidePoint(face, 0, i);
    if (i == m) return sidePoint(face, 1, j);
    if (j == m) return sidePoint(face, 2, i);
    if (i == 0) return sidePoint(face, 3, j);
    return faceBase + static_cast<long long>(f) * (m - 1) * (m - 1) + static_cast<long long>(i - 1) * (m - 1) + (j - 1);
}

// Vertices, then the inner points of every edge, then the inner grid points
// of every face, each from the element that owns it.
void WeldedSurface::forEachPoint(const std::function<void(const Vector&)>& visit) const {
    for (int v = 0; v < surface.numVertices(); ++v) visit(surface.vertex(v)->position());
    for (int e = 0; e < surface.numEdges(); ++e) {
        const Vector* points = surface.edge(e)->pointData();
        for (int k = 1; k < cells; ++k) visit(points[k]);
    }
    const int n = cells + 1;
    for (int f = 0; f < surface.numFaces(); ++f) {
        const Vector* grid = surface.face(f)->gridData();
        for (int i = 1; i < cells; ++i)
            for (int j = 1; j < cells; ++j) visit(grid[i * n + j]);
    }
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

bool surfaceFormatFor(const std::string& path, SurfaceFormat& format) {
    if (hasExtension(path, ".obj")) format = SurfaceFormat::Obj;
    else if (hasExtension(path, ".off")) format = SurfaceFormat::Off;
    else return false;
    return true;
}

// OBJ counts its points from 1, OFF from 0.
bool writeSurface(FILE* out, const MrMesh& surface, SurfaceFormat format) {
    const WeldedSurface welded(surface);
    const bool obj = format == SurfaceFormat::Obj;
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
