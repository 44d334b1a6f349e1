#include "mr/facevaryingcontrol.h"

#include <algorithm>
#include <unordered_map>

#include "rules/creases.h"

namespace facetry {

FaceVaryingTraits faceVaryingTraits(const SchemeOptions& options) {
    const FaceVaryingInterpolation r = options.faceVarying;
    FaceVaryingTraits t;
    t.linearBoundaries = r == FaceVaryingInterpolation::Boundaries || r == FaceVaryingInterpolation::All;
    t.dependentSharpness = r == FaceVaryingInterpolation::CornersPlus1 || r == FaceVaryingInterpolation::CornersPlus2;
    t.sharpenBothIfOneCorner = r == FaceVaryingInterpolation::CornersPlus2;
    t.sharpenDarts = t.sharpenBothIfOneCorner || t.linearBoundaries;
    t.cornersAreSharp = r != FaceVaryingInterpolation::None;
    t.smoothCornersSharp = options.boundary != BoundaryInterpolation::EdgeAndCorner && t.cornersAreSharp;
    return t;
}

namespace {

// The faces of one value around a vertex, and the sharp and parted edges among them.
struct Span {
    int size = 0, start = 0, parted = 0, semiSharp = 0, infSharp = 0;
};

class Analysis {
public:
    Analysis(const Mesh& mesh_, ControlLayout& out_)
        : mesh(mesh_), c(mesh_.topology()), rule(faceVaryingTraits(mesh_.options())), out(out_) {}

    void run() {
        out.edgeFlags.assign(c.numE, 0);
        out.mismatched.assign(c.numV, 0);
        out.valueStart.assign(c.numV + 1, 0);
        out.ringSiblings.assign(c.ringEdges.size(), 0);
        ringCoordinate.assign(c.ringEdges.size(), -1);
        for (int v = 0; v < c.numV; ++v)
            for (int k = c.ringStart[v]; k < c.ringStart[v + 1]; ++k) {
                const int f = c.ringFaces[k];
                if (f >= 0) ringCoordinate[k] = mesh.cornerTextureCoordinate(f, c.cornerOf(f, v));
            }
        for (int v = 0; v < c.numV; ++v) {
            markParted(v);
            findValues(v);
        }
        const int values = out.valueStart[c.numV];
        out.kinds.assign(values, kCornerValue);
        out.ends.assign(4 * static_cast<std::size_t>(values), -1);
        for (int v = 0; v < c.numV; ++v)
            if (out.mismatched[v]) classifyValues(v);
    }

private:
    // The seams at v (where two faces in a row name different coordinates
    // at v), both their ends parted; a boundary vertex not yet parted is
    // parted, its boundary edges kept linear, where the rule keeps the
    // boundary linear or makes a corner of one face sharp.
    void markParted(int v) {
        const int first = c.ringStart[v], n = c.edgeVal(v), nf = c.faceVal(v);
        const bool boundary = n != nf;
        const int* value = ringCoordinate.data() + first;
        for (int i = boundary ? 1 : 0; i < nf; ++i) {
            if (value[i] == value[i ? i - 1 : nf - 1]) continue;
            const int e = c.ringEdges[first + i];
            out.mismatched[c.edgeVertices[2 * e]] = out.mismatched[c.edgeVertices[2 * e + 1]] = 1;
            out.edgeFlags[e] |= kSeamEdge | (rule.linearBoundaries ? kLinearEdge : 0);
        }
        if (!boundary || out.mismatched[v]) return;
        if (rule.linearBoundaries && nf > 0) {
            out.mismatched[v] = 1;
            out.edgeFlags[c.ringEdges[first]] |= kLinearEdge;
            out.edgeFlags[c.ringEdges[first + n - 1]] |= kLinearEdge;
        } else if (nf == 1 && rule.smoothCornersSharp) {
            out.mismatched[v] = 1;
        }
    }

    // The distinct coordinates round v's ring in order of first appearance
    // (looked up in a table where the ring is long), each a value of v.
    void findValues(int v) {
        const int first = c.ringStart[v], nf = c.faceVal(v);
        const int* value = ringCoordinate.data() + first;
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

    // Ring edge k of v counted into `span`: parted, infinitely or semi-sharp.
    void countEdge(int v, int k, Span& span) const {
        const int e = c.ringEdges[c.ringStart[v] + k];
        const float s = mesh.edge(e)->ruleSharpness();
        if (out.edgeFlags[e] & kSeamEdge)
            ++span.parted;
        else if (isSharp(s) && !isSemiSharp(s))
            ++span.infSharp;
        else if (isSemiSharp(s))
            ++span.semiSharp;
    }

    // The span of each of v's values: its faces (a value whose faces do
    // not run in one piece counts a parted edge), and the edges inside it.
    void findSpans(int v, int count) {
        const int first = c.ringStart[v], n = c.edgeVal(v), nf = c.faceVal(v);
        const bool boundary = n != nf;
        const int* sib = out.ringSiblings.data() + first;
        spans.assign(count, Span());
        if (count == 1 && !boundary) {
            // One value round the whole ring: the seams end here.
            Span& span = spans[0];
            for (int k = 0; k < n; ++k) {
                if (!(out.edgeFlags[c.ringEdges[first + k]] & kSeamEdge)) {
                    countEdge(v, k, span);
                } else if (span.size > 0) {
                    span.parted = 1;
                    break;
                } else {
                    span.size = nf;
                    span.start = k;
                }
            }
            span.size = nf;
            return;
        }
        if (nf == 0) return;
        spans[0].size = 1;
        if (!boundary && sib[nf - 1] == 0) countEdge(v, 0, spans[0]);
        for (int i = 1; i < nf; ++i) {
            Span& span = spans[sib[i]];
            if (sib[i] == sib[i - 1]) {
                countEdge(v, i, span);
            } else {
                if (span.size > 0) ++span.parted;
                span.start = i;
            }
            ++span.size;
        }
        if (sib[nf - 1] == 0 && !boundary) --spans[0].parted;
    }

    // The kind of each value of a parted vertex v, and a crease's ends.
    void classifyValues(int v) {
        const int first = c.ringStart[v], n = c.edgeVal(v), nf = c.faceVal(v), count = out.valueStart[v + 1] - out.valueStart[v];
        const bool boundary = n != nf;
        const float vs = mesh.vertex(v)->sharpness();
        const bool infSharpVertex = isSharp(vs) && !isSemiSharp(vs), semiSharpVertex = isSemiSharp(vs);
        findSpans(v, count);
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
            if (allSharp || span.infSharp || (span.size == 1 && rule.cornersAreSharp)) continue;
            if (span.semiSharp || semiSharpVertex)
                out.kinds[value] = kSemiSharpValue;
            else if (dependentToSharpen)
                out.kinds[value] = kSemiSharpValue | kDependentValue;
            else
                out.kinds[value] = kCreaseValue;
            const int startFace = span.start;
            const int endFace = (s == 0 && span.start != 0) ? span.start + span.size - 1 - nf : span.start + span.size - 1;
            int* e = out.ends.data() + 4 * static_cast<std::size_t>(value);
            e[0] = first + startFace;
            e[1] = first + startFace;
            e[2] = first + endFace;
            e[3] = first + (endFace + 1) % n;
        }
    }

    const Mesh& mesh;
    const MeshTopology& c;
    const FaceVaryingTraits rule;
    ControlLayout& out;
    std::vector<int> ringCoordinate;  // per ring entry: its face's texture coordinate at the vertex, -1 past the last face
    std::vector<int> siblings;        // scratch: one vertex's distinct coordinates
    std::unordered_map<int, int> table;
    std::vector<Span> spans;
};

}  // namespace

ControlLayout analyseControlLayout(const Mesh& mesh) {
    ControlLayout out;
    Analysis(mesh, out).run();
    return out;
}

}  // namespace facetry
