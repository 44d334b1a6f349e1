#include "exercise.h"

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "mesh/mesh.h"
#include "mr/limit.h"
#include "mr/mrmesh.h"
#include "mr/surfaceexport.h"

using namespace facetry;

namespace {

// Closes a stdio stream when it goes out of scope.
struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<FILE, FileCloser>;

// The bytes as a read-only stream; an empty input gives an empty stream.
File openBytes(const std::uint8_t* data, std::size_t size) {
    static char nothing[1];
    void* buffer = size ? const_cast<std::uint8_t*>(data) : static_cast<void*>(nothing);
    return File(fmemopen(buffer, size, "r"));
}

bool loadMesh(MeshFormat format, const std::uint8_t* data, std::size_t size, Mesh& mesh,
              ExerciseOutcome& outcome) {
    MessageSink count = [&outcome](const std::string&) { ++outcome.messages; };
    try {
        switch (format) {
        case MeshFormat::Text: {
            File input = openBytes(data, size);
            if (!input) return false;
            mesh.load(input.get(), count);
            break;
        }
        case MeshFormat::Obj: {
            std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
            loadObj(input, "fuzz.obj", mesh, count);
            break;
        }
        case MeshFormat::Off: {
            File input = openBytes(data, size);
            if (!input) return false;
            loadOff(input.get(), "fuzz.off", mesh, count);
            break;
        }
        }
    } catch (const LoadError& error) {
        outcome.error = error.what();
        return false;
    }
    return true;
}

// Refines, edits one control vertex (moving it a little, as a drag does),
// writes the surface with its limit positions, normals, the limits of its
// texture coordinates and tags, and steps back a level: every level operation the surface has.
int workSurface(Mesh& mesh) {
    MrMesh surface;
    surface.setMemoryProbe([] { return kExerciseMemoryBudget; });
    if (!surface.build(mesh)) return 0;
    for (int level = 0; level < kExerciseLevels; ++level)
        if (!surface.subdivide()) break;
    MeshVertex* moved = mesh.vertex(0);
    moved->setPosition(moved->position() + Vector(0.25f, -0.5f, 1.0f));
    surface.vertexMoved(moved);
    std::vector<Vector> positions, normals;
    limitPointsAndNormals(surface, &positions, &normals);
    SurfaceExtras extras;
    extras.positions = &positions;
    extras.normals = &normals;
    extras.limitTextureCoordinates = true;
    if (FILE* out = std::fopen("/dev/null", "w")) {
        writeSurface(out, surface, MeshFormat::Obj, extras);
        std::fclose(out);
    }
    int reached = surface.curRes();
    surface.undivide();
    return reached;
}

}  // namespace

ExerciseOutcome exerciseReader(MeshFormat format, const std::uint8_t* data, std::size_t size) {
    ExerciseOutcome outcome;
    Mesh mesh;
    if (!loadMesh(format, data, size, mesh, outcome)) return outcome;
    outcome.loaded = true;
    outcome.levels = workSurface(mesh);
    return outcome;
}
