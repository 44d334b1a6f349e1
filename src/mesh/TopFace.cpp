#include "mesh/TopFace.h"

#include "math/check.h"
#include "mesh/topedge.h"
#include "mesh/topvertex.h"

TopFace::~TopFace() {
    if (owned) {
        delete[] verts;
        delete[] sides;
    }
}

void TopFace::attach(int valence, TopVertex** vertices_, TopEdge** edges_) {
    count = valence;
    verts = vertices_;
    sides = edges_;
}

void TopFace::setVertices(int valence, TopVertex* const* vertices_) {
    FACETRY_ASSERT(valence>=3 && vertices_);
    count = valence;
    verts = new TopVertex*[valence];
    sides = new TopEdge*[valence];
    owned = true;
    for (int i = 0; i < valence; ++i) verts[i] = vertices_[i];
    for (int i = 0; i < valence; ++i) {
        TopEdge* e = verts[i]->edgeTo(vertex(i + 1));
        FACETRY_ASSERT(e);
        sides[i] = e;
        e->addFace(this);
        verts[i]->addFace(this);
    }
}

bool TopFace::incident(const TopEdge* e) const {
    for (int i = 0; i < count; ++i)
        if (sides[i] == e) return true;
    return false;
}

void sidesAt(const void* v, int count, const std::function<bool(int)>& endsAt, int& first, int& second) {
    FACETRY_ASSERT(v);
    int found = 0;
    first = second = -1;
    for (int i = 0; i < count && found < 2; ++i)
        if (endsAt(i)) (found++ == 0 ? first : second) = i;
    FACETRY_ASSERT(found == 2);
}

// For v at position j > 0 this gives edge j-1 then edge j; for j = 0, edge 0
// then edge valence()-1.
void TopFace::edgesAt(const TopVertex* v, TopEdge*& e1, TopEdge*& e2) const {
    int first, second;
    sidesAt(v, count, [&](int i) { return sides[i]->incident(v); }, first, second);
    e1 = sides[first];
    e2 = sides[second];
}
