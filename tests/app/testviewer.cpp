#include "testviewer.h"

#include <stdexcept>

#include "app/startup.h"
#include "mesh/meshbuilder.h"

using namespace facetry;

std::unique_ptr<Mesh> buildMesh(const std::vector<Vector>& positions, const std::vector<std::vector<int>>& faces) {
    MeshBuilder builder([](const std::string& message) { throw std::runtime_error(message); });
    for (const Vector& p : positions) builder.addVertex(p);
    for (const std::vector<int>& face : faces) builder.addFace(face.data(), static_cast<int>(face.size()));
    auto mesh = std::make_unique<Mesh>();
    builder.finish(*mesh);
    return mesh;
}

std::unique_ptr<Mesh> cubeMesh(const Vector& offset) {
    std::vector<Vector> corners = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                                   {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
    for (Vector& p : corners) p += offset;
    return buildMesh(corners, {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4}, {2, 3, 7, 6}, {0, 4, 7, 3}, {1, 2, 6, 5}});
}

std::unique_ptr<Mesh> gridMesh(int n) {
    std::vector<Vector> points;
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i) points.emplace_back(static_cast<float>(i), static_cast<float>(j), 0.0f);
    std::vector<std::vector<int>> faces;
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            int a = j * (n + 1) + i;
            faces.push_back({a, a + 1, a + n + 2, a + n + 1});
        }
    return buildMesh(points, faces);
}

TestViewer::TestViewer(std::unique_ptr<Mesh> controlMesh, int width, int height)
    : mesh(std::move(controlMesh)), mrMesh(std::make_unique<MrMesh>()) {
    mrMesh->build(*mesh);
    ViewFit fit = fitView(*mesh);
    viewer.view.center = fit.center;
    viewer.view.scale = fit.scale;
    viewer.view.resize(width, height);
    viewer.mesh = mesh.get();
    viewer.mrMesh = mrMesh.get();
    viewer.surfaceDrawing = std::make_unique<SurfaceDrawing>(*mrMesh);
    viewer.postRedisplay = [this] { ++redraws; };
}
