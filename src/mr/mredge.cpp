#include "mr/mredge.h"

#include <cstdio>
#include <vector>

#include "mr/mrmesh.h"

MrVertex* MrEdge::vertex(int i) const { return &mesh->vertices[mesh->topo.edges[id].vertices[i == 0 ? 0 : 1]]; }

MrVertex* MrEdge::otherVertex(const MrVertex* v) const {
    FACETRY_ASSERT(incident(v));
    return v == vertex(0) ? vertex(1) : vertex(0);
}

MrFace* MrEdge::face(int i) const {
    const int f = mesh->topo.edges[id].faces[i == 0 ? 0 : 1];
    return f < 0 ? nullptr : mesh->faceAt(f);
}

bool MrEdge::onBoundary() const { return mesh->topo.edgeOnBoundary(id); }

bool MrEdge::incident(const MrVertex* v) const {
    FACETRY_ASSERT(v);
    return v == vertex(0) || v == vertex(1);
}

bool MrEdge::incident(const MrFace* f) const {
    FACETRY_ASSERT(f);
    return f == face(0) || f == face(1);
}

bool MrEdge::incident(const MrEdge* e) const {
    FACETRY_ASSERT(e);
    return incident(e->vertex(0)) || incident(e->vertex(1));
}

int MrEdge::curRes() const { return mesh->edgeLevel[id]; }

int MrEdge::pointCount() const { return (1 << curRes()) + 1; }

Vector MrEdge::point(int i) const {
    const int d = pointCount();
    FACETRY_ASSERT(0<=i && i<d);
    return edgePointAt(mesh->topo, id, i, mesh->points(curRes()));
}

void MrEdge::reset() {
    mesh->moveToLevel(mesh->edgeLevel, id, 0);
    updateEnds();
}

void MrEdge::updateEnds() {
    const int res = curRes();
    FACETRY_ASSERT(vertex(0)->curRes()==res && vertex(1)->curRes()==res);
}

void MrEdge::refine() {
    const int res = curRes();
    if (!onBoundary()) {
        FACETRY_ASSERT(face(0)->curRes() == res);
        FACETRY_ASSERT(face(1)->curRes() == res);
    }
    const LevelPoints from = mesh->points(res);
    std::vector<Vector> scratch(ruleScratchSize(from.cells));
    refineEdge(mesh->topo, id, from, mesh->pointsForElement(res + 1).edgeInner(id), scratch.data());
    mesh->moveToLevel(mesh->edgeLevel, id, res + 1);
}

void MrEdge::print() const {
    std::printf("[e%d v:{%d %d}, f:{%d %d}]", id, vertex(0)->id, vertex(1)->id, face(0) ? face(0)->id : -1,
                face(1) ? face(1)->id : -1);
}
