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
    parallelFor(numE, threads, kGrain, [this](std::size_t begin, std::size_t end) {
        for (std::size_t e = begin; e < end; ++e) edges[e].faces[0] = edges[e].faces[1] = -1;
    });
    parallelFor(numF, threads, kGrain, [this](std::size_t begin, std::size_t end) {
        for (std::size_t f = begin; f < end; ++f)
            for (int k = 0; k < 4; ++k) {
                int* slots = edges[faces[f].edges[k]].faces;
                int empty = -1;
                if (!__atomic_compare_exchange_n(slots, &empty, static_cast<int>(f), false, __ATOMIC_RELAXED,
                                                 __ATOMIC_RELAXED))
                    slots[1] = static_cast<int>(f);
            }
    });
    parallelFor(numE, threads, kGrain, [this](std::size_t begin, std::size_t end) {
        for (std::size_t e = begin; e < end; ++e)
            if (edges[e].faces[1] >= 0 && edges[e].faces[1] < edges[e].faces[0])
                std::swap(edges[e].faces[0], edges[e].faces[1]);
    });
}

// The walk around a vertex: from its first edge (its first boundary edge on
// the boundary) across that edge's face(0), then from each face to its other
// edge at the vertex and on across that edge's other face. One step writes
// ring entry `slot` and moves the walk to the next edge and face.
void MrTopology::stepRing(RingWalk& walk) {
    const int v = walk.vertex, e = walk.edge, f = walk.face;
    FACETRY_ASSERT(e >= 0);
    ringEdges[walk.slot] = e;
    ringFaces[walk.slot] = f;
    unsigned char corner = edges[e].vertices[1] == v ? 4 : 0;
    if (f >= 0) {
        const MrFaceTopology& quad = faces[f];
        const int c = static_cast<int>(std::find(quad.vertices, quad.vertices + 4, v) - quad.vertices);
        FACETRY_ASSERT(c < 4);
        corner |= static_cast<unsigned char>(c);
        // the face's two edges at its corner c: edge c-1 and edge c
        const int before = quad.edges[(c + 3) % 4], after = quad.edges[c];
        FACETRY_ASSERT(e == before || e == after);
        walk.edge = e == before ? after : before;
        const int* across = edges[walk.edge].faces;
        FACETRY_ASSERT(across[0] == f || across[1] == f);
        walk.face = across[0] == f ? across[1] : across[0];
    }
    ringCorners[walk.slot++] = corner;
}

// Each step of a walk waits for the memory of the face and edge it comes to.
// Several walks taken a step at a time each let those waits overlap, which on
// a mesh whose elements lie scattered in memory makes the walks several times
// faster. Each walk still writes only its own vertex's entries.
void MrTopology::orderRings(std::size_t begin, std::size_t end, const int* startEdge) {
    constexpr int kLanes = 8;
    RingWalk lanes[kLanes];
    int active = 0;
    std::size_t next = begin;
    for (;;) {
        while (active < kLanes && next < end) {
            const int v = static_cast<int>(next++);
            if (startEdge[v] < 0) continue;  // a vertex no face uses
            lanes[active++] = RingWalk{v, ringStart[v], startEdge[v], edges[startEdge[v]].faces[0]};
        }
        if (active == 0) return;
        for (int k = 0; k < active; ++k) stepRing(lanes[k]);
        for (int k = 0; k < active;)
            if (lanes[k].slot == ringStart[lanes[k].vertex + 1])
                lanes[k] = lanes[--active];
            else
                ++k;
    }
}

void MrTopology::complete(int threads) {
    attachFaces(threads);

    // Ring sizes, a ring entry per edge, and where each walk starts: at the
    // first edge the vertex received (edges join their ends' rings in index
    // order), or at the first boundary edge it received if it lies on the
    // boundary.
    std::vector<int> edgeCount(numV, 0), firstEdge(numV, -1), firstBoundaryEdge(numV, -1), startEdge(numV);
    parallelFor(numE, threads, kGrain, [&](std::size_t begin, std::size_t end) {
        for (std::size_t e = begin; e < end; ++e)
            for (int side = 0; side < 2; ++side) {
                const int v = edges[e].vertices[side];
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
        for (std::size_t v = begin; v < end; ++v) startEdge[v] = firstBoundaryEdge[v] >= 0 ? firstBoundaryEdge[v] : firstEdge[v];
        orderRings(begin, end, startEdge.data());
    });

    // Frames: how each edge lies along the grid sides of its faces.
    faceSides = Block<unsigned char>(numF);
    edgeFrames = Block<unsigned char>(2 * static_cast<std::size_t>(numE));
    parallelFor(numF, threads, kGrain, [this](std::size_t begin, std::size_t end) {
        for (std::size_t f = begin; f < end; ++f) {
            unsigned char sides = 0;
            for (int k = 0; k < 4; ++k)
                if (edges[faces[f].edges[k]].vertices[0] == faces[f].vertices[kSideStart[k]])
                    sides |= static_cast<unsigned char>(1 << k);
            faceSides[f] = sides;
            for (int k = 0; k < 4; ++k) {
                const int e = faces[f].edges[k];
                const int i = edges[e].faces[0] == static_cast<int>(f) ? 0 : 1;
                edgeFrames[2 * e + i] = static_cast<unsigned char>(k | (sides >> k & 1 ? 4 : 0));
            }
        }
    });
}
