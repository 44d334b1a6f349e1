#include "io_support.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "mesh/meshfile.h"

std::vector<Shape> shapeCatalogue() {
    std::vector<Shape> shapes;
    shapes.push_back({"cube",
                      {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                       {-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}},
                      {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4}, {2, 3, 7, 6}, {0, 4, 7, 3}, {1, 2, 6, 5}}});
    shapes.push_back({"tetrahedron",
                      {{0.1f, 0.2f, 0.3f}, {1.7f, 0.1f, -0.2f}, {0.3f, 1.9f, 0.1f}, {0.2f, 0.4f, 1.3f}},
                      {{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}}});
    shapes.push_back({"patch",
                      {{0, 0, 0}, {1, 0, 0.1f}, {2, 0, 0}, {0, 1, 0.2f}, {1, 1, 0.3f}, {2, 1, 0}, {1, 2, 0.5f}},
                      {{0, 1, 4, 3}, {1, 2, 5, 4}, {3, 4, 6}}});
    shapes.push_back({"pyramid",
                      {{1, 0, 0}, {0.309017f, 0.951057f, 0}, {-0.809017f, 0.587785f, 0},
                       {-0.809017f, -0.587785f, 0}, {0.309017f, -0.951057f, 0}, {0, 0, 1.25f}},
                      {{0, 4, 3, 2, 1}, {0, 1, 5}, {1, 2, 5}, {2, 3, 5}, {3, 4, 5}, {4, 0, 5}}});
    return shapes;
}

Shape shapeOf(const Mesh& mesh) {
    Shape shape;
    for (int v = 0; v < mesh.numVertices(); ++v) shape.positions.push_back(mesh.vertex(v)->position());
    for (int f = 0; f < mesh.numFaces(); ++f) {
        std::vector<int> face;
        for (int k = 0; k < mesh.face(f)->valence(); ++k) face.push_back(mesh.face(f)->vertex(k)->id);
        shape.faces.push_back(face);
    }
    return shape;
}

namespace {

std::string coordinates(const Vector& p) {
    char text[80];
    std::snprintf(text, sizeof text, "%.9g %.9g %.9g", p.x, p.y, p.z);
    return text;
}

int edgeCount(const Shape& shape) {
    int corners = 0, boundary = 0;
    for (const auto& face : shape.faces) corners += static_cast<int>(face.size());
    for (const auto& face : shape.faces)
        for (std::size_t k = 0; k < face.size(); ++k) {
            int a = face[k], b = face[(k + 1) % face.size()];
            bool shared = false;
            for (const auto& other : shape.faces)
                for (std::size_t j = 0; j < other.size(); ++j)
                    shared = shared || (other[j] == b && other[(j + 1) % other.size()] == a);
            boundary += shared ? 0 : 1;
        }
    return (corners + boundary) / 2;
}

LoadResult collect(const std::function<void(Mesh&, const MessageSink&)>& load) {
    LoadResult result;
    try {
        load(*result.mesh, [&result](const std::string& m) { result.messages.push_back(m); });
    } catch (const LoadError& error) {
        result.fatal = error.what();
    }
    return result;
}

}  // namespace

std::string meshTextOf(const Shape& shape) {
    std::string text = "numV = " + std::to_string(shape.positions.size()) + "\n";
    for (const Vector& p : shape.positions) text += coordinates(p) + "\n";
    text += "numE = " + std::to_string(edgeCount(shape)) + "\nnumF = " + std::to_string(shape.faces.size()) + "\n";
    for (const auto& face : shape.faces) {
        for (int v : face) text += std::to_string(v) + " ";
        text += "-1\n";
    }
    return text;
}

std::string objTextOf(const Shape& shape) {
    std::string text = "# " + shape.name + "\n";
    for (const Vector& p : shape.positions) text += "v " + coordinates(p) + "\n";
    for (const auto& face : shape.faces) {
        text += "f";
        for (int v : face) text += " " + std::to_string(v + 1);
        text += "\n";
    }
    return text;
}

std::string offTextOf(const Shape& shape) {
    std::string text = "OFF\n" + std::to_string(shape.positions.size()) + " " + std::to_string(shape.faces.size()) +
                       " " + std::to_string(edgeCount(shape)) + "\n";
    for (const Vector& p : shape.positions) text += coordinates(p) + "\n";
    for (const auto& face : shape.faces) {
        text += std::to_string(face.size());
        for (int v : face) text += " " + std::to_string(v);
        text += "\n";
    }
    return text;
}

LoadResult loadObjText(const std::string& text, const std::string& name) {
    return collect([&](Mesh& mesh, const MessageSink& report) {
        std::istringstream input(text);
        loadObj(input, name, mesh, report);
    });
}

LoadResult loadOffText(const std::string& text, const std::string& name) {
    return collect([&](Mesh& mesh, const MessageSink& report) {
        FILE* input = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
        try {
            loadOff(input, name, mesh, report);
        } catch (...) {
            std::fclose(input);
            throw;
        }
        std::fclose(input);
    });
}

LoadResult loadFile(const std::string& path) {
    return collect([&](Mesh& mesh, const MessageSink& report) { loadMeshFile(path, mesh, report); });
}

TempDir::TempDir() {
    char pattern[] = "/tmp/facetry-io-XXXXXX";
    dir = mkdtemp(pattern);
}

TempDir::~TempDir() { std::system(("rm -rf '" + dir + "'").c_str()); }

std::string TempDir::write(const std::string& file, const std::string& text) const {
    std::ofstream(path(file), std::ios::binary) << text;
    return path(file);
}

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

RunResult runCommand(const std::string& commandLine, const TempDir& dir) {
    const std::string out = dir.path("run.out"), err = dir.path("run.err");
    int raw = std::system((commandLine + " >'" + out + "' 2>'" + err + "' </dev/null").c_str());
    RunResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = readText(out);
    result.err = readText(err);
    return result;
}
