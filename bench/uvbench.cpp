// The cost of smooth texture coordinates: on textured versions of the
// benchmark's meshes (a longitude-latitude layout, seams where it wraps),
// the time one level's texture coordinates take to refine under the rule
// "none" against the time its points take, and the bytes they keep against
// the points' bytes, at levels 1 to the level asked for (default 4), on one
// thread and on all. Best of three runs per cell. The points alone are
// refined by a surface whose rule is "all", whose texture coordinates cost
// nothing to refine; the texture coordinates cost what a surface under
// "none" takes more for the same step, which refines both in one pass, and
// alone, by a layout over the same level 0.
//
// Usage: facetry_uvbench [max level] [mesh name ...]

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <sys/mman.h>

#include "benchmeshes.h"
#include "mesh/meshfile.h"
#include "mr/facevarying.h"
#include "mr/mrmesh.h"

using namespace facetry;

namespace {

constexpr double kPi = 3.14159265358979323846;

// The mesh's text as OBJ with texture coordinates: u the angle about the z
// axis, v the angle about the tube's circle (a torus) or the height (a
// sphere); a face that straddles a wrap takes the value past it, a second
// texture coordinate of its vertices there, so the layout has a seam.
std::string texturedObj(const std::string& meshText, bool torus, const std::string& tag) {
    const std::string path = "/tmp/facetry-uvbench.mesh";
    std::ofstream(path) << meshText;
    Mesh mesh;
    loadMeshFile(path, mesh, [](const std::string&) {});
    std::remove(path.c_str());
    const int n = mesh.numVertices();
    double ring = 0;
    for (int v = 0; v < n; ++v) {
        const Vector p = mesh.vertex(v)->position();
        ring += std::sqrt(double(p.x) * p.x + double(p.y) * p.y) / n;
    }
    auto uvOf = [&](const Vector& p) {
        const double u = std::atan2(p.y, p.x) / (2 * kPi) + 0.5;
        const double r = std::sqrt(double(p.x) * p.x + double(p.y) * p.y);
        const double v = torus ? std::atan2(p.z, r - ring) / (2 * kPi) + 0.5 : 0.5 * p.z + 0.5;
        return std::make_pair(u, v);
    };
    std::string obj = tag;
    char line[128];
    for (int v = 0; v < n; ++v) {
        const Vector p = mesh.vertex(v)->position();
        std::snprintf(line, sizeof line, "v %.9g %.9g %.9g\n", p.x, p.y, p.z);
        obj += line;
    }
    std::map<std::tuple<int, int, int>, int> index;  // (vertex, u past the wrap, v past it)
    std::string uvs, faces;
    for (int f = 0; f < mesh.numFaces(); ++f) {
        const MeshFace* face = mesh.face(f);
        std::vector<std::pair<double, double>> corner;
        double uMin = 1, uMax = 0, vMin = 1, vMax = 0;
        for (int k = 0; k < face->valence(); ++k) {
            corner.push_back(uvOf(face->vertex(k)->position()));
            uMin = std::min(uMin, corner.back().first), uMax = std::max(uMax, corner.back().first);
            vMin = std::min(vMin, corner.back().second), vMax = std::max(vMax, corner.back().second);
        }
        faces += "f";
        for (int k = 0; k < face->valence(); ++k) {
            const bool pastU = uMax - uMin > 0.5 && corner[k].first < 0.5, pastV = torus && vMax - vMin > 0.5 && corner[k].second < 0.5;
            const auto key = std::make_tuple(face->vertex(k)->id, int(pastU), int(pastV));
            auto found = index.find(key);
            if (found == index.end()) {
                found = index.emplace(key, static_cast<int>(index.size()) + 1).first;
                std::snprintf(line, sizeof line, "vt %.9g %.9g\n", corner[k].first + pastU, corner[k].second + pastV);
                uvs += line;
            }
            std::snprintf(line, sizeof line, " %d/%d", face->vertex(k)->id + 1, found->second);
            faces += line;
        }
        faces += "\n";
    }
    return obj + uvs + faces;
}

std::unique_ptr<Mesh> loaded(const std::string& obj) {
    const std::string path = "/tmp/facetry-uvbench.obj";
    std::ofstream(path) << obj;
    auto mesh = std::make_unique<Mesh>();
    loadMeshFile(path, *mesh, [](const std::string&) {});
    std::remove(path.c_str());
    return mesh;
}

template <class F>
double seconds(F f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

// On a virtual machine the first write to memory new to the guest costs the
// host's page fault as well, which at level 4 takes longer than the
// refinement: the memory a level will take is written once before it.
void touchMemory(std::size_t bytes) {
    void* memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) return;
    madvise(memory, bytes, MADV_HUGEPAGE);
    std::memset(memory, 1, bytes);
    munmap(memory, bytes);
}

int main(int argc, char** argv) {
    const int maxLevel = argc > 1 ? std::atoi(argv[1]) : 4;
    std::vector<std::string> wanted(argv + std::min(argc, 2), argv + argc);
    struct Input {
        BenchMesh mesh;
        bool torus;
    };
    std::vector<Input> inputs;
    auto want = [&wanted](const std::string& name) { return wanted.empty() || std::find(wanted.begin(), wanted.end(), name) != wanted.end(); };
    if (want("torus-300x300-quads")) inputs.push_back({quadTorusOf(300, 300), true});
    if (want("scan-242k-triangles")) inputs.push_back({scannedSphere(), false});
    const int machine = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::printf("| mesh | seams | level | threads | points ms | points and UVs ms | UVs / points | UVs alone ms | alone / points | UV bytes / point bytes |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|\n");
    for (const Input& input : inputs) {
        const std::string plain = texturedObj(input.mesh.text, input.torus, "");
        const std::string smooth = "t facevaryinginterpolateboundary 1/0/0 0\n" + plain;
        for (int threads : {1, machine}) {
            std::vector<double> pointTime(maxLevel + 1, 1e9), bothTime(maxLevel + 1, 1e9), uvTime(maxLevel + 1, 1e9);
            double seamShare = 0, byteShare[16] = {}, pointBytes[16] = {};
            for (int run = 0; run < 3; ++run) {
                // One surface at a time, so that no run takes the memory of another.
                std::unique_ptr<Mesh> pointsMesh = loaded(plain), uvMesh = loaded(smooth), bothMesh = loaded(smooth);
                MrMesh surface;  // rule "all", whose texture coordinates cost nothing to refine
                surface.setThreads(threads);
                if (!surface.build(*pointsMesh).ok) return 1;
                const double pointBytes0 = 12.0 * (surface.numVertices() + surface.numEdges() + surface.numFaces());
                // The memory a level will take written just before it: on a
                // virtual machine memory the guest gave back costs the host's
                // page faults again when it is taken.
                auto warm = [&](int level) {
                    if (level >= 3) touchMemory(std::size_t(3 * pointBytes0 * (1 << (2 * level))));
                };
                for (int level = 1; level <= maxLevel; ++level) {
                    warm(level);
                    pointTime[level] = std::min(pointTime[level], seconds([&] { surface.subdivide(); }));
                    const double inner = (1 << level) - 1;
                    pointBytes[level] = 12.0 * (surface.numVertices() + surface.numEdges() * inner + surface.numFaces() * inner * inner);
                }
                surface.reset();
                {
                    FaceVaryingLayout layout(*uvMesh, surface.levelZeroNumbering(), surface.topology());
                    seamShare = double(layout.seamCount()) / surface.numEdges();
                    for (int level = 1; level <= maxLevel; ++level) {
                        warm(level);
                        uvTime[level] = std::min(uvTime[level], seconds([&] { layout.keepLevel(level, threads); }));
                        byteShare[level] = layout.bytesAt(level) / pointBytes[level];
                    }
                }
                MrMesh both;  // rule "none": points and texture coordinates in one pass
                both.setThreads(threads);
                if (!both.build(*bothMesh).ok) return 1;
                for (int level = 1; level <= maxLevel; ++level) {
                    warm(level);
                    bothTime[level] = std::min(bothTime[level], seconds([&] { both.subdivide(); }));
                }
            }
            for (int level = 1; level <= maxLevel; ++level)
                std::printf("| %s | %.2f%% | %d | %d | %.1f | %.1f | %.2f | %.1f | %.2f | %.2f |\n", input.mesh.name.c_str(),
                            100 * seamShare, level, threads, 1e3 * pointTime[level], 1e3 * bothTime[level],
                            (bothTime[level] - pointTime[level]) / pointTime[level], 1e3 * uvTime[level],
                            uvTime[level] / pointTime[level], byteShare[level]);
            std::fflush(stdout);
        }
    }
    return 0;
}
