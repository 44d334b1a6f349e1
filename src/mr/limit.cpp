#include "mr/limit.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "mr/mrmesh.h"
#include "mr/parallel.h"
#include "mr/refinement.h"
#include "mr/surfaceexport.h"
#include "rules/limitmasks.h"

namespace facetry {

// Every point is evaluated from its ring read in one fixed order: edge k's
// far end e[k] and face k's corner across from the point d[k], face k lying
// between edges k and k+1, counterclockwise as the faces wind, so that
// t1 x t2 points to the side the faces turn towards. The tangent masks are
// not symmetric under a turn of the ring at creases and corners; there the
// ring starts where a refinement that builds each vertex's ring from its
// lowest-numbered face starts it:
// - a boundary point at its leading boundary edge (the one its first face
//   starts along), so that the crease sector is the whole fan;
// - a vertex of level 0 at the edge its lowest-numbered face leaves it by; on
//   the path that refines a non-quad control mesh first, level 0's points of
//   control edges start inside the control edge's first face, at the half the
//   face runs towards;
// - a point inside an edge at the half that the edge's face(0) runs towards,
//   so that on a sharp edge the crease sector is face(0)'s side.
// A crease's sector runs from the first sharp edge counterclockwise to the
// last one; a corner's tangents are its first two edges.

namespace {

// t1 x t2 normalised; zero when the tangents are parallel (or not finite).
inline Vector unitCross(const Vector& t1, const Vector& t2) {
    const Vector c = cross(t1, t2);
    const float length = std::sqrt(c.lengthSquared());
    if (!(length > 0) || !std::isfinite(length)) return Vector();
    return Vector(c.x / length, c.y / length, c.z / length);
}

// The limit masks applied to a point's ring, with the tangent weights that
// depend on the valence worked out once per call for every valence the
// surface has.
class TangentMasks {
public:
    explicit TangentMasks(int maxValence) : smoothEdge(maxValence + 1), smoothFace(maxValence + 1), crease(maxValence + 1) {
        for (int n = 3; n <= maxValence; ++n) {
            smoothTangentWeights(n, smoothEdge[n], smoothFace[n]);
            crease[n] = creaseTangentWeights(n);
        }
    }

    // Position and normal of a point p with the ring e, d (edges, faces) in
    // the counterclockwise order above, under `rule`; for a crease, c0 and c1
    // are the positions of its first and last sharp edge.
    void evaluate(const Vector& p, int edges, int faces, const Vector* e, const Vector* d, VertexRule rule, int c0, int c1,
                  Vector* position, Vector* normal) const {
        Vector t1, t2;
        switch (limitRule(rule, faces)) {
        case VertexRule::Corner:
            if (position) *position = p;
            t1 = e[0] - p;
            t2 = e[1] - p;
            break;
        case VertexRule::Crease:
            if (position) *position = creaseLimitPoint(p, e[c0] + e[c1]);
            if (!normal) return;
            t1 = creaseTangentAlong(e[c0], e[c1]);
            t2 = acrossCrease(p, e, d, c0, c1);
            break;
        case VertexRule::Smooth:
            if (edges == 4) {
                if (position) *position = regularLimitPoint(p, e[0] + e[1] + e[2] + e[3], d[0] + d[1] + d[2] + d[3]);
                if (!normal) return;
                t1 = regularTangent(e[0] - e[2], d[0] - d[2], d[3] - d[1]);
                t2 = regularTangent(e[1] - e[3], d[0] - d[2], d[1] - d[3]);
            } else {
                if (position) *position = smoothPosition(p, edges, faces, e, d);
                if (!normal) return;
                smoothTangents(p, faces, e, d, t1, t2);
            }
            break;
        }
        if (normal) *normal = unitCross(t1, t2);
    }

private:
    // The crease's tangent across the sector of faces from c0 to c1, each
    // point taken relative to p.
    Vector acrossCrease(const Vector& p, const Vector* e, const Vector* d, int c0, int c1) const {
        const int k = c1 - c0;  // the faces of the sector
        if (k < 2) return creaseTangentAcrossOneFace(e[c0] - p, e[c1] - p);
        if (k == 2) return creaseTangentAcrossTwoFaces(d[c0] - p, d[c0 + 1] - p, e[c0 + 1] - p, e[c0] - p, e[c1] - p);
        const CreaseTangentWeights& c = crease[k];
        Vector t2;
        for (int i = 0; i < k; ++i) t2 += (d[c0 + i] - p) * c.face[i];
        for (int i = 1; i < k; ++i) t2 += (e[c0 + i] - p) * c.edge[i];
        return t2 + ((e[c0] - p) + (e[c1] - p)) * c.ends;
    }

    static Vector smoothPosition(const Vector& p, int edges, int faces, const Vector* e, const Vector* d) {
        Vector de, dd;
        for (int i = 0; i < faces; ++i) dd += d[i];
        for (int i = 0; i < edges; ++i) de += e[i];
        return smoothLimitPoint(p, de, dd, faces);
    }

    // t1 and t2 of a smooth point of n faces, each point taken relative to p.
    void smoothTangents(const Vector& p, int faces, const Vector* e, const Vector* d, Vector& t1, Vector& t2) const {
        const std::vector<float>& we = smoothEdge[faces];
        const std::vector<float>& wf = smoothFace[faces];
        for (int i = 0; i < faces; ++i) {
            const int prev = i == 0 ? faces - 1 : i - 1;
            const Vector di = d[i] - p, ei = e[i] - p;
            t1 += di * wf[i] + ei * we[i];
            t2 += di * wf[prev] + ei * we[prev];
        }
    }

    std::vector<std::vector<float>> smoothEdge;  // per valence: t1's edge weights
    std::vector<std::vector<float>> smoothFace;  // per valence: t1's face weights
    std::vector<CreaseTangentWeights> crease;    // per number of faces in the sector: t2
};

// One vertex's ring at the level in `points`, read into the mask order.
class VertexRings {
public:
    VertexRings(const MrMesh& surface, const LevelPoints& points_, int level_, int maxValence)
        : t(surface.topology()), points(points_), level(level_), numbering(surface.levelZeroNumbering()),
          e(maxValence), d(maxValence), sharp(maxValence) {}

    void limit(int v, const TangentMasks& masks, Vector* position, Vector* normal) {
        const Vector p = points.vertex(v);
        const int first = t.ringStart[v], n = t.edgeVal(v), nf = t.faceVal(v);
        if (n == 0) {  // no face uses it
            if (position) *position = p;
            if (normal) *normal = Vector();
            return;
        }
        const VertexRule rule = t.vertexNeighbourhoodAt(v, level).rule();
        // Whether our ring runs as the faces wind: its first face leaves v by its first edge.
        const int f0 = t.ringFaces[first];
        const bool forward = t.faces[f0].edges[t.ringCorner(first)] == t.ringEdges[first];
        // A smooth interior point's normal does not depend on where its ring starts
        // (unless it has two faces only, which take the corner's tangents).
        const int start = rule == VertexRule::Smooth && nf == n && n != 2 ? 0 : startOf(v, first, n, nf, forward);
        const int m = points.cells;
        for (int k = 0; k < n; ++k) {
            const int slot = first + (forward ? (start + k) % n : (start - k + n) % n);
            const int edge = t.ringEdges[slot];
            e[k] = edgePointAt(t, edge, t.ringFromEnd(slot) ? m - 1 : 1, points);
            sharp[k] = isSharp(t.ringEdgeRuleSharpnessAt(slot, level));
        }
        for (int k = 0; k < nf; ++k) {
            const int slot = first + (forward ? (start + k) % n : (start - k - 1 + 2 * n) % n);
            const int corner = t.ringCorner(slot);
            const int i = corner == 0 || corner == 3 ? 1 : m - 1, j = corner < 2 ? 1 : m - 1;
            d[k] = gridPointAt(t, t.ringFaces[slot], i, j, points);
        }
        int c0 = 0, c1 = 0;
        if (rule == VertexRule::Crease) creaseEnds(n, [this](int k) { return sharp[k] != 0; }, c0, c1);
        masks.evaluate(p, n, nf, e.data(), d.data(), rule, c0, c1, position, normal);
    }

private:
    // The entry of our ring (counted from its first) that the mask order
    // starts at.
    int startOf(int v, int first, int n, int nf, bool forward) const {
        if (nf < n) return forward ? 0 : n - 1;  // the leading boundary edge
        const int control = numbering.controlEdgeAt(v);
        if (control >= 0) {
            // Inside the control edge's first face, at the half it runs towards:
            // the ring face of that control face which follows a half.
            const int half0 = numbering.edgeHalf(control, 0), half1 = numbering.edgeHalf(control, 1);
            const int a = t.edges[half0].faces[0], b = t.edges[half1].faces[0];
            for (int k = 0; k < n; ++k) {
                const int face = t.ringFaces[first + k];
                if (face != a && face != b) continue;
                // the edge before this face, as the faces wind
                const int before = forward ? k : (k + 1) % n;
                const int edge = t.ringEdges[first + before];
                if (edge == half0 || edge == half1) return before;
            }
        }
        int lowest = 0;
        for (int k = 1; k < n; ++k)
            if (t.ringFaces[first + k] < t.ringFaces[first + lowest]) lowest = k;
        return forward ? lowest : (lowest + 1) % n;
    }

    const MrTopology& t;
    const LevelPoints& points;
    int level;
    const LevelZeroNumbering& numbering;
    std::vector<Vector> e, d;
    std::vector<unsigned char> sharp;
};

// The points inside edge e at the level in `points`, from `rows`: scratch of
// 3 (m+1) points.
void limitEdge(const MrTopology& t, int e, const LevelPoints& points, int level, const TangentMasks& masks,
               Vector* rows, Vector* positions, Vector* normals) {
    const int m = points.cells;
    const bool boundary = t.edgeOnBoundary(e);
    Vector* along = rows;               // the edge's points, c = 0 .. m
    Vector* in0 = rows + (m + 1);       // one step into face(0)
    Vector* in1 = rows + 2 * (m + 1);   // one step into face(1)
    along[0] = points.vertex(t.edges[e].vertices[0]);
    std::copy(points.edgeInner(e), points.edgeInner(e) + (m - 1), along + 1);
    along[m] = points.vertex(t.edges[e].vertices[1]);
    faceRow(t, e, 0, points, in0);
    if (!boundary) faceRow(t, e, 1, points, in1);
    // Face(0) winds from a to b: the ring is b, into face(0), a, into face(1).
    const MrFaceTopology& face0 = t.faces[t.edges[e].faces[0]];
    const bool towardsEnd = face0.vertices[t.frameSide(e, 0)] == t.edges[e].vertices[0];
    const int toB = towardsEnd ? 1 : -1;
    // A point inside the edge has the edge's segments for its sharp edges,
    // when the edge is sharp: both at once, or (on a segmented edge) each by
    // its own sharpness.
    const VertexRule edgeRule = vertexRuleOf(0.0f, isSharp(t.edgeRuleSharpnessAt(e, level)) ? 2 : 0);
    const bool segmented = t.segmented(e);
    const int edgeCount = boundary ? 3 : 4, faceCount = boundary ? 2 : 4;
    for (int k = 1; k < m; ++k) {
        const VertexRule rule = segmented ? t.innerPointNeighbourhoodAt(e, k, level).rule() : edgeRule;
        const int b = k + toB, a = k - toB;
        const Vector ring[4] = {along[b], in0[k], along[a], boundary ? Vector() : in1[k]};
        const Vector diagonals[4] = {in0[b], in0[a], boundary ? Vector() : in1[a], boundary ? Vector() : in1[b]};
        masks.evaluate(along[k], edgeCount, faceCount, ring, diagonals, rule, 0, 2,
                       positions ? positions + (k - 1) : nullptr, normals ? normals + (k - 1) : nullptr);
    }
}

// The points inside face f's grid, every one regular and smooth, from the
// whole grid gathered into `grid` ((m+1)^2 points), row by row as streams of
// floats, which the compiler turns into vector instructions: t1 and t2 first,
// then their normalised cross product point by point. `rows` is scratch of
// 2 (m+1) points.
static_assert(sizeof(Vector) == 3 * sizeof(float), "a row of points is a row of floats");

void limitFace(const MrTopology& t, int f, const LevelPoints& points, Vector* grid, Vector* rows, Vector* positions,
               Vector* normals) {
    const int m = points.cells, n = m + 1, inner = m - 1, count = 3 * inner;
    gatherGrid(t, f, points, grid);
    for (int i = 1; i < m; ++i) {
        // Row i at j = 1 and the rows before and after it: point (i, j) has
        // edge ends (i+1, j), (i, j+1), (i-1, j), (i, j-1) and the diagonals
        // between them, counterclockwise as the face winds.
        const float* __restrict u = reinterpret_cast<const float*>(grid + (i - 1) * n + 1);
        const float* __restrict c = reinterpret_cast<const float*>(grid + i * n + 1);
        const float* __restrict d = reinterpret_cast<const float*>(grid + (i + 1) * n + 1);
        const std::size_t out = static_cast<std::size_t>(i - 1) * inner;
        if (positions) {
            float* __restrict p = reinterpret_cast<float*>(positions + out);
            for (int k = 0; k < count; ++k)
                p[k] = regularLimitPoint(c[k], d[k] + c[k + 3] + u[k] + c[k - 3], u[k - 3] + u[k + 3] + d[k - 3] + d[k + 3]);
        }
        if (!normals) continue;
        float* __restrict t1 = reinterpret_cast<float*>(rows);
        float* __restrict t2 = reinterpret_cast<float*>(rows + n);
        for (int k = 0; k < count; ++k) {
            t1[k] = regularTangent(d[k] - u[k], d[k + 3] - u[k + 3], d[k - 3] - u[k - 3]);
            t2[k] = regularTangent(c[k + 3] - c[k - 3], d[k + 3] - u[k - 3], u[k + 3] - d[k - 3]);
        }
        Vector* normal = normals + out;
        for (int j = 0; j < inner; ++j) normal[j] = unitCross(rows[j], rows[n + j]);
    }
}

}  // namespace

void limitPointsAndNormals(const MrMesh& surface, std::vector<Vector>* positions, std::vector<Vector>* normals) {
    const std::size_t total = static_cast<std::size_t>(WeldedSurface(surface).storedPointCount());
    if (positions) positions->resize(total);
    if (normals) normals->resize(total);
    limitPointsAndNormals(surface, positions ? positions->data() : nullptr, normals ? normals->data() : nullptr);
}

void limitPointsAndNormals(const MrMesh& surface, Vector* outP, Vector* outN) {
    const MrTopology& t = surface.topology();
    const int level = surface.curRes();
    const LevelPoints points = surface.points(level);
    const std::size_t m = static_cast<std::size_t>(points.cells);
    const std::size_t edgeBase = static_cast<std::size_t>(t.numV);
    const std::size_t faceBase = edgeBase + static_cast<std::size_t>(t.numE) * (m - 1);
    if (!outP && !outN) return;
    auto at = [](Vector* base, std::size_t index) { return base ? base + index : nullptr; };

    int maxValence = 4;
    for (int v = 0; v < t.numV; ++v) maxValence = std::max(maxValence, t.edgeVal(v));
    const TangentMasks masks(maxValence);
    const int threads = surface.threads();

    parallelFor(t.numV, threads, grainFor(16), [&](std::size_t begin, std::size_t end) {
        VertexRings rings(surface, points, level, maxValence);
        for (std::size_t v = begin; v < end; ++v) rings.limit(static_cast<int>(v), masks, at(outP, v), at(outN, v));
    });
    if (m < 2) return;
    parallelFor(t.numE, threads, grainFor(16 * m), [&](std::size_t begin, std::size_t end) {
        std::vector<Vector> rows(3 * (m + 1));
        for (std::size_t e = begin; e < end; ++e) {
            const std::size_t base = edgeBase + e * (m - 1);
            limitEdge(t, static_cast<int>(e), points, level, masks, rows.data(), at(outP, base), at(outN, base));
        }
    });
    parallelFor(t.numF, threads, grainFor(12 * m * m), [&](std::size_t begin, std::size_t end) {
        std::vector<Vector> grid((m + 1) * (m + 1)), rows(2 * (m + 1));
        for (std::size_t f = begin; f < end; ++f) {
            const std::size_t base = faceBase + f * (m - 1) * (m - 1);
            limitFace(t, static_cast<int>(f), points, grid.data(), rows.data(), at(outP, base), at(outN, base));
        }
    });
}

}  // namespace facetry

namespace facetry {

// Under the rule "all" the texture coordinates are linear: their limit is
// their value.
void limitTextureCoordinateAt(const MrMesh& surface, int f, int i, int j, float uv[2]) {
    const FaceVaryingLayout* layout = surface.faceVaryingLayout();
    if (!layout) return surface.textureCoordinateAt(f, i, j, uv);
    const TexCoord limit = layout->limitAt(surface.curRes(), f, i, j);
    uv[0] = limit.u;
    uv[1] = limit.v;
}

}  // namespace facetry
