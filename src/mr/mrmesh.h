#pragma once
// MrMesh: the multi-resolution Catmull-Clark surface over a control mesh.
//
// Level 0 is the control mesh itself when every control face is a quad, and
// otherwise the quads of one Catmull-Clark step of it. The surface keeps one
// level at a time. Its topology is a set of index arrays (MrTopology), made
// once; its points are one block per kind of element and level, each point
// stored once, by its owner: a vertex its position, an edge the points
// strictly between its ends, a face the points strictly inside its grid.
// Coarser levels and edits are recomputed from the level-0 positions. The
// level operations run on every core the surface is given, with the same
// bits whatever their number.
//
// MrVertex, MrEdge and MrFace are handles over these arrays, one per
// element, whose id is its index. The level operations keep the whole
// surface at one level, curRes(), and its blocks and level 0's. Through the
// element-by-element API (elementlevels.h) a handle can refine or reset its
// element alone; the surface then keeps each element's level, and a level's
// blocks while some element is at it, until a level operation brings every
// element to one level again.
//
// subdivide() never loses the surface: it refuses a level that would not fit
// in the memory the system has available, and a failed allocation leaves the
// surface as it was. The surface prints nothing: the operations that can
// fail return a Status with the line to tell the user.

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "mesh/handles.h"
#include "mesh/mesh.h"
#include "mr/MrFace.h"
#include "mr/elementlevels.h"
#include "mr/facevarying.h"
#include "mr/levelzero.h"
#include "mr/mredge.h"
#include "mr/mraccess.h"
#include "mr/mrregion.h"
#include "mr/mrtopology.h"
#include "mr/memory.h"
#include "mr/mrvertex.h"
#include "mr/block.h"
#include "mr/refinement.h"
#include "math/status.h"

namespace facetry {

class MrMesh {
public:
    MrMesh();
    ~MrMesh();
    MrMesh(const MrMesh&) = delete;
    MrMesh& operator=(const MrMesh&) = delete;

    // Makes level 0 over the loaded control mesh and links each control
    // element that gives a level-0 point to its surface vertex (the mesh's
    // mrVertex()); its message is the path it took (buildPath()). When
    // memory runs out it fails with "ERROR: not enough memory to build the
    // surface"; the surface, and the control mesh's links to it, are then
    // unusable.
    Status build(Mesh& mesh);
    // The path build() took, which it decides before it takes any memory:
    // "Not subdividing original mesh -- all quads" when level 0 is the
    // control mesh itself, "Subdividing original mesh" when it is one step.
    const char* buildPath() const;

    // The surface's level: vertex 0's, when elements stand at levels of their own.
    int curRes() const { return meshLevel; }
    // One level finer. Fails, with the surface unchanged and a message that
    // says why, when the next level does not fit in memory.
    Status subdivide();
    // One level coarser (recomputed from level 0); nothing at level 0. Fails,
    // a level coarser still, when memory runs out for the rebuilt levels.
    Status undivide();
    // Back to level 0.
    void reset();
    // Carries a moved control vertex into level 0 and every existing level.
    // Elements that stood at other levels than curRes() (moved one by one
    // through their handles) end at curRes() with the rest. Fails, at a
    // coarser level, when memory runs out for the rebuilt levels.
    Status vertexMoved(const MeshVertex* v);

    // The bytes the next level needs on top of the current one: its points
    // and what others keep per level (setLevelCost).
    std::size_t bytesForNextLevel() const;
    // Where subdivide() learns how much memory is available (bytes). The
    // default asks the system; tests put in their own figure.
    using MemoryProbe = std::function<std::size_t()>;
    void setMemoryProbe(MemoryProbe probe) { availableMemory = std::move(probe); }
    // What others keep per level of the surface (the drawing's arrays): the
    // bytes they will need at `level`, which the guard adds to the points'.
    using LevelCost = std::function<std::size_t(int level)>;
    void setLevelCost(LevelCost cost) { companionBytes = std::move(cost); }
    // Whoever keeps a copy of the surface's points (the drawing does) is told
    // of every change the level operations make: `faces` lists the faces whose
    // grids changed (an edit reaches only those), or is null when any point,
    // and the level, may have changed.
    using ChangeListener = std::function<void(const std::vector<int>* faces)>;
    void setChangeListener(ChangeListener listener) { changeListener = std::move(listener); }
    // The number of threads the level operations may use: the machine's by
    // default. The results do not depend on it.
    void setThreads(int count) { threadCount = count < 1 ? 1 : count; }
    int threads() const { return threadCount; }

    // Diagnostic dump of every element on standard output.
    void print() const;

    int numVertices() const { return numV; }
    int numEdges() const { return numE; }
    int numFaces() const { return numF; }
    MrVertex* vertex(int i) const {
        FACETRY_ASSERT(0<=i && i<numV);
        return &vertices[i];
    }
    MrEdge* edge(int i) const {
        FACETRY_ASSERT(0<=i && i<numE);
        return edgeAt(i);
    }
    MrFace* face(int i) const {
        FACETRY_ASSERT(0<=i && i<numF);
        return faceAt(i);
    }
    // Whether level 0 is the control mesh itself (all control faces quads).
    bool isAllQuads() const { return allQuads; }
    // The scheme options of the control mesh it was built over.
    const SchemeOptions& options() const { return schemeOptions; }
    // Whether face f has no surface (its control face is a hole); its points
    // are still refined, since they shape the faces around it.
    bool isHole(int f) const { return topo.isHole(f); }

    // Texture coordinates, when the control mesh has them, refined as its
    // face-varying rule says (SchemeOptions::faceVarying): under "all"
    // linearly within every control face, so that each face's grid takes them
    // bilinearly from its four corners; under the others with the surface's
    // rules, UV seams as boundaries (facevarying.h).
    bool hasTextureCoordinates() const { return cornerUVs.size() != 0 || uvLayout; }
    // (u, v) of grid point (i, j) of face f at the current level (0 <= i, j <= 2^level),
    // on face f's side of a UV seam.
    void textureCoordinateAt(int f, int i, int j, float uv[2]) const;
    // The smooth layout, or null (no texture coordinates, or the rule "all").
    const FaceVaryingLayout* faceVaryingLayout() const { return uvLayout.get(); }

    // The index arrays of the surface, for code that works on all of it.
    const MrTopology& topology() const { return topo; }
    // How level 0 numbers what it made of the control mesh.
    const LevelZeroNumbering& levelZeroNumbering() const { return numbering; }
    // The points of `level`, which some element must be at. The view is
    // writable for the surface's own use; other callers only read it.
    LevelPoints points(int level) const;

private:
    friend class MrVertex;
    friend class MrEdge;
    friend class MrFace;

    // The points of one level, one block per kind of element.
    struct LevelBlocks {
        PointBlock vertices;  // numV positions
        PointBlock edges;     // m-1 inner points per edge, m = 2^level
        PointBlock faces;     // (m-1)^2 inner points per face
    };

    // The handles of edges and faces are made on first use: the level
    // operations work on the arrays and never need them.
    MrEdge* edgeAt(int i) const {
        if (!edgesMade) makeEdgeAndFaceHandles();
        return &edges[i];
    }
    MrFace* faceAt(int i) const {
        if (!edgesMade) makeEdgeAndFaceHandles();
        return &faces[i];
    }
    void makeEdgeAndFaceHandles() const;
    void makeElements();
    void linkControlMesh(Mesh& mesh);
    std::unique_ptr<LevelBlocks> allocateLevel(int level) const;
    // Every element at `level`; the blocks of other levels but 0 let go.
    void setAllLevels(int level);
    Status refineAll();
    Status rebuildTo(int level);

    // The element-by-element API (elementlevels.cpp), which the handles'
    // refine and reset use and the level operations only hand over to.
    // An element's level: the surface's unless it moved on its own.
    int levelOf(ElementLevels::Kind kind, int id) const;
    // The blocks of `level`, allocated if no element was at it (throws std::bad_alloc).
    LevelPoints pointsForElement(int level);
    // Moves one element to `level`, and lets go of the blocks of levels no
    // element is at any more.
    void moveElement(ElementLevels::Kind kind, int id, int level);
    // One step of every element, each from its own level.
    void refineElementByElement();
    void changed(const std::vector<int>* changedFaces) const {
        if (changeListener) changeListener(changedFaces);
    }

    bool allQuads = true;          // every control face is a quad; selects the edit rule
    SchemeOptions schemeOptions;   // the control mesh's, as build() found them
    int numV = 0;                  // number of vertices
    Handles<MrVertex> vertices;    // numV vertex handles
    int numE = 0;                  // number of edges
    mutable Handles<MrEdge> edges; // room for numE edge handles, made on first use
    int numF = 0;                  // number of faces
    mutable Handles<MrFace> faces; // room for numF face handles, made on first use
    mutable bool edgesMade = false; // whether the edge and face handles are made

    LevelZeroNumbering numbering;                      // what level 0 made of each control element
    MrTopology topo;                                   // the elements and how they meet
    Block<float> cornerUVs;                            // per face, (u, v) at corners 0 to 3, under the rule "all"; else empty
    std::unique_ptr<FaceVaryingLayout> uvLayout;       // the texture coordinates under any other rule
    std::vector<std::unique_ptr<LevelBlocks>> levels;  // level r's points while some element is at r; level 0 always (its vertex block holds the level-0 positions)
    int meshLevel = 0;                                 // the surface's level (vertex 0's)
    std::unique_ptr<ElementLevels> elementLevels;      // each element's level, only while they differ

    MemoryProbe availableMemory;   // bytes available to the process
    ChangeListener changeListener; // told of every change of the points
    LevelCost companionBytes;      // what others keep per level, in bytes
    int threadCount;               // threads the level operations may use
    MrEditRegion editRegion;       // what vertexMoved recomputes; its bookkeeping is kept between calls
    std::vector<int> moved;        // the surface vertices an edit gave new level-0 positions
};

}  // namespace facetry
