#pragma once
// A copy of a control mesh built the way the readers build one, with other
// sharpness or scheme options: how the tests and the benchmark give a mesh
// tags its file did not carry. Header only, so that the benchmark and the
// peer library use it without the tests' support library.

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "mesh/mesh.h"
#include "mesh/meshbuilder.h"

// `mesh`'s positions, faces and holes with `options`; `sharpness` sets the
// copy's sharpness on the builder (by default: the mesh's own).
inline std::unique_ptr<facetry::Mesh> copyMesh(const facetry::Mesh& mesh, const facetry::SchemeOptions& options,
                                               const std::function<void(facetry::MeshBuilder&)>& sharpness = {}) {
    using namespace facetry;
    MeshBuilder builder([](const std::string& message) { throw std::runtime_error(message); });
    for (int v = 0; v < mesh.numVertices(); ++v) builder.addVertex(mesh.vertex(v)->position());
    std::vector<int> corners;
    for (int f = 0; f < mesh.numFaces(); ++f) {
        const MeshFace* face = mesh.face(f);
        corners.clear();
        for (int k = 0; k < face->valence(); ++k) corners.push_back(face->vertex(k)->id);
        builder.addFace(corners.data(), face->valence());
        if (mesh.isHole(f)) builder.setHole(f);
    }
    if (sharpness) {
        sharpness(builder);
    } else {
        for (int e = 0; e < mesh.numEdges(); ++e)
            if (mesh.edge(e)->sharpness() > 0)
                builder.setEdgeSharpness(builder.findEdge(mesh.edge(e)->vertex(0)->id, mesh.edge(e)->vertex(1)->id),
                                         mesh.edge(e)->sharpness());
        for (int v = 0; v < mesh.numVertices(); ++v)
            if (mesh.vertex(v)->sharpness() > 0) builder.setVertexSharpness(v, mesh.vertex(v)->sharpness());
    }
    builder.setOptions(options);
    auto copy = std::make_unique<Mesh>();
    builder.finish(*copy);
    return copy;
}
