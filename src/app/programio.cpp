#include "app/programio.h"

#include <cstdio>

#include "mesh/error.h"
#include "mesh/meshfile.h"
#include "mr/mrmesh.h"

namespace facetry {

void readMeshFile(const std::string& path, Mesh& mesh) {
    try {
        loadMeshFile(path, mesh, [](const std::string& message) { reportError("%s", message.c_str()); });
    } catch (const LoadError& error) {
        fatalError("%s", error.what());
    }
}

void printStatus(const Status& status) {
    if (status.message.empty()) return;
    FILE* stream = status.ok ? stdout : stderr;
    std::fprintf(stream, "%s\n", status.message.c_str());
    std::fflush(stream);
}

void buildSurface(MrMesh& surface, Mesh& mesh) {
    const Status built = surface.build(mesh);
    if (!built) {
        // The path was taken before the memory ran out: it is said first.
        printStatus({true, surface.buildPath()});
        fatalError("%s", built.message.c_str());
    }
    printStatus(built);
}

}  // namespace facetry
