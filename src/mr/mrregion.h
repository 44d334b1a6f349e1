#pragma once
// MrEditRegion: the part of the surface that an edit of some level-0
// positions reaches, and its recomputation up to the surface's level.
//
// A refinement step computes every element's next-level points from points
// of the current level that lie within its star: the faces it touches, with
// their edges and vertices. Two elements that touch a common face are one
// step apart; let d(X) be the number of steps from element X to the nearest
// moved vertex. Hence:
// - at level L only the elements with d <= L can hold other points than
//   before; every other element would compute the same arithmetic on the
//   same inputs, so its level-L points stay, bit for bit;
// - recomputing those at level L needs their stars at level L-1, which need
//   theirs at level L-2, and so on down to level 0, which the level-0
//   positions give everywhere: an element is needed up to level
//   min(L, 2L - d).
// recompute() refines the needed elements from level 0 up, each only as far
// as it is needed, into storage of its own, and writes the level-L points of
// the elements with d <= L over the surface's. Elements farther away are not
// touched.
//
// Invariant between calls: every mark is -1 and the lists are empty.

#include <vector>

#include "math/vector.h"
#include "mr/mrtopology.h"
#include "mr/refinement.h"

namespace facetry {

class MrEditRegion {
public:
    // Writes into `target` (the surface's points at `level`) the points of
    // every element that depends on the vertices in `moved`, whose level-0
    // positions in `level0` have changed, as a reset and `level` refinements
    // of the whole surface would give them. Uses up to `threads` threads.
    // When memory runs out it throws std::bad_alloc, possibly after writing
    // part of `target`.
    void recompute(const MrTopology& topology, const LevelPoints& level0, const LevelPoints& target,
                   const std::vector<int>& moved, int level, int threads);
    // The faces whose grids the last recompute() changed, inner points or
    // border: those that touch an element with d <= L.
    const std::vector<int>& changedFaces() const { return drawn; }

private:
    // The elements of one kind in the region.
    struct Members {
        std::vector<int> mark;     // per element: its distance while marking, then its slot; -1 outside
        std::vector<int> list;     // the members, by decreasing level of need once sorted
        std::vector<int> need;     // per list entry: the highest level it is needed at
        std::vector<int> atLeast;  // atLeast[k]: the members needed at level k or higher (a prefix of list)

        // Enters element i at distance d unless it is a member already.
        void enter(int i, int d) {
            if (mark[i] >= 0) return;
            mark[i] = d;
            list.push_back(i);
        }
        void sortByNeed(int level);
        void clear();
    };
    // Points of the needed elements at one level between 0 and L.
    struct Scratch {
        std::vector<Vector> vertices;  // per vertex slot
        std::vector<Vector> edges;     // per edge slot, the edge's inner points
        std::vector<Vector> faces;     // per face slot, the face's inner points
    };

    void mark(const MrTopology& topology, const std::vector<int>& moved, int level);
    LevelPoints scratchPoints(int level);

    Members vertices, edges, faces;  // the region, by kind
    std::vector<int> frontier, next;  // faces of the breadth-first search
    std::vector<int> drawn;           // the faces whose grids the last call changed
    std::vector<Scratch> scratch;     // scratch[k]: the needed elements' points at level k, 0 < k < L
};

}  // namespace facetry
