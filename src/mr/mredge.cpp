#include "mr/mredge.h"

#include <cstdio>
#include <vector>

#include "mesh/topedge.h"
#include "mr/mrmesh.h"

namespace facetry {

namespace {

// The incidence queries and their checks are the topology's own, as the
// control mesh's.
EdgeLinks linksOf(const MrEdge& e) { return {e.vertex(0), e.vertex(1), e.face(0), e.face(1)}; }

}  // namespace

MrVertex* MrEdge::vertex(int i) const { return &mesh->vertices[mesh->topo.edges[id].vertices[i == 0 ? 0 : 1]]; }

MrVertex* MrEdge::otherVertex(const MrVertex* v) const { return vertex(linksOf(*this).otherEnd(v)); }

MrFace* MrEdge::face(int i) const {
    const int f = mesh->topo.edges[id].faces[i == 0 ? 0 : 1];
    return f < 0 ? nullptr : mesh->faceAt(f);
}

bool MrEdge::onBoundary() const { return mesh->topo.edgeOnBoundary(id); }

bool MrEdge::incident(const MrVertex* v) const { return linksOf(*this).incident(v); }

bool MrEdge::incident(const MrFace* f) const { return linksOf(*this).incidentFace(f); }

bool MrEdge::incident(const MrEdge* e) const {
    const EdgeLinks other = e ? linksOf(*e) : EdgeLinks{};
    return linksOf(*this).incident(e ? &other : nullptr);
}

int MrEdge::curRes() const { return mesh->levelOf(ElementLevels::kEdge, id); }

int MrEdge::pointCount() const { return (1 << curRes()) + 1; }

Vector MrEdge::point(int i) const {
    const int d = pointCount();
    FACETRY_ASSERT(0<=i && i<d);
    return edgePointAt(mesh->topo, id, i, mesh->points(curRes()));
}

void MrEdge::reset() {
    mesh->moveElement(ElementLevels::kEdge, id, 0);
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
    mesh->moveElement(ElementLevels::kEdge, id, res + 1);
}

void MrEdge::print() const {
    std::printf("[e%d v:{%d %d}, f:{%d %d}]", id, vertex(0)->id, vertex(1)->id, face(0) ? face(0)->id : -1,
                face(1) ? face(1)->id : -1);
}

}  // namespace facetry
