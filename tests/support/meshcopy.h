#pragma once
// A control mesh with other scheme options than its file gave it: how the
// tests and the benchmark refine a mesh under options its file did not tag.
// Header only, so that the benchmark uses it without the tests' support
// library.

#include <memory>

#include "mesh/mesh.h"
#include "mesh/mesharrays.h"

// A copy of `mesh` (positions, faces, sharpness, holes, texture
// coordinates) with `options`.
inline std::unique_ptr<facetry::Mesh> withOptions(const facetry::Mesh& mesh, const facetry::SchemeOptions& options) {
    auto copy = std::make_unique<facetry::Mesh>();
    facetry::copyMesh(mesh, *copy, options);
    return copy;
}
