#pragma once
// MeshTopology: the control mesh's elements and how they meet, as index
// arrays: vertices and faces in file order, edges in order of first use. It
// is the mesh's one topology: the element handles (meshelements.h) answer
// their queries from it, and code that goes through all elements at once
// (the surface's construction, the writers) reads it directly.
//
// Invariants: edge k of face f joins its corner k and corner k+1; an edge's
// face(0) is the lower-numbered of its faces; a vertex's ring is in cyclic
// order, ring face k between ring edges k and k+1, a boundary vertex's ring
// starting and ending with its two boundary edges, its last face slot -1; a
// vertex no face uses has an empty ring.

#include <vector>

namespace facetry {

struct MeshTopology {
    int numV = 0;  // number of vertices
    int numE = 0;  // number of edges
    int numF = 0;  // number of faces

    std::vector<int> faceStart;        // numF + 1: face f's corners are faceStart[f] .. faceStart[f+1]-1
    std::vector<int> cornerVertices;   // per corner, its vertex
    std::vector<int> cornerEdges;      // per corner, the edge from it to the face's next corner
    std::vector<int> edgeVertices;     // 2 per edge: vertex(0), vertex(1)
    std::vector<int> edgeFaces;        // 2 per edge: face(0), face(1); -1 where there is none
    std::vector<int> ringStart;        // numV + 1: vertex v's ring entries are ringStart[v] .. ringStart[v+1]-1
    std::vector<int> ringEdges;        // per ring entry, the edge
    std::vector<int> ringFaces;        // per ring entry, the face after the edge; -1 after a boundary vertex's last edge

    int valence(int f) const { return faceStart[f + 1] - faceStart[f]; }
    int edgeVal(int v) const { return ringStart[v + 1] - ringStart[v]; }
    // The faces of vertex v's ring: one fewer than its edges on the boundary.
    int faceVal(int v) const {
        const int n = edgeVal(v);
        return n > 0 && ringFaces[ringStart[v + 1] - 1] < 0 ? n - 1 : n;
    }
    // The position of vertex v among face f's corners; f must have v.
    int cornerOf(int f, int v) const;
};

}  // namespace facetry
