#include "support/creasetags.h"

#include <random>
#include <stdexcept>

#include "mesh/meshbuilder.h"

using namespace facetry;

namespace {

float randomSharpness(std::mt19937& random) {
    std::uniform_int_distribution<int> kind(0, 2), whole(1, 3), tenths(1, 28);
    switch (kind(random)) {
    case 0: {
        const int t = tenths(random);
        return static_cast<float>(t % 10 == 0 ? t + 1 : t) / 10.0f;  // 0.1 .. 2.9, never whole
    }
    case 1: return static_cast<float>(whole(random));
    default: return 10.0f + static_cast<float>(whole(random) - 1);
    }
}

}  // namespace

CreaseTags randomCreases(const Mesh& mesh, unsigned seed, double edgeShare, double vertexShare) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> share(0, 1);
    CreaseTags tags;
    int firstEdge = -1, firstVertex = -1;  // the first that could be tagged
    for (int e = 0; e < mesh.numEdges(); ++e) {
        const MeshEdge* edge = mesh.edge(e);
        if (edge->onBoundary()) continue;
        if (firstEdge < 0) firstEdge = e;
        if (share(random) >= edgeShare) continue;
        tags.edges.push_back({edge->vertex(0)->id, edge->vertex(1)->id});
        tags.edgeSharpness.push_back(randomSharpness(random));
    }
    for (int v = 0; v < mesh.numVertices(); ++v) {
        if (mesh.vertex(v)->faceVal() == 0) continue;
        if (firstVertex < 0) firstVertex = v;
        if (share(random) >= vertexShare) continue;
        tags.vertices.push_back(v);
        tags.vertexSharpness.push_back(randomSharpness(random));
    }
    // A small mesh gets one of each all the same.
    if (tags.edges.empty() && edgeShare > 0 && firstEdge >= 0) {
        tags.edges.push_back({mesh.edge(firstEdge)->vertex(0)->id, mesh.edge(firstEdge)->vertex(1)->id});
        tags.edgeSharpness.push_back(randomSharpness(random));
    }
    if (tags.vertices.empty() && vertexShare > 0 && firstVertex >= 0) {
        tags.vertices.push_back(firstVertex);
        tags.vertexSharpness.push_back(randomSharpness(random));
    }
    return tags;
}

std::unique_ptr<Mesh> withCreases(const Mesh& mesh, const CreaseTags& tags) {
    MeshBuilder builder([](const std::string& message) { throw std::runtime_error(message); });
    for (int v = 0; v < mesh.numVertices(); ++v) builder.addVertex(mesh.vertex(v)->position());
    std::vector<int> corners;
    for (int f = 0; f < mesh.numFaces(); ++f) {
        const MeshFace* face = mesh.face(f);
        corners.clear();
        for (int k = 0; k < face->valence(); ++k) corners.push_back(face->vertex(k)->id);
        builder.addFace(corners.data(), face->valence());
    }
    for (std::size_t k = 0; k < tags.edges.size(); ++k)
        builder.setEdgeSharpness(builder.findEdge(tags.edges[k][0], tags.edges[k][1]), tags.edgeSharpness[k]);
    for (std::size_t k = 0; k < tags.vertices.size(); ++k) builder.setVertexSharpness(tags.vertices[k], tags.vertexSharpness[k]);
    builder.setOptions(mesh.options());
    auto copy = std::make_unique<Mesh>();
    builder.finish(*copy);
    return copy;
}
