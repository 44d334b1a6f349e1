#pragma once
// MrVertex: a vertex of the surface. It owns its position at the current
// level and keeps its level-0 position, from which every level is rebuilt.
//
// Invariant after link(): edgeAccess[k] reads edge(k) from this vertex, and
// faceAccess[k] reads face(k) from the corner at this vertex.

#include <utility>

#include "math/vector.h"
#include "mesh/topvertex.h"
#include "mr/mraccess.h"

class MrEdge;
class MrFace;

class MrVertex : public TopVertex {
public:
    MrVertex() : id(counter++) {}
    ~MrVertex();
    static void startNumbering() { counter = 0; }

    MrEdge* edge(int i) const;
    MrFace* face(int i) const;

    int curRes() const { return res; }
    Vector position() const { return pos; }
    // Sets the level-0 and the current position; the level stays.
    void setPosition(const Vector& p) { pos = pos0 = p; }

    // Binds the accessors to the vertex's edges and faces; once, after the
    // topology is set.
    void link();
    // Back to level 0 and the level-0 position.
    void reset() {
        pos = pos0;
        res = 0;
    }
    // The position at the next level (the Catmull-Clark vertex rule).
    void refine();
    // Exchanges the current level and position with a saved pair, so that an
    // edit that recomputes only part of the surface can set the rest aside.
    void exchangeLevel(int& savedRes, Vector& savedPos) {
        std::swap(res, savedRes);
        std::swap(pos, savedPos);
    }
    void print() const;

    const int id;  // position in the surface's vertex array

private:
    static int counter;

    int res = 0;                           // current level
    Vector pos0;                           // position at level 0
    Vector pos;                            // position at level res
    MrEdgeAccess* edgeAccess = nullptr;    // edgeVal() entries once linked
    MrFaceAccess* faceAccess = nullptr;    // faceVal() entries once linked
};

// The typed accessors need all three element classes complete.
#include "mr/MrFace.h"
#include "mr/mredge.h"

inline MrEdge* MrVertex::edge(int i) const { return static_cast<MrEdge*>(TopVertex::edge(i)); }
inline MrFace* MrVertex::face(int i) const { return static_cast<MrFace*>(TopVertex::face(i)); }
