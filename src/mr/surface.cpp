#include "mr/surface.h"

#include "mr/limit.h"
#include "mr/mrmesh.h"
#include "mr/surfaceexport.h"

namespace facetry {

Surface::Surface() : mr(std::make_unique<MrMesh>()) {}
Surface::~Surface() = default;

Status Surface::build(Mesh& mesh) {
    control = &mesh;
    return mr->build(mesh);
}

int Surface::level() const { return mr->curRes(); }
Status Surface::subdivide() { return mr->subdivide(); }
Status Surface::undivide() { return mr->undivide(); }
void Surface::reset() { mr->reset(); }

Status Surface::vertexMoved(int vertex) {
    FACETRY_ASSERT(control && 0 <= vertex && vertex < control->numVertices());
    return mr->vertexMoved(control->vertex(vertex));
}

void Surface::setThreads(int count) { mr->setThreads(count); }
int Surface::threads() const { return mr->threads(); }
void Surface::setMemoryProbe(std::function<std::size_t()> probe) { mr->setMemoryProbe(std::move(probe)); }

long long Surface::pointCount() const { return WeldedSurface(*mr).pointCount(); }
long long Surface::quadCount() const { return WeldedSurface(*mr).quadCount(); }
bool Surface::hasTextureCoordinates() const { return mr->hasTextureCoordinates(); }
void Surface::copyPoints(float* xyz) const { WeldedSurface(*mr).copyPoints(xyz); }
void Surface::copyQuads(std::int32_t* corners) const { WeldedSurface(*mr).copyQuads(corners); }
void Surface::copyTextureCoordinates(float* uv, bool limit) const { WeldedSurface(*mr).copyTextureCoordinates(uv, limit); }

// With holes the limit is worked out at every stored point and handed on at
// the points the welded surface keeps.
void Surface::limit(Vector* positions, Vector* normals) const {
    if (!mr->topology().hasHoles()) {
        limitPointsAndNormals(*mr, positions, normals);
        return;
    }
    std::vector<Vector> allPositions, allNormals;
    limitPointsAndNormals(*mr, positions ? &allPositions : nullptr, normals ? &allNormals : nullptr);
    std::size_t next = 0;
    WeldedSurface(*mr).forEachStoredIndex([&](long long k) {
        if (positions) positions[next] = allPositions[k];
        if (normals) normals[next] = allNormals[k];
        ++next;
    });
}
void Surface::limit(std::vector<Vector>* positions, std::vector<Vector>* normals) const {
    const std::size_t count = static_cast<std::size_t>(pointCount());
    if (positions) positions->resize(count);
    if (normals) normals->resize(count);
    limit(positions ? positions->data() : nullptr, normals ? normals->data() : nullptr);
}

bool Surface::write(FILE* out, MeshFormat format, const std::vector<Vector>* positions,
                    const std::vector<Vector>* normals, bool limitTextureCoordinates) const {
    SurfaceExtras extras;
    extras.positions = positions;
    extras.normals = normals;
    extras.limitTextureCoordinates = limitTextureCoordinates;
    return writeSurface(out, *mr, format, extras);
}

}  // namespace facetry
