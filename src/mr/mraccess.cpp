#include "mr/mraccess.h"

#include <utility>

#include "mr/MrFace.h"
#include "mr/mredge.h"
#include "mr/mrvertex.h"

namespace facetry {

void MrEdgeAccess::set(MrEdge* e_, MrVertex* v) {
    FACETRY_ASSERT(e_ && v && e_->incident(v));
    e = e_;
    reversed = v != e_->vertex(0);
}

Vector MrEdgeAccess::point(int i) const {
    FACETRY_ASSERT(e);
    return e->point(index(i, e->pointCount()));
}

void MrFaceAccess::set(MrFace* f_, MrEdge* e0, MrEdge* e1) {
    FACETRY_ASSERT(f_ && e0 && e1 && e0!=e1);
    FACETRY_ASSERT(f_->incident(e0) && f_->incident(e1) && e0->incident(e1));
    f = f_;
    // After the exchange e0 runs along the grid's i sides (edge 0 or 2) and
    // e1 along its j sides (edge 1 or 3).
    swapIJ = e0 != f_->edge(0) && e0 != f_->edge(2);
    if (swapIJ) std::swap(e0, e1);
    flipI = e1 != f_->edge(3);
    flipJ = e0 != f_->edge(0);
}

Vector MrFaceAccess::point(int i, int j) const {
    FACETRY_ASSERT(f);
    const int n = f->gridSize();
    if (swapIJ) std::swap(i, j);
    if (flipI) i = n - 1 - i;
    if (flipJ) j = n - 1 - j;
    return f->point(i, j);
}

}  // namespace facetry
