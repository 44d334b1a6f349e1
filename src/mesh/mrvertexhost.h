#pragma once
// MrVertexHost: the link from a control-mesh element to the surface vertex
// that stands for it. Set once, never to null, never changed.

#include "math/check.h"

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
