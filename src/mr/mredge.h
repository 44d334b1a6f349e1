#pragma once
// MrEdge: an edge of the surface with the row of points strung along it:
// d = 2^res + 1 points, points[k] k steps from vertex(0). It owns the points
// strictly between its ends; the two end points are copies of its vertices'
// positions, refreshed by updateEnds().

#include "math/vector.h"
#include "mesh/topedge.h"
#include "mr/mraccess.h"

class MrVertex;
class MrFace;

class MrEdge : public TopEdge {
public:
    MrEdge() : id(counter++) {}
    ~MrEdge() { delete[] points; }
    static void startNumbering() { counter = 0; }

    MrVertex* vertex(int i) const;
    MrVertex* otherVertex(const MrVertex* v) const;
    MrFace* face(int i) const;

    int curRes() const { return res; }
    int pointCount() const { return d; }
    Vector point(int i) const {
        FACETRY_ASSERT(0<=i && i<d);
        return points[i];
    }
    // All d points, for loops that keep their indices in range.
    const Vector* pointData() const { return points; }

    // Level 0 and, unless on the boundary, the accessors to both faces.
    void link();
    // Level 0: the two end positions.
    void reset();
    // Copies the vertices' positions into the two end points.
    void updateEnds();
    // The next level's points (the Catmull-Clark edge rules); the ends stay
    // (0, 0, 0) until updateEnds().
    void refine();
    // The two halves of refine(), for a refinement of the whole surface that
    // allocates everything before it changes anything: refineInto fills the
    // 2d-1 points of the next level into `next` and changes nothing;
    // adopt() takes that array (and frees the old one) and raises the level.
    void refineInto(Vector* next) const;
    void adopt(Vector* next);
    // Exchanges the level and the point array with a saved set (see MrVertex).
    void exchangeLevel(int& savedRes, int& savedD, Vector*& savedPoints);
    void print() const;

    const int id;  // position in the surface's edge array

private:
    static int counter;

    int res = -1;               // current level; -1 until linked
    int d = 0;                  // number of points, 2^res + 1
    Vector* points = nullptr;   // d points, owned
    MrFaceAccess faceAccess[2]; // entry i reads face(i) from vertex(0) along this edge; unset on the boundary
};

// The typed accessors need all three element classes complete.
#include "mr/MrFace.h"
#include "mr/mrvertex.h"

inline MrVertex* MrEdge::vertex(int i) const { return static_cast<MrVertex*>(TopEdge::vertex(i)); }
inline MrVertex* MrEdge::otherVertex(const MrVertex* v) const {
    return static_cast<MrVertex*>(TopEdge::otherVertex(v));
}
inline MrFace* MrEdge::face(int i) const { return static_cast<MrFace*>(TopEdge::face(i)); }
