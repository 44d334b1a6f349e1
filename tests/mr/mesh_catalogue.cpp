#include "mesh_catalogue.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace {

constexpr double kPi = 3.14159265358979323846;

// A position rounded to single precision, so that text, loader and reference
// all hold the same value.
RefPoint exact(double x, double y, double z) {
    return {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
}

// A small irregular offset for vertex i.
RefPoint jittered(int i, double x, double y, double z) {
    return exact(x + ((i * 7) % 5) * 0.05, y + ((i * 3) % 7) * 0.03, z + ((i * 5) % 3) * 0.04);
}

RefMesh cube() {
    RefMesh m;
    const double corners[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                                  {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
    for (int i = 0; i < 8; ++i) m.points.push_back(jittered(i, corners[i][0], corners[i][1], corners[i][2]));
    m.faces = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4}, {2, 3, 7, 6}, {0, 4, 7, 3}, {1, 2, 6, 5}};
    return m;
}

// 4 around the hole by 3 around the tube: every vertex of valence 4.
RefMesh torus() {
    const int ring = 4, tube = 3;
    RefMesh m;
    for (int i = 0; i < ring; ++i)
        for (int j = 0; j < tube; ++j) {
            double u = 2 * kPi * i / ring, v = 2 * kPi * j / tube, r = 2 + 0.7 * std::cos(v);
            m.points.push_back(jittered(i * tube + j, r * std::cos(u), r * std::sin(u), 0.7 * std::sin(v)));
        }
    auto at = [&](int i, int j) { return (i % ring) * tube + (j % tube); };
    for (int i = 0; i < ring; ++i)
        for (int j = 0; j < tube; ++j) m.faces.push_back({at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)});
    return m;
}

RefMesh octahedron() {
    RefMesh m;
    const double p[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (int i = 0; i < 6; ++i) m.points.push_back(jittered(i, p[i][0], p[i][1], p[i][2]));
    m.faces = {{0, 2, 4}, {2, 1, 4}, {1, 3, 4}, {3, 0, 4}, {2, 0, 5}, {1, 2, 5}, {3, 1, 5}, {0, 3, 5}};
    return m;
}

// Five triangles meeting at a valence-5 apex over a pentagon.
RefMesh pyramid() {
    RefMesh m;
    for (int k = 0; k < 5; ++k)
        m.points.push_back(jittered(k, std::cos(2 * kPi * k / 5), std::sin(2 * kPi * k / 5), 0));
    m.points.push_back(jittered(5, 0, 0, 1.2));
    for (int k = 0; k < 5; ++k) m.faces.push_back({k, (k + 1) % 5, 5});
    m.faces.push_back({4, 3, 2, 1, 0});
    return m;
}

// Five quads around a centre vertex: interior valence 5 on the quad path,
// boundary vertices with two faces and corners with one.
RefMesh quadFan() {
    RefMesh m;
    m.points.push_back(jittered(0, 0, 0, 0.3));
    for (int k = 0; k < 5; ++k) {
        double spoke = 2 * kPi * k / 5, between = spoke + kPi / 5;
        m.points.push_back(jittered(1 + 2 * k, std::cos(spoke), std::sin(spoke), 0));
        m.points.push_back(jittered(2 + 2 * k, 1.6 * std::cos(between), 1.6 * std::sin(between), -0.2));
    }
    for (int k = 0; k < 5; ++k) m.faces.push_back({0, 1 + 2 * k, 2 + 2 * k, 1 + 2 * ((k + 1) % 5)});
    return m;
}

// Two quads with two triangles over them: open, corners at 0 and 2.
RefMesh openPatch() {
    RefMesh m;
    const double p[7][3] = {{0, 0, 0}, {1, 0, 0.2}, {2, 0, 0}, {0, 1, 0.1}, {1, 1, 0.4}, {2, 1, 0}, {1, 2, 0.3}};
    for (int i = 0; i < 7; ++i) m.points.push_back(jittered(i, p[i][0], p[i][1], p[i][2]));
    m.faces = {{0, 1, 4, 3}, {1, 2, 5, 4}, {3, 4, 6}, {4, 5, 6}};
    return m;
}

// Two quads sharing an edge, and vertex 0 that no face uses: on the quad
// path it is also the surface's first vertex, the one that tells the level.
RefMesh quadsWithUnusedVertex() {
    RefMesh m;
    const double p[7][3] = {{5, 5, 5}, {0, 0, 0}, {1, 0, 0}, {1, 1, 0.2}, {0, 1, 0}, {2, 0, 0.1}, {2, 1, 0}};
    for (int i = 0; i < 7; ++i) m.points.push_back(jittered(i, p[i][0], p[i][1], p[i][2]));
    m.faces = {{1, 2, 3, 4}, {2, 5, 6, 3}};
    return m;
}

// Two triangles sharing an edge, and vertex 0 that no face uses.
RefMesh trianglesWithUnusedVertex() {
    RefMesh m;
    const double p[5][3] = {{-3, 4, 2}, {0, 0, 0}, {1, 0, 0.3}, {1, 1, 0}, {0, 1, 0.2}};
    for (int i = 0; i < 5; ++i) m.points.push_back(jittered(i, p[i][0], p[i][1], p[i][2]));
    m.faces = {{1, 2, 3}, {1, 3, 4}};
    return m;
}

// A mesh with one face turned the other way: its edges run the same way in
// both of their faces. The loader allows it; the surface must not mind.
RefMesh withFlippedFace(RefMesh m, int face) {
    std::reverse(m.faces[face].begin(), m.faces[face].end());
    return m;
}

int edgeCount(const RefMesh& mesh) {
    std::set<std::pair<int, int>> edges;
    for (const std::vector<int>& face : mesh.faces)
        for (std::size_t k = 0; k < face.size(); ++k) {
            int a = face[k], b = face[(k + 1) % face.size()];
            edges.insert({std::min(a, b), std::max(a, b)});
        }
    return static_cast<int>(edges.size());
}

}  // namespace

const std::vector<CatalogueMesh>& meshCatalogue() {
    static const std::vector<CatalogueMesh> catalogue = {
        {"cube", cube(), true},
        {"torus", torus(), true},
        {"octahedron", octahedron(), false},
        {"pyramid", pyramid(), false},
        {"quadFan", quadFan(), true},
        {"openPatch", openPatch(), false},
        {"quadsWithUnusedVertex", quadsWithUnusedVertex(), true, 0},
        {"trianglesWithUnusedVertex", trianglesWithUnusedVertex(), false, 0},
        {"pyramidWithAFlippedFace", withFlippedFace(pyramid(), 2), false},
        {"cubeWithAFlippedFace", withFlippedFace(cube(), 3), true},
    };
    return catalogue;
}

RefMesh gridTorus(int nu, int nv) {
    RefMesh m;
    for (int i = 0; i < nu; ++i)
        for (int j = 0; j < nv; ++j) {
            double u = 2 * kPi * i / nu, v = 2 * kPi * j / nv, r = 2 + 0.7 * std::cos(v);
            m.points.push_back(exact(r * std::cos(u), r * std::sin(u), 0.7 * std::sin(v) + 0.01 * ((i * 7 + j * 3) % 5)));
        }
    auto at = [&](int i, int j) { return (i % nu) * nv + (j % nv); };
    for (int i = 0; i < nu; ++i)
        for (int j = 0; j < nv; ++j) m.faces.push_back({at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)});
    return m;
}

RefMesh mixedPatch(int nx, int ny) {
    RefMesh m;
    for (int i = 0; i <= nx; ++i)
        for (int j = 0; j <= ny; ++j) m.points.push_back(exact(double(i), double(j), 0.1 * std::sin(i + 2.0 * j)));
    auto at = [&](int i, int j) { return i * (ny + 1) + j; };
    for (int i = 0; i < nx; ++i)
        for (int j = 0; j < ny; ++j) {
            int a = at(i, j), b = at(i + 1, j), c = at(i + 1, j + 1), d = at(i, j + 1);
            if ((i + 2 * j) % 3 == 0) {
                m.faces.push_back({a, b, c});
                m.faces.push_back({a, c, d});
            } else {
                m.faces.push_back({a, b, c, d});
            }
        }
    return m;
}

std::string meshText(const RefMesh& mesh) {
    std::ostringstream text;
    text.precision(9);
    text << "numV = " << mesh.points.size() << "\n";
    for (const RefPoint& p : mesh.points) text << p.x << " " << p.y << " " << p.z << "\n";
    text << "numE = " << edgeCount(mesh) << "\nnumF = " << mesh.faces.size() << "\n";
    for (const std::vector<int>& face : mesh.faces) {
        for (int v : face) text << v << " ";
        text << "-1\n";
    }
    return text.str();
}

std::unique_ptr<Mesh> loadMesh(const std::string& text, std::vector<std::string>* messages) {
    FILE* input = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    if (!input) throw std::runtime_error("fmemopen failed");
    auto mesh = std::make_unique<Mesh>();
    try {
        mesh->load(input, [messages](const std::string& m) {
            if (messages) messages->push_back(m);
        });
    } catch (...) {
        std::fclose(input);
        throw;
    }
    std::fclose(input);
    return mesh;
}

double meshSize(const RefMesh& mesh) {
    RefPoint lo = mesh.points.at(0), hi = lo;
    for (const RefPoint& p : mesh.points) {
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
    return std::sqrt((hi.x - lo.x) * (hi.x - lo.x) + (hi.y - lo.y) * (hi.y - lo.y) + (hi.z - lo.z) * (hi.z - lo.z));
}
