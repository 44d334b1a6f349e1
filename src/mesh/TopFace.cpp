#include "mesh/TopFace.h"

#include "math/check.h"
#include "mesh/topedge.h"
#include "mesh/topvertex.h"

namespace facetry {

void TopFace::setVertices(int valence, TopVertex* const* vertices_) {
    FACETRY_ASSERT(valence>=3 && vertices_);
    verts.assign(vertices_, vertices_ + valence);
    sides.resize(valence);
    for (int i = 0; i < valence; ++i) {
        TopEdge* e = verts[i]->edgeTo(vertex(i + 1));
        FACETRY_ASSERT(e);
        sides[i] = e;
        e->addFace(this);
        verts[i]->addFace(this);
    }
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
    sidesAt(v, valence(), [&](int i) { return sides[i]->incident(v); }, first, second);
    e1 = sides[first];
    e2 = sides[second];
}

}  // namespace facetry
