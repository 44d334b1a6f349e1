#pragma once
// MrVertex: a vertex of the surface. The handle of the vertex with the same
// index in the surface's arrays: it answers for the vertex's ring, its level
// and its position at that level, and keeps nothing itself. The level-0
// position, from which every level is rebuilt, lives in the surface's
// level-0 block.
//
// After construction of the surface, edge(k) and face(k) run around the
// vertex in cyclic order (face k between edges k and k+1); a boundary vertex
// has its two boundary edges first and last.

#include "math/vector.h"

namespace facetry {

class MrMesh;
class MrEdge;
class MrFace;

class MrVertex {
public:
    MrVertex(MrMesh* mesh_, int id_) : id(id_), mesh(mesh_) {}
    MrVertex(const MrVertex&) = delete;
    MrVertex& operator=(const MrVertex&) = delete;

    int edgeVal() const;
    int faceVal() const;
    MrEdge* edge(int i) const;
    MrFace* face(int i) const;
    bool onBoundary() const;

    // The element-by-element API (elementlevels.h): the vertex's own level,
    // its position there, and its own steps.
    int curRes() const;
    Vector position() const;
    // Sets the level-0 and the current position; the level stays.
    void setPosition(const Vector& p);
    // Back to level 0 and the level-0 position.
    void reset();
    // The position at the next level (the Catmull-Clark vertex rule).
    void refine();
    void print() const;

    const int id;  // position in the surface's vertex array

private:
    MrMesh* mesh;  // the surface the vertex belongs to
};

}  // namespace facetry
