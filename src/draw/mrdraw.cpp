#include "draw/mrdraw.h"

#include <GL/gl.h>

#include <vector>

#include "draw/gridarrays.h"

namespace facetry {

namespace {

// Fills each batch in turn into scratch of one batch's size and draws it.
void drawStreamed(const MrMesh& mesh, SurfaceMode mode) {
    GridLayout layout(mesh.numFaces(), mesh.curRes(), holeFlags(mesh.topology()));
    const bool withNormals = mode == SurfaceMode::Faces;
    const std::size_t batchPoints = static_cast<std::size_t>(layout.facesPerBatch()) * layout.facePoints();
    std::vector<Vector> points(batchPoints), normals(withNormals ? batchPoints : 0);
    const LevelPoints level = mesh.points(mesh.curRes());
    drawBatches(layout, mode, [&](int b) {
        for (int k = 0; k < layout.facesIn(b); ++k) {
            const std::size_t at = static_cast<std::size_t>(k) * layout.facePoints();
            fillFace(mesh.topology(), level, layout.firstFace(b) + k, layout.side(), points.data() + at,
                     withNormals ? normals.data() + at : nullptr);
        }
        return BatchArrays{points.data(), withNormals ? normals.data() : nullptr};
    });
}

}  // namespace

const Color& edgePaletteColor(int k) {
    // Filled on first use, so it never depends on the order in which the
    // named colours of other files come into being.
    static const Color palette[kEdgePaletteSize] = {
        lightGrey, lightRed, lightYellow, lightGreen, lightCyan, lightBlue, lightMagenta,
        darkGrey,  darkRed,  darkYellow,  darkGreen,  darkCyan,  darkBlue,  darkMagenta};
    return palette[k % kEdgePaletteSize];
}

void drawVertices(const MrMesh& surface) { drawStreamed(surface, SurfaceMode::Vertices); }
void drawEdges(const MrMesh& surface) { drawStreamed(surface, SurfaceMode::Edges); }
void drawColoredEdges(const MrMesh& surface) { drawStreamed(surface, SurfaceMode::ColoredEdges); }
void drawFaces(const MrMesh& surface) { drawStreamed(surface, SurfaceMode::Faces); }

}  // namespace facetry
