#include "mr/refinement.h"

#include <algorithm>
#include <vector>

#include "mr/parallel.h"

#include "rules/catmullclark.h"
#include "rules/creases.h"

namespace facetry {

namespace {

// The point one step along ring edge `slot` from vertex v.
Vector alongEdge(const MrTopology& t, int slot, const LevelPoints& p) {
    const int e = t.ringEdges[slot];
    const bool fromEnd = t.ringFromEnd(slot);  // v is the edge's vertex(1)
    if (p.cells == 1) return p.vertex(t.edges[e].vertices[fromEnd ? 0 : 1]);
    return p.edgeInner(e)[fromEnd ? p.cells - 2 : 0];
}

// The grid point diagonally next to vertex v's corner of ring face `slot`.
Vector diagonalIn(const MrTopology& t, int slot, const LevelPoints& p) {
    const int f = t.ringFaces[slot], corner = t.ringCorner(slot), m = p.cells;
    if (m == 1) return p.vertex(t.faces[f].vertices[(corner + 2) % 4]);
    // (1, 1), (m-1, 1), (m-1, m-1), (1, m-1) as inner offsets
    const int far = m - 2, row = m - 1;
    const int offset[4] = {0, far * row, far * row + far, far};
    return p.faceInner(f)[offset[corner]];
}

// The row rules below work on rows of points as flat streams of floats:
// point k of a row is floats 3k to 3k+2, and every sum is taken coordinate
// by coordinate in the order the rule states. The compiler turns these loops
// into vector instructions; each lane still does the same single-precision
// operations in the same order, so the bits do not change.
static_assert(sizeof(Vector) == 3 * sizeof(float), "a row of points is a row of floats");
inline const float* floats(const Vector* p) { return reinterpret_cast<const float*>(p); }
inline float* floats(Vector* p) { return reinterpret_cast<float*>(p); }
constexpr int kPoint = 3;  // floats per point

// out = rule(a, b, c, d) point by point, `count` points, where the rule
// averages four points (a face point or an edge point).
template <class Rule>
void ruleOfFour(const Vector* a, const Vector* b, const Vector* c, const Vector* d, int count, Vector* out, Rule rule) {
    const float *__restrict pa = floats(a), *__restrict pb = floats(b), *__restrict pc = floats(c),
                *__restrict pd = floats(d);
    float* __restrict po = floats(out);
    for (int k = 0; k < kPoint * count; ++k) po[k] = rule(pa[k], pb[k], pc[k], pd[k]);
}
const auto facePointOfFour = [](float a, float b, float c, float d) { return quadFacePoint(a, b, c, d); };
const auto edgePointOfFour = [](float a, float b, float c, float d) { return smoothEdgePoint(a, b, c, d); };

// The vertex points inside a face grid, for the `count` points that start at
// `mid` in a grid row, `up` and `down` being the same places one row before
// and after.
void gridVertexPoints(const Vector* up, const Vector* mid, const Vector* down, int count, Vector* out) {
    const float *__restrict u = floats(up), *__restrict c = floats(mid), *__restrict d = floats(down);
    float* __restrict o = floats(out);
    for (int k = 0; k < kPoint * count; ++k)
        o[k] = regularVertexPoint(c[k], u[k - kPoint] + u[k + kPoint] + d[k - kPoint] + d[k + kPoint],
                                  u[k] + c[k - kPoint] + c[k + kPoint] + d[k]);
}

// A row of 2m-1 points: the m points of `even` at positions 0, 2, ..., and
// the m-1 points of `odd` between them.
void interleave(const Vector* even, const Vector* odd, int m, Vector* out) {
    for (int j = 0; j + 1 < m; ++j) {
        out[2 * j] = even[j];
        out[2 * j + 1] = odd[j];
    }
    out[2 * m - 2] = even[m - 1];
}

}  // namespace

void faceRow(const MrTopology& t, int e, int i, const LevelPoints& p, Vector* row) {
    const int f = t.edges[e].faces[i], m = p.cells;
    const bool fromStart = t.frameFromStart(e, i);
    // Grid point of local (c, 1) is (i0 + c di, j0 + c dj).
    int i0, j0, di, dj;
    switch (t.frameSide(e, i)) {
    case 0: i0 = fromStart ? 0 : m, j0 = 1, di = fromStart ? 1 : -1, dj = 0; break;
    case 1: i0 = m - 1, j0 = fromStart ? 0 : m, di = 0, dj = fromStart ? 1 : -1; break;
    case 2: i0 = fromStart ? 0 : m, j0 = m - 1, di = fromStart ? 1 : -1, dj = 0; break;
    default: i0 = 1, j0 = fromStart ? 0 : m, di = 0, dj = fromStart ? 1 : -1; break;
    }
    row[0] = gridPointAt(t, f, i0, j0, p);
    row[m] = gridPointAt(t, f, i0 + m * di, j0 + m * dj, p);
    if (m < 2) return;
    // the rest lies strictly inside the grid
    const int inner = m - 1, base = (i0 - 1) * inner + (j0 - 1), step = di * inner + dj;
    const Vector* points = p.faceInner(f);
    for (int c = 1; c < m; ++c) row[c] = points[base + c * step];
}


Vector edgePointAt(const MrTopology& t, int e, int k, const LevelPoints& p) {
    if (k == 0) return p.vertex(t.edges[e].vertices[0]);
    if (k == p.cells) return p.vertex(t.edges[e].vertices[1]);
    return p.edgeInner(e)[k - 1];
}

Vector gridPointAt(const MrTopology& t, int f, int i, int j, const LevelPoints& p) {
    const int m = p.cells;
    const bool iEdge = i == 0 || i == m, jEdge = j == 0 || j == m;
    if (iEdge && jEdge) {
        const int corner = i == 0 ? (j == 0 ? 0 : 3) : (j == 0 ? 1 : 2);
        return p.vertex(t.faces[f].vertices[corner]);
    }
    if (iEdge || jEdge) {
        // side 0 is row j = 0, side 1 column i = m, side 2 row j = m, side 3 column i = 0
        const int side = j == 0 ? 0 : i == m ? 1 : j == m ? 2 : 3;
        const int k = side % 2 == 0 ? i : j;
        const int steps = t.sideFromStart(f, side) ? k : m - k;
        return p.edgeInner(t.faces[f].edges[side])[steps - 1];
    }
    return p.faceInner(f)[(i - 1) * (m - 1) + (j - 1)];
}

void gatherGrid(const MrTopology& t, int f, const LevelPoints& p, Vector* grid) {
    const int m = p.cells, n = m + 1;
    const int* corners = t.faces[f].vertices;
    grid[0] = p.vertex(corners[0]);
    grid[m * n] = p.vertex(corners[1]);
    grid[m * n + m] = p.vertex(corners[2]);
    grid[m] = p.vertex(corners[3]);
    // Side s starts at `start` in the grid and advances by `step` per point.
    const int start[4] = {0, m * n, m, 0}, step[4] = {n, 1, n, 1};
    for (int s = 0; s < 4; ++s) {
        const Vector* inner = p.edgeInner(t.faces[f].edges[s]);
        if (t.sideFromStart(f, s))
            for (int k = 1; k < m; ++k) grid[start[s] + k * step[s]] = inner[k - 1];
        else
            for (int k = 1; k < m; ++k) grid[start[s] + k * step[s]] = inner[m - k - 1];
    }
    const Vector* inner = p.faceInner(f);
    for (int i = 1; i < m; ++i) std::copy(inner + (i - 1) * (m - 1), inner + i * (m - 1), grid + i * n + 1);
}

namespace {

// The level whose grids have `cells` cells along a side.
int levelOf(int cells) { return __builtin_ctz(static_cast<unsigned>(cells)); }

// The vertex rule without creases: the boundary curve on the boundary, the
// smooth rule inside.
Vector smoothRefinedVertex(const MrTopology& t, int v, const LevelPoints& from) {
    const Vector p = from.vertex(v);
    const int first = t.ringStart[v], edgeCount = t.edgeVal(v), faceCount = t.faceVal(v);
    if (edgeCount != faceCount) {
        const Vector e0 = alongEdge(t, first, from), eLast = alongEdge(t, first + edgeCount - 1, from);
        return curveVertexPoint(p, e0 + eLast);
    }
    if (faceCount == 4) {
        const Vector diagonals = diagonalIn(t, first, from) + diagonalIn(t, first + 1, from) +
                                 diagonalIn(t, first + 2, from) + diagonalIn(t, first + 3, from);
        const Vector neighbours = alongEdge(t, first, from) + alongEdge(t, first + 1, from) +
                                  alongEdge(t, first + 2, from) + alongEdge(t, first + 3, from);
        return regularVertexPoint(p, diagonals, neighbours);
    }
    Vector neighbours, diagonals;
    for (int k = 0; k < edgeCount; ++k) neighbours += alongEdge(t, first + k, from);
    for (int k = 0; k < faceCount; ++k) diagonals += diagonalIn(t, first + k, from);
    return vertexPointOverGrid(p, neighbours, diagonals, faceCount);
}

}  // namespace

Vector refinedVertex(const MrTopology& t, int v, const LevelPoints& from) {
    const int edgeCount = t.edgeVal(v);
    if (edgeCount == 0) return from.vertex(v);  // a control vertex no face uses keeps its place
    if (!t.creased() || !t.vertexCreased[v]) return smoothRefinedVertex(t, v, from);
    // The vertex or an edge of its ring is sharp: the rules of rules/creases.h.
    const int first = t.ringStart[v];
    return creasedVertexPoint(
        from.vertex(v), t.vertexNeighbourhoodAt(v, levelOf(from.cells)),
        [&](int k) { return alongEdge(t, first + k, from); }, [&] { return smoothRefinedVertex(t, v, from); });
}

// The first step, from the level-0 quads: every point read is a vertex
// position, and each rule makes one point, with the arithmetic of the
// general rules.
namespace {

void refineLevelZeroEdge(const MrTopology& t, int e, const LevelPoints& from, Vector* to) {
    const Vector p0 = from.vertex(t.edges[e].vertices[0]), p1 = from.vertex(t.edges[e].vertices[1]);
    const float sharpness = t.edgeRuleSharpnessAt(e, 0);
    const bool segmented = t.segmented(e);
    if (!segmented && sharpThroughStep(sharpness)) {
        to[0] = curveMidpoint(p0, p1);
        return;
    }
    // Row c = 0, 1 one step into face(i): the corners across from the edge's
    // vertex(0) and vertex(1). The edge is side k of the face, from corner k
    // to corner k+1 or the other way.
    Vector row[2][2];
    for (int i = 0; i < 2; ++i) {
        const MrFaceTopology& face = t.faces[t.edges[e].faces[i]];
        const int k = t.frameSide(e, i);
        const bool forward = face.vertices[k] == t.edges[e].vertices[0];
        row[i][0] = from.vertex(face.vertices[(k + (forward ? 3 : 2)) % 4]);
        row[i][1] = from.vertex(face.vertices[(k + (forward ? 2 : 3)) % 4]);
    }
    to[0] = gridEdgePoint(p0 + p1, row[0][0] + row[0][1] + row[1][0] + row[1][1]);
    if (segmented)
        to[0] = creasedEdgePoint(curveMidpoint(p0, p1), to[0], sharpness, t.segmentSharpnessAt(e, 0, 1),
                                 t.segmentSharpnessAt(e, 1, 1));
    else if (isSharp(sharpness))
        to[0] = creasedEdgePoint(curveMidpoint(p0, p1), to[0], sharpness);
}

// The sharp rules on a segmented edge (Chaikin creasing) over the smooth
// points `odd` and `even` (refineEdge's): each segment's edge point by its
// own sharpness and its halves', each inner point's vertex point by the
// segments on its two sides.
void segmentedEdgeRules(const MrTopology& t, int e, int level, const Vector* p, Vector* odd, Vector* even) {
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
        const Vector smooth = even[c];
        even[c] = creasedVertexPoint(
            p[c], point, [&](int k) { return p[k == 0 ? c - 1 : c + 1]; }, [&] { return smooth; });
    }
}

void refineLevelZeroFace(const MrTopology& t, int f, const LevelPoints& from, Vector* to) {
    const int* corners = t.faces[f].vertices;
    // the 2 x 2 grid: (0, 0), (0, 1), (1, 0), (1, 1) are corners 0, 3, 1, 2
    to[0] = quadFacePoint(from.vertex(corners[0]), from.vertex(corners[3]), from.vertex(corners[1]), from.vertex(corners[2]));
}

}  // namespace

void refineEdge(const MrTopology& t, int e, const LevelPoints& from, Vector* to, Vector* scratch) {
    const int m = from.cells, d = m + 1;
    if (m == 1) return refineLevelZeroEdge(t, e, from, to);
    // p: the edge's d points; a and b: the rows into its faces; odd, even: the new points.
    Vector *p = scratch, *a = scratch + d, *b = scratch + 2 * d, *odd = scratch + 3 * d, *even = scratch + 4 * d;
    p[0] = from.vertex(t.edges[e].vertices[0]);
    std::copy(from.edgeInner(e), from.edgeInner(e) + (m - 1), p + 1);
    p[m] = from.vertex(t.edges[e].vertices[1]);
    // New point 2c+1 lies between old points c and c+1 (c = 0 .. m-1); new
    // point 2c at old point c (c = 1 .. m-1). The new ends are the vertices'.
    const float *__restrict pp = floats(p), *__restrict pa = floats(a), *__restrict pb = floats(b);
    float *__restrict po = floats(odd), *__restrict pe = floats(even);
    const int k1 = kPoint;
    const int level = levelOf(m);
    const float sharpness = t.edgeRuleSharpnessAt(e, level);
    const bool segmented = t.segmented(e);
    if (!segmented && sharpThroughStep(sharpness)) {
        // Along the boundary and a sharp edge only the edge's own points count.
        for (int k = 0; k < kPoint * m; ++k) po[k] = curveMidpoint(pp[k], pp[k + k1]);
        for (int k = kPoint; k < kPoint * m; ++k) pe[k] = curveVertexPoint(pp[k], pp[k - k1] + pp[k + k1]);
    } else {
        faceRow(t, e, 0, from, a);
        faceRow(t, e, 1, from, b);
        for (int k = 0; k < kPoint * m; ++k)
            po[k] = gridEdgePoint(pp[k] + pp[k + k1], pa[k] + pa[k + k1] + pb[k] + pb[k + k1]);
        for (int k = kPoint; k < kPoint * m; ++k)
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
    // to[k - 1] is new point k: odd points at even places, even ones between.
    interleave(odd, even + 1, m, to);
}

void refineFace(const MrTopology& t, int f, const LevelPoints& from, Vector* to, Vector* scratch) {
    const int m = from.cells, n = m + 1, w = 2 * m - 1;
    if (m == 1) return refineLevelZeroFace(t, f, from, to);
    // g: the old grid; centres: the face points of its m x m cells; between,
    // inside: the points of one new row that lie between old points and at them.
    Vector* g = scratch;
    Vector* centres = g + n * n;
    Vector* between = centres + m * m;
    Vector* inside = between + m;
    gatherGrid(t, f, from, g);
    auto G = [g, n](int i) { return g + i * n; };     // old row i
    auto C = [centres, m](int i) { return centres + i * m; };  // face points of the cells of row i
    // New point (I, J), 0 < I, J < 2m, goes to to[(I-1) w + J-1]. Odd rows
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

void refineStep(const MrTopology& t, const LevelPoints& from, const LevelPoints& to, const StepElements& elements,
                int threads) {
    const std::size_t m = from.cells;
    const bool every = elements.every;
    auto at = [every](const int* list, std::size_t n) { return every ? static_cast<int>(n) : list[n]; };
    const std::size_t vertices = every ? t.numV : elements.vertexCount;
    const std::size_t edges = every ? t.numE : elements.edgeCount;
    const std::size_t faces = every ? t.numF : elements.faceCount;
    parallelFor(vertices, threads, grainFor(8), [&](std::size_t begin, std::size_t end) {
        for (std::size_t n = begin; n < end; ++n) {
            const int v = at(elements.vertices, n);
            to.vertex(v) = refinedVertex(t, v, from);
        }
    });
    parallelFor(edges, threads, grainFor(2 * m), [&](std::size_t begin, std::size_t end) {
        std::vector<Vector> scratch(ruleScratchSize(from.cells));
        for (std::size_t n = begin; n < end; ++n) {
            const int e = at(elements.edges, n);
            refineEdge(t, e, from, to.edgeInner(e), scratch.data());
        }
    });
    parallelFor(faces, threads, grainFor(4 * m * m), [&](std::size_t begin, std::size_t end) {
        std::vector<Vector> scratch(ruleScratchSize(from.cells));
        for (std::size_t n = begin; n < end; ++n) {
            const int f = at(elements.faces, n);
            refineFace(t, f, from, to.faceInner(f), scratch.data());
        }
    });
}

}  // namespace facetry
