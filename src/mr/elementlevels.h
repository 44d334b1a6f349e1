#pragma once
// ElementLevels: the bookkeeping of the element-by-element API, in which
// a surface element is refined or reset on its own through its handle
// (MrVertex, MrEdge, MrFace) and so stands at a level of its own. The
// surface makes it at the first such step and drops it once every element
// stands at one level again; the level operations, edits, export and
// drawing never read it: they work on the surface's one level.

#include <vector>

namespace facetry {

class ElementLevels {
public:
    enum Kind { kVertex, kEdge, kFace };

    // numV vertices, numE edges and numF faces, all at `level`.
    ElementLevels(int numV, int numE, int numF, int level);

    int of(Kind kind, int id) const { return levels[kind][id]; }
    // Moves element `id` of `kind` to `level`.
    void move(Kind kind, int id, int level);
    // Whether some element stands at `level`.
    bool holds(int level) const;
    // The level every element stands at, or -1 when they differ.
    int commonLevel() const;

private:
    std::vector<signed char> levels[3];  // per kind, per element, its level
    std::vector<long long> population;   // per level, the elements at it
    long long total;                     // the elements of all kinds
};

}  // namespace facetry
