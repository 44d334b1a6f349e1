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

}  // namespace facetry
