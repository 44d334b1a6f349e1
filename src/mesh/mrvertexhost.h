#pragma once
// MrVertexHost: the link from a control-mesh element to the surface vertex
// that stands for it, one per element in the Mesh's flat arrays. The
// surface's build sets it through a mutable Mesh (MrMesh::build(Mesh&)):
// once, never to null, never changed.

#include "math/check.h"

namespace facetry {

class MrVertex;

class MrVertexHost {
public:
    void setMrV(MrVertex* v) {
        FACETRY_ASSERT(!mrV && v);
        mrV = v;
    }
    MrVertex* mrVertex() const {
        FACETRY_ASSERT(mrV);
        return mrV;
    }

private:
    MrVertex* mrV = nullptr;  // the surface vertex made for this element
};

}  // namespace facetry
