#include "mr/mrtopology.h"

#include <algorithm>
#include <vector>

#include "math/check.h"
#include "mr/parallel.h"

namespace {

constexpr std::size_t kGrain = 4096;  // elements per chunk of a parallel loop

// Lowers *value to `candidate` if that is smaller, whoever else is lowering it.
void atomicLower(int* value, int candidate) {
    int seen = __atomic_load_n(value, __ATOMIC_RELAXED);
    while ((seen < 0 || candidate < seen) &&
           !__atomic_compare_exchange_n(value, &seen, candidate, true, __ATOMIC_RELAXED, __ATOMIC_RELAXED)) {
    }
}

}  // namespace

// Faces join their edges in index order, so the lower-numbered of an edge's
// two faces is its face(0). Each face claims the first slot of each of its
// edges or, taken, the second; the slots are put in order afterwards.
void MrTopology::attachFaces(int threads) {
    edgeFaces = Block<int>(2 * static_cast<std::size_t>(numE));
    std::fill(edgeFaces.data(), edgeFaces.data() + edgeFaces.size(), -1);
    parallelFor(numF, threads, kGrain, [this](std::size_t begin, std::size_t end) {
        for (std::size_t f = begin; f < end; ++f)
            for (int k = 0; k < 4; ++k) {
                int* slots = &edgeFaces[2 * static_cast<std::size_t>(faceEdges[4 * f + k])];
                int empty = -1;
                if (!__atomic_compare_exchange_n(slots, &empty, static_cast<int>(f), false, __ATOMIC_RELAXED,
                                                 __ATOMIC_RELAXED))
                    slots[1] = static_cast<int>(f);
            }
    });
    parallelFor(numE, threads, kGrain, [this](std::size_t begin, std::size_t end) {
        for (std::size_t e = begin; e < end; ++e)
            if (edgeFaces[2 * e + 1] >= 0 && edgeFaces[2 * e + 1] < edgeFaces[2 * e])
                std::swap(edgeFaces[2 * e], edgeFaces[2 * e + 1]);
    });
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
    attachFaces(threads);

    // Ring sizes, a ring entry per edge, and where each walk starts: at the
    // first edge the vertex received (edges join their ends' rings in index
    // order), or at the first boundary edge it received if it lies on the
    // boundary.
    std::vector<int> edgeCount(numV, 0), firstEdge(numV, -1), firstBoundaryEdge(numV, -1);
    parallelFor(numE, threads, kGrain, [&](std::size_t begin, std::size_t end) {
        for (std::size_t e = begin; e < end; ++e)
            for (int side = 0; side < 2; ++side) {
                const int v = edgeVertices[2 * e + side];
                __atomic_fetch_add(&edgeCount[v], 1, __ATOMIC_RELAXED);
                atomicLower(&firstEdge[v], static_cast<int>(e));
                if (edgeOnBoundary(static_cast<int>(e))) atomicLower(&firstBoundaryEdge[v], static_cast<int>(e));
            }
    });
    ringStart = Block<int>(static_cast<std::size_t>(numV) + 1);
    for (int v = 0; v < numV; ++v) ringStart[v + 1] = ringStart[v] + edgeCount[v];
    ringEdges = Block<int>(ringStart[numV]);
    ringFaces = Block<int>(ringStart[numV]);
    ringCorners = Block<unsigned char>(ringStart[numV]);
    parallelFor(numV, threads, kGrain, [&](std::size_t begin, std::size_t end) {
        for (std::size_t v = begin; v < end; ++v) {
            const int start = firstBoundaryEdge[v] >= 0 ? firstBoundaryEdge[v] : firstEdge[v];
            if (start >= 0) orderRing(static_cast<int>(v), start);
        }
    });

    // Frames: how each edge lies along the grid sides of its faces.
    faceSides = Block<unsigned char>(numF);
    edgeFrames = Block<unsigned char>(2 * static_cast<std::size_t>(numE));
    parallelFor(numF, threads, kGrain, [this](std::size_t begin, std::size_t end) {
        for (std::size_t f = begin; f < end; ++f) {
            unsigned char sides = 0;
            for (int k = 0; k < 4; ++k)
                if (edgeVertices[2 * faceEdges[4 * f + k]] == faceVertices[4 * f + kSideStart[k]])
                    sides |= static_cast<unsigned char>(1 << k);
            faceSides[f] = sides;
            for (int k = 0; k < 4; ++k) {
                const int e = faceEdges[4 * f + k];
                const int i = edgeFaces[2 * e] == static_cast<int>(f) ? 0 : 1;
                edgeFrames[2 * e + i] = static_cast<unsigned char>(k | (sides >> k & 1 ? 4 : 0));
            }
        }
    });
}
