// Deterministic generators of the benchmark's control meshes.
#include "benchmeshes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <cstdint>
#include <map>
#include <numeric>
#include <random>
#include <set>
#include <sstream>
#include <unordered_map>
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

BenchMesh quadTorusOf(int nu, int nv) {
    IndexedMesh mesh = torusGrid(nu, nv);
    for (int i = 0; i < nu; ++i)
        for (int j = 0; j < nv; ++j)
            mesh.faces.push_back({gridIndex(i, j, nu, nv), gridIndex(i + 1, j, nu, nv),
                                  gridIndex(i + 1, j + 1, nu, nv), gridIndex(i, j + 1, nu, nv)});
    return {"torus-" + std::to_string(nu) + "x" + std::to_string(nv) + "-quads", toText(mesh)};
}

BenchMesh quadTorus() { return {"torus-10k-quads", quadTorusOf(100, 100).text}; }

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

// The sphere of 20 f^2 triangles, vertices in the order the faces meet them.
IndexedMesh geodesicSphere(int frequency) {
    IndexedMesh mesh;
    std::map<LatticeKey, int> made;
    for (const auto& corners : kIcosaFaces)
        for (int a = 0; a < frequency; ++a)
            for (int b = 0; a + b < frequency; ++b) {
                auto at = [&](int i, int j) { return faceLatticeVertex(corners, i, j, frequency, made, mesh); };
                mesh.faces.push_back({at(a, b), at(a + 1, b), at(a, b + 1)});
                if (a + b + 2 <= frequency) mesh.faces.push_back({at(a + 1, b), at(a + 1, b + 1), at(a, b + 1)});
            }
    return mesh;
}

// The same mesh with vertex v renumbered place[v], faces in the order `faceOrder`.
IndexedMesh renumbered(const IndexedMesh& mesh, const std::vector<int>& place, const std::vector<int>& faceOrder) {
    IndexedMesh result;
    result.points.resize(mesh.points.size());
    for (std::size_t v = 0; v < mesh.points.size(); ++v) result.points[place[v]] = mesh.points[v];
    for (int f : faceOrder) {
        result.faces.emplace_back();
        for (int v : mesh.faces[f]) result.faces.back().push_back(place[v]);
    }
    return result;
}

// Flips random interior edges of a closed triangle mesh: the two triangles
// (a, b, c) and (b, a, d) on edge ab become (a, d, c) and (d, b, c), as long
// as a and b keep at least 4 edges, c and d get at most 10 and c, d are not
// joined already.
void flipEdges(IndexedMesh& mesh, int flips, std::mt19937& random) {
    auto key = [](int a, int b) { return (std::uint64_t(std::min(a, b)) << 32) | std::uint32_t(std::max(a, b)); };
    std::unordered_map<std::uint64_t, std::array<int, 2>> facesOf;  // edge: its two faces
    std::vector<int> valence(mesh.points.size(), 0);
    for (int f = 0; f < static_cast<int>(mesh.faces.size()); ++f)
        for (int k = 0; k < 3; ++k) {
            auto [slot, fresh] = facesOf.try_emplace(key(mesh.faces[f][k], mesh.faces[f][(k + 1) % 3]), std::array<int, 2>{f, -1});
            if (!fresh) slot->second[1] = f;
            else ++valence[mesh.faces[f][k]], ++valence[mesh.faces[f][(k + 1) % 3]];
        }
    auto replace = [&](std::uint64_t edge, int from, int to) {
        std::array<int, 2>& pair = facesOf.at(edge);
        pair[pair[0] == from ? 0 : 1] = to;
    };
    for (int done = 0; done < flips;) {
        const int f = static_cast<int>(random() % mesh.faces.size()), k = static_cast<int>(random() % 3);
        const int a = mesh.faces[f][k], b = mesh.faces[f][(k + 1) % 3], c = mesh.faces[f][(k + 2) % 3];
        const std::array<int, 2>& pair = facesOf.at(key(a, b));
        const int g = pair[0] == f ? pair[1] : pair[0];
        int d = -1;
        for (int v : mesh.faces[g]) if (v != a && v != b) d = v;
        if (valence[a] <= 4 || valence[b] <= 4 || valence[c] >= 10 || valence[d] >= 10 || facesOf.count(key(c, d)))
            continue;
        facesOf.erase(key(a, b));
        facesOf[key(c, d)] = {f, g};
        replace(key(a, d), g, f);
        replace(key(b, c), f, g);
        mesh.faces[f] = {a, d, c};
        mesh.faces[g] = {d, b, c};
        --valence[a], --valence[b], ++valence[c], ++valence[d];
        ++done;
    }
}

}  // namespace

BenchMesh triangleSphere() { return {"sphere-50k-triangles", toText(geodesicSphere(50))}; }

BenchMesh shuffledSphere() {
    const IndexedMesh sphere = geodesicSphere(50);
    std::mt19937 random(20261208);
    std::vector<int> place(sphere.points.size()), faceOrder(sphere.faces.size());
    std::iota(place.begin(), place.end(), 0);
    std::iota(faceOrder.begin(), faceOrder.end(), 0);
    std::shuffle(place.begin(), place.end(), random);
    std::shuffle(faceOrder.begin(), faceOrder.end(), random);
    return {"sphere-50k-shuffled", toText(renumbered(sphere, place, faceOrder))};
}

BenchMesh scannedSphere() {
    const int frequency = 110;  // 20 * 110^2 = 242,000 triangles
    IndexedMesh sphere = geodesicSphere(frequency);
    std::mt19937 random(1208);
    flipEdges(sphere, static_cast<int>(sphere.faces.size() / 4), random);
    // Scan order: 400 slices along z, each swept around the axis.
    const int slices = 400;
    auto sliceOf = [&](const std::array<double, 3>& p) { return std::min(slices - 1, static_cast<int>((p[2] + 1) / 2 * slices)); };
    std::vector<int> byScan(sphere.points.size());
    std::iota(byScan.begin(), byScan.end(), 0);
    std::sort(byScan.begin(), byScan.end(), [&](int u, int v) {
        const auto &p = sphere.points[u], &q = sphere.points[v];
        if (sliceOf(p) != sliceOf(q)) return sliceOf(p) < sliceOf(q);
        return std::atan2(p[1], p[0]) < std::atan2(q[1], q[0]);
    });
    std::vector<int> place(sphere.points.size());
    for (std::size_t k = 0; k < byScan.size(); ++k) place[byScan[k]] = static_cast<int>(k);
    std::vector<int> faceOrder(sphere.faces.size());
    std::iota(faceOrder.begin(), faceOrder.end(), 0);
    auto firstVertex = [&](int f) {
        int first = place[sphere.faces[f][0]];
        for (int v : sphere.faces[f]) first = std::min(first, place[v]);
        return first;
    };
    std::stable_sort(faceOrder.begin(), faceOrder.end(), [&](int f, int g) { return firstVertex(f) < firstVertex(g); });
    return {"scan-242k-triangles", toText(renumbered(sphere, place, faceOrder))};
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
