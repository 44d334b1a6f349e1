#include "mesh/meshelements.h"

#include <cstdio>

#include "mesh/mesh.h"
#include "rules/catmullclark.h"
#include "rules/creases.h"

namespace facetry {

namespace {

// Vertex v as its rules see it: its ring edges' sharpness, infinite on the boundary.
auto neighbourhoodOf(const MeshVertex* v, const SchemeOptions& options) {
    return vertexNeighbourhood(v->edgeVal(), v->sharpness(), [v](int k) { return v->edge(k)->ruleSharpness(); },
                               options.creasing);
}

}  // namespace

// Two vertices share at most one edge, so it can be looked for in the
// shorter of the two rings: a vertex of very high valence stays cheap to ask.
const MeshEdge* MeshVertex::edgeTo(const MeshVertex* v) const {
    FACETRY_ASSERT(v);
    const bool fromOther = v->edgeVal() < edgeVal();
    const MeshVertex* from = fromOther ? v : this;
    const MeshVertex* end = fromOther ? this : v;
    for (int i = 0; i < from->edgeVal(); ++i)
        if (from->edge(i)->incident(end)) return from->edge(i);
    return nullptr;
}

void MeshVertex::setPosition(const Vector& p) {
    Vector& pos = mesh->positions[id];
    const Vector d = p - pos;
    pos = p;
    const MeshTopology& t = mesh->topo;
    for (int i = 0; i < faceVal(); ++i) {
        const int f = t.ringFaces[t.ringStart[id] + i];
        mesh->centroids[f] += d / static_cast<float>(t.valence(f));
    }
}

// The position at the far end of ring edge k.
Vector MeshVertex::neighbour(int k) const {
    const MeshTopology& t = mesh->topo;
    const int* ends = &t.edgeVertices[2 * t.ringEdges[t.ringStart[id] + k]];
    return mesh->positions[ends[0] == id ? ends[1] : ends[0]];
}

Vector MeshVertex::vertexPoint() const {
    const Vector pos = position();
    if (edgeVal() == 0) return pos;  // a vertex no face uses is not part of the surface
    // Without a sharp edge or vertex anywhere, the rules are the smooth ones.
    if (!mesh->hasCreases()) return smoothVertexPoint();
    auto interiorSharpness = [this](int k) { return interiorEdgeSharpness(edge(k)->sharpness(), edge(k)->onBoundary()); };
    if (!takesCreaseRules(sharpness(), edgeVal(), interiorSharpness)) return smoothVertexPoint();
    return creasedVertexPoint(
        pos, neighbourhoodOf(this, mesh->options()), [this](int k) { return neighbour(k); }, [this] { return smoothVertexPoint(); });
}

float MeshVertex::halfSharpnessAfterStep(const MeshEdge* e) const {
    FACETRY_ASSERT(e && e->incident(this));
    const float s = e->ruleSharpness();
    if (mesh->options().creasing == CreasingMethod::Uniform || !isSemiSharp(s)) return nextSharpness(s);
    return neighbourhoodOf(this, mesh->options()).halfSharpnessAfterStep(s);
}

// The vertex point without creases: the boundary curve on the boundary.
Vector MeshVertex::smoothVertexPoint() const {
    const Vector pos = position();
    const int n = edgeVal();
    if (onBoundary()) return curveVertexPoint(pos, neighbour(0) + neighbour(n - 1));
    const int* ringFaces = &mesh->topo.ringFaces[mesh->topo.ringStart[id]];
    Vector s;
    for (int i = 0; i < n; ++i) s += mesh->centroids[ringFaces[i]] + neighbour(i);
    return vertexPointOverFacePoints(pos, s, n);
}

MrVertex* MeshVertex::mrVertex() const { return mesh->vertexLinks[id].mrVertex(); }

void MeshVertex::setMrV(MrVertex* v) { mesh->vertexLinks[id].setMrV(v); }

void MeshVertex::print() const {
    std::printf("[v%d e:{", id);
    for (int i = 0; i < edgeVal(); ++i) std::printf(i ? " %d" : "%d", edge(i)->id);
    std::printf("} f:{");
    for (int i = 0; i < faceVal(); ++i) std::printf(i ? " %d" : "%d", face(i)->id);
    std::printf("}]");
}

const MeshVertex* MeshEdge::otherVertex(const MeshVertex* v) const { return vertex(links().otherEnd(v)); }

bool MeshEdge::incident(const MeshVertex* v) const { return links().incident(v); }

bool MeshEdge::incident(const MeshFace* f) const { return links().incidentFace(f); }

bool MeshEdge::incident(const MeshEdge* e) const {
    const EdgeLinks other = e ? e->links() : EdgeLinks{};
    return links().incident(e ? &other : nullptr);
}

Vector MeshEdge::edgePoint() const {
    Vector a = vertex(0)->position(), b = vertex(1)->position();
    if (onBoundary()) return curveMidpoint(a, b);
    const SchemeOptions& options = mesh->options();
    const float triangleWeight = options.triangles == TriangleSubdivision::Smooth
                                     ? smoothTriangleFaceWeight(face(0)->valence(), face(1)->valence())
                                     : 0.0f;
    const Vector smooth = triangleWeight > 0
                              ? smoothTriangleEdgePoint(a, b, face(0)->centroid(), face(1)->centroid(), triangleWeight)
                              : smoothEdgePoint(a, b, face(0)->centroid(), face(1)->centroid());
    const float s = sharpness();
    if (!isSharp(s)) return smooth;
    if (options.creasing == CreasingMethod::Uniform) return creasedEdgePoint(curveMidpoint(a, b), smooth, s);
    return creasedEdgePoint(curveMidpoint(a, b), smooth, s, vertex(0)->halfSharpnessAfterStep(this),
                            vertex(1)->halfSharpnessAfterStep(this));
}

float MeshEdge::ruleSharpness() const { return edgeRuleSharpness(sharpness(), onBoundary()); }

MrVertex* MeshEdge::mrVertex() const { return mesh->edgeLinks[id].mrVertex(); }

void MeshEdge::setMrV(MrVertex* v) { mesh->edgeLinks[id].setMrV(v); }

void MeshEdge::print() const {
    std::printf("[e%d v:{%d %d}, f:{%d %d}]", id, vertex(0)->id, vertex(1)->id, face(0) ? face(0)->id : -1,
                face(1) ? face(1)->id : -1);
}

bool MeshFace::incident(const MeshEdge* e) const {
    for (int k = 0; k < valence(); ++k)
        if (edge(k) == e) return true;
    return false;
}

void MeshFace::edgesAt(const MeshVertex* v, const MeshEdge*& e1, const MeshEdge*& e2) const {
    int first, second;
    sidesAt(v, valence(), [&](int i) { return edge(i)->incident(v); }, first, second);
    e1 = edge(first);
    e2 = edge(second);
}

MrVertex* MeshFace::mrVertex() const { return mesh->faceLinks[id].mrVertex(); }

void MeshFace::setMrV(MrVertex* v) { mesh->faceLinks[id].setMrV(v); }

void MeshFace::print() const {
    std::printf("[f%d v:{", id);
    for (int i = 0; i < valence(); ++i) std::printf(i ? " %d" : "%d", vertex(i)->id);
    std::printf("}]");
}

}  // namespace facetry
