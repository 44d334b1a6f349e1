#pragma once
// One frame of the viewer: the surface in its mode, the control mesh on top,
// then the arcball's guides.

#include "app/viewer.h"

namespace facetry {

// Draws the whole picture into the current buffers, without swapping them.
void drawFrame(const Viewer& viewer);
// Draws the surface in the given mode, lit only for "Faces".
void drawSurface(SurfaceDrawing& surface, int mode);
// Draws the control mesh in the given mode, always unlit.
void drawControlMesh(const Mesh& mesh, int mode);

}  // namespace facetry
