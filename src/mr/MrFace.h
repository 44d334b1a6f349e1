#pragma once
// MrFace: a quad of the surface, as the handle of the face with the same
// index in the surface's arrays. At level res it covers an n x n grid of
// points, n = 2^res + 1. Grid (0,0) is vertex(0), (m,0) vertex(1), (m,m)
// vertex(2), (0,m) vertex(3), m = n-1: i runs from vertex(0) towards
// vertex(1), j towards vertex(3). The points strictly inside the grid are the
// face's own; its border is read from its edges and vertices.

#include "math/vector.h"

namespace facetry {

class MrMesh;
class MrVertex;
class MrEdge;

class MrFace {
public:
    MrFace(MrMesh* mesh_, int id_) : id(id_), mesh(mesh_) {}
    MrFace(const MrFace&) = delete;
    MrFace& operator=(const MrFace&) = delete;

    int valence() const { return 4; }
    MrVertex* vertex(int i) const;
    // The edge from vertex i to vertex i+1; indices are taken cyclically.
    MrEdge* edge(int i) const;
    bool incident(const MrEdge* e) const;
    // The two edges of this face that meet at v, in face order: edge j-1 then
    // edge j for v at corner j > 0; edge 0 then edge 3 at corner 0.
    void edgesAt(const MrVertex* v, MrEdge*& e1, MrEdge*& e2) const;

    // The element-by-element API (elementlevels.h): the face's own level,
    // its grid there, and its own steps.
    int curRes() const;
    int gridSize() const;
    Vector point(int i, int j) const;

    // Level 0: a 2 x 2 grid of the corner positions.
    void reset();
    // The border is read from the edges and vertices, so there is nothing to
    // copy; what remains is the check that they are at the face's level.
    void updateBoundary();
    // The next level's inner points (the Catmull-Clark face rules).
    void refine();
    void print() const;

    const int id;  // position in the surface's face array

private:
    MrMesh* mesh;  // the surface the face belongs to
};

}  // namespace facetry
