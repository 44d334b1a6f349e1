// The element-by-element API of the surface: each element's own level, and
// the surface's side of an element's refine and reset (the handles' side is
// in mrvertex.cpp, mredge.cpp and MrFace.cpp).
#include "mr/elementlevels.h"

#include "mr/mrmesh.h"

namespace facetry {

ElementLevels::ElementLevels(int numV, int numE, int numF, int level)
    : population(level + 1, 0), total(static_cast<long long>(numV) + numE + numF) {
    levels[kVertex].assign(numV, static_cast<signed char>(level));
    levels[kEdge].assign(numE, static_cast<signed char>(level));
    levels[kFace].assign(numF, static_cast<signed char>(level));
    population[level] = total;
}

void ElementLevels::move(Kind kind, int id, int level) {
    signed char& at = levels[kind][id];
    if (static_cast<int>(population.size()) <= level) population.resize(level + 1, 0);
    --population[at];
    ++population[level];
    at = static_cast<signed char>(level);
}

bool ElementLevels::holds(int level) const {
    return level < static_cast<int>(population.size()) && population[level] > 0;
}

int ElementLevels::commonLevel() const {
    for (std::size_t r = 0; r < population.size(); ++r)
        if (population[r] == total) return static_cast<int>(r);
    return -1;
}

int MrMesh::levelOf(ElementLevels::Kind kind, int id) const {
    return elementLevels ? elementLevels->of(kind, id) : meshLevel;
}

LevelPoints MrMesh::pointsForElement(int at) {
    if (static_cast<int>(levels.size()) <= at) levels.resize(at + 1);
    if (!levels[at]) levels[at] = allocateLevel(at);
    topo.keepSegmentsTo(at);  // the step into `at` reads its segments' sharpness
    return points(at);
}

void MrMesh::moveElement(ElementLevels::Kind kind, int id, int to) {
    if (levelOf(kind, id) == to) return;
    if (!elementLevels) elementLevels = std::make_unique<ElementLevels>(numV, numE, numF, meshLevel);
    elementLevels->move(kind, id, to);
    if (kind == ElementLevels::kVertex && id == 0) {
        meshLevel = to;
        if (uvLayout) uvLayout->keepLevel(to, threadCount);  // the texture coordinates follow the surface's level
    }
    for (std::size_t r = 1; r < levels.size(); ++r)
        if (!elementLevels->holds(static_cast<int>(r))) levels[r].reset();
    if (elementLevels->commonLevel() >= 0) elementLevels.reset();
}

// Elements at different levels take the step one at a time, in the order
// that lets each rule check its neighbours: vertices, edges, faces, then the
// checks of the shared points.
void MrMesh::refineElementByElement() {
    for (int i = 0; i < numV; ++i) vertices[i].refine();
    for (int i = 0; i < numE; ++i) edgeAt(i)->refine();
    for (int i = 0; i < numF; ++i) faceAt(i)->refine();
    for (int i = 0; i < numE; ++i) edgeAt(i)->updateEnds();
    for (int i = 0; i < numF; ++i) faceAt(i)->updateBoundary();
}

}  // namespace facetry
