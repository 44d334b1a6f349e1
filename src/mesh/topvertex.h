#pragma once
// TopVertex: the vertex of a polygon mesh as pure topology, shared by the
// control mesh and the surface.
//
// Invariant once orderRings() has run on a vertex whose faces form one fan:
// interior vertex with n edges: n faces, face i lies between edge i and edge
// (i+1) mod n; boundary vertex with n edges: n-1 faces, edges 0 and n-1 are its
// two boundary edges and face i lies between edges i and i+1.

#include <vector>

#include "math/check.h"

class TopEdge;
class TopFace;

class TopVertex {
public:
    TopVertex() = default;
    TopVertex(const TopVertex&) = delete;
    TopVertex& operator=(const TopVertex&) = delete;

    int edgeVal() const { return static_cast<int>(edgeRing.size()); }
    int faceVal() const { return static_cast<int>(faceRing.size()); }
    TopEdge* edge(int i) const {
        FACETRY_ASSERT(0<=i && i<edgeVal());
        return edgeRing[i];
    }
    TopFace* face(int i) const {
        FACETRY_ASSERT(0<=i && i<faceVal());
        return faceRing[i];
    }

    bool onBoundary() const;
    void addEdge(TopEdge* e);
    void addFace(TopFace* f);
    // The first edge in ring order that ends at v, or null.
    TopEdge* edgeTo(const TopVertex* v) const;
    bool adjacent(const TopVertex* v) const { return edgeTo(v) != nullptr; }
    // Puts the edge and face rings in cyclic order around the vertex.
    void orderRings();

private:
    std::vector<TopEdge*> edgeRing;  // edges at this vertex, edgeVal() entries
    std::vector<TopFace*> faceRing;  // faces at this vertex, faceVal() entries
};
