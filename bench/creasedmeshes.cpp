#include "creasedmeshes.h"

#include <cstdarg>
#include <cstdio>
#include <random>

#include "facetrytimings.h"
#include "support/creasetags.h"

using namespace facetry;

namespace {

constexpr double kSharpEdgeShare = 0.05;     // of the interior edges
constexpr double kSharpVertexShare = 0.005;  // of the vertices
constexpr double kHoleShare = 0.2;           // of the faces, in the options variants

std::string line(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string line(const char* format, ...) {
    char buffer[160];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    return buffer;
}

// The mesh's vertices and faces as OBJ, after a comment line saying what it is.
std::string objBody(const Mesh& mesh, const std::string& comment) {
    std::string text = "# " + comment + "\n";
    for (int v = 0; v < mesh.numVertices(); ++v) {
        const Vector p = mesh.vertex(v)->position();
        text += line("v %.9g %.9g %.9g\n", p.x, p.y, p.z);
    }
    for (int f = 0; f < mesh.numFaces(); ++f) {
        const MeshFace* face = mesh.face(f);
        text += "f";
        for (int k = 0; k < face->valence(); ++k) text += " " + std::to_string(face->vertex(k)->id + 1);
        text += "\n";
    }
    return text;
}

}  // namespace

BenchMesh creasedVariant(const BenchMesh& smooth, unsigned seed) {
    std::unique_ptr<Mesh> mesh = loadText(smooth.text);
    const CreaseTags tags = randomCreases(*mesh, seed, kSharpEdgeShare, kSharpVertexShare);
    std::string text = objBody(*mesh, smooth.name + " with sharp edges and corners");
    // Tags name vertices by 0-based index.
    for (std::size_t k = 0; k < tags.edges.size(); ++k)
        text += line("t crease 2/1/0 %d %d %.9g\n", tags.edges[k][0], tags.edges[k][1], tags.edgeSharpness[k]);
    for (std::size_t k = 0; k < tags.vertices.size(); ++k)
        text += line("t corner 1/1/0 %d %.9g\n", tags.vertices[k], tags.vertexSharpness[k]);
    return {smooth.name + "-creased", text};
}

BenchMesh optionsVariant(const BenchMesh& smooth, unsigned seed) {
    std::unique_ptr<Mesh> mesh = loadText(smooth.text);
    std::string text = objBody(*mesh, smooth.name + " with boundary interpolation edge and corner and holes");
    text += "t interpolateboundary 1/0/0 1\n";
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> share(0, 1);
    for (int f = 0; f < mesh->numFaces(); ++f)
        if (share(random) < kHoleShare) text += line("t hole 1/0/0 %d\n", f);
    return {smooth.name + "-options", text};
}

bool isObjText(const std::string& text) { return !text.empty() && (text[0] == '#' || text.compare(0, 2, "v ") == 0); }
