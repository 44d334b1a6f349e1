#pragma once
// The Catmull-Clark limit masks: where a point of a level ends up after
// endless refinement, and two tangents there, from the point p and its
// one-ring. The ring is read counterclockwise as the faces wind: edge k's far
// end e[k], and face k's corner across from p, d[k], face k lying between
// edges k and k+1, so that t1 x t2 points to the side the faces turn towards.
// Each mask is one function, in its order of summation, over Vectors or (the
// regular masks, in the limit's row loops) over floats, one coordinate at a
// time. The rule a point takes is its vertex rule (rules/creases.h) at its
// level, through limitRule().
//
// Positions:
// - smooth, n faces: each d[k] weighs 1/(n(n+5)), each e[k] 4/(n(n+5)), p
//   the rest; at n = 4 that is (16 p + 4 sum e + sum d) / 36, which the
//   regular mask states with its own weights;
// - crease: 2/3 p + 1/6 of each of the two ends of its sharp edges;
// - corner: p.
// Tangents (their weights sum to zero, so the masks take each point
// relative to p, which keeps the short tangents of fine levels exact):
// - smooth: t1 weighs e[k] by 4 cos(k theta) and d[k] by (cos(k theta) +
//   cos((k+1) theta)) / (4 lambda - 1), theta = 2 pi / n, lambda the
//   subdominant eigenvalue of the refinement at valence n; t2 is t1 turned
//   by one edge;
// - crease: t1 along the crease, half its first sharp end minus half its
//   last; t2 across the sector of faces between them, which depends on how
//   many faces the sector has;
// - corner: its first two edges.

#include <vector>

#include "math/vector.h"
#include "rules/creases.h"

namespace facetry {

// The rule whose limit masks a point takes: its vertex rule, except that a
// smooth point inside two faces only keeps its place like a corner.
inline VertexRule limitRule(VertexRule rule, int faces) {
    return rule == VertexRule::Smooth && faces == 2 ? VertexRule::Corner : rule;
}

// Regular smooth point (four quads): 4/9 of itself, 1/9 of each edge end,
// 1/36 of each diagonal.
constexpr float kLimitRegularSelf = static_cast<float>(4.0 / 9);
constexpr float kLimitRegularEdge = static_cast<float>(1.0 / 9);
constexpr float kLimitRegularDiagonal = static_cast<float>(1.0 / 36);
// Crease: 2/3 of itself, 1/6 of each end of its two sharp edges.
constexpr float kLimitCreaseSelf = static_cast<float>(2.0 / 3);
constexpr float kLimitCreaseEnd = static_cast<float>(1.0 / 6);
// The regular tangent's weight of an edge end (a diagonal weighs 1).
constexpr float kRegularTangentEdge = 4.0f;

// The limit position of a regular smooth point p whose four edge ends sum to
// `neighbours` and four diagonals to `diagonals`.
template <class T>
T regularLimitPoint(const T& p, const T& neighbours, const T& diagonals) {
    return (diagonals * kLimitRegularDiagonal + neighbours * kLimitRegularEdge) + p * kLimitRegularSelf;
}

// The limit position of a smooth point p of n faces (any n but 2).
template <class T>
T smoothLimitPoint(const T& p, const T& neighbours, const T& diagonals, int faces) {
    const float n = static_cast<float>(faces), fw = 1.0f / (n * (n + 5.0f)), ew = 4.0f * fw;
    return (diagonals * fw + neighbours * ew) + p * (1.0f - n * (ew + fw));
}

// The limit position of a crease point p whose two sharp edges' ends sum to `ends`.
template <class T>
T creaseLimitPoint(const T& p, const T& ends) {
    return ends * kLimitCreaseEnd + p * kLimitCreaseSelf;
}

// A tangent of a regular smooth point: 4 `edgeAcross` (the difference of two
// opposite edge ends) plus two differences of diagonals, t1 = 4 (e0 - e2) +
// ((d0 - d2) + (d3 - d1)) and t2 = 4 (e1 - e3) + ((d0 - d2) + (d1 - d3)).
template <class T>
T regularTangent(const T& edgeAcross, const T& diagonalsA, const T& diagonalsB) {
    return edgeAcross * kRegularTangentEdge + (diagonalsA + diagonalsB);
}

// t1 of a smooth point of n faces (n >= 3): the weights of e[k] and d[k],
// k = 0 .. n-1; t2 takes edge k's and face k's weights from k - 1 (mod n).
void smoothTangentWeights(int n, std::vector<float>& edge, std::vector<float>& face);

// The crease tangent along the crease, from its first and last sharp edge's ends.
inline Vector creaseTangentAlong(const Vector& first, const Vector& last) { return (first - last) * 0.5f; }

// The crease tangent across a sector of one face, from the ends of its two
// sharp edges relative to p: across the face between its two sides.
inline Vector creaseTangentAcrossOneFace(const Vector& first, const Vector& last) { return (first + last) * 3.0f; }

// The crease tangent across a sector of two faces (a regular crease), every
// point relative to p: the sector's two diagonals, its middle edge end 4
// times, less its two sharp ends, all over 6.
inline Vector creaseTangentAcrossTwoFaces(const Vector& diagonal0, const Vector& diagonal1, const Vector& middle,
                                          const Vector& first, const Vector& last) {
    return ((((diagonal0 + diagonal1) + middle * 4.0f) - first) - last) * static_cast<float>(1.0 / 6);
}

// The crease tangent across a sector of k >= 3 faces, each point relative to
// p: the sector's faces i = 0 .. k-1 and inner edges i = 1 .. k-1 weigh sines
// of i pi / k, its two sharp ends weigh `ends` each.
struct CreaseTangentWeights {
    float ends = 0;           // each of the two sharp edges' ends
    std::vector<float> edge;  // sector edge i, 0 < i < k (entry 0 unused, 0)
    std::vector<float> face;  // sector face i, 0 <= i < k
};
CreaseTangentWeights creaseTangentWeights(int k);

}  // namespace facetry
