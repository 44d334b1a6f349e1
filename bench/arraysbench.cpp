// The C++ side of the Python module's benchmark (bench/python.sh): the work
// facetry.refine(file, level) does, done through the library directly.
//   facetry_arraysbench --write-sphere FILE     the 50,000-triangle sphere, as a file
//   facetry_arraysbench FILE LEVEL [--no-arrays]
// loads FILE, builds the surface, subdivides it LEVEL times and copies its
// points and quads into new arrays (left out with --no-arrays) in the memory
// the module's take too (takeArrayMemory), then prints one line: the seconds that took,
// the array bytes, the peak resident memory before the work and at the end
// (KiB, from getrusage).
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>

#include "benchmeshes.h"
#include "mesh/meshfile.h"
#include "mr/block.h"
#include "mr/mrmesh.h"
#include "mr/surfaceexport.h"
#include "stopwatch.h"

using namespace facetry;

namespace {

long peakKiB() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--write-sphere") == 0) {
        std::ofstream out(argv[2]);
        out << triangleSphere().text;
        return out.flush() ? 0 : 1;
    }
    if (argc < 3) return std::fprintf(stderr, "usage: facetry_arraysbench FILE LEVEL [--no-arrays]\n"), 2;
    const bool arrays = !(argc > 3 && std::strcmp(argv[3], "--no-arrays") == 0);
    const int level = std::atoi(argv[2]);
    const long before = peakKiB();
    const Stopwatch watch;
    Mesh mesh;
    loadMeshFile(argv[1], mesh, [](const std::string&) {});
    MrMesh surface;
    Status status = surface.build(mesh);
    while (status && surface.curRes() < level) status = surface.subdivide();
    if (!status) return std::fprintf(stderr, "%s\n", status.message.c_str()), 1;
    float* points = nullptr;
    std::int32_t* quads = nullptr;
    long long bytes = 0;
    if (arrays) {
        const WeldedSurface welded(surface);
        points = static_cast<float*>(takeArrayMemory(12 * welded.pointCount()));
        quads = static_cast<std::int32_t*>(takeArrayMemory(16 * welded.quadCount()));
        welded.copyPoints(points);
        welded.copyQuads(quads);
        bytes = 12 * welded.pointCount() + 16 * welded.quadCount();
    }
    const double seconds = watch.seconds();
    std::printf("%.6f %lld %ld %ld\n", seconds, bytes, before, peakKiB());
    if (arrays) {
        const WeldedSurface welded(surface);
        giveBackArrayMemory(points, 12 * welded.pointCount());
        giveBackArrayMemory(quads, 16 * welded.quadCount());
    }
    return 0;
}
