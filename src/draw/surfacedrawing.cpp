#include "draw/surfacedrawing.h"

#include <new>

#include "draw/mrdraw.h"
#include "mr/parallel.h"

namespace facetry {

namespace {

// Faces one thread fills at a time: enough to outweigh handing out the work.
constexpr std::size_t kFillGrain = 256;

}  // namespace

SurfaceDrawing::SurfaceDrawing(MrMesh& surface_) : surface(surface_) {
    surface.setChangeListener([this](const std::vector<int>* faces) { surfaceChanged(faces); });
    surface.setLevelCost([this](int level) { return bytesAtLevel(surface.numFaces(), level); });
}

SurfaceDrawing::~SurfaceDrawing() {
    surface.setChangeListener(nullptr);
    surface.setLevelCost(nullptr);
}

std::size_t SurfaceDrawing::bytesAtLevel(int faces, int level) {
    const std::size_t n = (std::size_t(1) << level) + 1;
    return 2 * sizeof(Vector) * n * n * static_cast<std::size_t>(faces) + GridLayout::sharedBytes(faces, level);
}

std::size_t SurfaceDrawing::bytes() const {
    return sizeof(Vector) * (points.size() + normals.size()) + (layout ? layout->bytes() : 0);
}

void SurfaceDrawing::release() {
    layout.reset();
    // Blocks are given back to the system at once, whatever the heap keeps.
    points = PointBlock();
    normals = PointBlock();
}

void SurfaceDrawing::surfaceChanged(const std::vector<int>* faces) {
    if (!faces) {
        // the level may be another one: build afresh when next drawn
        release();
        outOfMemory = false;
        return;
    }
    if (!points.size()) return;  // nothing built yet
    FACETRY_ASSERT(layout->level() == surface.curRes());
    const std::size_t perFace = static_cast<std::size_t>(layout->facePoints());
    const LevelPoints level = surface.points(layout->level());
    for (int f : *faces) {
        FACETRY_ASSERT(0 <= f && f < layout->faces());
        fillFace(surface.topology(), level, f, layout->side(), points.data() + f * perFace,
                 normals.size() ? normals.data() + f * perFace : nullptr);
    }
    filled += static_cast<long long>(faces->size());
}

void SurfaceDrawing::fillFaces(bool withPoints, bool withNormals) {
    const std::size_t perFace = static_cast<std::size_t>(layout->facePoints());
    const LevelPoints level = surface.points(layout->level());
    const int n = layout->side();
    parallelFor(static_cast<std::size_t>(layout->faces()), surface.threads(), kFillGrain,
                [&](std::size_t begin, std::size_t end) {
                    for (std::size_t f = begin; f < end; ++f) {
                        Vector* p = points.data() + f * perFace;
                        Vector* normal = withNormals ? normals.data() + f * perFace : nullptr;
                        if (withPoints)
                            fillFace(surface.topology(), level, static_cast<int>(f), n, p, normal);
                        else
                            fillNormals(p, n, normal);
                    }
                });
    filled += layout->faces();
}

bool SurfaceDrawing::prepare(SurfaceMode mode) {
    if (outOfMemory) return false;
    const bool needNormals = mode == SurfaceMode::Faces;
    try {
        if (!layout) layout = std::make_unique<GridLayout>(surface.numFaces(), surface.curRes(), holeFlags(surface.topology()));
        const std::size_t count = static_cast<std::size_t>(layout->faces()) * layout->facePoints();
        const bool newPoints = !points.size() && count > 0;
        const bool newNormals = needNormals && !normals.size() && count > 0;
        if (newPoints) points = PointBlock(count);
        if (newNormals) normals = PointBlock(count);
        if (newPoints || newNormals) fillFaces(newPoints, newNormals);
        // the shared arrays of the mode, made now so that drawing cannot run out
        if (mode == SurfaceMode::Faces) layout->cellIndices();
        if (mode == SurfaceMode::Edges || mode == SurfaceMode::ColoredEdges) layout->lineIndices();
        if (mode == SurfaceMode::ColoredEdges) layout->colours();
    } catch (const std::bad_alloc&) {
        release();
        outOfMemory = true;
        return false;
    }
    return true;
}

void SurfaceDrawing::draw(SurfaceMode mode) {
    if (!prepare(mode)) {
        // Short of memory for the arrays, the picture is still drawn, one
        // batch at a time; the next change tries again.
        switch (mode) {
            case SurfaceMode::Vertices: facetry::drawVertices(surface); break;
            case SurfaceMode::Edges: facetry::drawEdges(surface); break;
            case SurfaceMode::ColoredEdges: facetry::drawColoredEdges(surface); break;
            case SurfaceMode::Faces: facetry::drawFaces(surface); break;
        }
        return;
    }
    const std::size_t perFace = static_cast<std::size_t>(layout->facePoints());
    drawBatches(*layout, mode, [&](int b) {
        const std::size_t at = static_cast<std::size_t>(layout->firstFace(b)) * perFace;
        return BatchArrays{points.data() + at, normals.size() ? normals.data() + at : nullptr};
    });
}

}  // namespace facetry
