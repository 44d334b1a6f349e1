#pragma once
// A control mesh as plain data: positions and faces as lists of position
// indices, shared by the catalogue, the file writers and the reference
// refinement of the surface tests.

#include <vector>

// A point, in double precision; the catalogue's points are exact floats.
struct RefPoint {
    double x = 0, y = 0, z = 0;
};

// An indexed polygon mesh.
struct RefMesh {
    std::vector<RefPoint> points;         // one per vertex
    std::vector<std::vector<int>> faces;  // vertex indices in order around each face
};
