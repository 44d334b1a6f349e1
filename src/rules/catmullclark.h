#pragma once
// The Catmull-Clark refinement masks: every weight named after the mask it
// belongs to, with the fraction it stands for, and each mask as one small
// function of the points it weighs. Every caller applies a mask through these
// functions, so a mask is written once: the control mesh's point rules, which
// give the first level of a surface over faces of any size
// (mesh/meshelements.cpp), and the surface's refinement rules on its quad
// grids (mr/refinement.cpp), whose row loops call them on floats, one
// coordinate at a time, so that they stay vector instructions.
//
// The masks are templates over the value they combine: a Vector, a TexCoord
// or a float (one coordinate). Each states its order of summation; the arguments that
// are sums are formed by the caller, left to right as it lists them. Every
// weight of the refinement masks is a power-of-two fraction, exact in single
// precision, but those of smooth triangles.

#include "math/vector.h"

namespace facetry {

// Boundary and crease: the cubic B-spline curve along the sharp edges. A new
// point between two old ones is their midpoint; one at an old point takes 3/4
// of it and 1/8 of each neighbour along the curve.
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

// The midpoint of a curve segment from a to b: (a + b) 1/2.
template <class T>
T curveMidpoint(const T& a, const T& b) {
    return (a + b) * kCurveMidpoint;
}

// The curve's point at p, whose two neighbours along the curve sum to
// `neighbours`: 3/4 p + 1/8 neighbours.
template <class T>
T curveVertexPoint(const T& p, const T& neighbours) {
    return p * kCurveVertexSelf + neighbours * kCurveVertexNeighbour;
}

// The face point of a quad with corners a, b, c, d: (((a + b) + c) + d) 1/4.
template <class T>
T quadFacePoint(const T& a, const T& b, const T& c, const T& d) {
    return (((a + b) + c) + d) * kQuadFacePoint;
}

// The face point of a face of n corners that sum to `corners`: their average.
template <class T>
T facePoint(const T& corners, int n) {
    return corners / static_cast<float>(n);
}

// The smooth edge point of an edge from a to b between the faces whose face
// points are f0 and f1: (((a + b) + f0) + f1) 1/4.
template <class T>
T smoothEdgePoint(const T& a, const T& b, const T& f0, const T& f1) {
    return (((a + b) + f0) + f1) * kEdgePoint;
}

// Smooth triangles (TriangleSubdivision::Smooth): in the first step, the
// edge point of an edge beside a triangle weighs each face point
// (w0 + w1)/2 and each end (1 - (w0 + w1))/2, where a face's w is 0.470 for
// a triangle and 1/4 for any other face, so that the surface over triangles
// is smoother than Catmull-Clark's (0.470 is not a power of two: these
// weights are rounded, as OpenSubdiv's are).
constexpr float kSmoothTriangleShare = 0.470f;
constexpr float kOtherFaceShare = 0.25f;  // 1/4

// The face-point weight of the smooth-triangle edge point between faces of
// n0 and n1 corners, or 0 when neither is a triangle (the ordinary mask holds).
inline float smoothTriangleFaceWeight(int n0, int n1) {
    if (n0 != 3 && n1 != 3) return 0.0f;
    const float w0 = n0 == 3 ? kSmoothTriangleShare : kOtherFaceShare;
    const float w1 = n1 == 3 ? kSmoothTriangleShare : kOtherFaceShare;
    return 0.5f * (w0 + w1);
}

// The smooth-triangle edge point of an edge from a to b between the faces
// whose face points are f0 and f1, each face point weighing `faceWeight`:
// (a + b) (1 - 2 faceWeight)/2 + (f0 + f1) faceWeight.
template <class T>
T smoothTriangleEdgePoint(const T& a, const T& b, const T& f0, const T& f1, float faceWeight) {
    const float endWeight = 0.5f * (1.0f - 2.0f * faceWeight);
    return (a + b) * endWeight + (f0 + f1) * faceWeight;
}

// The same mask on a quad grid, with the face points written out: the edge's
// two ends sum to `ends`, the four grid points beside them to `sides`.
template <class T>
T gridEdgePoint(const T& ends, const T& sides) {
    return ends * kGridEdgeEnds + sides * kGridEdgeSide;
}

// The smooth vertex point of a regular interior vertex p: its four diagonal
// neighbours sum to `diagonals`, its four edge neighbours to `neighbours`.
template <class T>
T regularVertexPoint(const T& p, const T& diagonals, const T& neighbours) {
    return (p * kRegularSelf + diagonals * kRegularDiagonal) + neighbours * kRegularEdge;
}

// The smooth vertex point of an interior vertex p of valence n, in its two
// orders of evaluation. The mask is one, (n-2)/n p + 1/n^2 of the edge
// neighbours + 1/n^2 of the face points, but the two places that apply it
// have different points at hand, and each order is fixed to the bit by the
// surfaces it has always given:
// - over the face points (the control mesh, whose faces have any number of
//   corners): `facesAndNeighbours` sums each face point with the neighbour
//   along the edge before it; 1/n^2 of that plus (1 - 2/n) p;
// - over a quad grid (the surface's levels, where the face points are not
//   formed): with each quad's face point written out, 1.5/n^2 of the edge
//   neighbours, 0.25/n^2 of the diagonal neighbours, the rest on p.
template <class T>
T vertexPointOverFacePoints(const T& p, const T& facesAndNeighbours, int n) {
    const float selfWeight = static_cast<float>(1.0 - 2.0 / n);
    return facesAndNeighbours / static_cast<float>(n * n) + p * selfWeight;
}

template <class T>
T vertexPointOverGrid(const T& p, const T& neighbours, const T& diagonals, int valence) {
    const float n = static_cast<float>(valence);
    const float b = kExtraordinaryEdgeShare / n, g = kExtraordinaryDiagonalShare / n, a = 1 - b - g;
    return (neighbours * (b / n) + diagonals * (g / n)) + p * a;
}

}  // namespace facetry
