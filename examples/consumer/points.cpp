// Prints the points of a control mesh's surface at level LEVEL, each once:
// WeldedSurface reads the current level of a surface (MrMesh::numVertices()
// counts only level 0's vertices).
//   current-points INPUT LEVEL
#include <cstdio>
#include <cstdlib>

#include "mesh/meshfile.h"
#include "mr/mrmesh.h"
#include "mr/surfaceexport.h"

using namespace facetry;

int main(int argc, char** argv) {
    if (argc != 3) return std::fprintf(stderr, "usage: current-points INPUT LEVEL\n"), 2;
    Mesh mesh;
    try {
        loadMeshFile(argv[1], mesh, [](const std::string& warning) { std::fprintf(stderr, "%s\n", warning.c_str()); });
    } catch (const LoadError& error) {
        return std::fprintf(stderr, "%s\n", error.what()), 1;
    }
    MrMesh surface;
    Status status = surface.build(mesh);
    while (status && surface.curRes() < std::atoi(argv[2])) status = surface.subdivide();
    if (!status) return std::fprintf(stderr, "%s\n", status.message.c_str()), 1;

    WeldedSurface level(surface);  // the current level, every point once
    std::printf("%lld points, %lld quads\n", level.pointCount(), level.quadCount());
    level.forEachPoint([](const Vector& p) { std::printf("%g %g %g\n", p.x, p.y, p.z); });
}
