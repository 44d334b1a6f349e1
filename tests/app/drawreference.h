#pragma once
// The oracle of the drawing tests: the viewer's drawing as it was when every
// frame issued one call per vertex, kept here unchanged (immediate mode, each
// face's grid gathered in turn, quad strips and line strips), and a frame
// drawn with it. The vertex-array drawing must give the same pictures.

#include "app/viewer.h"

// The surface in one display mode (kDisplayVertices ... kDisplayFaces).
void referenceSurface(const facetry::MrMesh& mrMesh, int mode);
// The control mesh's vertices (a named point each) and its edges, then its
// vertices again, as its two drawing operations did.
void referenceControlVertices(const facetry::Mesh& mesh);
void referenceControlEdges(const facetry::Mesh& mesh);
// A whole frame of the viewer, drawn the old way.
void referenceFrame(const facetry::Viewer& viewer);
