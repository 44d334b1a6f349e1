#include "mesh/topvertex.h"

#include <vector>

#include "mesh/TopFace.h"
#include "mesh/topedge.h"

namespace facetry {

bool RingSizes::onBoundary() const {
    FACETRY_ASSERT(faceVal()==edgeVal() || faceVal()+1==edgeVal());
    return faceVal() != edgeVal();
}

void TopVertex::addEdge(TopEdge* e) {
    FACETRY_ASSERT(e);
    edgeRing.push_back(e);
}

void TopVertex::addFace(TopFace* f) {
    FACETRY_ASSERT(f);
    faceRing.push_back(f);
}

// Two vertices share at most one edge, so it can be looked for in the
// shorter of the two rings: a vertex of very high valence stays cheap to ask.
TopEdge* TopVertex::edgeTo(const TopVertex* v) const {
    FACETRY_ASSERT(v);
    const bool fromOther = v->edgeVal() < edgeVal();
    const std::vector<TopEdge*>& ring = fromOther ? v->edgeRing : edgeRing;
    const TopVertex* end = fromOther ? this : v;
    for (std::size_t i = 0; i < ring.size(); ++i)
        if (ring[i]->incident(end)) return ring[i];
    return nullptr;
}

void TopVertex::orderRings() {
    // The walk writes into scratch lists reused from vertex to vertex, then
    // over the rings (a fan keeps the sizes).
    thread_local std::vector<TopEdge*> edges;
    thread_local std::vector<TopFace*> faces;
    edges.clear();
    faces.clear();

    // A boundary vertex starts at its first boundary edge, so the walk can
    // run across the whole fan to the other boundary edge.
    TopEdge* e = edge(0);
    if (onBoundary()) {
        int i = 0;
        while (i < edgeVal() && !edgeRing[i]->onBoundary()) ++i;
        FACETRY_ASSERT(i<edgeVal());
        e = edgeRing[i];
    }
    TopFace* f = e->face(0);
    for (int step = 0; step < edgeVal(); ++step) {
        FACETRY_ASSERT(e);
        edges.push_back(e);
        if (f) {
            faces.push_back(f);
            TopEdge *e1, *e2;
            f->edgesAt(this, e1, e2);
            FACETRY_ASSERT(e==e1 || e==e2);
            e = (e == e1) ? e2 : e1;
            FACETRY_ASSERT(e->face(0)==f || e->face(1)==f);
            f = (e->face(0) == f) ? e->face(1) : e->face(0);
        }
    }
    edgeRing.assign(edges.begin(), edges.end());
    faceRing.assign(faces.begin(), faces.end());
    if (onBoundary()) FACETRY_ASSERT(edge(0)->onBoundary() && edge(edgeVal()-1)->onBoundary());
}

}  // namespace facetry
