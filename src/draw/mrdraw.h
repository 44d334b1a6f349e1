#pragma once
// The surface's four display modes, and the colours of "Colored Edges": face
// k takes palette entry k mod 14, the seven light colours then the seven dark
// ones. Each mode draws the current level face by face from vertex arrays:
// every face its own whole grid, so a side shared by two faces is drawn by
// both. The arrays are filled one batch at a time into scratch and dropped
// afterwards; the viewer keeps them between frames instead (SurfaceDrawing),
// and falls back on these when memory for that runs out.

#include "math/colors.h"
#include "mr/mrmesh.h"

namespace facetry {

constexpr int kEdgePaletteSize = 14;

// Palette entry k mod kEdgePaletteSize (k >= 0).
const Color& edgePaletteColor(int k);

// Every grid point as a point of size 1.
void drawVertices(const MrMesh& surface);
// Every grid line of every face.
void drawEdges(const MrMesh& surface);
// The grid lines, face k in palette colour k mod 14; leaves the last face's
// colour current.
void drawColoredEdges(const MrMesh& surface);
// Every grid cell as a flat quad with its Newell normal.
void drawFaces(const MrMesh& surface);

}  // namespace facetry
