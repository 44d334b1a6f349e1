#include "mesh/meshelements.h"

#include <cstdio>

#include "mesh/mesh.h"
#include "mesh/pointrules.h"
#include "rules/catmullclark.h"
#include "rules/creases.h"

namespace facetry {

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
    const int* ringFaces = mesh->topo.ringFaces.data() + mesh->topo.ringStart[id];
    return vertexPointOf(
        position(), [this](int k) { return neighbour(k); }, [this, ringFaces](int i) { return mesh->centroids[ringFaces[i]]; });
}

float MeshVertex::halfSharpnessAfterStep(const MeshEdge* e) const {
    FACETRY_ASSERT(e && e->incident(this));
    const float s = e->ruleSharpness();
    if (mesh->options().creasing == CreasingMethod::Uniform || !isSemiSharp(s)) return nextSharpness(s);
    return controlNeighbourhood(this, mesh->options()).halfSharpnessAfterStep(s);
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
    return edgePointOf(vertex(0)->position(), vertex(1)->position(), face(0)->centroid(),
                       onBoundary() ? Vector() : face(1)->centroid());
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
