#pragma once
// The refinement rules of the surface's grids over any value the masks
// combine: the points (Vector) and the texture coordinates (TexCoord). Each
// rule takes the values it reads already gathered (a face's grid, an edge's
// points and the rows beside it, a vertex's neighbours through accessors),
// so that the points, read from their owners, and the texture coordinates,
// read from one side of a UV seam, share every mask. Every sum is formed in
// the order written here; the row loops work on the values as streams of
// floats, which the compiler turns into vector instructions lane by lane
// without changing the bits.

#include <algorithm>

#include "math/vector.h"
#include "mr/mrtopology.h"
#include "rules/catmullclark.h"
#include "rules/creases.h"

namespace facetry {

namespace gridrules {

template <class T>
constexpr int floatsOf() {
    static_assert(sizeof(T) % sizeof(float) == 0, "a value is a run of floats");
    return static_cast<int>(sizeof(T) / sizeof(float));
}
template <class T>
inline const float* floats(const T* p) {
    return reinterpret_cast<const float*>(p);
}
template <class T>
inline float* floats(T* p) {
    return reinterpret_cast<float*>(p);
}

// out = rule(a, b, c, d) value by value, `count` values, where the rule
// averages four values (a face point or an edge point).
template <class T, class Rule>
void ruleOfFour(const T* a, const T* b, const T* c, const T* d, int count, T* out, Rule rule) {
    const float *__restrict pa = floats(a), *__restrict pb = floats(b), *__restrict pc = floats(c),
                *__restrict pd = floats(d);
    float* __restrict po = floats(out);
    for (int k = 0; k < floatsOf<T>() * count; ++k) po[k] = rule(pa[k], pb[k], pc[k], pd[k]);
}
const auto facePointOfFour = [](float a, float b, float c, float d) { return quadFacePoint(a, b, c, d); };
const auto edgePointOfFour = [](float a, float b, float c, float d) { return smoothEdgePoint(a, b, c, d); };

// The vertex points inside a face grid, for the `count` values that start at
// `mid` in a grid row, `up` and `down` being the same places one row before
// and after.
template <class T>
void gridVertexPoints(const T* up, const T* mid, const T* down, int count, T* out) {
    constexpr int n = floatsOf<T>();
    const float *__restrict u = floats(up), *__restrict c = floats(mid), *__restrict d = floats(down);
    float* __restrict o = floats(out);
    for (int k = 0; k < n * count; ++k)
        o[k] = regularVertexPoint(c[k], u[k - n] + u[k + n] + d[k - n] + d[k + n], u[k] + c[k - n] + c[k + n] + d[k]);
}

// A row of 2m-1 values: the m values of `even` at positions 0, 2, ..., and
// the m-1 values of `odd` between them.
template <class T>
void interleave(const T* even, const T* odd, int m, T* out) {
    for (int j = 0; j + 1 < m; ++j) {
        out[2 * j] = even[j];
        out[2 * j + 1] = odd[j];
    }
    out[2 * m - 2] = even[m - 1];
}

}  // namespace gridrules

// The level whose grids have `cells` cells along a side.
inline int levelOfCells(int cells) { return __builtin_ctz(static_cast<unsigned>(cells)); }

// The face rule over a gathered grid: from the (m+1) x (m+1) grid g of a
// face, row by row, the (2m-1)^2 values strictly inside its grid at the next
// level into `to`. `scratch` holds m^2 + 2m values.
template <class T>
void refineGrid(const T* g, int m, T* to, T* scratch) {
    using namespace gridrules;
    const int n = m + 1, w = 2 * m - 1;
    // centres: the face points of the m x m cells; between, inside: the
    // values of one new row that lie between old values and at them.
    T* centres = scratch;
    T* between = centres + m * m;
    T* inside = between + m;
    auto G = [g, n](int i) { return g + i * n; };              // old row i
    auto C = [centres, m](int i) { return centres + i * m; };  // face points of the cells of row i
    // New value (I, J), 0 < I, J < 2m, goes to to[(I-1) w + J-1]. Odd rows
    // run through the old cells: face points at odd J, edge points at even J.
    // Even rows run through old rows: edge points at odd J, vertex points at
    // even J.
    for (int i = 0; i < m; ++i) ruleOfFour(G(i), G(i) + 1, G(i + 1), G(i + 1) + 1, m, C(i), facePointOfFour);
    for (int i = 0; i < m; ++i) {
        if (m > 1) ruleOfFour(G(i) + 1, G(i + 1) + 1, C(i), C(i) + 1, m - 1, between, edgePointOfFour);
        interleave(C(i), between, m, to + (2 * i) * w);
        if (i == 0) continue;
        ruleOfFour(G(i), G(i) + 1, C(i - 1), C(i), m, between, edgePointOfFour);
        gridVertexPoints(G(i - 1) + 1, G(i) + 1, G(i + 1) + 1, m - 1, inside);
        interleave(between, inside, m, to + (2 * i - 1) * w);
    }
}

// The sharp rules on a segmented edge (Chaikin creasing) over the smooth
// values `odd` and `even` (refineEdgeRows'): each segment's edge point by its
// own sharpness and its halves', each inner point's vertex point by the
// segments on its two sides.
template <class T>
void segmentedEdgeRules(const MrTopology& t, int e, int level, const T* p, T* odd, T* even) {
    const int m = 1 << level;
    for (int c = 0; c < m; ++c) {
        const float s = t.segmentSharpnessAt(e, c, level);
        if (isSharp(s))
            odd[c] = creasedEdgePoint(curveMidpoint(p[c], p[c + 1]), odd[c], s, t.segmentSharpnessAt(e, 2 * c, level + 1),
                                      t.segmentSharpnessAt(e, 2 * c + 1, level + 1));
    }
    for (int c = 1; c < m; ++c) {
        const auto point = t.innerPointNeighbourhoodAt(e, c, level);
        if (point.rule() == VertexRule::Smooth && point.ruleAfterStep() == VertexRule::Smooth) continue;
        const T smooth = even[c];
        even[c] = creasedVertexPoint(
            p[c], point, [&](int k) { return p[k == 0 ? c - 1 : c + 1]; }, [&] { return smooth; });
    }
}

// The edge rule over gathered rows, at a level of m cells: p holds the
// edge's m+1 values from its vertex(0), a and b the rows one step into its
// face(0) and face(1) (read along the edge likewise; b unused on the
// boundary). The 2m-1 values strictly inside the edge at the next level go
// to `to`. `scratch` holds 2(m+1) values.
template <class T>
void refineEdgeRows(const MrTopology& t, int e, int m, const T* p, const T* a, const T* b, T* to, T* scratch) {
    using namespace gridrules;
    constexpr int k1 = floatsOf<T>();
    T *odd = scratch, *even = scratch + (m + 1);
    // New value 2c+1 lies between old values c and c+1 (c = 0 .. m-1); new
    // value 2c at old value c (c = 1 .. m-1). The new ends are the vertices'.
    const float *__restrict pp = floats(p), *__restrict pa = floats(a), *__restrict pb = floats(b);
    float *__restrict po = floats(odd), *__restrict pe = floats(even);
    const int level = levelOfCells(m);
    const float sharpness = t.edgeRuleSharpnessAt(e, level);
    const bool segmented = t.segmented(e);
    if (!segmented && sharpThroughStep(sharpness)) {
        // Along the boundary and a sharp edge only the edge's own values count.
        for (int k = 0; k < k1 * m; ++k) po[k] = curveMidpoint(pp[k], pp[k + k1]);
        for (int k = k1; k < k1 * m; ++k) pe[k] = curveVertexPoint(pp[k], pp[k - k1] + pp[k + k1]);
    } else {
        for (int k = 0; k < k1 * m; ++k)
            po[k] = gridEdgePoint(pp[k] + pp[k + k1], pa[k] + pa[k + k1] + pb[k] + pb[k + k1]);
        for (int k = k1; k < k1 * m; ++k)
            pe[k] = regularVertexPoint(pp[k], pa[k - k1] + pa[k + k1] + pb[k - k1] + pb[k + k1],
                                       pa[k] + pb[k] + pp[k - k1] + pp[k + k1]);
        // A semi-sharp edge in its last sharp step: the sharp rules weigh its
        // sharpness, the smooth ones the rest. Its inner points are crease
        // vertices whose two sharp edges both turn smooth.
        if (segmented)
            segmentedEdgeRules(t, e, level, p, odd, even);
        else if (isSharp(sharpness))
            for (int c = 0; c < m; ++c) {
                odd[c] = creasedEdgePoint(curveMidpoint(p[c], p[c + 1]), odd[c], sharpness);
                if (c > 0) even[c] = blendRules(curveVertexPoint(p[c], p[c - 1] + p[c + 1]), even[c], sharpness);
            }
    }
    // to[k - 1] is new value k: odd values at even places, even ones between.
    interleave(odd, even + 1, m, to);
}

// The edge rule of the first step, from level 0, where every value read is a
// corner's: corner(i, c) is the value at corner c of the edge's face(i). The
// one new value inside edge e.
template <class T, class Corner>
T levelZeroEdgeRule(const MrTopology& t, int e, Corner corner) {
    const MrEdgeTopology& edge = t.edges[e];
    const int k0 = t.frameSide(e, 0);
    const bool forward0 = t.faces[edge.faces[0]].vertices[k0] == edge.vertices[0];
    const T p0 = corner(0, forward0 ? k0 : (k0 + 1) % 4), p1 = corner(0, forward0 ? (k0 + 1) % 4 : k0);
    const float sharpness = t.edgeRuleSharpnessAt(e, 0);
    const bool segmented = t.segmented(e);
    if (!segmented && sharpThroughStep(sharpness)) return curveMidpoint(p0, p1);
    // Row c = 0, 1 one step into face(i): the corners across from the edge's
    // vertex(0) and vertex(1). The edge is side k of the face, from corner k
    // to corner k+1 or the other way.
    T row[2][2];
    for (int i = 0; i < 2; ++i) {
        const int k = t.frameSide(e, i);
        const bool forward = t.faces[edge.faces[i]].vertices[k] == edge.vertices[0];
        row[i][0] = corner(i, (k + (forward ? 3 : 2)) % 4);
        row[i][1] = corner(i, (k + (forward ? 2 : 3)) % 4);
    }
    const T smooth = gridEdgePoint(p0 + p1, row[0][0] + row[0][1] + row[1][0] + row[1][1]);
    if (segmented)
        return creasedEdgePoint(curveMidpoint(p0, p1), smooth, sharpness, t.segmentSharpnessAt(e, 0, 1),
                                t.segmentSharpnessAt(e, 1, 1));
    if (isSharp(sharpness)) return creasedEdgePoint(curveMidpoint(p0, p1), smooth, sharpness);
    return smooth;
}

// The vertex rule of vertex v at `level`, its value p: along(k) gives the
// value one step along ring edge k, diagonal(k) the one diagonally next to
// it in ring face k. The vertex has a ring (edgeVal(v) > 0).
template <class T, class Along, class Diagonal>
T smoothVertexRule(const MrTopology& t, int v, const T& p, Along along, Diagonal diagonal) {
    const int edgeCount = t.edgeVal(v), faceCount = t.faceVal(v);
    if (edgeCount != faceCount) return curveVertexPoint(p, along(0) + along(edgeCount - 1));
    if (faceCount == 4) {
        const T diagonals = diagonal(0) + diagonal(1) + diagonal(2) + diagonal(3);
        const T neighbours = along(0) + along(1) + along(2) + along(3);
        return regularVertexPoint(p, diagonals, neighbours);
    }
    T neighbours, diagonals;
    for (int k = 0; k < edgeCount; ++k) neighbours += along(k);
    for (int k = 0; k < faceCount; ++k) diagonals += diagonal(k);
    return vertexPointOverGrid(p, neighbours, diagonals, faceCount);
}

template <class T, class Along, class Diagonal>
T vertexRule(const MrTopology& t, int v, int level, const T& p, Along along, Diagonal diagonal) {
    if (!t.creased() || !t.vertexCreased[v]) return smoothVertexRule(t, v, p, along, diagonal);
    // The vertex or an edge of its ring is sharp: the rules of rules/creases.h.
    return creasedVertexPoint(p, t.vertexNeighbourhoodAt(v, level), along,
                              [&] { return smoothVertexRule(t, v, p, along, diagonal); });
}

}  // namespace facetry
