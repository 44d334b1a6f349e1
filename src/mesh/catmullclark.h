#pragma once
// The Catmull-Clark weights, named after the masks they belong to, each with
// the fraction it stands for. They are shared by the two places that apply
// the rules: the control mesh's point rules, which give the first level of a
// surface over faces of any size (meshelements.cpp), and the surface's
// refinement rules on its quad grids (mr/refinement.cpp). Every weight is a
// power-of-two fraction, exact in single precision.

// Boundary: the cubic B-spline curve along the boundary edges. A new point
// between two old ones is their midpoint; one at an old point takes 3/4 of it
// and 1/8 of each neighbour along the boundary.
constexpr float kCurveMidpoint = 0.5f;         // 1/2
constexpr float kCurveVertexSelf = 0.75f;      // 3/4
constexpr float kCurveVertexNeighbour = 0.125f; // 1/8

// Face point of a quad: the average of its four corners. Edge point: the
// average of the edge's two ends and the face points on its two sides.
constexpr float kQuadFacePoint = 0.25f;        // 1/4
constexpr float kEdgePoint = 0.25f;            // 1/4

// Interior edge point on a quad grid, with the two face points written out:
// 3/8 of the two ends, 1/16 of each of the four points beside them.
constexpr float kGridEdgeEnds = 0.375f;        // 3/8
constexpr float kGridEdgeSide = 0.0625f;       // 1/16

// Vertex point of a regular interior vertex (four quads): 9/16 of itself,
// 3/32 of each edge neighbour, 1/64 of each diagonal neighbour.
constexpr float kRegularSelf = 0.5625f;        // 9/16
constexpr float kRegularEdge = 0.09375f;       // 3/32
constexpr float kRegularDiagonal = 0.015625f;  // 1/64

// Vertex point of an interior vertex of valence N among quads: 1.5/N of the
// average of its edge neighbours, 0.25/N of the average of its diagonal
// neighbours, the rest on itself.
constexpr float kExtraordinaryEdgeShare = 1.5f;
constexpr float kExtraordinaryDiagonalShare = 0.25f;
