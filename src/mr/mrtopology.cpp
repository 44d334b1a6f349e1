#include "mr/mrtopology.h"

#include <algorithm>
#include <vector>

#include "math/check.h"
#include "mr/parallel.h"

namespace facetry {

void MrTopology::completeFrames(int threads) {
    parallelFor(numF, threads, grainFor(4), [this](std::size_t begin, std::size_t end) {
        for (std::size_t f = begin; f < end; ++f) {
            unsigned char sides = 0;
            for (int k = 0; k < 4; ++k)
                sides |= sideFromStartBit(k, edges[faces[f].edges[k]].vertices[0] == faces[f].vertices[kSideStart[k]]);
            faceSides[f] = sides;
            for (int k = 0; k < 4; ++k) {
                const int e = faces[f].edges[k];
                const int i = edges[e].faces[0] == static_cast<int>(f) ? 0 : 1;
                edgeFrames[2 * e + i] = packFrame(k, sideFromStart(static_cast<int>(f), k));
            }
        }
    });
}

void MrTopology::keepSegmentsTo(int level) {
    if (segmentedEdges.size() == 0) return;
    while (static_cast<int>(segmentLevels.size()) < level) {
        // From level r to r + 1: segment i's halves 2i and 2i + 1 take what
        // the vertex at their end (its point i and i + 1) makes of it.
        const int r = static_cast<int>(segmentLevels.size()), m = 1 << r;
        Block<float> next(segmentedEdges.size() << (r + 1));
        for (std::size_t place = 0; place < segmentedEdges.size(); ++place) {
            const int e = segmentedEdges[place];
            float* halves = next.data() + (place << (r + 1));
            auto atEnd = [&](int v, float s) { return vertexNeighbourhoodAt(v, r).halfSharpnessAfterStep(s); };
            for (int i = 0; i < m; ++i) {
                const float s = segmentSharpnessAt(e, i, r);
                halves[2 * i] = i == 0 ? atEnd(edges[e].vertices[0], s)
                                       : innerPointNeighbourhoodAt(e, i, r).halfSharpnessAfterStep(s);
                halves[2 * i + 1] = i == m - 1 ? atEnd(edges[e].vertices[1], s)
                                               : innerPointNeighbourhoodAt(e, i + 1, r).halfSharpnessAfterStep(s);
            }
        }
        segmentLevels.push_back(std::move(next));
    }
}

void MrTopology::dropSegmentsAbove(int level) {
    if (static_cast<int>(segmentLevels.size()) > level) segmentLevels.resize(static_cast<std::size_t>(level));
}

}  // namespace facetry
