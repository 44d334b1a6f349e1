#include "mr/mrregion.h"

#include <algorithm>
#include <new>

void MrEditRegion::Marks::clear() {
    for (int i : list) top[i] = -1;
    list.clear();
}

void MrEditRegion::attach(MrVertex* vertices_, int numV_, MrEdge* edges_, int numE_, MrFace* faces_,
                          int numF_) {
    vertices = vertices_;
    numV = numV_;
    edges = edges_;
    numE = numE_;
    faces = faces_;
    numF = numF_;
    for (Marks* m : {&changedV, &neededV}) m->top.assign(numV, -1);
    for (Marks* m : {&changedE, &neededE}) m->top.assign(numE, -1);
    for (Marks* m : {&changedF, &neededF}) m->top.assign(numF, -1);
}

void MrEditRegion::recompute(const std::vector<MrVertex*>& moved, int level) {
    try {
        markChanged(moved, level);
        markNeeded(level);
        setAside();  // changes nothing until it cannot fail any more
    } catch (const std::bad_alloc&) {
        clearMarks();
        throw;
    }
    try {
        refineNeeded(level);
    } catch (const std::bad_alloc&) {
        putBack(-1);  // every needed element takes its old level-L storage back
        clearMarks();
        throw;
    }
    putBack(level);
    clearMarks();
}

// The elements whose points at `level` may differ: at level 0 the moved
// vertices and the edges and faces that copy them; each step adds what
// reads them.
void MrEditRegion::markChanged(const std::vector<MrVertex*>& moved, int level) {
    for (const MrVertex* v : moved) changedV.raise(index(v), 1);
    for (int i : changedV.list) {
        const MrVertex& v = vertices[i];
        for (int k = 0; k < v.edgeVal(); ++k) changedE.raise(index(v.edge(k)), 1);
        for (int k = 0; k < v.faceVal(); ++k) changedF.raise(index(v.face(k)), 1);
    }
    std::size_t vertexFrom = changedV.list.size(), edgeFrom = 0, faceFrom = 0;
    for (int step = 0; step < level; ++step) growChanged(vertexFrom, edgeFrom, faceFrom);
}

// One refinement step's worth of reach: a vertex changes when one of its
// edges or faces changed at the level below; an edge when one of its faces
// did, or one of its (new) vertices; a face when one of its new edges or
// vertices did. The lists only grow, and the cursors mark where the entries
// start that have not passed their reach on yet.
void MrEditRegion::growChanged(std::size_t& vertexFrom, std::size_t& edgeFrom, std::size_t& faceFrom) {
    const std::size_t edgeEnd = changedE.list.size(), faceEnd = changedF.list.size();
    // a vertex reads its edges and faces
    for (std::size_t k = edgeFrom; k < edgeEnd; ++k) {
        const MrEdge& e = edges[changedE.list[k]];
        for (int end = 0; end < 2; ++end) changedV.raise(index(e.vertex(end)), 1);
    }
    for (std::size_t k = faceFrom; k < faceEnd; ++k) {
        const MrFace& f = faces[changedF.list[k]];
        for (int c = 0; c < 4; ++c) changedV.raise(index(f.vertex(c)), 1);
        // an edge reads its faces
        for (int c = 0; c < 4; ++c) changedE.raise(index(f.edge(c)), 1);
    }
    // an edge copies its ends, a face its corners
    for (std::size_t k = vertexFrom; k < changedV.list.size(); ++k) {
        const MrVertex& v = vertices[changedV.list[k]];
        for (int j = 0; j < v.edgeVal(); ++j) changedE.raise(index(v.edge(j)), 1);
        for (int j = 0; j < v.faceVal(); ++j) changedF.raise(index(v.face(j)), 1);
    }
    // a face copies its sides
    for (std::size_t k = edgeFrom; k < changedE.list.size(); ++k) {
        const MrEdge& e = edges[changedE.list[k]];
        for (int side = 0; side < 2; ++side)
            if (e.face(side)) changedF.raise(index(e.face(side)), 1);
    }
    vertexFrom = changedV.list.size();
    edgeFrom = edgeEnd;
    faceFrom = faceEnd;
}

// Mark k: the element is recomputed at every level from 0 to k. The changed
// elements are needed at `level`; whatever an element reads at level k is
// needed at k-1.
void MrEditRegion::markNeeded(int level) {
    for (int i : changedV.list) neededV.raise(i, level);
    for (int i : changedE.list) neededE.raise(i, level);
    for (int i : changedF.list) neededF.raise(i, level);
    closeNeeded(level);
    for (int k = level; k > 0; --k) {
        for (std::size_t n = 0; n < neededV.list.size(); ++n) {
            const int i = neededV.list[n];
            if (!neededV.has(i, k)) continue;
            const MrVertex& v = vertices[i];
            for (int j = 0; j < v.edgeVal(); ++j) neededE.raise(index(v.edge(j)), k - 1);
            for (int j = 0; j < v.faceVal(); ++j) neededF.raise(index(v.face(j)), k - 1);
        }
        for (int i : neededE.list) {
            if (!neededE.has(i, k)) continue;
            for (int side = 0; side < 2; ++side)
                if (edges[i].face(side)) neededF.raise(index(edges[i].face(side)), k - 1);
        }
        closeNeeded(k - 1);
    }
}

// An element recomputed at level k needs the owners of its copies at level
// k too: a face its four edges and vertices, an edge its two vertices.
void MrEditRegion::closeNeeded(int level) {
    for (int i : neededF.list) {
        if (!neededF.has(i, level)) continue;
        const MrFace& f = faces[i];
        for (int c = 0; c < 4; ++c) {
            neededE.raise(index(f.edge(c)), level);
            neededV.raise(index(f.vertex(c)), level);
        }
    }
    for (int i : neededE.list)
        if (neededE.has(i, level))
            for (int end = 0; end < 2; ++end) neededV.raise(index(edges[i].vertex(end)), level);
}

// Takes the level-L storage out of every needed edge and face, leaving it
// empty, and notes every needed vertex's level and position. Everything it
// allocates comes before the first exchange.
void MrEditRegion::setAside() {
    std::sort(neededV.list.begin(), neededV.list.end());
    std::sort(neededE.list.begin(), neededE.list.end());
    std::sort(neededF.list.begin(), neededF.list.end());
    saved.vertexRes.clear();
    saved.vertexPos.clear();
    for (int i : neededV.list) {
        saved.vertexRes.push_back(vertices[i].curRes());
        saved.vertexPos.push_back(vertices[i].position());
    }
    saved.edgeRes.assign(neededE.list.size(), -1);
    saved.edgeCount.assign(neededE.list.size(), 0);
    saved.edgePoints.assign(neededE.list.size(), nullptr);
    saved.faceRes.assign(neededF.list.size(), -1);
    // The grids' slots only grow: a drag then asks the heap for no more than
    // the region's new points.
    if (saved.faceGrids.size() < neededF.list.size())
        saved.faceGrids = std::vector<Table<Vector>>(neededF.list.size());
    for (std::size_t k = 0; k < neededE.list.size(); ++k)
        edges[neededE.list[k]].exchangeLevel(saved.edgeRes[k], saved.edgeCount[k], saved.edgePoints[k]);
    for (std::size_t k = 0; k < neededF.list.size(); ++k)
        faces[neededF.list[k]].exchangeLevel(saved.faceRes[k], saved.faceGrids[k]);
}

// Level 0 for every needed element, then each step for those needed at it,
// in the order of a whole-surface step.
void MrEditRegion::refineNeeded(int level) {
    for (int i : neededV.list) vertices[i].reset();
    for (int i : neededE.list) edges[i].reset();
    for (int i : neededF.list) faces[i].reset();
    for (int k = 1; k <= level; ++k) {
        for (int i : neededV.list)
            if (neededV.has(i, k)) vertices[i].refine();
        for (int i : neededE.list)
            if (neededE.has(i, k)) edges[i].refine();
        for (int i : neededF.list)
            if (neededF.has(i, k)) faces[i].refine();
        for (int i : neededE.list)
            if (neededE.has(i, k)) edges[i].updateEnds();
        for (int i : neededF.list)
            if (neededF.has(i, k)) faces[i].updateBoundary();
    }
}

// Gives the set-aside storage back to every needed element that was not
// recomputed up to `level` (to every one of them for level -1) and frees the
// storage left over.
void MrEditRegion::putBack(int level) {
    auto keepsOld = [level](const Marks& marks, int i) { return level < 0 || !marks.has(i, level); };
    for (std::size_t k = 0; k < neededV.list.size(); ++k)
        if (keepsOld(neededV, neededV.list[k]))
            vertices[neededV.list[k]].exchangeLevel(saved.vertexRes[k], saved.vertexPos[k]);
    for (std::size_t k = 0; k < neededE.list.size(); ++k) {
        if (keepsOld(neededE, neededE.list[k]))
            edges[neededE.list[k]].exchangeLevel(saved.edgeRes[k], saved.edgeCount[k], saved.edgePoints[k]);
        delete[] saved.edgePoints[k];
        saved.edgePoints[k] = nullptr;
    }
    for (std::size_t k = 0; k < neededF.list.size(); ++k) {
        if (keepsOld(neededF, neededF.list[k]))
            faces[neededF.list[k]].exchangeLevel(saved.faceRes[k], saved.faceGrids[k]);
        Table<Vector>().swap(saved.faceGrids[k]);  // frees the grid left over
    }
}

void MrEditRegion::clearMarks() {
    for (Marks* m : {&changedV, &changedE, &changedF, &neededV, &neededE, &neededF}) m->clear();
}
