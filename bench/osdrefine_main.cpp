// facetry_osd_refine: OpenSubdiv's whole process on a control-mesh file, for
// the benchmark's whole-process comparison with facetry-refine.
//   facetry_osd_refine FILE LEVEL
// It reads FILE with Facetry's own loader (so both programs parse the same
// way) and refines to the OpenSubdiv level of facetry-refine's level LEVEL:
// LEVEL itself for a control mesh of quads, LEVEL + 1 otherwise.
#include <cstdio>
#include <cstdlib>

#include "app/programio.h"
#include "osdtimings.h"

using namespace facetry;

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: facetry_osd_refine FILE LEVEL\n");
        return 2;
    }
    Mesh mesh;
    readMeshFile(argv[1], mesh);
    bool allQuads = true;
    for (int f = 0; f < mesh.numFaces(); ++f) allQuads = allQuads && mesh.face(f)->valence() == 4;
    const int level = std::atoi(argv[2]) + (allQuads ? 0 : 1);
    std::printf("%d points\n", refineWithOpenSubdiv(mesh, level));
    return 0;
}
