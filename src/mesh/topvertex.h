#pragma once
// The ring checks that both meshes' vertices share (RingSizes), and
// TopVertex, a vertex of the element-by-element API: pure topology linked by
// pointer, built one edge and face at a time. Both meshes keep their
// topology as index arrays (mesh/meshtopology.h, mr/mrtopology.h); their
// vertices are handles over them and check their ring queries here.
//
// Invariant once orderRings() has run on a vertex whose faces form one fan:
// interior vertex with n edges: n faces, face i lies between edge i and edge
// (i+1) mod n; boundary vertex with n edges: n-1 faces, edges 0 and n-1 are its
// two boundary edges and face i lies between edges i and i+1.

#include <vector>

#include "math/check.h"

namespace facetry {

class TopEdge;
class TopFace;

// The sizes of a vertex's two rings, and the checks of the ring queries on
// them. TopVertex checks through it, and so do the vertex handles of the
// control mesh and of the surface: a broken precondition reads the same,
// expression and file, from any of them.
struct RingSizes {
    int edges;  // entries of the edge ring
    int faces;  // entries of the face ring

    int edgeVal() const { return edges; }
    int faceVal() const { return faces; }
    // i, checked to name an entry of the edge ring.
    int edgeEntry(int i) const {
        FACETRY_ASSERT(0<=i && i<edgeVal());
        return i;
    }
    // i, checked to name an entry of the face ring.
    int faceEntry(int i) const {
        FACETRY_ASSERT(0<=i && i<faceVal());
        return i;
    }
    // Whether a vertex with these rings lies on the boundary (one face fewer
    // than edges); asserts that they can form one fan.
    bool onBoundary() const;
};

class TopVertex {
public:
    TopVertex() = default;
    TopVertex(const TopVertex&) = delete;
    TopVertex& operator=(const TopVertex&) = delete;

    int edgeVal() const { return static_cast<int>(edgeRing.size()); }
    int faceVal() const { return static_cast<int>(faceRing.size()); }
    TopEdge* edge(int i) const { return edgeRing[rings().edgeEntry(i)]; }
    TopFace* face(int i) const { return faceRing[rings().faceEntry(i)]; }

    bool onBoundary() const { return rings().onBoundary(); }
    void addEdge(TopEdge* e);
    void addFace(TopFace* f);
    // The first edge in ring order that ends at v, or null.
    TopEdge* edgeTo(const TopVertex* v) const;
    // Puts the edge and face rings in cyclic order around the vertex.
    void orderRings();

private:
    RingSizes rings() const { return {edgeVal(), faceVal()}; }

    std::vector<TopEdge*> edgeRing;  // edges at this vertex, in the order they came or, once ordered, cyclic
    std::vector<TopFace*> faceRing;  // faces at this vertex, likewise
};

}  // namespace facetry
