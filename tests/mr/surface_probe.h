#pragma once
// Read-only probes of a built surface for the tests: every stored point in
// element order, the welded point set, the check that shared copies equal
// their owners, and tolerant matching of point sets.

#include <memory>
#include <string>
#include <vector>

#include "mesh/mesh.h"
#include "mr/mrmesh.h"
#include "reference_subdivision.h"
#include "support/pointmatch.h"

// Every point the surface stores, in a fixed order: vertex positions, then
// each edge's points, then each face's grid row by row.
std::vector<Vector> surfacePoints(const MrMesh& mr);

// Whether two point lists are identical to the bit. On a difference, `where`
// tells the first index that differs.
bool sameBits(const std::vector<Vector>& a, const std::vector<Vector>& b, std::string* where = nullptr);

// Each surface point once: every vertex, the inner points of every edge and
// the inner points of every face grid.
std::vector<RefPoint> weldedPoints(const MrMesh& mr);

// The first copy of a shared point that differs from its owner (an edge end
// from its vertex, a grid corner from its vertex, a grid side from its edge),
// or "" when every copy equals its owner bit for bit.
std::string sharedPointMismatch(const MrMesh& mr);

// The first element whose level or point count is not that of `level`, or "".
std::string levelMismatch(const MrMesh& mr, int level);

// Builds the surface over `mesh`, which must succeed without printing
// anything, keeping the path it reports in `progress`.
std::unique_ptr<MrMesh> buildSurface(const Mesh& mesh, std::string* progress = nullptr);

// A control mesh and the surface built over it.
struct Surface {
    std::unique_ptr<Mesh> mesh;  // the control mesh
    std::unique_ptr<MrMesh> mr;  // its surface, at level 0 once made
    std::string progress;        // the path the construction reported
};

// Loads `control` from its text and builds the surface over it, then refines
// it `levels` times.
Surface makeSurface(const RefMesh& control, int levels = 0);
