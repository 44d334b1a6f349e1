#pragma once
// An independent, plainly written uniform Catmull-Clark refinement on indexed
// faces, in double precision, against which the surface is checked. It shares
// no code with the program: it works from vertex positions and face index
// lists only, builds its own edge table, and uses the textbook masks.
//
// Rules: face point = centroid; interior edge point = average of the two ends
// and the two face points; interior vertex of valence n = (Q + 2R + (n-3)P)/n
// with Q the average of its face points and R the average of its edge
// midpoints. On the boundary the cubic B-spline curve rules hold: a boundary
// edge point is the midpoint, a boundary vertex 3/4 itself plus 1/8 of each of
// its two boundary neighbours (a corner with one face follows the same rule).
// A vertex that no face uses keeps its position. One step turns any polygon
// mesh into quads.

#include <utility>
#include <vector>

#include "support/refmesh.h"

// One uniform Catmull-Clark step. The result lists the vertex points first
// (same indices as the input), then the edge points, then the face points.
RefMesh refineOnce(const RefMesh& mesh);

// `steps` uniform Catmull-Clark steps.
RefMesh refine(const RefMesh& mesh, int steps);

// The points along each of `edges` (pairs of vertex indices of `mesh` that an
// edge joins) after `steps` steps, from the pair's first vertex to its
// second: 2^steps + 1 points each. They are found from the refined faces
// alone: after a step, the point between two neighbours p and q is the one
// vertex that an edge joins to both.
std::vector<std::vector<RefPoint>> edgeChains(const RefMesh& mesh, const std::vector<std::pair<int, int>>& edges,
                                              int steps);
