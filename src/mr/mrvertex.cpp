#include "mr/mrvertex.h"

#include <cstdio>

#include "mesh/topvertex.h"
#include "mr/mrmesh.h"

namespace facetry {

namespace {

// The ring queries' checks are the topology's own, as the control mesh's.
RingSizes ringsOf(const MrVertex& v) { return {v.edgeVal(), v.faceVal()}; }

}  // namespace

int MrVertex::edgeVal() const { return mesh->topo.edgeVal(id); }

int MrVertex::faceVal() const { return mesh->topo.faceVal(id); }

MrEdge* MrVertex::edge(int i) const {
    return mesh->edgeAt(mesh->topo.ringEdges[mesh->topo.ringStart[id] + ringsOf(*this).edgeEntry(i)]);
}

MrFace* MrVertex::face(int i) const {
    return mesh->faceAt(mesh->topo.ringFaces[mesh->topo.ringStart[id] + ringsOf(*this).faceEntry(i)]);
}

bool MrVertex::onBoundary() const { return ringsOf(*this).onBoundary(); }

int MrVertex::curRes() const { return mesh->levelOf(ElementLevels::kVertex, id); }

Vector MrVertex::position() const { return mesh->points(curRes()).vertex(id); }

void MrVertex::setPosition(const Vector& p) {
    mesh->points(0).vertex(id) = p;
    mesh->points(curRes()).vertex(id) = p;
}

void MrVertex::reset() { mesh->moveElement(ElementLevels::kVertex, id, 0); }

void MrVertex::refine() {
    const int res = curRes();
    // A control vertex that no face uses takes no part in the surface: it
    // only changes level.
    if (edgeVal() > 0) {
        FACETRY_ASSERT(edge(0)->curRes() == res);
        FACETRY_ASSERT(face(0)->curRes() == res);
    }
    const Vector next = refinedVertex(mesh->topo, id, mesh->points(res));
    mesh->pointsForElement(res + 1).vertex(id) = next;
    mesh->moveElement(ElementLevels::kVertex, id, res + 1);
}

void MrVertex::print() const {
    const Vector p = position();
    std::printf("[v%d p:{%f %f %f} e:{", id, static_cast<double>(p.x), static_cast<double>(p.y),
                static_cast<double>(p.z));
    for (int i = 0; i < edgeVal(); ++i) std::printf(i ? " %d" : "%d", edge(i)->id);
    std::printf("} f:{");
    for (int i = 0; i < faceVal(); ++i) std::printf(i ? " %d" : "%d", face(i)->id);
    std::printf("}]");
}

}  // namespace facetry
