#pragma once
// Read-only probes of a built surface for the tests: every stored point in
// element order, the welded point set, an edge read along a face's side, and
// the check that every element reads the points it shares with another as
// that one does. Point sets are matched with support/pointmatch.h.

#include <memory>
#include <string>
#include <vector>

#include "mesh/mesh.h"
#include "mr/mrmesh.h"
#include "reference_subdivision.h"
#include "support/pointmatch.h"

// Every point the surface stores, in a fixed order: vertex positions, then
// each edge's points, then each face's grid row by row.
std::vector<facetry::Vector> surfacePoints(const facetry::MrMesh& mr);

// Whether two point lists are identical to the bit. On a difference, `where`
// tells the first index that differs.
bool sameBits(const std::vector<facetry::Vector>& a, const std::vector<facetry::Vector>& b, std::string* where = nullptr);

// Each surface point once: every vertex, the inner points of every edge and
// the inner points of every face grid.
std::vector<RefPoint> weldedPoints(const facetry::MrMesh& mr);

// The points of face f's grid along its side on edge e, from e's vertex(0)
// to its vertex(1), found from the face's corners alone (not from its side
// tables); empty when e is no side of f with its ends at that side's corners.
std::vector<facetry::Vector> sideAlong(const facetry::MrFace* f, const facetry::MrEdge* e);

// The first point that two elements sharing it read differently, or "" when
// they all agree bit for bit. Every point is stored once, by its owner, and
// read through the topology, so this checks the topology's two views of
// each side: each face reads its corners as its vertices' positions and its
// sides as its edges' points (through the side tables), and each edge's
// faces hold it as a side whose points, read from the face's corners, are
// the edge's.
std::string sharedPointMismatch(const facetry::MrMesh& mr);

// The first element whose level or point count is not that of `level`, or "".
std::string levelMismatch(const facetry::MrMesh& mr, int level);

// Builds the surface over `mesh`, which must succeed without printing
// anything, keeping the path it reports in `progress`.
std::unique_ptr<facetry::MrMesh> buildSurface(facetry::Mesh& mesh, std::string* progress = nullptr);

// A control mesh and the surface built over it.
struct Surface {
    std::unique_ptr<facetry::Mesh> mesh;  // the control mesh
    std::unique_ptr<facetry::MrMesh> mr;  // its surface, at level 0 once made
    std::string progress;        // the path the construction reported
};

// Loads `control` from its text and builds the surface over it, then refines
// it `levels` times.
Surface makeSurface(const RefMesh& control, int levels = 0);
