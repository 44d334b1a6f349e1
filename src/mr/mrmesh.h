#pragma once
// MrMesh: the multi-resolution Catmull-Clark surface over a control mesh.
//
// Level 0 is the control mesh itself when every control face is a quad, and
// otherwise the quads of one Catmull-Clark step of it. The surface keeps one
// level at a time: between operations every element is at the mesh level
// curRes(), and every point shared by several elements is equal in all of
// them. Coarser levels and edits are recomputed from the level-0 positions.
//
// subdivide() never loses the surface: it refuses a level that would not fit
// in the memory the system has available, and a failed allocation leaves the
// surface as it was.

#include <cstddef>
#include <functional>

#include "mesh/mesh.h"
#include "mr/MrFace.h"
#include "mr/mredge.h"
#include "mr/mrregion.h"
#include "mr/mrvertex.h"

class MrMesh {
public:
    MrMesh() = default;
    ~MrMesh();
    MrMesh(const MrMesh&) = delete;
    MrMesh& operator=(const MrMesh&) = delete;

    // Makes level 0 over the loaded control mesh and prints which path it took.
    void build(const Mesh& mesh);

    int curRes() const { return vertices[0].curRes(); }
    // One level finer. Returns false, with the surface unchanged and one line
    // on standard error, when the next level does not fit in memory.
    bool subdivide();
    // One level coarser (recomputed from level 0); nothing at level 0.
    void undivide();
    // Back to level 0.
    void reset();
    // Carries a moved control vertex into level 0 and every existing level.
    void vertexMoved(const MeshVertex* v);

    // The bytes the next level's points need on top of the current ones.
    std::size_t bytesForNextLevel() const;
    // Where subdivide() learns how much memory is available (bytes). The
    // default asks the system; tests put in their own figure.
    using MemoryProbe = std::function<std::size_t()>;
    void setMemoryProbe(MemoryProbe probe) { availableMemory = std::move(probe); }

    // The four display modes, each drawing the current level face by face.
    void drawVertices() const;
    void drawEdges() const;
    void drawColoredEdges() const;
    void drawFaces() const;
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
        return &edges[i];
    }
    MrFace* face(int i) const {
        FACETRY_ASSERT(0<=i && i<numF);
        return &faces[i];
    }
    // Whether level 0 is the control mesh itself (all control faces quads).
    bool isAllQuads() const { return allQuads; }

private:
    void buildQuadPath(const Mesh& mesh);
    void buildRefinementPath(const Mesh& mesh);
    void linkAll();
    bool refineAll();
    void rebuildTo(int level);

    bool allQuads = true;          // every control face is a quad; selects the edit rule
    int numV = 0;                  // number of vertices
    MrVertex* vertices = nullptr;  // numV vertices, owned
    int numE = 0;                  // number of edges
    MrEdge* edges = nullptr;       // numE edges, owned
    int numF = 0;                  // number of faces
    MrFace* faces = nullptr;       // numF faces, owned
    MemoryProbe availableMemory;   // bytes available to the process
    MrEditRegion editRegion;       // what vertexMoved recomputes; marks kept between calls
};

// What the system reports as available to this process: the smallest of the
// free memory it could have, its address-space limit and its cgroup's limit.
std::size_t systemAvailableMemory();
