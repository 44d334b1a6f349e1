#pragma once
// TopFace: a face as pure topology: its vertices in order around it and the
// edges between them. Edge i joins vertex i to vertex i+1; every index is
// taken cyclically.

#include <functional>

class TopVertex;
class TopEdge;

// i modulo n in 0..n-1, also for negative i.
inline int wrapIndex(int i, int n) {
    int r = i % n;
    return r < 0 ? r + n : r;
}

// Of a face's `count` sides in face order, the first two that end at v, as
// side indices: `endsAt(i)` tells whether side i does. TopFace::edgesAt
// finds them here, and so do the surface's quads, handles over index arrays
// rather than TopFaces: a vertex off the face reads the same, expression and
// file, from either mesh. Asserts v and that two sides are found.
void sidesAt(const void* v, int count, const std::function<bool(int)>& endsAt, int& first, int& second);

class TopFace {
public:
    TopFace() = default;
    TopFace(const TopFace&) = delete;
    TopFace& operator=(const TopFace&) = delete;
    ~TopFace();

    // Late initialisation: copies the list, then joins every edge and vertex of
    // the face. All its edges must exist already; they are looked up.
    void setVertices(int valence, TopVertex* const* vertices_);
    // Late initialisation by a mesh that links all its elements at once: the
    // vertices and the edges (edges_[i] from vertex i to vertex i+1) are spans
    // of the mesh's own arrays; no edge or ring is touched.
    void attach(int valence, TopVertex** vertices_, TopEdge** edges_);

    int valence() const { return count; }
    TopVertex* vertex(int i) const { return verts[wrapIndex(i, count)]; }
    // The edge from vertex i to vertex i+1 (null before setVertices).
    TopEdge* edge(int i) const { return count ? sides[wrapIndex(i, count)] : nullptr; }
    bool incident(const TopEdge* e) const;
    // The two edges of this face that meet at v, in face order (see the source).
    void edgesAt(const TopVertex* v, TopEdge*& e1, TopEdge*& e2) const;

private:
    int count = 0;                // number of vertices, at least 3 once set
    TopVertex** verts = nullptr;  // count vertices in order around the face
    TopEdge** sides = nullptr;    // count edges, edge i from vertex i to vertex i+1
    bool owned = false;           // verts and sides were allocated by the face itself
};
