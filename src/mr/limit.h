#pragma once
// The limit surface at the points of the current level: where each point
// ends up after infinitely many refinement steps, and the surface normal
// there, from the point and its one-ring alone (Catmull-Clark limit masks).
//
// Each point takes the mask of its rule at the current level: its own
// sharpness and the number of its edges sharp at that level (a boundary edge
// always is) give smooth (none or one), crease (two) or corner (three or
// more, or a sharp point). Positions:
// - smooth, n faces: each face's corner across from the point weighs
//   1/(n(n+5)), each edge's far end 4/(n(n+5)), the point the rest
//   ((16 p + 4 sum of edge ends + sum of diagonals) / 36 at n = 4); a point
//   inside two faces only (n = 2) stays where it is;
// - crease: 2/3 p + 1/6 of each of the two ends of its sharp edges;
// - corner: p.
// Normals are t1 x t2, normalised, with the tangent masks of the same rule
// and the ring read counterclockwise as the faces wind. Across a crease the
// surface has two tangent planes; the normal is that of the sector a
// refinement library counting rings from the vertex's first face would pick
// (see limit.cpp), and a corner's is that of the face between its first two
// edges. A point no face uses keeps its place and has a zero normal, as does
// a point whose tangents are parallel.

#include <vector>

#include "math/vector.h"

namespace facetry {

class MrMesh;

// The limit position and the limit normal of every point of `surface` at its
// current level, in WeldedSurface's stored order (vertices, then edge inner
// points, then face inner points, the holes' too: storedPointCount()
// entries). Either output may be null. Runs on surface.threads() threads;
// results do not depend on their number.
void limitPointsAndNormals(const MrMesh& surface, std::vector<Vector>* positions, std::vector<Vector>* normals);
// The same into a caller's memory: each output, where not null, has room for
// WeldedSurface(surface).storedPointCount() entries.
void limitPointsAndNormals(const MrMesh& surface, Vector* positions, Vector* normals);

// The limit of the texture coordinates at grid point (i, j) of face f at
// the current level, on face f's side of a UV seam; the surface has texture
// coordinates.
void limitTextureCoordinateAt(const MrMesh& surface, int f, int i, int j, float uv[2]);

}  // namespace facetry
