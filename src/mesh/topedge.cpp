#include "mesh/topedge.h"

#include "math/check.h"
#include "mesh/TopFace.h"
#include "mesh/topvertex.h"

namespace facetry {

void TopEdge::setVertices(TopVertex* v0_, TopVertex* v1_) {
    FACETRY_ASSERT(!v0 && !v1 && v0_ && v1_ && v0_!=v1_);
    v0 = v0_;
    v1 = v1_;
    v0_->addEdge(this);
    v1_->addEdge(this);
}

// An edge has at most two faces. The loaders drop every face that would give
// one a third (MeshBuilder), so a third face is a caller's mistake.
void TopEdge::addFace(TopFace* f) {
    FACETRY_ASSERT(f && !incident(f));
    FACETRY_ASSERT(!f0 || !f1);
    (f0 ? f1 : f0) = f;
}

bool EdgeLinks::incident(const void* v) const {
    FACETRY_ASSERT(v);
    return v == v0 || v == v1;
}

bool EdgeLinks::incident(const EdgeLinks* e) const {
    FACETRY_ASSERT(e);
    return incident(e->v0) || incident(e->v1);
}

bool EdgeLinks::incidentFace(const void* f) const {
    FACETRY_ASSERT(f);
    return f == f0 || f == f1;
}

int EdgeLinks::otherEnd(const void* v) const {
    FACETRY_ASSERT(incident(v));
    return v == v0 ? 1 : 0;
}

bool TopEdge::incident(const TopVertex* v) const { return links().incident(v); }

bool TopEdge::incident(const TopFace* f) const { return links().incidentFace(f); }

TopVertex* TopEdge::otherVertex(const TopVertex* v) const { return vertex(links().otherEnd(v)); }

}  // namespace facetry
