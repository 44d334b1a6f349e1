#pragma once
// The face-side search that both meshes' faces share (sidesAt), and TopFace,
// a face of the element-by-element API: pure topology, its vertices in order
// around it and the edges between them. Edge i joins vertex i to vertex i+1;
// every index is taken cyclically.

#include <functional>
#include <vector>

namespace facetry {

class TopVertex;
class TopEdge;

// i modulo n in 0..n-1, also for negative i.
inline int wrapIndex(int i, int n) {
    int r = i % n;
    return r < 0 ? r + n : r;
}

// Of a face's `count` sides in face order, the first two that end at v, as
// side indices: `endsAt(i)` tells whether side i does. TopFace::edgesAt
// finds them here, and so do the face handles of the control mesh and of the
// surface: a vertex off the face reads the same, expression and file, from
// any of them. Asserts v and that two sides are found.
void sidesAt(const void* v, int count, const std::function<bool(int)>& endsAt, int& first, int& second);

class TopFace {
public:
    TopFace() = default;
    TopFace(const TopFace&) = delete;
    TopFace& operator=(const TopFace&) = delete;

    // Late initialisation: copies the list, then joins every edge and vertex of
    // the face. All its edges must exist already; they are looked up.
    void setVertices(int valence, TopVertex* const* vertices_);

    int valence() const { return static_cast<int>(verts.size()); }
    TopVertex* vertex(int i) const { return verts[wrapIndex(i, valence())]; }
    // The edge from vertex i to vertex i+1 (null before setVertices).
    TopEdge* edge(int i) const { return verts.empty() ? nullptr : sides[wrapIndex(i, valence())]; }
    // The two edges of this face that meet at v, in face order (see the source).
    void edgesAt(const TopVertex* v, TopEdge*& e1, TopEdge*& e2) const;

private:
    std::vector<TopVertex*> verts;  // the vertices in order around the face, at least 3 once set
    std::vector<TopEdge*> sides;    // as many edges, edge i from vertex i to vertex i+1
};

}  // namespace facetry
