#pragma once
// The control mesh's two drawing operations. They set no colour and no
// lighting: the caller chooses them.

#include "mesh/mesh.h"

namespace facetry {

// Every vertex as a point of size 7; in selection mode each in a primitive of
// its own under its id as selection name, so that a hit names the vertex.
void drawVertices(const Mesh& mesh);
// Every edge as a line, then the vertices over them (drawVertices).
void drawEdges(const Mesh& mesh);

}  // namespace facetry
