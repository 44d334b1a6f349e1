#include "mr/levelzero.h"

#include <algorithm>
#include <vector>

#include "math/check.h"
#include "mr/parallel.h"
#include "rules/creases.h"

namespace facetry {

LevelZeroNumbering::LevelZeroNumbering(const MeshTopology& control)
    : controlVertices(control.numV), controlEdges(control.numE), controlFaces(control.numF),
      controlCorners(static_cast<int>(control.cornerVertices.size())) {
    for (int f = 0; f < control.numF && !isRefined; ++f) isRefined = control.valence(f) != 4;
}

namespace {

// Allocates the arrays of the quads and edges and their frames.
void allocateElements(const LevelZeroNumbering& numbering, MrTopology& t) {
    t.numV = numbering.numV();
    t.numE = numbering.numE();
    t.numF = numbering.numF();
    t.edges = Block<MrEdgeTopology>(t.numE);
    t.faces = Block<MrFaceTopology>(t.numF);
    t.faceSides = Block<unsigned char>(t.numF);
    t.edgeFrames = Block<unsigned char>(2 * static_cast<std::size_t>(t.numE));
}

// Level 0 is the control mesh: the same elements, numbers and rings.
void buildQuadPath(const Mesh& mesh, MrTopology& t, int threads) {
    const MeshTopology& control = mesh.topology();
    for (int i = 0; i < t.numE; ++i)
        t.edges[i] = {{control.edgeVertices[2 * i], control.edgeVertices[2 * i + 1]},
                      {control.edgeFaces[2 * i], control.edgeFaces[2 * i + 1]}};
    for (int i = 0; i < t.numF; ++i) {
        const MeshFace* f = mesh.face(i);
        FACETRY_ASSERT(f->valence() == 4);
        for (int k = 0; k < 4; ++k) {
            t.faces[i].vertices[k] = control.cornerVertices[control.faceStart[i] + k];
            t.faces[i].edges[k] = control.cornerEdges[control.faceStart[i] + k];
        }
    }
    const std::size_t entries = control.ringEdges.size();
    t.ringStart = Block<int>(t.numV + 1);
    std::copy(control.ringStart.begin(), control.ringStart.end(), t.ringStart.data());
    t.ringEdges = Block<int>(entries);
    t.ringFaces = Block<int>(entries);
    t.ringCorners = Block<unsigned char>(entries);
    parallelFor(t.numV, threads, grainFor(1), [&](std::size_t begin, std::size_t end) {
        for (std::size_t v = begin; v < end; ++v)
            for (int k = control.ringStart[v]; k < control.ringStart[v + 1]; ++k) {
                const int e = control.ringEdges[k], f = control.ringFaces[k];
                t.ringEdges[k] = e;
                t.ringFaces[k] = f;
                const int corner = f >= 0 ? control.cornerOf(f, static_cast<int>(v)) : 0;
                const bool fromEnd = control.edgeVertices[2 * e + 1] == static_cast<int>(v);
                t.ringCorners[k] = MrTopology::packRingCorner(corner, fromEnd);
            }
    });
    t.completeFrames(threads);
}

// Level 0 as one Catmull-Clark step of the control mesh, step by step: the
// edges, the quads, where the rings start, then the rings of face points,
// edge points (with the faces and frames of the control edges' halves) and
// vertex points, and the faces and frames of the edges inside control faces.
class RefinementPath {
public:
    RefinementPath(const MeshTopology& control, const LevelZeroNumbering& numbering, MrTopology& topology, int threads_)
        : c(control), at(numbering), t(topology), threads(threads_) {}

    void build() {
        joinEdges();
        makeQuads();
        startRings();
        faceVertexRings();
        edgeVertexRings();
        cornerEdgeFaces();
        vertexVertexRings();
    }

private:
    static constexpr bool kFromStart = false, kFromEnd = true;  // whether the vertex is the edge's vertex(1)

    // Control corner j of face f, j taken cyclically, and its edge.
    int corner(int f, int j) const { return c.faceStart[f] + (j + c.valence(f)) % c.valence(f); }
    int cornerEdge(int f, int j) const { return at.cornerEdge(corner(f, j)); }
    // The half of control edge e at its end w.
    int half(int e, int w) const { return at.edgeHalf(e, c.edgeVertices[2 * e] == w ? 0 : 1); }
    // Where edge e lies in face f: the j of corner j from which it runs.
    int sideOf(int f, int e) const {
        const int* first = c.cornerEdges.data() + c.faceStart[f];
        return static_cast<int>(std::find(first, first + c.valence(f), e) - first);
    }
    void entry(int slot, int edge, int face, int cornerInFace, bool fromEnd) {
        t.ringEdges[slot] = edge;
        t.ringFaces[slot] = face;
        t.ringCorners[slot] = MrTopology::packRingCorner(cornerInFace, fromEnd);
    }

    // The two halves of every control edge, then one from every face
    // corner's edge point to the face point.
    void joinEdges() {
        MrEdgeTopology* const edges = t.edges.data();
        const int numE = t.numE;
        MrEdgeTopology* offset = edges;
        auto join = [&](int a, int b) { *offset++ = {{a, b}, {-1, -1}}; };
        for (int e = 0; e < c.numE; ++e) {
            join(at.vertexVertex(c.edgeVertices[2 * e]), at.edgeVertex(e));
            join(at.edgeVertex(e), at.vertexVertex(c.edgeVertices[2 * e + 1]));
        }
        for (int f = 0; f < c.numF; ++f)
            for (int k = c.faceStart[f]; k < c.faceStart[f + 1]; ++k) join(at.edgeVertex(c.cornerEdges[k]), at.faceVertex(f));
        FACETRY_ASSERT(offset == edges+numE);
    }

    // One quad per control-face corner, with the control face's orientation:
    // face point, edge point before, vertex point, edge point after; the
    // quads of a face in its corner order. Sides 0 and 3 run from the edge
    // points to the face point, against the grid; sides 1 and 2 run with it
    // when they are the half from the edge point to the vertex point (the
    // second half of its control edge).
    void makeQuads() {
        MrFaceTopology* const faces = t.faces.data();
        const int numF = t.numF;
        MrFaceTopology* offset = faces;
        for (int f = 0; f < c.numF; ++f)
            for (int j = 0; j < c.valence(f); ++j) {
                const int before = c.cornerEdges[corner(f, j - 1)], after = c.cornerEdges[corner(f, j)];
                const int vertex = c.cornerVertices[corner(f, j)];
                const int side1 = half(before, vertex), side2 = half(after, vertex);
                const int q = static_cast<int>(offset - faces);
                *offset++ = {{at.faceVertex(f), at.edgeVertex(before), at.vertexVertex(vertex), at.edgeVertex(after)},
                             {cornerEdge(f, j - 1), side1, side2, cornerEdge(f, j)}};
                t.faceSides[q] = MrTopology::sideFromStartBit(1, side1 == at.edgeHalf(before, 1)) |
                                 MrTopology::sideFromStartBit(2, side2 == at.edgeHalf(after, 1));
            }
        FACETRY_ASSERT(offset == faces+numF);
    }

    // A face point's ring runs through its corner edges, an edge point's
    // round its two halves and the corner edges between them (three entries
    // on the boundary), a vertex point's follows its control vertex's.
    void startRings() {
        const int numV = t.numV;
        t.ringStart = Block<int>(numV + 1);
        for (int f = 0; f < c.numF; ++f) t.ringStart[at.faceVertex(f) + 1] = c.valence(f);
        for (int e = 0; e < c.numE; ++e) t.ringStart[at.edgeVertex(e) + 1] = c.edgeFaces[2 * e + 1] < 0 ? 3 : 4;
        for (int v = 0; v < c.numV; ++v) t.ringStart[at.vertexVertex(v) + 1] = c.edgeVal(v);
        for (int v = 0; v < numV; ++v) t.ringStart[v + 1] += t.ringStart[v];
        t.ringEdges = Block<int>(t.ringStart[numV]);
        t.ringFaces = Block<int>(t.ringStart[numV]);
        t.ringCorners = Block<unsigned char>(t.ringStart[numV]);
    }

    // A face point's ring runs through its corner edges backwards.
    void faceVertexRings() {
        parallelFor(c.numF, threads, grainFor(8), [&](std::size_t begin, std::size_t end) {
            for (std::size_t i = begin; i < end; ++i) {
                const int f = static_cast<int>(i), n = c.valence(f), first = t.ringStart[at.faceVertex(f)];
                for (int k = 0; k < n; ++k) entry(first + k, cornerEdge(f, -k), corner(f, -k), 0, kFromEnd);
            }
        });
    }

    // An edge point's ring, and the faces and frames (the side of each face
    // an edge lies on, and whether it runs with the grid there) of the
    // control edge's two halves.
    void edgeVertexRings() {
        parallelFor(c.numE, threads, grainFor(8), [&](std::size_t begin, std::size_t end) {
            for (std::size_t i = begin; i < end; ++i) {
                const int e = static_cast<int>(i), a = c.edgeVertices[2 * e], f0 = c.edgeFaces[2 * e], f1 = c.edgeFaces[2 * e + 1];
                const int atStart = at.edgeHalf(e, 0), atEnd = at.edgeHalf(e, 1);
                // The edge runs from a in its first face, which made it.
                const int j0 = sideOf(f0, e);
                t.edges[atStart].faces[0] = corner(f0, j0);
                t.edges[atEnd].faces[0] = corner(f0, j0 + 1);
                t.edgeFrames[2 * atStart] = MrTopology::packFrame(2, false);  // the half at a: side 2 of its first quad
                t.edgeFrames[2 * atEnd] = MrTopology::packFrame(1, true);     // the half at b: side 1, with the grid
                const int first = t.ringStart[at.edgeVertex(e)];
                entry(first, atStart, corner(f0, j0), 3, kFromEnd);
                entry(first + 1, cornerEdge(f0, j0), corner(f0, j0 + 1), 1, kFromStart);
                if (f1 < 0) {
                    entry(first + 2, atEnd, -1, 0, kFromStart);
                    continue;
                }
                // In the second face it runs from a too when the two faces do
                // not turn the same way.
                const int j1 = sideOf(f1, e);
                const bool sameWay = c.cornerVertices[corner(f1, j1)] == a;
                const int quadAtA = corner(f1, sameWay ? j1 : j1 + 1), quadAtB = corner(f1, sameWay ? j1 + 1 : j1);
                t.edges[atStart].faces[1] = quadAtA;
                t.edges[atEnd].faces[1] = quadAtB;
                t.edgeFrames[2 * atStart + 1] = MrTopology::packFrame(sameWay ? 2 : 1, false);
                t.edgeFrames[2 * atEnd + 1] = MrTopology::packFrame(sameWay ? 1 : 2, true);
                entry(first + 2, atEnd, quadAtB, sameWay ? 1 : 3, kFromStart);
                entry(first + 3, cornerEdge(f1, j1), quadAtA, sameWay ? 3 : 1, kFromStart);
            }
        });
    }

    // The edge of corner j lies on side 3 of quad j and side 0 of quad j+1.
    void cornerEdgeFaces() {
        parallelFor(c.numF, threads, grainFor(8), [&](std::size_t begin, std::size_t end) {
            for (std::size_t i = begin; i < end; ++i) {
                const int f = static_cast<int>(i), n = c.valence(f);
                for (int j = 0; j < n; ++j) {
                    const int k = cornerEdge(f, j), q = corner(f, j), next = corner(f, j + 1);
                    t.edges[k].faces[0] = std::min(q, next);
                    t.edges[k].faces[1] = std::max(q, next);
                    t.edgeFrames[2 * k] = MrTopology::packFrame(q < next ? 3 : 0, false);
                    t.edgeFrames[2 * k + 1] = MrTopology::packFrame(q < next ? 0 : 3, false);
                }
            }
        });
    }

    // A vertex point's ring follows its control vertex's, through the halves
    // at it and the quads of its corners.
    void vertexVertexRings() {
        parallelFor(c.numV, threads, grainFor(8), [&](std::size_t begin, std::size_t end) {
            for (std::size_t i = begin; i < end; ++i) {
                const int v = static_cast<int>(i), first = t.ringStart[at.vertexVertex(v)];
                for (int k = 0; k < c.edgeVal(v); ++k) {
                    const int e = c.ringEdges[c.ringStart[v] + k], f = c.ringFaces[c.ringStart[v] + k];
                    entry(first + k, half(e, v), f >= 0 ? corner(f, c.cornerOf(f, v)) : -1, 2, c.edgeVertices[2 * e] != v);
                }
            }
        });
    }

    const MeshTopology& c;
    const LevelZeroNumbering& at;
    MrTopology& t;
    int threads;
};

}  // namespace

void buildLevelZeroTopology(const Mesh& mesh, const LevelZeroNumbering& numbering, MrTopology& topology, int threads) {
    allocateElements(numbering, topology);
    if (numbering.refined())
        RefinementPath(mesh.topology(), numbering, topology, threads).build();
    else
        buildQuadPath(mesh, topology, threads);
}

void takeSharpness(const Mesh& mesh, const LevelZeroNumbering& numbering, MrTopology& t) {
    if (!mesh.hasCreases()) return;
    const bool refined = numbering.refined();
    const int steps = refined ? 1 : 0;
    const CreasingMethod creasing = mesh.options().creasing;
    // Control edge e's sharpness on level 0: the edge's own on the quad path,
    // on the refinement path its half at its vertex(h) (a boundary edge's
    // halves keep its tag less 1, which only the export reads).
    auto halfSharpness = [&](int e, int h) {
        const MeshEdge* edge = mesh.edge(e);
        if (!refined) return edge->sharpness();
        if (creasing == CreasingMethod::Uniform || edge->onBoundary()) return sharpnessAfter(edge->sharpness(), steps);
        return edge->vertex(h)->halfSharpnessAfterStep(edge);
    };
    const int halves = refined ? 2 : 1;
    std::vector<float> edgeSharpness(static_cast<std::size_t>(mesh.numEdges()) * halves);
    bool sharp = false;
    for (int e = 0; e < mesh.numEdges(); ++e)
        for (int h = 0; h < halves; ++h) {
            edgeSharpness[static_cast<std::size_t>(e) * halves + h] = halfSharpness(e, h);
            sharp = sharp || isSharp(edgeSharpness[static_cast<std::size_t>(e) * halves + h]);
        }
    for (int v = 0; v < mesh.numVertices() && !sharp; ++v)
        sharp = isSharp(sharpnessAfter(mesh.vertex(v)->sharpness(), steps));
    if (!sharp) return;
    t.creasing = creasing;
    t.edgeSharpness = Block<float>(t.numE);
    t.vertexSharpness = Block<float>(t.numV);
    t.vertexCreased = Block<unsigned char>(t.numV);
    // A control edge's halves on the refinement path, the edge itself on the quad path.
    for (int e = 0; e < mesh.numEdges(); ++e)
        for (int h = 0; h < halves; ++h)
            t.edgeSharpness[refined ? numbering.edgeHalf(e, h) : e] = edgeSharpness[static_cast<std::size_t>(e) * halves + h];
    for (int v = 0; v < mesh.numVertices(); ++v)
        t.vertexSharpness[numbering.vertexVertex(v)] = sharpnessAfter(mesh.vertex(v)->sharpness(), steps);
    for (int v = 0; v < t.numV; ++v) {
        const int first = t.ringStart[v];
        t.vertexCreased[v] = takesCreaseRules(t.vertexSharpness[v], t.edgeVal(v), [&](int k) {
            const int e = t.ringEdges[first + k];
            return interiorEdgeSharpness(t.edgeSharpness[e], t.edgeOnBoundary(e));
        });
    }
    if (creasing != CreasingMethod::Chaikin) return;
    // Under Chaikin creasing the semi-sharp interior edges keep their segments' sharpness.
    std::vector<int> segmented;
    for (int e = 0; e < t.numE; ++e)
        if (isSemiSharp(interiorEdgeSharpness(t.edgeSharpness[e], t.edgeOnBoundary(e)))) segmented.push_back(e);
    if (segmented.empty()) return;
    t.segmentSlot = Block<int>(t.numE);
    std::fill(t.segmentSlot.data(), t.segmentSlot.data() + t.numE, -1);
    t.segmentedEdges = Block<int>(segmented.size());
    for (std::size_t place = 0; place < segmented.size(); ++place) {
        t.segmentedEdges[place] = segmented[place];
        t.segmentSlot[segmented[place]] = static_cast<int>(place);
    }
}

void takeHoles(const Mesh& mesh, const LevelZeroNumbering& numbering, MrTopology& t) {
    if (!mesh.hasHoles()) return;
    t.faceHoles = Block<unsigned char>(t.numF);
    const MeshTopology& c = mesh.topology();
    for (int f = 0; f < c.numF; ++f) {
        const unsigned char hole = mesh.isHole(f) ? 1 : 0;
        if (!numbering.refined())
            t.faceHoles[f] = hole;
        else  // quad k of control corner k
            for (int k = c.faceStart[f]; k < c.faceStart[f + 1]; ++k) t.faceHoles[k] = hole;
    }
}

void levelZeroPositions(const Mesh& mesh, const LevelZeroNumbering& numbering, Vector* positions, int threads) {
    const MeshTopology& c = mesh.topology();
    if (!numbering.refined()) {
        for (int i = 0; i < c.numV; ++i) positions[i] = mesh.vertex(i)->position();
        return;
    }
    parallelFor(c.numF, threads, grainFor(1), [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i)
            positions[numbering.faceVertex(static_cast<int>(i))] = mesh.face(static_cast<int>(i))->centroid();
    });
    parallelFor(c.numE, threads, grainFor(1), [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i)
            positions[numbering.edgeVertex(static_cast<int>(i))] = mesh.edge(static_cast<int>(i))->edgePoint();
    });
    parallelFor(c.numV, threads, grainFor(8), [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i)
            positions[numbering.vertexVertex(static_cast<int>(i))] = mesh.vertex(static_cast<int>(i))->vertexPoint();
    });
}

}  // namespace facetry
