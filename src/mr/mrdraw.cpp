// The surface's own drawing operations, in its four display modes. Each
// draws the current level face by face from vertex arrays: every face its own
// whole grid, so a side shared by two faces is drawn by both. The arrays are
// filled one batch at a time into scratch and dropped afterwards; the viewer
// keeps them between frames instead (SurfaceDrawing).
#include <GL/gl.h>

#include <vector>

#include "math/colors.h"
#include "mr/gridarrays.h"
#include "mr/mrdraw.h"
#include "mr/mrmesh.h"

namespace {

// Fills each batch in turn into scratch of one batch's size and draws it.
void drawStreamed(const MrMesh& mesh, SurfaceMode mode) {
    GridLayout layout(mesh.numFaces(), mesh.curRes());
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

void MrMesh::drawVertices() const { drawStreamed(*this, SurfaceMode::Vertices); }
void MrMesh::drawEdges() const { drawStreamed(*this, SurfaceMode::Edges); }
void MrMesh::drawColoredEdges() const { drawStreamed(*this, SurfaceMode::ColoredEdges); }
void MrMesh::drawFaces() const { drawStreamed(*this, SurfaceMode::Faces); }
