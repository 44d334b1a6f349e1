// Prints the points of a control mesh's surface at level LEVEL, each once
// (the welded surface of the current level, as Surface hands it on).
//   current-points INPUT LEVEL
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <facetry/mesh/meshfile.h>
#include <facetry/mr/surface.h>

using namespace facetry;

int main(int argc, char** argv) {
    if (argc != 3) return std::fprintf(stderr, "usage: current-points INPUT LEVEL\n"), 2;
    Mesh mesh;
    try {
        loadMeshFile(argv[1], mesh, [](const std::string& warning) { std::fprintf(stderr, "%s\n", warning.c_str()); });
    } catch (const LoadError& error) {
        return std::fprintf(stderr, "%s\n", error.what()), 1;
    }
    Surface surface;
    Status status = surface.build(mesh);
    while (status && surface.level() < std::atoi(argv[2])) status = surface.subdivide();
    if (!status) return std::fprintf(stderr, "%s\n", status.message.c_str()), 1;

    std::vector<float> xyz(3 * surface.pointCount());
    surface.copyPoints(xyz.data());
    std::printf("%lld points, %lld quads\n", surface.pointCount(), surface.quadCount());
    for (std::size_t k = 0; k < xyz.size(); k += 3) std::printf("%g %g %g\n", xyz[k], xyz[k + 1], xyz[k + 2]);
}
