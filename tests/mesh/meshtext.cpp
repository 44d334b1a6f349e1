#include "meshtext.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

Loaded loadText(const std::string& text) {
    Loaded result;
    // fmemopen wants a non-empty buffer; a lone blank reads like nothing.
    std::string buffer = text.empty() ? std::string(" ") : text;
    FILE* input = fmemopen(&buffer[0], buffer.size(), "r");
    if (!input) {
        result.fatal = "(fmemopen failed)";
        return result;
    }
    try {
        result.mesh->load(input, [&result](const std::string& m) { result.messages.push_back(m); });
    } catch (const LoadError& error) {
        result.fatal = error.what();
    }
    std::fclose(input);
    return result;
}

std::string meshText(const std::vector<Vector>& positions, int declaredEdges,
                     const std::vector<std::vector<int>>& faces) {
    std::ostringstream out;
    out.precision(9);
    out << "numV = " << positions.size() << "\n";
    for (const Vector& p : positions) out << p.x << " " << p.y << " " << p.z << "\n";
    out << "numE = " << declaredEdges << "\nnumF = " << faces.size() << "\n";
    for (const std::vector<int>& face : faces) {
        for (int i : face) out << i << " ";
        out << "-1\n";
    }
    return out.str();
}

namespace {

// A 3 by 3 grid of quads in the plane z = 0, lifted in the middle: 16
// vertices, boundary vertices of valence 2 and 3, interior ones of valence 4.
std::string gridPatch() {
    std::vector<Vector> p;
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) p.emplace_back(float(i), float(j), (i % 3 && j % 3) ? 1.0f : 0.0f);
    std::vector<std::vector<int>> f;
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i) f.push_back({4 * j + i, 4 * j + i + 1, 4 * j + i + 5, 4 * j + i + 4});
    return meshText(p, 24, f);
}

// A square pyramid: a quad base and four triangles, apex of valence 4,
// base corners of valence 3; faces of mixed valence.
std::string pyramid() {
    return meshText({{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}, {1, 1, 3}}, 8,
                    {{0, 3, 2, 1}, {0, 1, 4}, {1, 2, 4}, {2, 3, 4}, {3, 0, 4}});
}

// A fan of five triangles around vertex 0, open between the first and the
// last: vertex 0 is a boundary vertex with six edges and five faces.
std::string openFan() {
    return meshText({{0, 0, 0}, {4, 0, 0}, {2, 3, 0}, {-2, 3, 0}, {-4, 0, 1}, {-2, -3, 0}, {2, -3, 1}}, 11,
                    {{0, 1, 2}, {0, 2, 3}, {0, 3, 4}, {0, 4, 5}, {0, 5, 6}});
}

// A pentagon and a triangle sharing an edge, with faces listed so that the
// shared edge is first met from the triangle.
std::string pentagonAndTriangle() {
    return meshText({{0, 0, 0}, {2, 0, 0}, {3, 2, 0}, {1, 3, 0}, {-1, 2, 0}, {1, -2, 0}}, 7,
                    {{1, 0, 5}, {0, 1, 2, 3, 4}});
}

}  // namespace

std::vector<NamedMesh> meshCatalogue() {
    std::vector<NamedMesh> meshes;
    for (const char* name : {"cube", "antiprism", "patch", "torus"})
        meshes.push_back({name, readFile(std::string(FACETRY_SOURCE_DIR) + "/examples/" + name + ".mesh")});
    meshes.push_back({"single quad", meshText({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, 4, {{0, 1, 2, 3}})});
    meshes.push_back({"tetrahedron",
                      meshText({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, 6,
                               {{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}})});
    meshes.push_back({"grid patch", gridPatch()});
    meshes.push_back({"pyramid", pyramid()});
    meshes.push_back({"open fan", openFan()});
    meshes.push_back({"pentagon and triangle", pentagonAndTriangle()});
    return meshes;
}

std::string catalogueText(const std::string& name) {
    for (const NamedMesh& m : meshCatalogue())
        if (m.name == name) return m.text;
    return "";
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string captureOutput(FILE* stream, const std::function<void()>& action) {
    std::fflush(stream);
    FILE* sink = std::tmpfile();
    int saved = dup(fileno(stream));
    dup2(fileno(sink), fileno(stream));
    action();
    std::fflush(stream);
    dup2(saved, fileno(stream));
    close(saved);
    std::rewind(sink);
    std::string text;
    for (int c = std::fgetc(sink); c != EOF; c = std::fgetc(sink)) text.push_back(static_cast<char>(c));
    std::fclose(sink);
    return text;
}
