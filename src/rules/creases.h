#pragma once
// Creases and corners. Every edge and vertex has a sharpness: 0 is smooth,
// and the smooth Catmull-Clark rules hold; a sharpness s > 0 gives the sharp
// rules for s levels, the fractional part of the last one blending sharp and
// smooth; from 10 on an edge or vertex is infinitely sharp. Each level takes 1
// from every vertex's sharpness, and from every edge's under uniform
// creasing. Under Chaikin creasing each half of a semi-sharp edge (0 < s <
// 10) takes its own: at the end vertex it touches, 3/4 of s and 1/4 of the
// mean of the other semi-sharp edges there, less 1, so that sharpness runs
// smoothly along a crease; the two halves of an edge then differ. A boundary
// edge is infinitely sharp; a boundary vertex is only as sharp as its own tag.
//
// The edge rule of a sharp edge is its midpoint, blended with the smooth edge
// point by the sharpness when that is below 1 (under Chaikin creasing: unless
// both halves stay sharp, by the sharpness whatever it is).
//
// A vertex's rule follows from its own sharpness and its sharp edges: a
// smooth vertex (none or one sharp edge) takes the smooth rule, a crease
// vertex (two) the curve rule along its two sharp edges, a corner (three or
// more, or a sharp vertex) stays where it is. When the vertex's rule one
// level down differs, some sharpness falls to zero in the step, and the two
// rules are blended: the present one weighs the mean of the sharpness values
// that fall to zero, at most 1.
//
// The rules read a vertex through a VertexNeighbourhood: how many ring edges
// it has and what sharpness it and each of them have at the level the rule
// is applied at. Whoever applies a rule (the control mesh, the surface's
// refinement, its limit) describes the vertex that way from its own storage;
// what the sharpness becomes one level down is worked out here.

#include <algorithm>

#include "math/vector.h"
#include "rules/catmullclark.h"
#include "rules/options.h"

namespace facetry {

// The sharpness from which an edge or vertex stays sharp at every level.
constexpr float kInfinitelySharp = 10.0f;

// Whether a sharpness gives the sharp rules.
inline bool isSharp(float s) { return s > 0; }

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

// Whether an edge of sharpness s is semi-sharp: sharp, not infinitely.
inline bool isSemiSharp(float s) { return s > 0 && s < kInfinitelySharp; }

// Chaikin creasing: the sharpness one level down of the half of an edge of
// sharpness s at a vertex of `edges` ring edges, `semiSharp` of them
// semi-sharp with sharpness summing to `semiSharpSum` (s among them when it
// is semi-sharp). Smooth and infinite edges stay so; a vertex of fewer than
// two edges wears off uniformly.
inline float chaikinSharpness(float s, int edges, int semiSharp, float semiSharpSum) {
    if (edges < 2 || !isSemiSharp(s)) return nextSharpness(s);
    float blended = s;
    if (semiSharp > 1) {
        const float othersMean = (semiSharpSum - s) / static_cast<float>(semiSharp - 1);
        blended = 0.75f * s + 0.25f * othersMean;
    }
    blended -= 1.0f;
    return isSharp(blended) ? blended : 0.0f;
}

// Whether an edge of sharpness s takes the sharp rule alone in this step,
// without a blend with the smooth one.
inline bool sharpThroughStep(float s) { return s >= 1; }

// The sharpness an edge's rules take: a boundary edge is infinitely sharp
// whatever its tag says.
inline float edgeRuleSharpness(float sharpness, bool onBoundary) { return onBoundary ? kInfinitelySharp : sharpness; }
// The sharpness that an interior edge's tag gives it: 0 on the boundary,
// which the rules treat apart.
inline float interiorEdgeSharpness(float sharpness, bool onBoundary) { return onBoundary ? 0.0f : sharpness; }

enum class VertexRule { Smooth, Crease, Corner };

// The vertex rule of a vertex with sharpness `vertexSharpness` and
// `sharpEdges` sharp ring edges. Every vertex rule anywhere comes from here.
inline VertexRule vertexRuleOf(float vertexSharpness, int sharpEdges) {
    if (isSharp(vertexSharpness) || sharpEdges > 2) return VertexRule::Corner;
    return sharpEdges == 2 ? VertexRule::Crease : VertexRule::Smooth;
}

// A vertex as its rules see it, at the level a rule is applied at:
// `edges` ring edges, its own `sharpness`, and edgeSharpness(k), the
// sharpness of ring edge k as edgeRuleSharpness gives it. Make one with
// vertexNeighbourhood().
template <class EdgeSharpness>
struct VertexNeighbourhood {
    int edges;
    float sharpness;
    EdgeSharpness edgeSharpness;
    CreasingMethod creasing;
    int semiSharp;       // Chaikin only: the semi-sharp ring edges
    float semiSharpSum;  // and the sum of their sharpness, in ring order

    // The same one level down, after the step the rule makes: the vertex's,
    // ring edge k's half at the vertex, and that of a ring edge of sharpness s.
    float sharpnessAfterStep() const { return nextSharpness(sharpness); }
    float edgeSharpnessAfterStep(int k) const { return halfSharpnessAfterStep(edgeSharpness(k)); }
    float halfSharpnessAfterStep(float s) const {
        return creasing == CreasingMethod::Chaikin ? chaikinSharpness(s, edges, semiSharp, semiSharpSum)
                                                   : nextSharpness(s);
    }

    int sharpEdges() const {
        int count = 0;
        for (int k = 0; k < edges; ++k) count += isSharp(edgeSharpness(k));
        return count;
    }
    int sharpEdgesAfterStep() const {
        int count = 0;
        for (int k = 0; k < edges; ++k) count += isSharp(edgeSharpnessAfterStep(k));
        return count;
    }
    VertexRule rule() const { return vertexRuleOf(sharpness, sharpEdges()); }
    VertexRule ruleAfterStep() const { return vertexRuleOf(sharpnessAfterStep(), sharpEdgesAfterStep()); }

    // The weight of the present rule where the rule after the step differs:
    // the mean of the sharpness values that fall to zero in the step, the
    // vertex's first, at most 1.
    float transitionWeight() const {
        float falling = 0;
        int count = 0;
        if (isSharp(sharpness) && !isSharp(sharpnessAfterStep())) {
            falling += sharpness;
            ++count;
        }
        for (int k = 0; k < edges; ++k) {
            const float s = edgeSharpness(k);
            if (isSharp(s) && !isSharp(edgeSharpnessAfterStep(k))) {
                falling += s;
                ++count;
            }
        }
        return count ? std::min(1.0f, falling / static_cast<float>(count)) : 1.0f;
    }
};

template <class EdgeSharpness>
VertexNeighbourhood<EdgeSharpness> vertexNeighbourhood(int edges, float sharpness, EdgeSharpness edgeSharpness,
                                                       CreasingMethod creasing) {
    VertexNeighbourhood<EdgeSharpness> vertex{edges, sharpness, edgeSharpness, creasing, 0, 0.0f};
    if (creasing == CreasingMethod::Chaikin)
        for (int k = 0; k < edges; ++k) {
            const float s = edgeSharpness(k);
            if (!isSemiSharp(s)) continue;
            ++vertex.semiSharp;
            vertex.semiSharpSum += s;
        }
    return vertex;
}

// Whether a vertex can take other rules than the smooth ones (the boundary
// curve on the boundary): it or an interior edge of its ring is sharp, where
// interiorSharpness(k) is ring edge k's as interiorEdgeSharpness gives it.
// The others are refined without a look at sharpness.
template <class InteriorSharpness>
bool takesCreaseRules(float vertexSharpness, int edges, InteriorSharpness interiorSharpness) {
    bool creased = isSharp(vertexSharpness);
    for (int k = 0; k < edges && !creased; ++k) creased = isSharp(interiorSharpness(k));
    return creased;
}

// The first and last sharp edge of a crease vertex's ring of `edges` edges,
// sharp(k) telling whether ring edge k is sharp.
template <class Sharp>
void creaseEnds(int edges, Sharp sharp, int& first, int& last) {
    first = 0;
    while (first < edges && !sharp(first)) ++first;
    last = edges - 1;
    while (last > 0 && !sharp(last)) --last;
}

// Two rules blended: `present` weighs w, `next` the rest.
template <class T>
T blendRules(const T& present, const T& next, float w) {
    return present * w + next * (1 - w);
}

// The edge rule: `mid` is the midpoint of the edge's ends, `smooth` the
// smooth edge point, `s` the edge's sharpness (> 0).
template <class T>
T creasedEdgePoint(const T& mid, const T& smooth, float s) {
    if (sharpThroughStep(s)) return mid;
    return blendRules(mid, smooth, s);
}

// The same where each half has its own sharpness one level down (Chaikin
// creasing): the sharp rule alone while both halves stay sharp, otherwise the
// blend by s, which goes beyond the sharp rule when s is above 1.
template <class T>
T creasedEdgePoint(const T& mid, const T& smooth, float s, float half0After, float half1After) {
    if (isSharp(half0After) && isSharp(half1After)) return mid;
    return blendRules(mid, smooth, s);
}

// The vertex rule at a vertex p with the neighbourhood `vertex`:
// neighbour(k) gives ring edge k's far end, smooth() the point of the smooth
// rule, which is asked for only when needed.
template <class T, class EdgeSharpness, class Neighbour, class Smooth>
T creasedVertexPoint(const T& p, const VertexNeighbourhood<EdgeSharpness>& vertex, Neighbour neighbour, Smooth smooth) {
    const VertexRule now = vertex.rule(), next = vertex.ruleAfterStep();
    // The rule at p: for a crease, the curve along the edges sharp now or,
    // afterStep, along those still sharp after the step.
    auto apply = [&](VertexRule rule, bool afterStep) -> T {
        if (rule == VertexRule::Corner) return p;
        if (rule == VertexRule::Smooth) return smooth();
        T ends;
        for (int k = 0; k < vertex.edges; ++k)
            if (isSharp(afterStep ? vertex.edgeSharpnessAfterStep(k) : vertex.edgeSharpness(k))) ends += neighbour(k);
        return curveVertexPoint(p, ends);
    };
    const T present = apply(now, false);
    if (now == next) return present;
    return blendRules(present, apply(next, true), vertex.transitionWeight());
}

}  // namespace facetry
