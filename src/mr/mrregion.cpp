#include "mr/mrregion.h"

#include <algorithm>

#include "mr/parallel.h"
#include "mr/refinement.h"

namespace facetry {

// Elements at distance d are needed up to level min(L, 2L - d); the list is
// put in order of decreasing need (a counting sort, stable), each member's
// mark becomes its slot, and atLeast[k] counts the members needed at k.
void MrEditRegion::Members::sortByNeed(int level) {
    need.resize(list.size());
    atLeast.assign(level + 2, 0);
    for (std::size_t k = 0; k < list.size(); ++k) {
        need[k] = std::min(level, 2 * level - mark[list[k]]);
        ++atLeast[need[k]];
    }
    for (int k = level - 1; k >= 0; --k) atLeast[k] += atLeast[k + 1];
    std::vector<int> sorted(list.size()), sortedNeed(list.size());
    std::vector<int> fill(level + 2, 0);
    for (int k = level; k >= 1; --k) fill[k] = atLeast[k + 1];
    for (std::size_t k = 0; k < list.size(); ++k) {
        const int at = fill[need[k]]++;
        sorted[at] = list[k];
        sortedNeed[at] = need[k];
    }
    list.swap(sorted);
    need.swap(sortedNeed);
    for (std::size_t k = 0; k < list.size(); ++k) mark[list[k]] = static_cast<int>(k);
}

void MrEditRegion::Members::clear() {
    for (int i : list) mark[i] = -1;
    list.clear();
    need.clear();
}

// Distances by a breadth-first search over faces: a face touching a moved
// vertex is at face distance 0, a face sharing a vertex with one at face
// distance k is at k+1 at most; an element's distance is one more than the
// smallest face distance of the faces it touches (0 for a moved vertex).
// The faces up to face distance L are the ones whose grids change; the
// region needs the elements up to distance 2L-1.
void MrEditRegion::mark(const MrTopology& t, const std::vector<int>& moved, int level) {
    const int regionDistance = 2 * level - 2, drawnDistance = level;
    frontier.clear();
    drawn.clear();
    for (int v : moved) {
        vertices.enter(v, 0);
        for (int slot = t.ringStart[v]; slot < t.ringStart[v + 1]; ++slot) {
            const int f = t.ringFaces[slot];
            if (f >= 0 && faces.mark[f] < 0) {
                faces.enter(f, 0);
                frontier.push_back(f);
                drawn.push_back(f);
            }
        }
    }
    for (int distance = 1; distance <= std::max(regionDistance, drawnDistance) && !frontier.empty(); ++distance) {
        next.clear();
        for (int f : frontier)
            for (int c = 0; c < 4; ++c) {
                const int w = t.faces[f].vertices[c];
                for (int slot = t.ringStart[w]; slot < t.ringStart[w + 1]; ++slot) {
                    const int g = t.ringFaces[slot];
                    if (g >= 0 && faces.mark[g] < 0) {
                        faces.enter(g, distance);
                        next.push_back(g);
                        if (distance <= drawnDistance) drawn.push_back(g);
                    }
                }
            }
        frontier.swap(next);
    }
    // Faces beyond the region's reach were only entered to find the drawn ones.
    while (!faces.list.empty() && faces.mark[faces.list.back()] > regionDistance) {
        faces.mark[faces.list.back()] = -1;
        faces.list.pop_back();
    }
    // Faces came in order of distance, so the first face to reach an element
    // gives it its distance.
    for (std::size_t k = 0; k < faces.list.size(); ++k) {
        const int f = faces.list[k], d = faces.mark[f] + 1;
        for (int c = 0; c < 4; ++c) {
            vertices.enter(t.faces[f].vertices[c], d);
            edges.enter(t.faces[f].edges[c], d);
        }
    }
    for (std::size_t k = 0; k < faces.list.size(); ++k) ++faces.mark[faces.list[k]];
}

LevelPoints MrEditRegion::scratchPoints(int level) {
    Scratch& s = scratch[level];
    LevelPoints p;
    p.cells = 1 << level;
    p.vertices = s.vertices.data();
    p.edges = s.edges.data();
    p.faces = s.faces.data();
    p.vertexSlots = vertices.mark.data();
    p.edgeSlots = edges.mark.data();
    p.faceSlots = faces.mark.data();
    return p;
}

void MrEditRegion::recompute(const MrTopology& t, const LevelPoints& level0, const LevelPoints& target,
                             const std::vector<int>& moved, int level, int threads) {
    if (static_cast<int>(vertices.mark.size()) != t.numV) vertices.mark.assign(t.numV, -1);
    if (static_cast<int>(edges.mark.size()) != t.numE) edges.mark.assign(t.numE, -1);
    if (static_cast<int>(faces.mark.size()) != t.numF) faces.mark.assign(t.numF, -1);
    struct Cleanup {
        MrEditRegion& region;
        ~Cleanup() {
            region.vertices.clear();
            region.edges.clear();
            region.faces.clear();
        }
    } cleanup{*this};

    mark(t, moved, level);
    if (level == 0) return;  // level 0 is the level-0 positions themselves
    vertices.sortByNeed(level);
    edges.sortByNeed(level);
    faces.sortByNeed(level);

    // All storage first, then the levels from 1 up.
    if (static_cast<int>(scratch.size()) < level) scratch.resize(level);
    for (int k = 1; k < level; ++k) {
        const std::size_t inner = (std::size_t(1) << k) - 1;
        scratch[k].vertices.resize(vertices.atLeast[k]);
        scratch[k].edges.resize(edges.atLeast[k] * inner);
        scratch[k].faces.resize(faces.atLeast[k] * inner * inner);
    }
    for (int k = 1; k <= level; ++k) {
        const LevelPoints from = k == 1 ? level0 : scratchPoints(k - 1);
        const LevelPoints to = k == level ? target : scratchPoints(k);
        // The members needed at level k come first in each list.
        const StepElements needed{false, vertices.list.data(), static_cast<std::size_t>(vertices.atLeast[k]),
                                  edges.list.data(),    static_cast<std::size_t>(edges.atLeast[k]),
                                  faces.list.data(),    static_cast<std::size_t>(faces.atLeast[k])};
        refineStep(t, from, to, needed, threads);
    }
}

}  // namespace facetry
