#pragma once
// MrEdge: an edge of the surface, as the handle of the edge with the same
// index in the surface's arrays. At level res it has d = 2^res + 1 points,
// point k k steps from vertex(0): the two ends are its vertices' positions,
// the points strictly between them are the edge's own.

#include "math/vector.h"

namespace facetry {

class MrMesh;
class MrVertex;
class MrFace;

class MrEdge {
public:
    MrEdge(MrMesh* mesh_, int id_) : id(id_), mesh(mesh_) {}
    MrEdge(const MrEdge&) = delete;
    MrEdge& operator=(const MrEdge&) = delete;

    MrVertex* vertex(int i) const;
    MrVertex* otherVertex(const MrVertex* v) const;
    // face(0) is the first face attached, face(1) the second (null on the boundary).
    MrFace* face(int i) const;
    bool onBoundary() const;
    bool incident(const MrVertex* v) const;
    bool incident(const MrFace* f) const;
    // Whether the two edges share an end.
    bool incident(const MrEdge* e) const;

    // The element-by-element API (elementlevels.h): the edge's own level,
    // its points there, and its own steps.
    int curRes() const;
    int pointCount() const;
    Vector point(int i) const;

    // Level 0: the two end positions.
    void reset();
    // The ends are read from the vertices, so there is nothing to copy; what
    // remains is the check that both are at the edge's level.
    void updateEnds();
    // The next level's points (the Catmull-Clark edge rules).
    void refine();
    void print() const;

    const int id;  // position in the surface's edge array

private:
    MrMesh* mesh;  // the surface the edge belongs to
};

}  // namespace facetry
