#pragma once
// Part of the element-by-element API: accessors through which a surface
// element reads a neighbour's points in its own local indices, through the
// neighbour's handle (the level operations read the index arrays instead).
// They store no size: every access uses the neighbour's current point count
// or grid size, so a binding made at level 0 serves every later level.

#include "math/check.h"
#include "math/vector.h"

namespace facetry {

class MrVertex;
class MrEdge;
class MrFace;

// Reads an edge's points counting from a chosen end: point(0) is that end.
class MrEdgeAccess {
public:
    void set(MrEdge* e_, MrVertex* v);
    Vector point(int i) const;
    // The storage index of local point i on an edge of d points.
    int index(int i, int d) const { return reversed ? d - 1 - i : i; }

private:
    MrEdge* e = nullptr;    // the edge read; null while unset
    bool reversed = false;  // the chosen end is the edge's vertex(1)
};

// Reads a face's grid in a frame whose origin is a chosen corner: local i
// runs along e0, local j along e1, and (1, 1) is diagonally next to the corner.
class MrFaceAccess {
public:
    void set(MrFace* f_, MrEdge* e0, MrEdge* e1);
    Vector point(int i, int j) const;

private:
    MrFace* f = nullptr;  // the face read; null while unset
    bool swapIJ = false;  // local indices exchanged before mapping
    bool flipI = false;   // first grid index counted from the far side
    bool flipJ = false;   // second grid index counted from the far side
};

}  // namespace facetry
