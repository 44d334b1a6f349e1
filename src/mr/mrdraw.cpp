// Drawing of the surface in its four display modes.
#include "mr/mrmesh.h"

void MrMesh::drawVertices() const {}
void MrMesh::drawEdges() const {}
void MrMesh::drawColoredEdges() const {}
void MrMesh::drawFaces() const {}
void MrFace::drawVertices() const {}
void MrFace::drawEdges() const {}
void MrFace::drawFaces() const {}
