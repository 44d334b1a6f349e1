#pragma once
// MrFace: a quad of the surface with its n x n grid of points, n = 2^res + 1.
// Grid (0,0) is vertex(0), (m,0) vertex(1), (m,m) vertex(2), (0,m) vertex(3),
// m = n-1: i runs from vertex(0) towards vertex(1), j towards vertex(3). The
// face owns the points strictly inside the grid; its border is copied from
// its edges and vertices by updateBoundary().

#include "math/vector.h"
#include "mesh/TopFace.h"
#include "mr/mraccess.h"
#include "mr/table.h"

class MrVertex;
class MrEdge;

class MrFace : public TopFace {
public:
    MrFace() : id(counter++) {}
    static void startNumbering() { counter = 0; }

    MrVertex* vertex(int i) const;
    MrEdge* edge(int i) const;

    int curRes() const { return res; }
    int gridSize() const { return grid.sizeI(); }
    Vector point(int i, int j) const { return grid(i, j); }
    // The whole grid, row by row, for loops that keep their indices in range.
    const Vector* gridData() const { return grid.elements(); }

    // Binds the four side accessors, then reset().
    void link();
    // Level 0: a 2 x 2 grid of the corner positions.
    void reset();
    // Copies the sides from the edges and the corners from the vertices.
    void updateBoundary();
    // The next level's inner points (the Catmull-Clark face rules); the
    // border stays (0, 0, 0) until updateBoundary().
    void refine();
    // The two halves of refine() (see MrEdge): refineInto fills `next`, sized
    // (2n-1) x (2n-1) with a zero border, and changes nothing; adopt() takes it.
    void refineInto(Table<Vector>& next) const;
    void adopt(Table<Vector>& next);
    // Exchanges the level and the grid with a saved pair (see MrVertex).
    void exchangeLevel(int& savedRes, Table<Vector>& savedGrid);

    // Drawing of the current level, one face at a time.
    void drawVertices() const;
    void drawEdges() const;
    void drawFaces() const;
    void print() const;

    const int id;  // position in the surface's face array

private:
    static int counter;

    int res = -1;                // current level; -1 until linked
    Table<Vector> grid;          // n x n points
    MrEdgeAccess edgeAccess[4];  // side k of the grid, counted from the corner it starts at
};

// The typed accessors need all three element classes complete.
#include "mr/mredge.h"
#include "mr/mrvertex.h"

inline MrVertex* MrFace::vertex(int i) const { return static_cast<MrVertex*>(TopFace::vertex(i)); }
inline MrEdge* MrFace::edge(int i) const { return static_cast<MrEdge*>(TopFace::edge(i)); }
