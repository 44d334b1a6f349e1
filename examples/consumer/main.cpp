// Loads a control mesh (text, .obj or .off), refines its Catmull-Clark
// surface LEVEL times and writes it as one welded quad mesh in OBJ.
//   refine-to-obj INPUT LEVEL OUTPUT.obj
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include <facetry/mesh/meshfile.h>
#include <facetry/mr/surface.h>

using namespace facetry;

int main(int argc, char** argv) {
    if (argc != 4) return std::cerr << "usage: refine-to-obj INPUT LEVEL OUTPUT.obj\n", 2;
    Mesh mesh;
    try {
        loadMeshFile(argv[1], mesh, [](const std::string& warning) { std::cerr << warning << "\n"; });
    } catch (const LoadError& error) {
        return std::cerr << error.what() << "\n", 1;
    }
    Surface surface;
    Status status = surface.build(mesh);
    while (status && surface.level() < std::atoi(argv[2])) status = surface.subdivide();
    if (!status) return std::cerr << status.message << "\n", 1;
    FILE* out = std::fopen(argv[3], "w");
    const bool written = out && surface.write(out, MeshFormat::Obj);
    if (out && std::fclose(out) != 0) return 1;
    return written ? 0 : 1;
}
