// facetry-refine: loads a control mesh exactly as the viewer does, builds the
// same surface, refines it and writes it as a welded quad mesh, without a
// window.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <new>
#include <vector>

#include "app/programio.h"
#include "app/refineoptions.h"
#include "mesh/filewriting.h"
#include "mr/limit.h"
#include "mr/mrmesh.h"
#include "mr/surfaceexport.h"

namespace facetry {

namespace {

// The exit status when a level is refused or the output cannot be written.
constexpr int kFailureStatus = 1;
constexpr std::size_t kMebibyte = 1024 * 1024;

// Subdivides `surface` up to `level`, with one line per level on standard
// error when `progress` is set. False when a level was refused.
bool refineTo(MrMesh& surface, int level, bool progress) {
    while (surface.curRes() < level) {
        const auto start = std::chrono::steady_clock::now();
        const Status step = surface.subdivide();
        if (!step) {
            printStatus(step);
            return false;
        }
        if (progress) {
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            std::fprintf(stderr, "level %d: %.3f s, %lld points\n", surface.curRes(), took.count(),
                         WeldedSurface(surface).pointCount());
        }
    }
    return true;
}

// Writes the surface to options.output; a failed write leaves what was there
// before as it was, and no file where there was none.
bool writeOutput(const MrMesh& surface, const RefineOptions& options) {
    std::vector<Vector> limitPositions, limitNormals;
    SurfaceExtras extras;
    if (options.limit || options.normals) {
        try {
            limitPointsAndNormals(surface, options.limit ? &limitPositions : nullptr,
                                  options.normals ? &limitNormals : nullptr);
        } catch (const std::bad_alloc&) {
            std::fprintf(stderr, "facetry-refine: not enough memory for the limit surface\n");
            return false;
        }
        if (options.limit) {
            extras.positions = &limitPositions;
            extras.limitTextureCoordinates = true;
        }
        if (options.normals) extras.normals = &limitNormals;
    }
    const Status written = replaceFile(
        options.output, [&](FILE* out) { return writeSurface(out, surface, options.format, extras); });
    if (!written) std::fprintf(stderr, "facetry-refine: %s\n", written.message.c_str());
    return written.ok;
}

// The memory guard's figure, lowered to the limit asked for on the command line.
void applyMemoryLimit(MrMesh& surface, long long limitMiB) {
    if (limitMiB < 0) return;
    const std::size_t limit = static_cast<std::size_t>(limitMiB) * kMebibyte;
    surface.setMemoryProbe([limit]() { return std::min(limit, systemAvailableMemory()); });
}

}  // namespace

}  // namespace facetry

using namespace facetry;

int main(int argc, char** argv) {
    RefineOptions options;
    const std::string error = parseRefineOptions(argc, argv, options);
    if (!error.empty()) {
        std::fprintf(stderr, "facetry-refine: %s\nTry 'facetry-refine --help' for more information.\n",
                     error.c_str());
        return kUsageStatus;
    }
    if (options.help) {
        std::fputs(kRefineUsage, stdout);
        return 0;
    }
    Mesh mesh;
    readMeshFile(options.input, mesh);
    const SchemeOptions scheme = options.schemeOver(mesh.options());
    if (scheme != mesh.options()) mesh.setOptions(scheme);
    MrMesh surface;
    if (options.threads > 0) surface.setThreads(options.threads);
    applyMemoryLimit(surface, options.memoryLimitMiB);
    buildSurface(surface, mesh);
    if (mesh.holeCount() == mesh.numFaces()) std::printf("Every face is a hole: the surface is empty\n");
    if (!refineTo(surface, options.level, options.progress || isatty(STDERR_FILENO))) return kFailureStatus;
    if (options.dump) {
        mesh.print();
        surface.print();
    }
    std::fflush(stdout);
    if (!options.output.empty() && !writeOutput(surface, options)) return kFailureStatus;
    return 0;
}
