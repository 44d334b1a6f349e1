#include "app/startup.h"

#include <cstdio>

#include "app/programio.h"
#include "mesh/error.h"

namespace facetry {

ViewFit fitView(const Mesh& mesh) {
    Vector lo, hi;
    mesh.boundingBox(lo, hi);
    ViewFit fit;
    fit.center = (hi + lo) * 0.5f;
    float h = maxOf(hi.x - fit.center.x, fit.center.x - lo.x);
    h = maxOf(maxOf(hi.y - fit.center.y, fit.center.y - lo.y), h);
    h = maxOf(maxOf(hi.z - fit.center.z, fit.center.z - lo.z), h);
    if (h != 0) fit.scale = static_cast<float>(1.0 / h);
    return fit;
}

void loadControlMesh(int argc, char** argv, Mesh& mesh) {
    if (argc <= 1) fatalError("\nSyntax: facetry [input] [output]\n", nullptr);
    // .obj and .off by their extension, anything else as the text format.
    readMeshFile(argv[1], mesh);
}

}  // namespace facetry
