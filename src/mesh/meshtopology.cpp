#include "mesh/meshtopology.h"

#include <algorithm>

#include "math/check.h"

namespace facetry {

int MeshTopology::cornerOf(int f, int v) const {
    const int* first = cornerVertices.data() + faceStart[f];
    const int* last = cornerVertices.data() + faceStart[f + 1];
    const int* found = std::find(first, last, v);
    FACETRY_ASSERT(found != last);
    return static_cast<int>(found - first);
}

}  // namespace facetry
