#include "mr/refinement.h"

#include <algorithm>
#include <vector>

#include "mr/gridrules.h"
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

}  // namespace

void faceRow(const MrTopology& t, int e, int i, const LevelPoints& p, Vector* row) {
    const int f = t.edges[e].faces[i], m = p.cells;
    const auto [i0, j0, di, dj] = t.rowFrame(e, i, m);
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

Vector refinedVertex(const MrTopology& t, int v, const LevelPoints& from) {
    if (t.edgeVal(v) == 0) return from.vertex(v);  // a control vertex no face uses keeps its place
    const int first = t.ringStart[v];
    return vertexRule(
        t, v, levelOfCells(from.cells), from.vertex(v), [&](int k) { return alongEdge(t, first + k, from); },
        [&](int k) { return diagonalIn(t, first + k, from); });
}

// The first step, from the level-0 quads: every point read is a vertex
// position, and each rule makes one point, with the arithmetic of the
// general rules.
namespace {

void refineLevelZeroEdge(const MrTopology& t, int e, const LevelPoints& from, Vector* to) {
    to[0] = levelZeroEdgeRule<Vector>(
        t, e, [&](int i, int c) { return from.vertex(t.faces[t.edges[e].faces[i]].vertices[c]); });
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
    // p: the edge's d points; a and b: the rows into its faces.
    Vector *p = scratch, *a = scratch + d, *b = scratch + 2 * d;
    p[0] = from.vertex(t.edges[e].vertices[0]);
    std::copy(from.edgeInner(e), from.edgeInner(e) + (m - 1), p + 1);
    p[m] = from.vertex(t.edges[e].vertices[1]);
    if (t.segmented(e) || !sharpThroughStep(t.edgeRuleSharpnessAt(e, levelOfCells(m)))) {
        faceRow(t, e, 0, from, a);
        faceRow(t, e, 1, from, b);
    }
    refineEdgeRows(t, e, m, p, a, b, to, scratch + 3 * d);
}

void refineFace(const MrTopology& t, int f, const LevelPoints& from, Vector* to, Vector* scratch) {
    const int m = from.cells, n = m + 1;
    if (m == 1) return refineLevelZeroFace(t, f, from, to);
    gatherGrid(t, f, from, scratch);
    refineGrid(scratch, m, to, scratch + n * n);
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
