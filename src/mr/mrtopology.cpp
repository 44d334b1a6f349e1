#include "mr/mrtopology.h"

#include <algorithm>

#include "math/check.h"
#include "mr/parallel.h"

namespace {
constexpr std::size_t kVertexGrain = 4096;  // ring walks per chunk
}  // namespace

// Faces join their edges in index order: the first one on an edge becomes
// its face(0).
void MrTopology::attachFaces() {
    edgeFaces.assign(2 * static_cast<std::size_t>(numE), -1);
    for (int f = 0; f < numF; ++f)
        for (int k = 0; k < 4; ++k) {
            int* slots = &edgeFaces[2 * static_cast<std::size_t>(faceEdges[4 * f + k])];
            FACETRY_ASSERT(slots[1] < 0);
            slots[slots[0] < 0 ? 0 : 1] = f;
        }
}

// The walk around a vertex: from its first edge (its first boundary edge on
// the boundary) across that edge's face(0), then from each face to its other
// edge at the vertex and on across that edge's other face.
void MrTopology::orderRing(int v, int start) {
    const int first = ringStart[v], n = ringStart[v + 1] - first;
    int e = start;
    int f = edgeFaces[2 * e];
    for (int step = 0; step < n; ++step) {
        FACETRY_ASSERT(e >= 0);
        const int slot = first + step;
        ringEdges[slot] = e;
        ringFaces[slot] = f;
        unsigned char corner = edgeVertices[2 * e + 1] == v ? 4 : 0;
        if (f >= 0) {
            const int* quad = &faceVertices[4 * f];
            const int c = static_cast<int>(std::find(quad, quad + 4, v) - quad);
            FACETRY_ASSERT(c < 4);
            corner |= static_cast<unsigned char>(c);
            // the face's two edges at its corner c: edge c-1 and edge c
            const int before = faceEdges[4 * f + (c + 3) % 4], after = faceEdges[4 * f + c];
            FACETRY_ASSERT(e == before || e == after);
            e = e == before ? after : before;
            const int* faces = &edgeFaces[2 * e];
            FACETRY_ASSERT(faces[0] == f || faces[1] == f);
            f = faces[0] == f ? faces[1] : faces[0];
        }
        ringCorners[slot] = corner;
    }
}

void MrTopology::complete(int threads) {
    attachFaces();

    // Ring sizes, a ring entry per edge, and where each walk starts: at the
    // first edge the vertex received, or at the first boundary edge it
    // received if it lies on the boundary.
    ringStart.assign(static_cast<std::size_t>(numV) + 1, 0);
    std::vector<int> startEdge(numV, -1);
    std::vector<char> startsOnBoundary(numV, 0);
    for (int e = 0; e < numE; ++e)
        for (int end = 0; end < 2; ++end) {
            const int v = edgeVertices[2 * e + end];
            ++ringStart[v + 1];
            if (startEdge[v] < 0 || (edgeOnBoundary(e) && !startsOnBoundary[v])) {
                startEdge[v] = e;
                startsOnBoundary[v] = edgeOnBoundary(e);
            }
        }
    for (int v = 0; v < numV; ++v) ringStart[v + 1] += ringStart[v];
    ringEdges.resize(ringStart[numV]);
    ringFaces.resize(ringStart[numV]);
    ringCorners.resize(ringStart[numV]);
    parallelFor(numV, threads, kVertexGrain, [&](std::size_t begin, std::size_t end) {
        for (std::size_t v = begin; v < end; ++v)
            if (startEdge[v] >= 0) orderRing(static_cast<int>(v), startEdge[v]);
    });

    // Frames: how each edge lies along the grid sides of its faces.
    faceSides.assign(numF, 0);
    for (int f = 0; f < numF; ++f)
        for (int k = 0; k < 4; ++k)
            if (edgeVertices[2 * faceEdges[4 * f + k]] == faceVertices[4 * f + kSideStart[k]])
                faceSides[f] |= static_cast<unsigned char>(1 << k);
    edgeFrames.assign(2 * static_cast<std::size_t>(numE), 0);
    for (int f = 0; f < numF; ++f)
        for (int k = 0; k < 4; ++k) {
            const int e = faceEdges[4 * f + k];
            const int i = edgeFaces[2 * e] == f ? 0 : 1;
            edgeFrames[2 * e + i] = static_cast<unsigned char>(k | (sideFromStart(f, k) ? 4 : 0));
        }
}
