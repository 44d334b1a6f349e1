// Deterministic generators of the benchmark's control meshes.
#include "benchmeshes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <utility>

namespace {

constexpr double kPi = 3.14159265358979323846;

// A polygon mesh under construction: positions and faces as index lists.
struct IndexedMesh {
    std::vector<std::array<double, 3>> points;  // one per vertex
    std::vector<std::vector<int>> faces;        // vertex indices around each face
};

// The number of distinct edges of the faces: the exact numE of the text.
long countEdges(const IndexedMesh& mesh) {
    std::set<std::pair<int, int>> edges;
    for (const auto& face : mesh.faces)
        for (std::size_t k = 0; k < face.size(); ++k) {
            int a = face[k], b = face[(k + 1) % face.size()];
            edges.insert({std::min(a, b), std::max(a, b)});
        }
    return static_cast<long>(edges.size());
}

// The control-mesh text of an indexed mesh; %.9g keeps every float exact.
std::string toText(const IndexedMesh& mesh) {
    std::string text = "numV = " + std::to_string(mesh.points.size()) + "\n";
    char line[128];
    for (const auto& p : mesh.points) {
        std::snprintf(line, sizeof line, "%.9g %.9g %.9g\n", static_cast<float>(p[0]), static_cast<float>(p[1]),
                      static_cast<float>(p[2]));
        text += line;
    }
    text += "numE = " + std::to_string(countEdges(mesh)) + "\n";
    text += "numF = " + std::to_string(mesh.faces.size()) + "\n";
    for (const auto& face : mesh.faces) {
        for (int v : face) text += std::to_string(v) + " ";
        text += "-1\n";
    }
    return text;
}

// A point of the torus with major radius 1 and minor radius 0.4, at the
// fractions u (around the axis) and v (around the tube) of a full turn.
std::array<double, 3> torusPoint(double u, double v) {
    const double major = 1.0, minor = 0.4;
    double a = 2 * kPi * u, b = 2 * kPi * v;
    double r = major + minor * std::cos(b);
    return {r * std::cos(a), r * std::sin(a), minor * std::sin(b)};
}

// The vertices of an nu x nv torus grid, vertex (i, j) at index i*nv + j.
IndexedMesh torusGrid(int nu, int nv) {
    IndexedMesh mesh;
    for (int i = 0; i < nu; ++i)
        for (int j = 0; j < nv; ++j) mesh.points.push_back(torusPoint(double(i) / nu, double(j) / nv));
    return mesh;
}

// Index of torus grid vertex (i, j), both taken cyclically.
int gridIndex(int i, int j, int nu, int nv) { return ((i % nu + nu) % nu) * nv + (j % nv + nv) % nv; }

}  // namespace

BenchMesh quadTorus() {
    const int nu = 100, nv = 100;
    IndexedMesh mesh = torusGrid(nu, nv);
    for (int i = 0; i < nu; ++i)
        for (int j = 0; j < nv; ++j)
            mesh.faces.push_back({gridIndex(i, j, nu, nv), gridIndex(i + 1, j, nu, nv),
                                  gridIndex(i + 1, j + 1, nu, nv), gridIndex(i, j + 1, nu, nv)});
    return {"torus-10k-quads", toText(mesh)};
}

namespace {

// The icosahedron's 12 corners and 20 faces, oriented outwards.
const double kGolden = 1.6180339887498949;
const double kIcosaCorners[12][3] = {{-1, kGolden, 0}, {1, kGolden, 0},  {-1, -kGolden, 0}, {1, -kGolden, 0},
                                      {0, -1, kGolden}, {0, 1, kGolden},  {0, -1, -kGolden}, {0, 1, -kGolden},
                                      {kGolden, 0, -1}, {kGolden, 0, 1},  {-kGolden, 0, -1}, {-kGolden, 0, 1}};
const int kIcosaFaces[20][3] = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11},
                                {1, 5, 9},  {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
                                {3, 9, 4},  {3, 4, 2},  {3, 2, 6},   {3, 6, 8},  {3, 8, 9},
                                {4, 9, 5},  {2, 4, 11}, {6, 2, 10},  {8, 6, 7},  {9, 8, 1}};

// A lattice point of the subdivided icosahedron as a canonical key: its
// (corner, weight) pairs with non-zero weight, sorted by corner, so that the
// faces sharing an edge or a corner find the same vertex.
using LatticeKey = std::array<int, 6>;

LatticeKey latticeKey(const int corners[3], const int weights[3]) {
    std::vector<std::pair<int, int>> terms;
    for (int k = 0; k < 3; ++k)
        if (weights[k]) terms.push_back({corners[k], weights[k]});
    std::sort(terms.begin(), terms.end());
    LatticeKey key{-1, 0, -1, 0, -1, 0};
    for (std::size_t k = 0; k < terms.size(); ++k) {
        key[2 * k] = terms[k].first;
        key[2 * k + 1] = terms[k].second;
    }
    return key;
}

// The vertex for a lattice key, made on first use and projected onto the
// unit sphere.
int latticeVertex(const LatticeKey& key, int frequency, std::map<LatticeKey, int>& made, IndexedMesh& mesh) {
    auto found = made.find(key);
    if (found != made.end()) return found->second;
    double p[3] = {0, 0, 0};
    for (int k = 0; k < 3 && key[2 * k] >= 0; ++k)
        for (int c = 0; c < 3; ++c) p[c] += kIcosaCorners[key[2 * k]][c] * key[2 * k + 1] / frequency;
    double length = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    mesh.points.push_back({p[0] / length, p[1] / length, p[2] / length});
    made[key] = static_cast<int>(mesh.points.size()) - 1;
    return made[key];
}

// Lattice vertex (a, b) of an icosahedron face: weight a on its second
// corner, b on its third, the rest on its first.
int faceLatticeVertex(const int corners[3], int a, int b, int frequency, std::map<LatticeKey, int>& made,
                      IndexedMesh& mesh) {
    int weights[3] = {frequency - a - b, a, b};
    return latticeVertex(latticeKey(corners, weights), frequency, made, mesh);
}

}  // namespace

BenchMesh triangleSphere() {
    const int frequency = 50;  // 20 * 50^2 = 50,000 triangles
    IndexedMesh mesh;
    std::map<LatticeKey, int> made;
    for (const auto& corners : kIcosaFaces)
        for (int a = 0; a < frequency; ++a)
            for (int b = 0; a + b < frequency; ++b) {
                auto at = [&](int i, int j) { return faceLatticeVertex(corners, i, j, frequency, made, mesh); };
                mesh.faces.push_back({at(a, b), at(a + 1, b), at(a, b + 1)});
                if (a + b + 2 <= frequency) mesh.faces.push_back({at(a + 1, b), at(a + 1, b + 1), at(a, b + 1)});
            }
    return {"sphere-50k-triangles", toText(mesh)};
}

namespace {

// Adds the cell (i, j) of the mixed torus, or nothing when a neighbour has
// taken it. Hexagons join cells (i, j) and (i+1, j); two triangles split a
// cell along its diagonal; pentagons come in pairs around a vertex set in the
// middle of the edge they share.
void addMixedCell(int i, int j, int nu, int nv, IndexedMesh& mesh) {
    auto at = [&](int a, int b) { return gridIndex(a, b, nu, nv); };
    int a = at(i, j), b = at(i + 1, j), c = at(i + 1, j + 1), d = at(i, j + 1);
    if (i % 4 == 0 && j % 3 == 0) {
        mesh.faces.push_back({a, b, at(i + 2, j), at(i + 2, j + 1), c, d});
    } else if (i % 4 == 1 && j % 3 == 0) {
        // the second half of the hexagon
    } else if (i % 4 == 2 && j % 3 == 1) {
        mesh.faces.push_back({a, b, c});
        mesh.faces.push_back({a, c, d});
    } else if (i % 4 == 3 && j % 3 == 1) {
        mesh.points.push_back(torusPoint((i + 0.5) / nu, double(j + 1) / nv));
        int middle = static_cast<int>(mesh.points.size()) - 1;
        mesh.faces.push_back({a, b, c, middle, d});
        mesh.faces.push_back({d, middle, c, at(i + 1, j + 2), at(i, j + 2)});
    } else if (i % 4 == 3 && j % 3 == 2) {
        // the second pentagon, made with the first
    } else {
        mesh.faces.push_back({a, b, c, d});
    }
}

}  // namespace

BenchMesh mixedTorus() {
    const int nu = 48, nv = 30;  // multiples of the 4 x 3 pattern
    IndexedMesh mesh = torusGrid(nu, nv);
    for (int i = 0; i < nu; ++i)
        for (int j = 0; j < nv; ++j) addMixedCell(i, j, nu, nv, mesh);
    return {"torus-mixed-polygons", toText(mesh)};
}

BenchMesh openPatch() {
    const int nx = 120, ny = 80;         // cells of the height field
    const int holeX0 = 50, holeX1 = 70;  // cells [holeX0, holeX1) x [holeY0, holeY1) are left out
    const int holeY0 = 35, holeY1 = 45;
    auto inHole = [&](int i, int j) { return i >= holeX0 && i < holeX1 && j >= holeY0 && j < holeY1; };
    // Grid vertex (i, j) gets an index unless it lies strictly inside the hole.
    std::vector<int> index((nx + 1) * (ny + 1), -1);
    IndexedMesh mesh;
    for (int i = 0; i <= nx; ++i)
        for (int j = 0; j <= ny; ++j) {
            if (i > holeX0 && i < holeX1 && j > holeY0 && j < holeY1) continue;
            double x = 3.0 * i / nx - 1.5, y = 2.0 * j / ny - 1.0;
            index[i * (ny + 1) + j] = static_cast<int>(mesh.points.size());
            mesh.points.push_back({x, y, 0.2 * std::sin(2.5 * x) * std::cos(3.0 * y)});
        }
    auto at = [&](int i, int j) { return index[i * (ny + 1) + j]; };
    for (int i = 0; i < nx; ++i)
        for (int j = 0; j < ny; ++j)
            if (!inHole(i, j)) mesh.faces.push_back({at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)});
    return {"open-patch-with-hole", toText(mesh)};
}

std::vector<BenchMesh> bundledExamples(const std::string& directory) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(directory.c_str())) {
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name.size() > 5 && name.compare(name.size() - 5, 5, ".mesh") == 0) names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    std::vector<BenchMesh> meshes;
    for (const auto& name : names) {
        std::ifstream in(directory + "/" + name);
        std::stringstream text;
        text << in.rdbuf();
        meshes.push_back({name.substr(0, name.size() - 5), text.str()});
    }
    return meshes;
}
