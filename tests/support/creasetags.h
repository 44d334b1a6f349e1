#pragma once
// Sharp edges and corners drawn at random (from a fixed seed) for a control
// mesh: the creased variants the peer tests and the benchmark compare with
// OpenSubdiv. Sharpness values come in three kinds in equal shares:
// fractional (0.1 to 2.9, never whole), whole (1, 2 or 3) and infinite (10
// to 12).

#include <array>
#include <memory>
#include <vector>

#include "mesh/mesh.h"

struct CreaseTags {
    std::vector<std::array<int, 2>> edges;  // sharp edges by their two vertices
    std::vector<float> edgeSharpness;       // one per sharp edge
    std::vector<int> vertices;              // sharp vertices (corners)
    std::vector<float> vertexSharpness;     // one per sharp vertex
};

// About `edgeShare` of the interior edges of `mesh` and `vertexShare` of its
// vertices that faces use, each sharp with a random sharpness; at least one
// of each where the mesh has any and the share is not 0.
CreaseTags randomCreases(const facetry::Mesh& mesh, unsigned seed, double edgeShare, double vertexShare);

// A copy of `mesh` (positions, faces and scheme options) with `tags` as its
// sharpness, built the way the readers build a mesh.
std::unique_ptr<facetry::Mesh> withCreases(const facetry::Mesh& mesh, const CreaseTags& tags);
