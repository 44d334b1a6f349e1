#pragma once
// The element dump shared by the control mesh and the surface: a title line,
// then every vertex, edge and face on a tab-indented line of its own, each
// list under its count. The brace after the edge count is part of the format.

#include <cstdio>

namespace facetry {

template <class Vertex, class Edge, class Face>
void printElements(const char* title, int numV, const Vertex* vertices, int numE, const Edge* edges, int numF,
                   const Face* faces) {
    std::printf("%s\nnumVertices=%d", title, numV);
    for (int i = 0; i < numV; ++i) {
        std::printf("\n\t");
        vertices[i].print();
    }
    std::printf("\nnumEdges=%d{", numE);
    for (int i = 0; i < numE; ++i) {
        std::printf("\n\t");
        edges[i].print();
    }
    std::printf("\nnumFaces=%d", numF);
    for (int i = 0; i < numF; ++i) {
        std::printf("\n\t");
        faces[i].print();
    }
    std::printf("\n");
}

}  // namespace facetry
