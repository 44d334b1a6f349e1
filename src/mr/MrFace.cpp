#include "mr/MrFace.h"

#include <cstdio>
#include <vector>

#include "mesh/TopFace.h"
#include "mr/mrmesh.h"
#include "mr/table.h"

namespace facetry {

MrVertex* MrFace::vertex(int i) const { return &mesh->vertices[mesh->topo.faces[id].vertices[wrapIndex(i, 4)]]; }

MrEdge* MrFace::edge(int i) const { return mesh->edgeAt(mesh->topo.faces[id].edges[wrapIndex(i, 4)]); }

bool MrFace::incident(const MrEdge* e) const {
    for (int k = 0; k < 4; ++k)
        if (edge(k) == e) return true;
    return false;
}

// The search and its checks are the topology's own, as the control mesh's.
void MrFace::edgesAt(const MrVertex* v, MrEdge*& e1, MrEdge*& e2) const {
    int first, second;
    sidesAt(v, 4, [&](int i) { return edge(i)->incident(v); }, first, second);
    e1 = edge(first);
    e2 = edge(second);
}

int MrFace::curRes() const { return mesh->levelOf(ElementLevels::kFace, id); }

int MrFace::gridSize() const { return (1 << curRes()) + 1; }

Vector MrFace::point(int i, int j) const {
    const int n = gridSize();
    TableShape{n, n}.offset(i, j);  // checks (i, j)
    return gridPointAt(mesh->topo, id, i, j, mesh->points(curRes()));
}

void MrFace::reset() {
    mesh->moveElement(ElementLevels::kFace, id, 0);
    updateBoundary();
}

void MrFace::updateBoundary() {
    const int res = curRes();
    FACETRY_ASSERT(edge(0)->curRes()==res);
    FACETRY_ASSERT(vertex(0)->curRes()==res);
}

void MrFace::refine() {
    const int res = curRes();
    const LevelPoints from = mesh->points(res);
    std::vector<Vector> scratch(ruleScratchSize(from.cells));
    refineFace(mesh->topo, id, from, mesh->pointsForElement(res + 1).faceInner(id), scratch.data());
    mesh->moveElement(ElementLevels::kFace, id, res + 1);
}

void MrFace::print() const {
    std::printf("[f%d v:{%d %d %d %d}]", id, vertex(0)->id, vertex(1)->id, vertex(2)->id, vertex(3)->id);
}

}  // namespace facetry
