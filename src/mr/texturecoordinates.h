#pragma once
// Texture coordinates on the surface. They refine linearly within every
// control face, so each level-0 quad keeps (u, v) at its four corners and
// its grid takes them bilinearly at every level.

#include "mesh/mesh.h"
#include "mr/block.h"
#include "mr/levelzero.h"

namespace facetry {

// Per level-0 quad, (u, v) at corners 0 to 3 (8 floats a quad); empty when
// the control mesh has no texture coordinates. On the quad path a quad's
// corners are the control face's; on the refinement path quad j of a control
// face has the face's centre, the midpoint of the side before corner j,
// corner j and the midpoint of the side after it.
Block<float> levelZeroTextureCoordinates(const Mesh& mesh, const LevelZeroNumbering& numbering);

// (u, v) of grid point (i, j) of a grid of `cells` cells along a side
// (0 <= i, j <= cells), from its quad's corner coordinates `corners`.
void bilinearTextureCoordinate(const float* corners, int cells, int i, int j, float uv[2]);

}  // namespace facetry
