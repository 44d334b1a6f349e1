#include "support/catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "support/loading.h"
#include "support/tempdir.h"

using namespace facetry;

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

// A 3 by 3 grid of quads in the plane z = 0, lifted in the middle: 16
// vertices, boundary vertices of valence 2 and 3, interior ones of valence 4.
RefMesh gridPatch() {
    RefMesh m;
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) m.points.push_back(exact(i, j, (i % 3 && j % 3) ? 1.0 : 0.0));
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i) m.faces.push_back({4 * j + i, 4 * j + i + 1, 4 * j + i + 5, 4 * j + i + 4});
    return m;
}

// A square pyramid: a quad base and four triangles, apex of valence 4, base
// corners of valence 3.
RefMesh squarePyramid() {
    return {{{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}, {1, 1, 3}},
            {{0, 3, 2, 1}, {0, 1, 4}, {1, 2, 4}, {2, 3, 4}, {3, 0, 4}}};
}

// A fan of five triangles around vertex 0, open between the first and the
// last: vertex 0 is a boundary vertex with six edges and five faces.
RefMesh openFan() {
    return {{{0, 0, 0}, {4, 0, 0}, {2, 3, 0}, {-2, 3, 0}, {-4, 0, 1}, {-2, -3, 0}, {2, -3, 1}},
            {{0, 1, 2}, {0, 2, 3}, {0, 3, 4}, {0, 4, 5}, {0, 5, 6}}};
}

// A pentagon and a triangle sharing an edge, listed so that the shared edge
// is first met from the triangle.
RefMesh pentagonAndTriangle() {
    return {{{0, 0, 0}, {2, 0, 0}, {3, 2, 0}, {1, 3, 0}, {-1, 2, 0}, {1, -2, 0}}, {{1, 0, 5}, {0, 1, 2, 3, 4}}};
}

RefMesh singleQuad() { return {{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, 3}}}; }

// An irregular tetrahedron, its faces turned outwards.
RefMesh tetrahedron() {
    return {{exact(0.1, 0.2, 0.3), exact(1.7, 0.1, -0.2), exact(0.3, 1.9, 0.1), exact(0.2, 0.4, 1.3)},
            {{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}}};
}

// One of the examples shipped with the program, as the loader reads it.
RefMesh example(const std::string& name) {
    Loaded loaded = loadFile(std::string(FACETRY_SOURCE_DIR) + "/examples/" + name + ".mesh");
    if (!loaded.fatal.empty()) throw std::runtime_error(name + ": " + loaded.fatal);
    return refMesh(positionsOf(*loaded.mesh), facesOf(*loaded.mesh));
}

}  // namespace

CatalogueMesh describeMesh(const std::string& name, RefMesh control, int euler, bool convex) {
    CatalogueMesh m;
    m.name = name;
    m.control = std::move(control);
    m.euler = euler;
    m.convex = convex;
    m.allQuads = std::all_of(m.control.faces.begin(), m.control.faces.end(),
                             [](const std::vector<int>& f) { return f.size() == 4; });
    std::vector<bool> used(m.control.points.size(), false);
    std::map<std::pair<int, int>, std::vector<int>> sides;  // unordered pair -> the directions it is run in
    for (const std::vector<int>& face : m.control.faces)
        for (std::size_t k = 0; k < face.size(); ++k) {
            const int a = face[k], b = face[(k + 1) % face.size()];
            used[a] = true;
            sides[{std::min(a, b), std::max(a, b)}].push_back(a < b ? 1 : -1);
        }
    for (std::size_t v = 0; v < used.size() && m.unusedVertex < 0; ++v)
        if (!used[v]) m.unusedVertex = static_cast<int>(v);
    m.oriented = true;
    for (const auto& side : sides) {
        if (side.second.size() == 1) ++m.boundaryEdges;
        else m.oriented = m.oriented && side.second[0] != side.second[1];
    }
    m.closed = m.boundaryEdges == 0;
    return m;
}

namespace {

std::string coordinates(const RefPoint& p) {
    char text[80];
    std::snprintf(text, sizeof text, "%.9g %.9g %.9g", p.x, p.y, p.z);
    return text;
}

int edgeCount(const RefMesh& mesh) {
    std::map<std::pair<int, int>, int> edges;
    for (const std::vector<int>& face : mesh.faces)
        for (std::size_t k = 0; k < face.size(); ++k) {
            int a = face[k], b = face[(k + 1) % face.size()];
            edges[{std::min(a, b), std::max(a, b)}] = 1;
        }
    return static_cast<int>(edges.size());
}

}  // namespace

const std::vector<CatalogueMesh>& meshCatalogue() {
    static const std::vector<CatalogueMesh> catalogue = {
        describeMesh("cube", cube(), 2, true),
        describeMesh("torus", torus(), 0),
        describeMesh("octahedron", octahedron(), 2, true),
        describeMesh("pyramid", pyramid(), 2, true),
        describeMesh("quadFan", quadFan(), 1),
        describeMesh("openPatch", openPatch(), 1),
        describeMesh("quadsWithUnusedVertex", quadsWithUnusedVertex(), 2),
        describeMesh("trianglesWithUnusedVertex", trianglesWithUnusedVertex(), 2),
        describeMesh("pyramidWithAFlippedFace", withFlippedFace(pyramid(), 2), 2),
        describeMesh("cubeWithAFlippedFace", withFlippedFace(cube(), 3), 2),
        describeMesh("singleQuad", singleQuad(), 1),
        describeMesh("tetrahedron", tetrahedron(), 2, true),
        describeMesh("gridPatch", gridPatch(), 1),
        describeMesh("squarePyramid", squarePyramid(), 2),
        describeMesh("openFan", openFan(), 1),
        describeMesh("pentagonAndTriangle", pentagonAndTriangle(), 1),
        describeMesh("exampleCube", example("cube"), 2, true),
        describeMesh("exampleAntiprism", example("antiprism"), 2),
        describeMesh("examplePatch", example("patch"), 1),
        describeMesh("exampleTorus", example("torus"), 0),
    };
    return catalogue;
}

const CatalogueMesh& catalogueMesh(const std::string& name) {
    for (const CatalogueMesh& m : meshCatalogue())
        if (m.name == name) return m;
    ADD_FAILURE() << "no catalogue mesh called " << name;
    return meshCatalogue().front();
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

double meshSize(const RefMesh& mesh) {
    RefPoint lo = mesh.points.at(0), hi = lo;
    for (const RefPoint& p : mesh.points) {
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
    return std::sqrt((hi.x - lo.x) * (hi.x - lo.x) + (hi.y - lo.y) * (hi.y - lo.y) + (hi.z - lo.z) * (hi.z - lo.z));
}

RefMesh refMesh(const std::vector<Vector>& positions, const std::vector<std::vector<int>>& faces) {
    RefMesh m;
    for (const Vector& p : positions) m.points.push_back({p.x, p.y, p.z});
    m.faces = faces;
    return m;
}

std::string meshText(const RefMesh& mesh) {
    std::string text = "numV = " + std::to_string(mesh.points.size()) + "\n";
    for (const RefPoint& p : mesh.points) text += coordinates(p) + "\n";
    text += "numE = " + std::to_string(edgeCount(mesh)) + "\nnumF = " + std::to_string(mesh.faces.size()) + "\n";
    for (const std::vector<int>& face : mesh.faces) {
        for (int v : face) text += std::to_string(v) + " ";
        text += "-1\n";
    }
    return text;
}

std::string objText(const RefMesh& mesh) {
    std::string text;
    for (const RefPoint& p : mesh.points) text += "v " + coordinates(p) + "\n";
    for (const std::vector<int>& face : mesh.faces) {
        text += "f";
        for (int v : face) text += " " + std::to_string(v + 1);
        text += "\n";
    }
    return text;
}

std::string offText(const RefMesh& mesh) {
    std::string text = "OFF\n" + std::to_string(mesh.points.size()) + " " + std::to_string(mesh.faces.size()) + " " +
                       std::to_string(edgeCount(mesh)) + "\n";
    for (const RefPoint& p : mesh.points) text += coordinates(p) + "\n";
    for (const std::vector<int>& face : mesh.faces) {
        text += std::to_string(face.size());
        for (int v : face) text += " " + std::to_string(v);
        text += "\n";
    }
    return text;
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

std::vector<Vector> positionsOf(const Mesh& mesh) {
    std::vector<Vector> positions;
    for (int v = 0; v < mesh.numVertices(); ++v) positions.push_back(mesh.vertex(v)->position());
    return positions;
}

std::vector<std::vector<int>> facesOf(const Mesh& mesh) {
    std::vector<std::vector<int>> faces;
    for (int f = 0; f < mesh.numFaces(); ++f) {
        std::vector<int> face;
        for (int k = 0; k < mesh.face(f)->valence(); ++k) face.push_back(mesh.face(f)->vertex(k)->id);
        faces.push_back(face);
    }
    return faces;
}
