#pragma once
// The control meshes the benchmark runs on: six generated deterministically
// (no downloads; what is random comes from a fixed seed) and the bundled
// examples. Every mesh is given
// as control-mesh text, so it goes through the same loader as a file.

#include <string>
#include <vector>

// One benchmark input.
struct BenchMesh {
    std::string name;  // short label for the table
    std::string text;  // the mesh in the control-mesh text format
};

// A closed torus of 100 x 100 quads.
BenchMesh quadTorus();
// A closed geodesic sphere of 50,000 triangles (an icosahedron whose faces are
// cut into 50 x 50 triangles, projected onto the unit sphere).
BenchMesh triangleSphere();
// The sphere above with its vertices and its faces in a random order (fixed
// seed): the same surface, with no locality in memory to lean on.
BenchMesh shuffledSphere();
// A closed sphere of 242,000 triangles in the order a scanner gives them:
// vertices slice by slice along the axis and around it within a slice, faces
// by their first vertex in that order. Random edge flips (fixed seed) spread
// the valences over 4 to 10, as in a scan.
BenchMesh scannedSphere();
// A closed torus of nu x nv quads (the memory check builds a million).
BenchMesh quadTorusOf(int nu, int nv);
// A closed torus of triangles, quads, pentagons and hexagons.
BenchMesh mixedTorus();
// An open height field of quads with a rectangular hole: an outer and an
// inner boundary, convex and concave corners.
BenchMesh openPatch();
// The examples bundled in `directory` (examples/*.mesh), sorted by name.
std::vector<BenchMesh> bundledExamples(const std::string& directory);
