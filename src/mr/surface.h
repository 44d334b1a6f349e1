#pragma once
// Surface: the subdivision surface over a control mesh, as a program that
// uses the library sees it. It steps the surface finer and coarser, follows
// moved control vertices and hands the current level on as one welded quad
// mesh: its points and quads copied into the caller's arrays, its limit
// positions and normals, or an OBJ or OFF file.
//
// Points are numbered as the welded surface numbers them (every point the
// surface shares between faces once): the control mesh's level-0 vertices
// first, then the points inside its edges, then those inside its faces; the
// quads follow face by face, each turning as its face does, so a closed
// control mesh gives a closed quad mesh. Every operation runs on threads()
// threads and gives the same bits on any number of them.
//
// The engine behind it (MrMesh, with its element-by-element API and the
// arrays the viewer draws from) is not part of the installed library.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "math/status.h"
#include "math/vector.h"
#include "mesh/mesh.h"
#include "mesh/meshfile.h"
#include "mr/memory.h"

namespace facetry {

class MrMesh;

class Surface {
public:
    Surface();
    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    // Lays level 0 over `mesh`, which must stay in place while the surface
    // is used (the surface links its elements to it). Fails with "ERROR: not
    // enough memory to build the surface".
    Status build(Mesh& mesh);
    // The current level, 0 after build().
    int level() const;
    // One level finer. Fails, with the surface unchanged and a message that
    // says why, when the next level does not fit in memory.
    Status subdivide();
    // One level coarser; nothing at level 0.
    Status undivide();
    // Back to level 0.
    void reset();
    // Carries the new position of control vertex `vertex` (set through
    // mesh.vertex(vertex)->setPosition) into every level.
    Status vertexMoved(int vertex);

    // The threads the operations may use: the machine's by default.
    void setThreads(int count);
    int threads() const;
    // Where subdivide() learns how much memory it may take (bytes): the
    // system's figure (systemAvailableMemory) unless set.
    void setMemoryProbe(std::function<std::size_t()> probe);

    // The welded surface at the current level.
    long long pointCount() const;
    long long quadCount() const;
    bool hasTextureCoordinates() const;
    // Into the caller's memory: x, y, z of every point (3 pointCount()
    // floats); the four corners of every quad (4 quadCount() indices; needs
    // pointCount() < 2^31); u, v at the four corners of every quad
    // (8 quadCount() floats; needs texture coordinates), or with `limit`
    // their limits.
    void copyPoints(float* xyz) const;
    void copyQuads(std::int32_t* corners) const;
    void copyTextureCoordinates(float* uv, bool limit = false) const;
    // The limit position and unit normal at every point (pointCount()
    // entries each); either output may be null.
    void limit(Vector* positions, Vector* normals) const;
    void limit(std::vector<Vector>* positions, std::vector<Vector>* normals) const;

    // Writes the welded surface as OBJ or OFF (`format` one of the two), as
    // facetry-refine does: nine significant digits, and in OBJ the texture
    // coordinates and the sharp edges and vertices of this level as tags.
    // `positions` replace the points and `normals` go beside them (OBJ
    // only), one per point, when not null; with `limitTextureCoordinates`
    // the texture coordinates' limits replace their values. Returns false
    // when writing failed.
    bool write(FILE* out, MeshFormat format, const std::vector<Vector>* positions = nullptr,
               const std::vector<Vector>* normals = nullptr, bool limitTextureCoordinates = false) const;

    // The engine, for the programs built with the library's own headers.
    MrMesh& engine() { return *mr; }
    const MrMesh& engine() const { return *mr; }

private:
    std::unique_ptr<MrMesh> mr;
    Mesh* control = nullptr;  // the mesh build() was given
};

}  // namespace facetry
