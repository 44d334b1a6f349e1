#include "mr/facevarying.h"

#include <algorithm>

#include "mesh/pointrules.h"
#include "mr/facevaryingcontrol.h"
#include "mr/gridrules.h"
#include "mr/parallel.h"
#include "rules/limitmasks.h"

namespace facetry {

struct FaceVaryingLayout::Level {
    int cells = 1;                  // m = 2^level
    Block<TexCoord> vertices;       // numV: each vertex's first value
    Block<TexCoord> extras;         // the other values of vertices with more than one
    Block<TexCoord> edges;          // m-1 per edge, on its face(0) side, from its vertex(0)
    Block<TexCoord> seams;          // m-1 per seam, on its face(1) side
    Block<TexCoord> faces;          // (m-1)^2 per face, as the points
    std::size_t inner() const { return static_cast<std::size_t>(cells - 1); }
};

namespace {

// The corners of edge e's vertex(0) and vertex(1) in its face(i).
void endCorners(const MrTopology& t, int e, int i, int& c0, int& c1) {
    const int k = t.frameSide(e, i);
    const bool forward = t.faces[t.edges[e].faces[i]].vertices[k] == t.edges[e].vertices[0];
    c0 = forward ? k : (k + 1) % 4;
    c1 = forward ? (k + 1) % 4 : k;
}

// The ring entry of vertex v whose face is f, and whose edge is e (v has them).
int ringFaceSlot(const MrTopology& t, int v, int f) {
    int slot = t.ringStart[v];
    while (t.ringFaces[slot] != f) ++slot;
    return slot;
}
int ringEdgeSlot(const MrTopology& t, int v, int e) {
    int slot = t.ringStart[v];
    while (t.ringEdges[slot] != e) ++slot;
    return slot;
}

// The weight of a semi-sharp value's corner rule in the step where it turns
// into a crease: the mean of the sharpness that falls to zero in the step,
// the vertex's and that of the edges inside its span, at most 1; 0 when none falls.
struct Transition {
    float sum = 0;
    int count = 0;
    void add(float before, float after) {
        if (isSharp(before) && !isSharp(after)) {
            sum += before;
            ++count;
        }
    }
    float weight() const { return count ? std::min(1.0f, sum / static_cast<float>(count)) : 0.0f; }
};

// A crease value's rule, or the blend from corner to crease by `corner`.
TexCoord creaseValue(const TexCoord& p, const TexCoord& end0, const TexCoord& end1, bool transition, float corner) {
    if (!transition) return curveVertexPoint(p, end0 + end1);
    const float crease = 1.0f - corner;
    const float self = crease * kCurveVertexSelf + corner, end = crease * kCurveVertexNeighbour;
    return end0 * end + end1 * end + p * self;
}

}  // namespace

FaceVaryingLayout::FaceVaryingLayout(const Mesh& mesh, const LevelZeroNumbering& numbering, const MrTopology& topology)
    : topo(topology) {
    const FaceVaryingTraits traits = faceVaryingTraits(mesh.options());
    smoothBoundaries = !traits.linearBoundaries;
    dependentSharpness = traits.dependentSharpness;
    buildLevelZero(mesh, numbering);
}

FaceVaryingLayout::~FaceVaryingLayout() = default;

std::unique_ptr<FaceVaryingLayout::Level> FaceVaryingLayout::allocate(int level) const {
    auto l = std::make_unique<Level>();
    l->cells = 1 << level;
    const std::size_t inner = l->inner();
    l->vertices = Block<TexCoord>(topo.numV);
    l->extras = Block<TexCoord>(numExtras);
    l->edges = Block<TexCoord>(topo.numE * inner);
    l->seams = Block<TexCoord>(numSeams * inner);
    l->faces = Block<TexCoord>(topo.numF * inner * inner);
    return l;
}

std::size_t FaceVaryingLayout::bytesAt(int level) const {
    const std::size_t inner = (std::size_t(1) << level) - 1;
    return sizeof(TexCoord) * (topo.numV + numExtras + (topo.numE + numSeams) * inner + topo.numF * inner * inner);
}

void FaceVaryingLayout::buildLevelZero(const Mesh& mesh, const LevelZeroNumbering& numbering) {
    const ControlLayout control = analyseControlLayout(mesh);
    takeValuesAndEdges(mesh, control, numbering);
    takeCornerSiblings(mesh, control, numbering);
    takeKinds(mesh, control, numbering);
    findPlainElements();
    levels.clear();
    levels.push_back(allocate(0));
    Level& l = *levels[0];
    if (numbering.refined()) return controlStep(mesh, control, numbering, l);
    const std::vector<float>& uv = mesh.textureCoordinates();
    for (int v = 0; v < topo.numV; ++v)
        for (int s = 0; s < valueCount(v); ++s) {
            const int index = control.valueCoordinate[control.valueStart[v] + s];
            if (index >= 0) vertexValue(l, v, s) = TexCoord(uv[2 * index], uv[2 * index + 1]);
        }
}

// On the quad path level 0's elements are the control mesh's. On the
// refinement path a control vertex's point has the control vertex's values,
// a control edge's point one per face on a seam, a face point one; the
// halves of a control edge take its flags, the edges inside faces none.
void FaceVaryingLayout::takeValuesAndEdges(const Mesh& mesh, const ControlLayout& control, const LevelZeroNumbering& numbering) {
    const MeshTopology& c = mesh.topology();
    const bool refined = numbering.refined();
    const int numV = topo.numV;
    edgeFlags = Block<unsigned char>(topo.numE);
    mismatched = Block<unsigned char>(numV);
    valueStart = Block<int>(numV + 1);
    for (int v = 0; v < numV; ++v) {
        int count = 1;
        bool parted = false;
        if (!refined) {
            count = control.valueStart[v + 1] - control.valueStart[v];
            parted = control.mismatched[v];
        } else if (const int e = numbering.controlEdgeAt(v); e >= 0) {
            parted = control.edgeFlags[e] != 0;
            count = (control.edgeFlags[e] & kSeamEdge) && c.edgeFaces[2 * e + 1] >= 0 ? 2 : 1;
        } else if (v >= c.numF + c.numE) {
            const int cv = v - c.numF - c.numE;
            count = control.valueStart[cv + 1] - control.valueStart[cv];
            parted = control.mismatched[cv];
        }
        valueStart[v + 1] = valueStart[v] + count;
        mismatched[v] = parted;
    }
    numExtras = valueStart[numV] - numV;
    for (int e = 0; e < topo.numE; ++e) {
        if (!refined)
            edgeFlags[e] = control.edgeFlags[e];
        else if (e < 2 * c.numE)
            edgeFlags[e] = control.edgeFlags[e / 2];
        if (edgeFlags[e] & kSeamEdge) ++numSeams;
    }
    if (numSeams) {
        seamSlots = Block<int>(topo.numE);
        int slot = 0;
        for (int e = 0; e < topo.numE; ++e) seamSlots[e] = seam(e) ? slot++ : -1;
    }
}

// Which value each face's corners see, ring by ring. On the refinement path
// ring entry k of a control vertex's point is that of control ring entry k
// (its half of the edge, the quad of the face's corner there), and a seam's
// point has a value per control face.
void FaceVaryingLayout::takeCornerSiblings(const Mesh& mesh, const ControlLayout& control, const LevelZeroNumbering& numbering) {
    if (!numExtras) return;
    const MeshTopology& c = mesh.topology();
    const bool refined = numbering.refined();
    std::vector<int> cornerFace;  // the control face of each control corner: level 0's quads
    if (refined) {
        cornerFace.resize(c.cornerVertices.size());
        for (int f = 0; f < c.numF; ++f) std::fill(cornerFace.begin() + c.faceStart[f], cornerFace.begin() + c.faceStart[f + 1], f);
    }
    cornerSiblings = Block<int>(4 * static_cast<std::size_t>(topo.numF));
    for (int v = 0; v < topo.numV; ++v) {
        if (valueCount(v) < 2) continue;
        const int e = refined ? numbering.controlEdgeAt(v) : -1, cv = refined ? v - c.numF - c.numE : v;
        for (int slot = topo.ringStart[v]; slot < topo.ringStart[v + 1]; ++slot) {
            const int f = topo.ringFaces[slot];
            if (f < 0) continue;
            int sibling;
            if (!refined)
                sibling = control.ringSiblings[slot];
            else if (e >= 0)
                sibling = c.edgeFaces[2 * e] == cornerFace[f] ? 0 : 1;
            else
                sibling = control.ringSiblings[c.ringStart[cv] + (slot - topo.ringStart[v])];
            cornerSiblings[4 * f + topo.ringCorner(slot)] = sibling;
        }
    }
}

// The kinds and crease ends of the parted vertices' values at level 0: the
// control mesh's on the quad path; on the refinement path the control
// vertices' one level down, and a seam's point a crease (a corner where the
// seams stay linear) along the seam's two halves.
void FaceVaryingLayout::takeKinds(const Mesh& mesh, const ControlLayout& control, const LevelZeroNumbering& numbering) {
    const MeshTopology& c = mesh.topology();
    const bool refined = numbering.refined();
    ends.assign(valueStart[topo.numV], Ends());
    kinds.assign(1, std::vector<unsigned char>(valueStart[topo.numV], kCornerValue));
    std::vector<unsigned char>& kinds0 = kinds[0];
    for (int v = 0; v < topo.numV; ++v) {
        if (!mismatched[v]) continue;
        if (const int e = numbering.controlEdgeAt(v); e >= 0) {
            for (int s = 0; s < valueCount(v); ++s) {
                const unsigned char kind = (control.edgeFlags[e] & kSeamEdge) && smoothBoundaries ? kCreaseValue : kCornerValue;
                kinds0[valueStart[v] + s] = kind;
                if (kind != kCreaseValue) continue;
                const int face = c.edgeFaces[2 * e + s];
                Ends& at = ends[valueStart[v] + s];
                for (int end = 0; end < 2; ++end) {
                    const int cv = c.edgeVertices[2 * e + end];
                    at.face[end] = ringFaceSlot(topo, v, c.faceStart[face] + c.cornerOf(face, cv));
                    at.edge[end] = ringEdgeSlot(topo, v, numbering.edgeHalf(e, end));
                }
            }
            continue;
        }
        const int cv = refined ? v - c.numF - c.numE : v;
        // the same ring entries, on the refinement path of the control vertex's point
        const int shift = refined ? topo.ringStart[v] - c.ringStart[cv] : 0;
        for (int s = 0; s < valueCount(v); ++s) {
            const int value = control.valueStart[cv] + s;
            kinds0[valueStart[v] + s] = control.kinds[value];
            const int* e = control.ends.data() + 4 * static_cast<std::size_t>(value);
            if (e[0] < 0) continue;
            Ends& at = ends[valueStart[v] + s];
            for (int end = 0; end < 2; ++end) {
                at.face[end] = e[2 * end] + shift;
                at.edge[end] = e[2 * end + 1] + shift;
            }
        }
        if (!refined) continue;
        const MeshVertex* vertex = mesh.vertex(cv);
        bool parentSemi = isSemiSharp(vertex->sharpness());
        for (int k = 0; k < vertex->edgeVal() && !parentSemi; ++k) parentSemi = isSemiSharp(vertex->edge(k)->ruleSharpness());
        reclassify(v, parentSemi, 0, kinds0.data() + valueStart[v]);
    }
}

// One step of the control layout into level 0: face points, edge points and
// vertex points, each value by the points' rules where the layout runs on,
// a seam's midpoints side by side, and a parted vertex's values by their
// kinds at level 0 (a value turning from corner to crease in the step blends
// the two rules by the sharpness inside its span that wears off).
void FaceVaryingLayout::controlStep(const Mesh& mesh, const ControlLayout& control, const LevelZeroNumbering& numbering,
                                    Level& l) const {
    const MeshTopology& c = mesh.topology();
    const std::vector<float>& uv = mesh.textureCoordinates();
    auto coordinate = [&uv](int index) { return index < 0 ? TexCoord() : TexCoord(uv[2 * index], uv[2 * index + 1]); };
    auto cornerUV = [&](int f, int cv) { return coordinate(mesh.cornerTextureCoordinate(f, c.cornerOf(f, cv))); };
    std::vector<TexCoord> facePoints(c.numF);
    for (int f = 0; f < c.numF; ++f) {
        TexCoord sum;
        for (int k = 0; k < c.valence(f); ++k) sum += coordinate(mesh.cornerTextureCoordinate(f, k));
        facePoints[f] = facePoint(sum, c.valence(f));
        l.vertices[numbering.faceVertex(f)] = facePoints[f];
    }
    for (int e = 0; e < c.numE; ++e) {
        const int v = numbering.edgeVertex(e), v0 = c.edgeVertices[2 * e], v1 = c.edgeVertices[2 * e + 1];
        const int f0 = c.edgeFaces[2 * e], f1 = c.edgeFaces[2 * e + 1];
        if (control.edgeFlags[e]) {
            for (int s = 0; s < valueCount(v); ++s) {
                const int face = c.edgeFaces[2 * e + s];
                vertexValue(l, v, s) = curveMidpoint(cornerUV(face, v0), cornerUV(face, v1));
            }
            continue;
        }
        l.vertices[v] = mesh.edge(e)->edgePointOf(cornerUV(f0, v0), cornerUV(f0, v1), facePoints[f0],
                                                   f1 >= 0 ? facePoints[f1] : TexCoord());
    }
    for (int cv = 0; cv < c.numV; ++cv) {
        const int v = numbering.vertexVertex(cv), first = c.ringStart[cv], nf = c.faceVal(cv);
        const MeshVertex* vertex = mesh.vertex(cv);
        // The far end of control ring entry `slot`'s edge as ring entry `faceSlot`'s face sees it.
        auto farEnd = [&](int slot, int faceSlot) {
            const int e = c.ringEdges[slot];
            return cornerUV(c.ringFaces[faceSlot], c.edgeVertices[2 * e] == cv ? c.edgeVertices[2 * e + 1] : c.edgeVertices[2 * e]);
        };
        if (!control.mismatched[cv]) {
            l.vertices[v] = vertex->vertexPointOf(
                coordinate(control.valueCoordinate[control.valueStart[cv]]),
                [&](int k) { return farEnd(first + k, first + (k < nf ? k : k - 1)); },
                [&](int i) { return facePoints[c.ringFaces[first + i]]; });
            continue;
        }
        for (int s = 0; s < valueCount(v); ++s) {
            const int value = control.valueStart[cv] + s;
            const TexCoord p = coordinate(control.valueCoordinate[value]);
            if (!(kindAt(0, valueStart[v] + s) & kCreaseValue)) {
                vertexValue(l, v, s) = p;
                continue;
            }
            const int* e = control.ends.data() + 4 * static_cast<std::size_t>(value);
            const bool transition = control.kinds[value] & kSemiSharpValue;
            float corner = 0;
            if (transition) {
                // The span whose sharpness decides: its own, or its partner's;
                // level 0's ring entries are the control vertex's.
                Transition t;
                t.add(vertex->sharpness(), topo.vertexSharpnessAt(v, 0));
                forEachSpanEdge(v, control.kinds[value] & kDependentValue ? 1 - s : s, [&](int slot) {
                    const int ce = c.ringEdges[c.ringStart[cv] + (slot - topo.ringStart[v])];
                    t.add(mesh.edge(ce)->ruleSharpness(), topo.ringEdgeRuleSharpnessAt(slot, 0));
                });
                corner = t.weight();
            }
            vertexValue(l, v, s) = creaseValue(p, farEnd(e[1], e[0]), farEnd(e[3], e[2]), transition, corner);
        }
    }
}

void FaceVaryingLayout::findPlainElements() {
    if (numExtras == 0 && numSeams == 0) return;  // every element plain
    plainFaces = Block<unsigned char>(topo.numF);
    for (int f = 0; f < topo.numF; ++f) {
        bool plain = true;
        for (int k = 0; k < 4; ++k) plain = plain && valueCount(topo.faces[f].vertices[k]) == 1 && !seam(topo.faces[f].edges[k]);
        plainFaces[f] = plain;
    }
    plainVertices = Block<unsigned char>(topo.numV);
    for (int v = 0; v < topo.numV; ++v) {
        bool plain = !mismatched[v];
        for (int k = topo.ringStart[v]; k < topo.ringStart[v + 1] && plain; ++k)
            plain = topo.ringFaces[k] < 0 || plainFaces[topo.ringFaces[k]];
        plainVertices[v] = plain;
    }
}

inline TexCoord& FaceVaryingLayout::vertexValue(Level& l, int v, int s) const {
    return s == 0 ? l.vertices[v] : l.extras[valueStart[v] - v + s - 1];
}
inline const TexCoord& FaceVaryingLayout::vertexValue(const Level& l, int v, int s) const {
    return s == 0 ? l.vertices[v] : l.extras[valueStart[v] - v + s - 1];
}

inline const TexCoord* FaceVaryingLayout::sideValues(const Level& l, int f, int side) const {
    const int e = topo.faces[f].edges[side];
    if (seam(e) && sideOf(e, f) == 1) return l.seams.data() + seamSlots[e] * l.inner();
    return l.edges.data() + e * l.inner();
}

FaceVaryingLayout::Place FaceVaryingLayout::placeOf(int level, int f, int i, int j) const {
    const int m = 1 << level;
    const std::size_t inner = static_cast<std::size_t>(m - 1);
    const bool iEdge = i == 0 || i == m, jEdge = j == 0 || j == m;
    if (iEdge && jEdge) {
        const int corner = i == 0 ? (j == 0 ? 0 : 3) : (j == 0 ? 1 : 2);
        const int v = topo.faces[f].vertices[corner], s = siblingAt(f, corner);
        if (s == 0) return {0, static_cast<std::size_t>(v)};
        return {1, static_cast<std::size_t>(valueStart[v] - v + s - 1)};
    }
    if (iEdge || jEdge) {
        // side 0 is row j = 0, side 1 column i = m, side 2 row j = m, side 3 column i = 0
        const int side = j == 0 ? 0 : i == m ? 1 : j == m ? 2 : 3;
        const int k = side % 2 == 0 ? i : j;
        const int steps = topo.sideFromStart(f, side) ? k : m - k;
        const int e = topo.faces[f].edges[side];
        if (seam(e) && sideOf(e, f) == 1) return {3, seamSlots[e] * inner + (steps - 1)};
        return {2, e * inner + (steps - 1)};
    }
    return {4, f * inner * inner + (i - 1) * inner + (j - 1)};
}

TexCoord FaceVaryingLayout::valueOf(const Level& l, int f, int i, int j) const {
    const Place p = placeOf(levelOfCells(l.cells), f, i, j);
    const Block<TexCoord>* blocks[5] = {&l.vertices, &l.extras, &l.edges, &l.seams, &l.faces};
    return (*blocks[p.block])[p.index];
}

void FaceVaryingLayout::gatherGrid(const Level& l, int f, TexCoord* grid) const {
    const int m = l.cells, n = m + 1;
    const int* corners = topo.faces[f].vertices;
    const int at[4] = {0, m * n, m * n + m, m};
    const bool plain = plainFace(f);
    for (int k = 0; k < 4; ++k) grid[at[k]] = plain ? l.vertices[corners[k]] : vertexValue(l, corners[k], siblingAt(f, k));
    // Side s starts at `start` in the grid and advances by `step` per value.
    const int start[4] = {0, m * n, m, 0}, step[4] = {n, 1, n, 1};
    for (int s = 0; s < 4; ++s) {
        const TexCoord* inner = plain ? l.edges.data() + topo.faces[f].edges[s] * l.inner() : sideValues(l, f, s);
        if (topo.sideFromStart(f, s))
            for (int k = 1; k < m; ++k) grid[start[s] + k * step[s]] = inner[k - 1];
        else
            for (int k = 1; k < m; ++k) grid[start[s] + k * step[s]] = inner[m - k - 1];
    }
    const TexCoord* inner = l.faces.data() + f * l.inner() * l.inner();
    for (int i = 1; i < m; ++i) std::copy(inner + (i - 1) * (m - 1), inner + i * (m - 1), grid + i * n + 1);
}

inline void FaceVaryingLayout::faceRow(const Level& l, int e, int i, TexCoord* row) const {
    const int f = topo.edges[e].faces[i], m = l.cells;
    const auto [i0, j0, di, dj] = topo.rowFrame(e, i, m);
    // The ends lie on the face's two sides across the edge's ends, one step in.
    const bool plain = plainFace(f);
    auto onSide = [&](int side, int k) {
        const TexCoord* values = plain ? l.edges.data() + topo.faces[f].edges[side] * l.inner() : sideValues(l, f, side);
        return values[(topo.sideFromStart(f, side) ? k : m - k) - 1];
    };
    if (m == 1) {
        row[0] = valueOf(l, f, i0, j0);
        row[1] = valueOf(l, f, i0 + di, j0 + dj);
    } else if (dj == 0) {  // along a row: the ends on columns i = 0 (side 3) and i = m (side 1)
        row[0] = onSide(i0 == 0 ? 3 : 1, j0);
        row[m] = onSide(i0 == 0 ? 1 : 3, j0);
    } else {  // along a column: the ends on rows j = 0 (side 0) and j = m (side 2)
        row[0] = onSide(j0 == 0 ? 0 : 2, i0);
        row[m] = onSide(j0 == 0 ? 2 : 0, i0);
    }
    // the rest lies strictly inside the grid
    const int inner = m - 1, base = (i0 - 1) * inner + (j0 - 1), step = di * inner + dj;
    const TexCoord* values = l.faces.data() + f * l.inner() * l.inner();
    for (int c = 1; c < m; ++c) row[c] = values[base + c * step];
}

inline TexCoord FaceVaryingLayout::along(const Level& l, int slot, int faceSlot) const {
    const int e = topo.ringEdges[slot], f = topo.ringFaces[faceSlot], m = l.cells;
    const bool fromEnd = topo.ringFromEnd(slot);
    if (m == 1) {
        // The vertex's corner in the face, and the corner along the edge from it.
        const int c = topo.ringCorner(faceSlot);
        const int corner = topo.faces[f].edges[c] == e ? (c + 1) % 4 : (c + 3) % 4;
        return vertexValue(l, topo.faces[f].vertices[corner], siblingAt(f, corner));
    }
    const std::size_t k = fromEnd ? m - 2 : 0;
    if (seam(e) && sideOf(e, f) == 1) return l.seams[seamSlots[e] * l.inner() + k];
    return l.edges[e * l.inner() + k];
}

inline TexCoord FaceVaryingLayout::diagonal(const Level& l, int slot) const {
    const int f = topo.ringFaces[slot], corner = topo.ringCorner(slot), m = l.cells;
    if (m == 1) {
        const int across = (corner + 2) % 4;
        return vertexValue(l, topo.faces[f].vertices[across], siblingAt(f, across));
    }
    const int far = m - 2, row = m - 1;
    const int offset[4] = {0, far * row, far * row + far, far};
    return l.faces[f * l.inner() * l.inner() + offset[corner]];
}

float FaceVaryingLayout::transitionWeight(int v, int s, int level) const {
    const int value = valueStart[v] + s;
    const int span = kindAt(level, value) & kDependentValue ? 1 - s : s;
    Transition t;
    t.add(topo.vertexSharpnessAt(v, level), topo.vertexSharpnessAt(v, level + 1));
    forEachSpanEdge(v, span, [&](int slot) {
        t.add(topo.ringEdgeRuleSharpnessAt(slot, level), topo.ringEdgeRuleSharpnessAt(slot, level + 1));
    });
    return t.weight();
}

unsigned char FaceVaryingLayout::kindAt(int level, int value) const {
    FACETRY_ASSERT(level < static_cast<int>(kinds.size()));
    return kinds[level][value];
}

// The kinds one level down: a semi-sharp value whose span's sharpness has
// worn off becomes a crease.
void FaceVaryingLayout::extendKinds(int level) {
    while (static_cast<int>(kinds.size()) <= level) {
        const int child = static_cast<int>(kinds.size()), parent = child - 1;
        kinds.push_back(kinds[parent]);
        std::vector<unsigned char>& k = kinds.back();
        for (int v = 0; v < topo.numV; ++v) {
            if (!mismatched[v]) continue;
            bool parentSemi = isSemiSharp(topo.vertexSharpnessAt(v, parent));
            for (int slot = topo.ringStart[v]; slot < topo.ringStart[v + 1] && !parentSemi; ++slot)
                parentSemi = isSemiSharp(topo.ringEdgeRuleSharpnessAt(slot, parent));
            reclassify(v, parentSemi, child, k.data() + valueStart[v]);
        }
    }
}

void FaceVaryingLayout::reclassify(int v, bool parentSemi, int child, unsigned char* kv) const {
    if (!parentSemi || isSharp(topo.vertexSharpnessAt(v, child))) return;
    const int first = topo.ringStart[v], n = topo.edgeVal(v), count = valueCount(v);
    bool childSemiEdges = false;
    for (int slot = first; slot < first + n && !childSemiEdges; ++slot)
        childSemiEdges = isSemiSharp(topo.ringEdgeRuleSharpnessAt(slot, child));
    for (int s = 0; s < count; ++s) {
        if (!(kv[s] & kSemiSharpValue)) continue;
        bool stillSemi = false;
        if (!childSemiEdges) {
            // nothing semi-sharp is left round the vertex
        } else if (kv[s] & kDependentValue) {
            stillSemi = true;  // a dependent value waits for its partner
        } else {
            // Still semi-sharp while an edge inside its span is.
            forEachSpanEdge(v, s, [&](int slot) {
                stillSemi = stillSemi || isSemiSharp(topo.ringEdgeRuleSharpnessAt(slot, child));
            });
        }
        if (!stillSemi) kv[s] = kCreaseValue;
    }
    if (count == 2 && dependentSharpness && childSemiEdges) {
        if ((kv[0] & kDependentValue) && !(kv[1] & kSemiSharpValue))
            kv[0] &= static_cast<unsigned char>(~kDependentValue);
        else if ((kv[1] & kDependentValue) && !(kv[0] & kSemiSharpValue))
            kv[1] &= static_cast<unsigned char>(~kDependentValue);
    }
}

TexCoord FaceVaryingLayout::refinedVertexValue(const Level& l, int level, int v, int s) const {
    const TexCoord p = mismatched[v] ? vertexValue(l, v, s) : l.vertices[v];
    if (topo.edgeVal(v) == 0) return p;
    const int first = topo.ringStart[v], nf = topo.faceVal(v);
    if (!mismatched[v]) {
        if (l.cells == 1 && plainVertex(v))
            return vertexRule(
                topo, v, level, p,
                [&](int k) {
                    const int slot = first + k, e = topo.ringEdges[slot];
                    return l.vertices[topo.edges[e].vertices[topo.ringFromEnd(slot) ? 0 : 1]];
                },
                [&](int k) {
                    const int slot = first + k;
                    return l.vertices[topo.faces[topo.ringFaces[slot]].vertices[(topo.ringCorner(slot) + 2) % 4]];
                });
        if (l.cells == 1)
            return vertexRule(
                topo, v, level, p, [&](int k) { return along(l, first + k, first + (k < nf ? k : k - 1)); },
                [&](int k) { return diagonal(l, first + k); });
        // The layout runs on across every edge of the ring: each edge's
        // values are its face(0) side's, as for the points.
        const int m = l.cells, far = m - 2, row = m - 1;
        const std::size_t inner = l.inner();
        const int offset[4] = {0, far * row, far * row + far, far};
        return vertexRule(
            topo, v, level, p,
            [&](int k) {
                const int slot = first + k;
                return l.edges[topo.ringEdges[slot] * inner + (topo.ringFromEnd(slot) ? m - 2 : 0)];
            },
            [&](int k) {
                const int slot = first + k;
                return l.faces[topo.ringFaces[slot] * inner * inner + offset[topo.ringCorner(slot)]];
            });
    }
    const int value = valueStart[v] + s;
    if (!(kindAt(level + 1, value) & kCreaseValue)) return p;
    const Ends& e = ends[value];
    const TexCoord end0 = along(l, e.edge[0], e.face[0]), end1 = along(l, e.edge[1], e.face[1]);
    const bool transition = kindAt(level, value) & kSemiSharpValue;
    return creaseValue(p, end0, end1, transition, transition ? transitionWeight(v, s, level) : 0.0f);
}

void FaceVaryingLayout::refineLevel(const Level& from, Level& to, int level, int threads, const PointStep* points) const {
    const int m = from.cells;
    const std::size_t inner = from.inner(), newInner = to.inner();
    parallelFor(topo.numV, threads, grainFor(8), [&](std::size_t begin, std::size_t end) {
        for (std::size_t n = begin; n < end; ++n) {
            const int v = static_cast<int>(n);
            if (points) points->to.vertex(v) = refinedVertex(topo, v, points->from);
            if (!mismatched[v]) {  // one value, the points' rule
                to.vertices[v] = refinedVertexValue(from, level, v, 0);
                continue;
            }
            for (int s = 0; s < valueCount(v); ++s) vertexValue(to, v, s) = refinedVertexValue(from, level, v, s);
        }
    });
    parallelFor(topo.numE, threads, grainFor(2 * m), [&](std::size_t begin, std::size_t end) {
        std::vector<TexCoord> scratch(6 * static_cast<std::size_t>(m + 1));
        std::vector<Vector> pointScratch(points ? ruleScratchSize(m) : 0);
        TexCoord *p = scratch.data(), *a = p + (m + 1), *b = a + (m + 1), *rest = b + (m + 1);
        for (std::size_t n = begin; n < end; ++n) {
            const int e = static_cast<int>(n);
            if (points) refineEdge(topo, e, points->from, points->to.edgeInner(e), pointScratch.data());
            const MrEdgeTopology& edge = topo.edges[e];
            // The edge's values on face(side)'s side, from its vertex(0).
            auto gatherSide = [&](int side) {
                const int f = edge.faces[side];
                if (plainFace(f)) {
                    p[0] = from.vertices[edge.vertices[0]];
                    p[m] = from.vertices[edge.vertices[1]];
                } else {
                    int c0, c1;
                    endCorners(topo, e, side, c0, c1);
                    p[0] = vertexValue(from, edge.vertices[0], siblingAt(f, c0));
                    p[m] = vertexValue(from, edge.vertices[1], siblingAt(f, c1));
                }
                const TexCoord* values =
                    side == 1 && seam(e) ? from.seams.data() + seamSlots[e] * inner : from.edges.data() + e * inner;
                std::copy(values, values + inner, p + 1);
            };
            if (!seam(e) && !linear(e) && m == 1) {
                if (plainFace(edge.faces[0]) && (edge.faces[1] < 0 || plainFace(edge.faces[1])))
                    to.edges[e] = levelZeroEdgeRule<TexCoord>(
                        topo, e, [&](int i, int c) { return from.vertices[topo.faces[edge.faces[i]].vertices[c]]; });
                else
                    to.edges[e] = levelZeroEdgeRule<TexCoord>(topo, e, [&](int i, int c) {
                        const int f = edge.faces[i];
                        return vertexValue(from, topo.faces[f].vertices[c], siblingAt(f, c));
                    });
                continue;
            }
            if (!seam(e) && !linear(e)) {
                gatherSide(0);
                faceRow(from, e, 0, a);
                if (edge.faces[1] >= 0) faceRow(from, e, 1, b);
                refineEdgeRows(topo, e, m, p, a, edge.faces[1] >= 0 ? b : a, to.edges.data() + e * newInner, rest);
                continue;
            }
            // A seam, or an edge kept linear: each side a curve of its own,
            // or a polyline that keeps its values.
            for (int side = 0; side < (seam(e) ? 2 : 1); ++side) {
                gatherSide(side);
                TexCoord* out = side == 1 ? to.seams.data() + seamSlots[e] * newInner : to.edges.data() + e * newInner;
                for (int c = 0; c < m; ++c) out[2 * c] = curveMidpoint(p[c], p[c + 1]);
                for (int c = 1; c < m; ++c) out[2 * c - 1] = smoothBoundaries ? curveVertexPoint(p[c], p[c - 1] + p[c + 1]) : p[c];
            }
        }
    });
    parallelFor(topo.numF, threads, grainFor(4 * static_cast<std::size_t>(m) * m), [&](std::size_t begin, std::size_t end) {
        const std::size_t n = static_cast<std::size_t>(m + 1);
        std::vector<TexCoord> scratch(n * n + static_cast<std::size_t>(m) * m + 2 * static_cast<std::size_t>(m));
        std::vector<Vector> pointScratch(points ? ruleScratchSize(m) : 0);
        for (std::size_t f = begin; f < end; ++f) {
            if (points) refineFace(topo, static_cast<int>(f), points->from, points->to.faceInner(static_cast<int>(f)), pointScratch.data());
            if (m == 1) {  // the face point of four corners
                const int* corners = topo.faces[f].vertices;
                const bool plain = plainFace(static_cast<int>(f));
                auto corner = [&](int k) {
                    return plain ? from.vertices[corners[k]] : vertexValue(from, corners[k], siblingAt(static_cast<int>(f), k));
                };
                to.faces[f] = quadFacePoint(corner(0), corner(3), corner(1), corner(2));
                continue;
            }
            gatherGrid(from, static_cast<int>(f), scratch.data());
            refineGrid(scratch.data(), m, to.faces.data() + f * newInner * newInner, scratch.data() + n * n);
        }
    });
}

bool FaceVaryingLayout::hasLevel(int level) const {
    return level < static_cast<int>(levels.size()) && levels[level] != nullptr;
}

void FaceVaryingLayout::keepOnly(int level) {
    for (std::size_t r = 1; r < levels.size(); ++r)
        if (static_cast<int>(r) != level) levels[r].reset();
}

void FaceVaryingLayout::keepLevel(int level, int threads) {
    if (hasLevel(level)) return keepOnly(level);
    extendKinds(level);
    int from = 0;
    for (int r = level - 1; r > 0; --r)
        if (hasLevel(r)) {
            from = r;
            break;
        }
    std::unique_ptr<Level> current;
    for (int r = from; r < level; ++r) {
        std::unique_ptr<Level> next = allocate(r + 1);
        refineLevel(r == from ? *levels[from] : *current, *next, r, threads);
        current = std::move(next);
    }
    if (static_cast<int>(levels.size()) <= level) levels.resize(level + 1);
    levels[level] = std::move(current);
    keepOnly(level);
}

void FaceVaryingLayout::stepWithPoints(int level, const LevelPoints& from, const LevelPoints& to, int threads) {
    FACETRY_ASSERT(level > 0 && hasLevel(level - 1));
    extendKinds(level);
    std::unique_ptr<Level> next = allocate(level);
    const PointStep points{from, to};
    refineLevel(*levels[level - 1], *next, level - 1, threads, &points);
    if (static_cast<int>(levels.size()) <= level) levels.resize(level + 1);
    levels[level] = std::move(next);
    keepOnly(level);
}

TexCoord FaceVaryingLayout::valueAt(int level, int f, int i, int j) const {
    FACETRY_ASSERT(hasLevel(level));
    return valueOf(*levels[level], f, i, j);
}

long long FaceVaryingLayout::valueIndexAt(int level, int f, int i, int j) const {
    const Place p = placeOf(level, f, i, j);
    const std::size_t inner = (std::size_t(1) << level) - 1;
    const std::size_t base[5] = {0, static_cast<std::size_t>(topo.numV), static_cast<std::size_t>(topo.numV) + numExtras,
                                 topo.numV + numExtras + topo.numE * inner,
                                 topo.numV + numExtras + (topo.numE + numSeams) * inner};
    return static_cast<long long>(base[p.block] + p.index);
}

TexCoord FaceVaryingLayout::limitVertexValue(const Level& l, int level, int v, int s) const {
    const TexCoord p = vertexValue(l, v, s);
    const int first = topo.ringStart[v], n = topo.edgeVal(v), nf = topo.faceVal(v);
    if (n == 0) return p;
    if (mismatched[v]) {
        const int value = valueStart[v] + s;
        if (!(kindAt(level, value) & kCreaseValue)) return p;
        const Ends& e = ends[value];
        return creaseLimitPoint(p, along(l, e.edge[0], e.face[0]) + along(l, e.edge[1], e.face[1]));
    }
    auto edgeEnd = [&](int k) { return along(l, first + k, first + (k < nf ? k : k - 1)); };
    const auto hood = topo.vertexNeighbourhoodAt(v, level);
    switch (limitRule(hood.rule(), nf)) {
    case VertexRule::Corner: return p;
    case VertexRule::Crease: {
        int c0, c1;
        creaseEnds(n, [&](int k) { return isSharp(hood.edgeSharpness(k)); }, c0, c1);
        return creaseLimitPoint(p, edgeEnd(c0) + edgeEnd(c1));
    }
    case VertexRule::Smooth: break;
    }
    TexCoord neighbours, diagonals;
    for (int k = 0; k < n; ++k) neighbours += edgeEnd(k);
    for (int k = 0; k < nf; ++k) diagonals += diagonal(l, first + k);
    if (n == 4) return regularLimitPoint(p, neighbours, diagonals);
    return smoothLimitPoint(p, neighbours, diagonals, nf);
}

// Inner value k (1 to m-1) of edge e on face(side)'s side.
TexCoord FaceVaryingLayout::limitEdgeValue(const Level& l, int level, int e, int side, int k) const {
    const int m = l.cells;
    const MrEdgeTopology& edge = topo.edges[e];
    const int f = edge.faces[side];
    int c0, c1;
    endCorners(topo, e, side, c0, c1);
    auto onEdge = [&](int c) {
        if (c == 0) return vertexValue(l, edge.vertices[0], siblingAt(f, c0));
        if (c == m) return vertexValue(l, edge.vertices[1], siblingAt(f, c1));
        if (side == 1 && seam(e)) return l.seams[seamSlots[e] * l.inner() + (c - 1)];
        return l.edges[e * l.inner() + (c - 1)];
    };
    const TexCoord p = onEdge(k);
    if (seam(e) || linear(e)) return smoothBoundaries ? creaseLimitPoint(p, onEdge(k - 1) + onEdge(k + 1)) : p;
    VertexRule pointRule;
    if (topo.edgeOnBoundary(e))
        pointRule = VertexRule::Crease;
    else if (topo.segmented(e))
        pointRule = topo.innerPointNeighbourhoodAt(e, k, level).rule();
    else
        pointRule = isSharp(topo.edgeSharpnessAt(e, level)) ? VertexRule::Crease : VertexRule::Smooth;
    if (pointRule == VertexRule::Crease) return creaseLimitPoint(p, onEdge(k - 1) + onEdge(k + 1));
    if (pointRule == VertexRule::Corner) return p;
    // Point c of the row one step into face(i), read along the edge.
    auto beside = [&](int i, int c) {
        const auto [i0, j0, di, dj] = topo.rowFrame(e, i, m);
        return valueOf(l, edge.faces[i], i0 + c * di, j0 + c * dj);
    };
    return regularLimitPoint(p, onEdge(k - 1) + onEdge(k + 1) + beside(0, k) + beside(1, k),
                             beside(0, k - 1) + beside(0, k + 1) + beside(1, k - 1) + beside(1, k + 1));
}

TexCoord FaceVaryingLayout::limitAt(int level, int f, int i, int j) const {
    FACETRY_ASSERT(hasLevel(level));
    const Level& l = *levels[level];
    const int m = l.cells;
    const bool iEdge = i == 0 || i == m, jEdge = j == 0 || j == m;
    if (iEdge && jEdge) {
        const int corner = i == 0 ? (j == 0 ? 0 : 3) : (j == 0 ? 1 : 2);
        return limitVertexValue(l, level, topo.faces[f].vertices[corner], siblingAt(f, corner));
    }
    if (iEdge || jEdge) {
        const int side = j == 0 ? 0 : i == m ? 1 : j == m ? 2 : 3;
        const int k = side % 2 == 0 ? i : j;
        const int steps = topo.sideFromStart(f, side) ? k : m - k;
        const int e = topo.faces[f].edges[side];
        return limitEdgeValue(l, level, e, sideOf(e, f), steps);
    }
    // Inside the face: a regular smooth point of the face's grid.
    auto at = [&](int a, int b) { return valueOf(l, f, a, b); };
    return regularLimitPoint(at(i, j), at(i - 1, j) + at(i + 1, j) + at(i, j - 1) + at(i, j + 1),
                             at(i - 1, j - 1) + at(i + 1, j - 1) + at(i + 1, j + 1) + at(i - 1, j + 1));
}

}  // namespace facetry
