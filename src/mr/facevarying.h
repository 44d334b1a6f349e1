#pragma once
// Smooth texture coordinates: the UV layout refined with the surface's own
// rules, one UV seam (an edge whose two faces name different texture
// coordinates at an end) being a boundary of the layout, as the face-varying
// interpolation rule of the control mesh (rules/options.h) says. Under the
// rule "all" the coordinates are bilinear within each control face and
// texturecoordinates.h keeps them; every other rule is kept here.
//
// What the layout is follows from the control mesh once, when the surface is
// built: which edges are seams, how many values each vertex has (one per
// span of faces between seams) and which face sees which, and what kind of
// value each one is at each level: one that follows the points' rules (the
// layout runs on across the vertex), a corner that keeps its value, a crease
// refined as a curve along its two seams, or a semi-sharp one, a corner
// until the sharpness inside its span wears off. The values themselves are
// kept per level like the points, each once: a vertex's first value, its
// other values where seams part them, an edge's inner values on its face(0)
// side and, on a seam only, on its face(1) side, a face's inner grid.

#include <cstddef>
#include <memory>
#include <vector>

#include "math/vector.h"
#include "mesh/mesh.h"
#include "mr/block.h"
#include "mr/facevaryingcontrol.h"
#include "mr/levelzero.h"
#include "mr/mrtopology.h"
#include "mr/refinement.h"

namespace facetry {

class FaceVaryingLayout {
public:
    // The layout of `mesh`'s texture coordinates over the surface's level 0,
    // and level 0's values. The mesh has texture coordinates and a rule
    // other than "all". Throws std::bad_alloc.
    FaceVaryingLayout(const Mesh& mesh, const LevelZeroNumbering& numbering, const MrTopology& topology);
    ~FaceVaryingLayout();

    // Makes `level`'s values the ones kept (with level 0's), refining from
    // the finest level kept below it, on up to `threads` threads. Throws
    // std::bad_alloc, leaving what was kept.
    void keepLevel(int level, int threads);
    // The step from level - 1, which is kept, to `level` of the texture
    // coordinates and, in the same pass, of the points (`from` into `to`,
    // as refineStep makes it), element by element, so that an element's
    // neighbourhood is read once for both. Throws std::bad_alloc before it
    // writes anything.
    void stepWithPoints(int level, const LevelPoints& from, const LevelPoints& to, int threads);
    bool hasLevel(int level) const;
    // The bytes a level's values take.
    std::size_t bytesAt(int level) const;

    // The value at grid point (i, j) of face f, at a level kept, on face f's side.
    TexCoord valueAt(int level, int f, int i, int j) const;
    // A number for that value, the same for every grid point that shares it.
    long long valueIndexAt(int level, int f, int i, int j) const;
    // The limit of that value.
    TexCoord limitAt(int level, int f, int i, int j) const;

    // The number of seam edges of level 0 and of values beyond one per vertex.
    int seamCount() const { return numSeams; }
    int extraValueCount() const { return numExtras; }

private:
    struct Level;
    struct Place {  // where a value is kept
        int block;  // 0 vertices, 1 extra values, 2 edges, 3 seams' other sides, 4 faces
        std::size_t index;
    };
    // One value of such a vertex: the span of its faces, and the two ends
    // its crease rule reads, each one step along a seam bounding the span
    // as seen from the span's face beside it (ring entries of level 0).
    struct Ends {
        int face[2] = {-1, -1};
        int edge[2] = {-1, -1};
    };

    // Level 0 from the control mesh's layout, step by step: each vertex's
    // values and the edges' flags, which value each face corner sees, the
    // values' kinds and crease ends, and the values (one step of the control
    // layout on the refinement path).
    void buildLevelZero(const Mesh& mesh, const LevelZeroNumbering& numbering);
    void takeValuesAndEdges(const Mesh& mesh, const ControlLayout& control, const LevelZeroNumbering& numbering);
    void takeCornerSiblings(const Mesh& mesh, const ControlLayout& control, const LevelZeroNumbering& numbering);
    void takeKinds(const Mesh& mesh, const ControlLayout& control, const LevelZeroNumbering& numbering);
    void controlStep(const Mesh& mesh, const ControlLayout& control, const LevelZeroNumbering& numbering, Level& l) const;
    // One step of the values from `level`; with `points`, of the points too.
    struct PointStep {
        const LevelPoints& from;
        const LevelPoints& to;
    };
    void refineLevel(const Level& from, Level& to, int level, int threads, const PointStep* points = nullptr) const;
    void keepOnly(int level);
    void extendKinds(int level);
    // The kinds `kv` of vertex v's values from the level above to `child`.
    void reclassify(int v, bool parentSemi, int child, unsigned char* kv) const;
    // Calls edge(slot) for every ring entry whose edge lies inside the span of value s of vertex v.
    template <class Edge>
    void forEachSpanEdge(int v, int s, Edge edge) const {
        const int first = topo.ringStart[v], n = topo.edgeVal(v), nf = topo.faceVal(v);
        const bool boundary = n != nf;
        auto siblingOf = [this](int slot) { return siblingAt(topo.ringFaces[slot], topo.ringCorner(slot)); };
        for (int k = boundary ? 1 : 0; k < (boundary ? n - 1 : n); ++k) {
            const int slot = first + k, before = k ? slot - 1 : first + nf - 1;
            if (seam(topo.ringEdges[slot]) || siblingOf(before) != s || siblingOf(slot) != s) continue;
            edge(slot);
        }
    }
    std::unique_ptr<Level> allocate(int level) const;

    // Value s of vertex v, and the places of a face's corners and sides.
    TexCoord& vertexValue(Level& l, int v, int s) const;
    const TexCoord& vertexValue(const Level& l, int v, int s) const;
    int siblingAt(int f, int corner) const { return cornerSiblings.size() ? cornerSiblings[4 * f + corner] : 0; }
    const TexCoord* sideValues(const Level& l, int f, int side) const;
    Place placeOf(int level, int f, int i, int j) const;
    TexCoord valueOf(const Level& l, int f, int i, int j) const;
    void gatherGrid(const Level& l, int f, TexCoord* grid) const;
    void faceRow(const Level& l, int e, int i, TexCoord* row) const;
    // The value one step along ring entry `slot`'s edge from its vertex, as seen from ring entry `faceSlot`'s face.
    TexCoord along(const Level& l, int slot, int faceSlot) const;
    TexCoord diagonal(const Level& l, int slot) const;
    TexCoord refinedVertexValue(const Level& l, int level, int v, int s) const;
    TexCoord limitVertexValue(const Level& l, int level, int v, int s) const;
    TexCoord limitEdgeValue(const Level& l, int level, int e, int side, int k) const;
    float transitionWeight(int v, int s, int level) const;
    bool seam(int e) const { return edgeFlags[e] & kSeamEdge; }
    bool linear(int e) const { return edgeFlags[e] & kLinearEdge; }
    int sideOf(int e, int f) const { return topo.edges[e].faces[0] == f ? 0 : 1; }
    int valueCount(int v) const { return valueStart[v + 1] - valueStart[v]; }
    unsigned char kindAt(int level, int value) const;

    const MrTopology& topo;
    bool smoothBoundaries;     // seams refine as curves (not kept linear)
    bool dependentSharpness;   // corners plus one or two: a value may be sharp for its partner's sake
    int numSeams = 0;
    int numExtras = 0;
    Block<unsigned char> edgeFlags;      // per edge: kSeamEdge, kLinearEdge
    Block<int> seamSlots;                // per edge, its place among the seams or -1 (empty without seams)
    Block<int> valueStart;               // numV + 1: vertex v's values are valueStart[v] .. valueStart[v+1]-1
    Block<unsigned char> mismatched;     // per vertex: 1 where the layout does not run on across it
    Block<int> cornerSiblings;           // 4 per face: the value its corner sees (empty when every vertex has one)
    // Where the layout runs on as the points do, the values are read as the
    // points are: a plain face has one value at each corner and no seam for
    // a side; a plain vertex's layout runs on across it and its ring's faces
    // are plain. Both empty when nothing is parted (all plain).
    Block<unsigned char> plainFaces;
    Block<unsigned char> plainVertices;
    bool plainFace(int f) const { return plainFaces.size() == 0 || plainFaces[f]; }
    bool plainVertex(int v) const { return plainVertices.size() == 0 || plainVertices[v]; }
    void findPlainElements();
    std::vector<Ends> ends;              // per value of a mismatched vertex (others unused)
    std::vector<std::vector<unsigned char>> kinds;  // [level][value]: kind bits (facevaryingcontrol.h) of mismatched vertices' values
    std::vector<std::unique_ptr<Level>> levels;     // [0] and the finest level kept
};

}  // namespace facetry
