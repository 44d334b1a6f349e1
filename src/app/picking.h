#pragma once
// Picking of control vertices in OpenGL selection mode.
//
// Hit records come in drawing order and the control mesh draws its vertices
// in index order, so of several vertices in the pick region the lowest index
// wins; selection does no depth test, so a vertex behind the surface can be
// picked.

#include <GL/gl.h>

#include "app/view.h"
#include "mesh/mesh.h"

namespace facetry {

// The size of the selection buffer, in unsigned ints: 256 one-name hit records.
constexpr int kSelectBufferSize = 1024;
// Receives the hit records; registered with OpenGL by installSelectBuffer().
extern GLuint selectBuffer[kSelectBufferSize];

// Makes selectBuffer OpenGL's selection buffer (once per context).
void installSelectBuffer();
// The control vertex drawn within 7 x 7 pixels of window position (x, y), or
// null when there is none or the buffer overflowed. Restores the projection.
MeshVertex* pickVertex(const View& view, Mesh& mesh, int x, int y);

}  // namespace facetry
