#pragma once
// Creases and corners. Every edge and vertex has a sharpness: 0 is smooth,
// and the smooth Catmull-Clark rules hold; a sharpness s > 0 gives the sharp
// rules for s levels, the fractional part of the last one blending sharp and
// smooth; from 10 on an edge or vertex is infinitely sharp. Each level takes 1
// from every sharpness (uniform creasing). A boundary edge is infinitely
// sharp; a boundary vertex is only as sharp as its own tag.
//
// The edge rule of a sharp edge is its midpoint, blended with the smooth edge
// point by the sharpness when that is below 1.
//
// A vertex's rule follows from its own sharpness and its sharp edges: a
// smooth vertex (none or one sharp edge) takes the smooth rule, a crease
// vertex (two) the curve rule along its two sharp edges, a corner (three or
// more, or a sharp vertex) stays where it is. When the vertex's rule one
// level down differs, some sharpness falls to zero in the step, and the two
// rules are blended: the present one weighs the mean of the sharpness values
// that fall to zero, at most 1.

#include <algorithm>

#include "math/vector.h"
#include "mesh/catmullclark.h"

// The sharpness from which an edge or vertex stays sharp at every level.
constexpr float kInfinitelySharp = 10.0f;

// The sharpness one level down: infinite stays infinite, above 1 loses 1,
// 1 and below becomes smooth.
inline float nextSharpness(float s) {
    if (s >= kInfinitelySharp) return s;
    return s > 1 ? s - 1 : 0.0f;
}

// The sharpness `levels` levels down.
inline float sharpnessAfter(float s, int levels) {
    if (s >= kInfinitelySharp) return s;
    const float left = s - static_cast<float>(levels);
    return left > 0 ? left : 0.0f;
}

enum class VertexRule { Smooth, Crease, Corner };

inline VertexRule vertexRuleOf(float vertexSharpness, int sharpEdges) {
    if (vertexSharpness > 0 || sharpEdges > 2) return VertexRule::Corner;
    return sharpEdges == 2 ? VertexRule::Crease : VertexRule::Smooth;
}

// The edge rule: `mid` is the midpoint of the edge's ends, `smooth` the
// smooth edge point, `s` the edge's sharpness (> 0).
inline Vector creasedEdgePoint(const Vector& mid, const Vector& smooth, float s) {
    if (s >= 1) return mid;
    return mid * s + smooth * (1 - s);
}

// The vertex rule at a vertex p of `edgeCount` ring edges, with sharpness
// `vertexSharpness`: sharpness(k) and neighbour(k) give ring edge k's
// sharpness (a boundary edge's infinite) and far end; smooth() the point of
// the smooth rule, which is asked for only when needed.
template <class Sharpness, class Neighbour, class Smooth>
Vector creasedVertexPoint(const Vector& p, float vertexSharpness, int edgeCount, Sharpness sharpness,
                          Neighbour neighbour, Smooth smooth) {
    int sharpNow = 0, sharpNext = 0;
    for (int k = 0; k < edgeCount; ++k) {
        const float s = sharpness(k);
        sharpNow += s > 0;
        sharpNext += nextSharpness(s) > 0;
    }
    const float vertexNext = nextSharpness(vertexSharpness);
    const VertexRule now = vertexRuleOf(vertexSharpness, sharpNow);
    const VertexRule next = vertexRuleOf(vertexNext, sharpNext);
    // The curve rule along the edges still sharp after `steps` (0 or 1) steps.
    auto apply = [&](VertexRule rule, bool afterStep) -> Vector {
        if (rule == VertexRule::Corner) return p;
        if (rule == VertexRule::Smooth) return smooth();
        Vector ends;
        for (int k = 0; k < edgeCount; ++k) {
            const float s = sharpness(k);
            if ((afterStep ? nextSharpness(s) : s) > 0) ends += neighbour(k);
        }
        return p * kCurveVertexSelf + ends * kCurveVertexNeighbour;
    };
    const Vector present = apply(now, false);
    if (now == next) return present;
    float falling = 0;
    int count = 0;
    if (vertexSharpness > 0 && vertexNext <= 0) {
        falling += vertexSharpness;
        ++count;
    }
    for (int k = 0; k < edgeCount; ++k) {
        const float s = sharpness(k);
        if (s > 0 && nextSharpness(s) <= 0) {
            falling += s;
            ++count;
        }
    }
    const float w = count ? std::min(1.0f, falling / static_cast<float>(count)) : 1.0f;
    return present * w + apply(next, true) * (1 - w);
}
