#include "mr/facevarying.h"

#include <algorithm>
#include <unordered_map>

#include "mesh/pointrules.h"
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

// How the rule treats the layout, as the interpolation options of a
// refinement library define it.
struct RuleTraits {
    bool linearBoundaries;     // the seams and the boundary stay linear
    bool dependentSharpness;   // a vertex's two values may sharpen each other
    bool sharpenBothIfOneCorner;
    bool sharpenDarts;         // a seam ending inside the layout keeps its end
    bool cornersAreSharp;      // a value of one face keeps its value
    bool smoothCornersSharp;   // ... where the points' corner is smooth, the layout's is sharp
};

RuleTraits traitsOf(const SchemeOptions& options) {
    const FaceVaryingInterpolation r = options.faceVarying;
    RuleTraits t;
    t.linearBoundaries = r == FaceVaryingInterpolation::Boundaries || r == FaceVaryingInterpolation::All;
    t.dependentSharpness = r == FaceVaryingInterpolation::CornersPlus1 || r == FaceVaryingInterpolation::CornersPlus2;
    t.sharpenBothIfOneCorner = r == FaceVaryingInterpolation::CornersPlus2;
    t.sharpenDarts = t.sharpenBothIfOneCorner || t.linearBoundaries;
    t.cornersAreSharp = r != FaceVaryingInterpolation::None;
    t.smoothCornersSharp = options.boundary != BoundaryInterpolation::EdgeAndCorner && t.cornersAreSharp;
    return t;
}

// The texture coordinates' layout of the control mesh: which edges are seams,
// each vertex's values and which face sees which, and what kind each value
// is, found vertex by vertex in index order.
struct ControlLayout {
    std::vector<unsigned char> edgeFlags;    // per control edge
    std::vector<unsigned char> mismatched;   // per control vertex
    std::vector<int> valueStart;             // numV + 1
    std::vector<int> valueCoordinate;        // per value, its texture coordinate's index
    std::vector<int> ringSiblings;           // per ring entry: the value its face sees
    std::vector<unsigned char> kinds;        // per value
    std::vector<int> ends;                   // 4 per value: face slot, edge slot, face slot, edge slot (ring entries)
    std::vector<int> ringCoordinate;         // per ring entry: its face's texture coordinate at the vertex, -1 past the last face
};

// The faces of one value around a vertex, and the sharp and parted edges among them.
struct Span {
    int size = 0, start = 0, parted = 0, semiSharp = 0, infSharp = 0;
};

}  // namespace

namespace {

constexpr unsigned char kSeam = 1, kLinear = 2;
constexpr unsigned char kCornerKind = 0, kCreaseKind = 1, kSemiKind = 2, kDependentKind = 4;

ControlLayout analyseControl(const Mesh& mesh, const RuleTraits& rule) {
    const MeshTopology& c = mesh.topology();
    ControlLayout out;
    out.edgeFlags.assign(c.numE, 0);
    out.mismatched.assign(c.numV, 0);
    out.valueStart.assign(c.numV + 1, 0);
    out.ringSiblings.assign(c.ringEdges.size(), 0);
    out.ringCoordinate.assign(c.ringEdges.size(), -1);
    for (int v = 0; v < c.numV; ++v)
        for (int k = c.ringStart[v]; k < c.ringStart[v + 1]; ++k) {
            const int f = c.ringFaces[k];
            if (f >= 0) out.ringCoordinate[k] = mesh.cornerTextureCoordinate(f, c.cornerOf(f, v));
        }
    // Seams, and the vertices they and the boundary part, in vertex order:
    // a vertex's boundary edges stay linear when it is not yet known to be
    // parted by the time it is reached.
    std::vector<int> siblings;
    std::unordered_map<int, int> table;
    for (int v = 0; v < c.numV; ++v) {
        const int first = c.ringStart[v], n = c.edgeVal(v), nf = c.faceVal(v);
        const bool boundary = n != nf;
        const int* value = out.ringCoordinate.data() + first;
        for (int i = boundary ? 1 : 0; i < nf; ++i) {
            const int prev = i ? i - 1 : nf - 1;
            if (value[i] == value[prev]) continue;
            const int e = c.ringEdges[first + i];
            out.mismatched[c.edgeVertices[2 * e]] = out.mismatched[c.edgeVertices[2 * e + 1]] = 1;
            out.edgeFlags[e] |= kSeam | (rule.linearBoundaries ? kLinear : 0);
        }
        if (boundary && !out.mismatched[v]) {
            if (rule.linearBoundaries && nf > 0) {
                out.mismatched[v] = 1;
                out.edgeFlags[c.ringEdges[first]] |= kLinear;
                out.edgeFlags[c.ringEdges[first + n - 1]] |= kLinear;
            } else if (nf == 1 && rule.smoothCornersSharp) {
                out.mismatched[v] = 1;
            }
        }
        // The distinct values in order of first appearance round the ring
        // (looked up in a table where the ring is long).
        const int start = static_cast<int>(out.valueCoordinate.size());
        siblings.clear();
        table.clear();
        for (int i = 0; i < nf; ++i) {
            int sibling = -1;
            if (i > 0 && value[i] == value[i - 1]) {
                sibling = out.ringSiblings[first + i - 1];
            } else if (nf <= 16) {
                const auto found = std::find(siblings.begin(), siblings.end(), value[i]);
                if (found != siblings.end()) sibling = static_cast<int>(found - siblings.begin());
            } else if (const auto found = table.find(value[i]); found != table.end()) {
                sibling = found->second;
            }
            if (sibling < 0) {
                sibling = static_cast<int>(siblings.size());
                siblings.push_back(value[i]);
                if (nf > 16) table.emplace(value[i], sibling);
                out.valueCoordinate.push_back(value[i]);
            }
            out.ringSiblings[first + i] = sibling;
        }
        if (nf == 0) out.valueCoordinate.push_back(-1);  // a vertex no face uses keeps a place
        out.valueStart[v] = start;
        out.valueStart[v + 1] = static_cast<int>(out.valueCoordinate.size());
    }
    const int values = out.valueStart[c.numV];
    out.kinds.assign(values, kCornerKind);
    out.ends.assign(4 * static_cast<std::size_t>(values), -1);
    // What kind each value of a parted vertex is.
    std::vector<Span> spans;
    for (int v = 0; v < c.numV; ++v) {
        if (!out.mismatched[v]) continue;
        const int first = c.ringStart[v], n = c.edgeVal(v), nf = c.faceVal(v), count = out.valueStart[v + 1] - out.valueStart[v];
        const bool boundary = n != nf;
        const float vs = mesh.vertex(v)->sharpness();
        const bool infSharpVertex = isSharp(vs) && !isSemiSharp(vs), semiSharpVertex = isSemiSharp(vs);
        const int* sib = out.ringSiblings.data() + first;
        spans.assign(count, Span());
        auto countEdge = [&](Span& span, int k) {
            const int e = c.ringEdges[first + k];
            const float s = mesh.edge(e)->ruleSharpness();
            if (out.edgeFlags[e] & kSeam)
                ++span.parted;
            else if (isSharp(s) && !isSemiSharp(s))
                ++span.infSharp;
            else if (isSemiSharp(s))
                ++span.semiSharp;
        };
        if (count == 1 && !boundary) {
            // One value round the whole ring: the seams end here.
            Span& span = spans[0];
            for (int k = 0; k < n; ++k) {
                if (out.edgeFlags[c.ringEdges[first + k]] & kSeam) {
                    if (span.size > 0) {
                        span.parted = 1;
                        break;
                    }
                    span.size = nf;
                    span.start = k;
                } else {
                    countEdge(span, k);
                }
            }
            span.size = nf;
        } else if (nf > 0) {
            spans[0].size = 1;
            if (!boundary && sib[nf - 1] == 0) countEdge(spans[0], 0);
            for (int i = 1; i < nf; ++i) {
                Span& span = spans[sib[i]];
                if (sib[i] == sib[i - 1]) {
                    countEdge(span, i);
                } else {
                    if (span.size > 0) ++span.parted;
                    span.start = i;
                }
                ++span.size;
            }
            if (sib[nf - 1] == 0 && !boundary) --spans[0].parted;
        }
        bool allSharp = rule.linearBoundaries || infSharpVertex || (rule.dependentSharpness && count > 2) ||
                        (rule.sharpenDarts && count == 1 && !boundary);
        bool dependentToSharpen = false;
        if (!allSharp && rule.dependentSharpness && count == 2) {
            allSharp = spans[0].infSharp || spans[1].infSharp || spans[0].parted || spans[1].parted;
            if (rule.sharpenBothIfOneCorner) allSharp = allSharp || spans[0].size == 1 || spans[1].size == 1;
            dependentToSharpen = (spans[0].semiSharp > 0) != (spans[1].semiSharp > 0);
        }
        for (int s = 0; s < count; ++s) {
            const int value = out.valueStart[v] + s;
            const Span& span = spans[s];
            if (span.parted || nf == 0) continue;  // a corner
            const bool infSharp = allSharp || span.infSharp || (span.size == 1 && rule.cornersAreSharp);
            if (infSharp) continue;
            if (span.semiSharp || semiSharpVertex)
                out.kinds[value] = kSemiKind;
            else if (dependentToSharpen)
                out.kinds[value] = kSemiKind | kDependentKind;
            else
                out.kinds[value] = kCreaseKind;
            const int startFace = span.start;
            const int endFace = (s == 0 && span.start != 0) ? span.start + span.size - 1 - nf : span.start + span.size - 1;
            int* e = out.ends.data() + 4 * static_cast<std::size_t>(value);
            e[0] = first + startFace;
            e[1] = first + startFace;
            e[2] = first + endFace;
            e[3] = first + (endFace + 1) % n;
        }
    }
    return out;
}

int cornerIn(const MrTopology& t, int f, int v) {
    const int* corners = t.faces[f].vertices;
    for (int c = 0; c < 4; ++c)
        if (corners[c] == v) return c;
    FACETRY_ASSERT(false);
    return 0;
}

// The ring entry of vertex v whose face is f, or whose edge is e.
int ringFaceSlot(const MrTopology& t, int v, int f) {
    for (int k = t.ringStart[v]; k < t.ringStart[v + 1]; ++k)
        if (t.ringFaces[k] == f) return k;
    FACETRY_ASSERT(false);
    return -1;
}
int ringEdgeSlot(const MrTopology& t, int v, int e) {
    for (int k = t.ringStart[v]; k < t.ringStart[v + 1]; ++k)
        if (t.ringEdges[k] == e) return k;
    FACETRY_ASSERT(false);
    return -1;
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
    : topo(topology), rule(mesh.options().faceVarying) {
    const RuleTraits traits = traitsOf(mesh.options());
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
    const RuleTraits traits = traitsOf(mesh.options());
    const ControlLayout control = analyseControl(mesh, traits);
    const MeshTopology& c = mesh.topology();
    const std::vector<float>& uv = mesh.textureCoordinates();
    auto coordinate = [&uv](int index) { return index < 0 ? TexCoord() : TexCoord(uv[2 * index], uv[2 * index + 1]); };
    const int numV = topo.numV;
    edgeFlags = Block<unsigned char>(topo.numE);
    mismatched = Block<unsigned char>(numV);
    valueStart = Block<int>(numV + 1);
    const bool refined = numbering.refined();
    // The control face of each control corner (level 0's quads on the refinement path).
    std::vector<int> cornerFace;
    if (refined) {
        cornerFace.resize(c.cornerVertices.size());
        for (int f = 0; f < c.numF; ++f) std::fill(cornerFace.begin() + c.faceStart[f], cornerFace.begin() + c.faceStart[f + 1], f);
    }
    auto controlEdgeFaces = [&c](int e) { return c.edgeFaces[2 * e + 1] < 0 ? 1 : 2; };
    // Per vertex of level 0: its values, and whether it is parted.
    for (int v = 0; v < numV; ++v) {
        int count = 1;
        bool parted = false;
        if (!refined) {
            count = control.valueStart[v + 1] - control.valueStart[v];
            parted = control.mismatched[v];
        } else if (const int e = numbering.controlEdgeAt(v); e >= 0) {
            parted = control.edgeFlags[e] != 0;
            count = (control.edgeFlags[e] & kSeam) ? controlEdgeFaces(e) : 1;
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
        if (!refined) {
            edgeFlags[e] = control.edgeFlags[e];
        } else if (e < 2 * c.numE) {
            edgeFlags[e] = control.edgeFlags[e / 2];
        }
        if (edgeFlags[e] & kSeam) ++numSeams;
    }
    if (numSeams) {
        seamSlots = Block<int>(topo.numE);
        int slot = 0;
        for (int e = 0; e < topo.numE; ++e) seamSlots[e] = seam(e) ? slot++ : -1;
    }
    // Which value each face's corners see, ring by ring. On the refinement
    // path ring entry k of a control vertex's point is that of control ring
    // entry k (its half of the edge, the quad of the face's corner there).
    if (numExtras) {
        cornerSiblings = Block<int>(4 * static_cast<std::size_t>(topo.numF));
        for (int v = 0; v < numV; ++v) {
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
    // The kinds and crease ends of the parted vertices' values at level 0.
    ends.assign(valueStart[numV], Ends());
    kinds.assign(1, std::vector<unsigned char>(valueStart[numV], kCornerKind));
    std::vector<unsigned char>& kinds0 = kinds[0];
    // The level-0 quad of control face f at its corner at control vertex cv.
    auto quadAt = [&c](int f, int cv) { return c.faceStart[f] + c.cornerOf(f, cv); };
    for (int v = 0; v < numV; ++v) {
        if (!mismatched[v]) continue;
        if (!refined || v >= c.numF + c.numE) {
            const int cv = refined ? v - c.numF - c.numE : v;
            for (int s = 0; s < valueCount(v); ++s) {
                const int value = control.valueStart[cv] + s;
                kinds0[valueStart[v] + s] = control.kinds[value];
                const int* e = control.ends.data() + 4 * static_cast<std::size_t>(value);
                if (e[0] < 0) continue;
                // the same ring entries, on the refinement path of the control vertex's point
                const int shift = refined ? topo.ringStart[v] - c.ringStart[cv] : 0;
                Ends& ends_ = ends[valueStart[v] + s];
                for (int end = 0; end < 2; ++end) {
                    ends_.face[end] = e[2 * end] + shift;
                    ends_.edge[end] = e[2 * end + 1] + shift;
                }
            }
            if (refined) {
                // One step down from the control mesh already.
                const MeshVertex* vertex = mesh.vertex(cv);
                bool parentSemi = isSemiSharp(vertex->sharpness());
                for (int k = 0; k < vertex->edgeVal() && !parentSemi; ++k) parentSemi = isSemiSharp(vertex->edge(k)->ruleSharpness());
                reclassify(v, parentSemi, 0, kinds0.data() + valueStart[v]);
            }
        } else {
            // The point of a control seam: one crease (or corner) per face,
            // along the edge's two halves.
            const int e = numbering.controlEdgeAt(v);
            for (int s = 0; s < valueCount(v); ++s) {
                const unsigned char kind = (control.edgeFlags[e] & kSeam) && smoothBoundaries ? kCreaseKind : kCornerKind;
                kinds0[valueStart[v] + s] = kind;
                if (kind != kCreaseKind) continue;
                const int face = c.edgeFaces[2 * e + s];
                Ends& ends_ = ends[valueStart[v] + s];
                for (int end = 0; end < 2; ++end) {
                    ends_.face[end] = ringFaceSlot(topo, v, quadAt(face, c.edgeVertices[2 * e + end]));
                    ends_.edge[end] = ringEdgeSlot(topo, v, numbering.edgeHalf(e, end));
                }
            }
        }
    }
    findPlainElements();
    // Level 0's values.
    levels.clear();
    levels.push_back(allocate(0));
    Level& l = *levels[0];
    if (!refined) {
        for (int v = 0; v < numV; ++v)
            for (int s = 0; s < valueCount(v); ++s)
                vertexValue(l, v, s) = coordinate(control.valueCoordinate[control.valueStart[v] + s]);
        return;
    }
    // One step of the control layout: face points, edge points and vertex
    // points, each value by the points' rules where the layout runs on.
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
    // The next level's kinds of the control vertices' values first: a value
    // turning from corner to crease blends the two rules.
    for (int cv = 0; cv < c.numV; ++cv) {
        const int v = numbering.vertexVertex(cv), first = c.ringStart[cv], n = c.edgeVal(cv), nf = c.faceVal(cv);
        const MeshVertex* vertex = mesh.vertex(cv);
        // The far end of control ring edge k as seen from ring face slot `faceSlot`.
        auto farEnd = [&](int k, int faceSlot) {
            const int e = c.ringEdges[k];
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
            const unsigned char after = kinds0[valueStart[v] + s];
            if (!(after & kCreaseKind)) {
                vertexValue(l, v, s) = p;
                continue;
            }
            const int* e = control.ends.data() + 4 * static_cast<std::size_t>(value);
            const TexCoord end0 = farEnd(e[1], e[0]), end1 = farEnd(e[3], e[2]);
            const bool transition = control.kinds[value] & kSemiKind;
            float corner = 0;
            if (transition) {
                // The span whose sharpness decides: its own, or its partner's.
                const int span = control.kinds[value] & kDependentKind ? 1 - s : s;
                Transition t;
                t.add(vertex->sharpness(), topo.vertexSharpnessAt(v, 0));
                for (int k = 0; k < n; ++k) {
                    const int slot = first + k, ce = c.ringEdges[slot];
                    if (control.edgeFlags[ce] & kSeam) continue;
                    const bool boundary = n != nf;
                    if (boundary ? (k == 0 || k == n - 1) : false) continue;
                    const int before = k ? slot - 1 : first + nf - 1;
                    if (control.ringSiblings[before] != span || control.ringSiblings[slot] != span) continue;
                    t.add(mesh.edge(ce)->ruleSharpness(), topo.ringEdgeRuleSharpnessAt(topo.ringStart[v] + k, 0));
                }
                corner = t.weight();
            }
            vertexValue(l, v, s) = creaseValue(p, end0, end1, transition, corner);
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
    const int span = kindAt(level, value) & kDependentKind ? 1 - s : s;
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
        if (!(kv[s] & kSemiKind)) continue;
        bool stillSemi = false;
        if (!childSemiEdges) {
            // nothing semi-sharp is left round the vertex
        } else if (kv[s] & kDependentKind) {
            stillSemi = true;  // a dependent value waits for its partner
        } else {
            // Still semi-sharp while an edge inside its span is.
            forEachSpanEdge(v, s, [&](int slot) {
                stillSemi = stillSemi || isSemiSharp(topo.ringEdgeRuleSharpnessAt(slot, child));
            });
        }
        if (!stillSemi) kv[s] = kCreaseKind;
    }
    if (count == 2 && dependentSharpness && childSemiEdges) {
        if ((kv[0] & kDependentKind) && !(kv[1] & kSemiKind))
            kv[0] &= static_cast<unsigned char>(~kDependentKind);
        else if ((kv[1] & kDependentKind) && !(kv[0] & kSemiKind))
            kv[1] &= static_cast<unsigned char>(~kDependentKind);
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
    if (!(kindAt(level + 1, value) & kCreaseKind)) return p;
    const Ends& e = ends[value];
    const TexCoord end0 = along(l, e.edge[0], e.face[0]), end1 = along(l, e.edge[1], e.face[1]);
    const bool transition = kindAt(level, value) & kSemiKind;
    return creaseValue(p, end0, end1, transition, transition ? transitionWeight(v, s, level) : 0.0f);
}

void FaceVaryingLayout::refineLevel(const Level& from, Level& to, int level, int threads) const {
    const int m = from.cells;
    const std::size_t inner = from.inner(), newInner = to.inner();
    parallelFor(topo.numV, threads, grainFor(8), [&](std::size_t begin, std::size_t end) {
        for (std::size_t n = begin; n < end; ++n) {
            const int v = static_cast<int>(n);
            if (!mismatched[v]) {  // one value, the points' rule
                to.vertices[v] = refinedVertexValue(from, level, v, 0);
                continue;
            }
            for (int s = 0; s < valueCount(v); ++s) vertexValue(to, v, s) = refinedVertexValue(from, level, v, s);
        }
    });
    parallelFor(topo.numE, threads, grainFor(2 * m), [&](std::size_t begin, std::size_t end) {
        std::vector<TexCoord> scratch(6 * static_cast<std::size_t>(m + 1));
        TexCoord *p = scratch.data(), *a = p + (m + 1), *b = a + (m + 1), *rest = b + (m + 1);
        for (std::size_t n = begin; n < end; ++n) {
            const int e = static_cast<int>(n);
            const MrEdgeTopology& edge = topo.edges[e];
            // The edge's values on face(side)'s side, from its vertex(0).
            auto gatherSide = [&](int side) {
                const int f = edge.faces[side];
                if (plainFace(f)) {
                    p[0] = from.vertices[edge.vertices[0]];
                    p[m] = from.vertices[edge.vertices[1]];
                } else {
                    const int k = topo.frameSide(e, side);
                    const bool forward = topo.faces[f].vertices[k] == edge.vertices[0];
                    p[0] = vertexValue(from, edge.vertices[0], siblingAt(f, forward ? k : (k + 1) % 4));
                    p[m] = vertexValue(from, edge.vertices[1], siblingAt(f, forward ? (k + 1) % 4 : k));
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
        for (std::size_t f = begin; f < end; ++f) {
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

void FaceVaryingLayout::keepLevel(int level, int threads) {
    if (hasLevel(level)) {
        for (std::size_t r = 1; r < levels.size(); ++r)
            if (static_cast<int>(r) != level) levels[r].reset();
        return;
    }
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
    for (std::size_t r = 1; r < levels.size(); ++r)
        if (static_cast<int>(r) != level) levels[r].reset();
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
        if (!(kindAt(level, value) & kCreaseKind)) return p;
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
    auto onEdge = [&](int c) {
        if (c == 0) return vertexValue(l, edge.vertices[0], siblingAt(f, cornerIn(topo, f, edge.vertices[0])));
        if (c == m) return vertexValue(l, edge.vertices[1], siblingAt(f, cornerIn(topo, f, edge.vertices[1])));
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
    std::vector<TexCoord> rows(2 * static_cast<std::size_t>(m + 1));
    faceRow(l, e, 0, rows.data());
    faceRow(l, e, 1, rows.data() + (m + 1));
    const TexCoord* a = rows.data();
    const TexCoord* b = rows.data() + (m + 1);
    return regularLimitPoint(p, onEdge(k - 1) + onEdge(k + 1) + a[k] + b[k], a[k - 1] + a[k + 1] + b[k - 1] + b[k + 1]);
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
