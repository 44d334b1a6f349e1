#pragma once
// MrEditRegion: the part of the surface that an edit of some level-0
// positions reaches, and its recomputation up to the mesh's level.
//
// One refinement step computes every element's next-level points from the
// current points of a fixed set of neighbours, its inputs: a vertex reads
// itself, its edges and its faces; an edge reads itself and its faces; a face
// reads only its own grid. An edge's two ends and a face's border are copies
// of its vertices' and edges' new points. Hence:
// - after an edit, only the elements reached from the moved vertices through
//   L steps of "is an input of" (and the copies of their points) can hold
//   other points at level L; every other element would compute the same
//   arithmetic on the same inputs, so its level-L points stay, bit for bit;
// - recomputing that set at level L needs its inputs at level L-1, those
//   need theirs at level L-2, and so on down to level 0, which the vertices'
//   level-0 positions give everywhere.
// recompute() sets aside the level-L storage of every element it needs,
// resets those elements to level 0, refines each only as far as it is
// needed, and gives the elements that were only needed at coarser levels
// their level-L storage back. Elements outside the region are not touched.
//
// Invariant between calls: no element is marked, both marks lists are empty.

#include <vector>

#include "mr/MrFace.h"
#include "mr/mredge.h"
#include "mr/mrvertex.h"

class MrEditRegion {
public:
    // The surface's element arrays; the region marks elements by position.
    void attach(MrVertex* vertices_, int numV_, MrEdge* edges_, int numE_, MrFace* faces_, int numF_);

    // Brings every element that depends on the vertices in `moved` (whose
    // level-0 positions have changed) to `level` again, with the points that
    // a reset and `level` refinements of the whole surface would give. If
    // memory runs out it throws std::bad_alloc with every element as it was
    // before the call.
    void recompute(const std::vector<MrVertex*>& moved, int level);

private:
    // A set of element positions: a list in order of entry and a mark per element.
    struct Marks {
        std::vector<int> list;         // marked positions, in order of marking
        std::vector<signed char> top;  // per element: its mark, -1 when unmarked
        // Raises the mark of element i to at least `value`.
        void raise(int i, int value) {
            if (top[i] < 0) list.push_back(i);
            if (top[i] < value) top[i] = static_cast<signed char>(value);
        }
        bool has(int i, int value) const { return top[i] >= value; }
        void clear();
    };
    // The level-L storage set aside while the region is recomputed.
    struct Saved {
        std::vector<int> vertexRes;            // per needed vertex: its level
        std::vector<Vector> vertexPos;         // per needed vertex: its position at that level
        std::vector<int> edgeRes;              // per needed edge: its level
        std::vector<int> edgeCount;            // per needed edge: its point count
        std::vector<Vector*> edgePoints;       // per needed edge: its points (owned here while set aside)
        std::vector<int> faceRes;              // per needed face: its level
        std::vector<Table<Vector>> faceGrids;  // per needed face: its grid; empty slots between calls
    };

    void markChanged(const std::vector<MrVertex*>& moved, int level);
    void growChanged(std::size_t& vertexFrom, std::size_t& edgeFrom, std::size_t& faceFrom);
    void markNeeded(int level);
    void closeNeeded(int level);
    void setAside();
    void putBack(int level);
    void refineNeeded(int level);
    void clearMarks();

    int index(const MrVertex* v) const { return static_cast<int>(v - vertices); }
    int index(const MrEdge* e) const { return static_cast<int>(e - edges); }
    int index(const MrFace* f) const { return static_cast<int>(f - faces); }

    MrVertex* vertices = nullptr;  // the surface's numV vertices (not owned)
    int numV = 0;                  // number of vertices
    MrEdge* edges = nullptr;       // the surface's numE edges (not owned)
    int numE = 0;                  // number of edges
    MrFace* faces = nullptr;       // the surface's numF faces (not owned)
    int numF = 0;                  // number of faces

    Marks changedV, changedE, changedF;  // elements whose level-L points may change (mark 1)
    Marks neededV, neededE, neededF;     // mark k: needed at every level up to k
    Saved saved;                         // level-L storage of the needed elements, in list order
};
