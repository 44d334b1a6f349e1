#pragma once
// The meshes every surface invariant is checked over, written out in the
// control-mesh text format and loaded the way the program loads its files.
// Positions carry a small irregular offset so that no symmetry can hide a
// point read from the wrong place.

#include <memory>
#include <string>
#include <vector>

#include "mesh/mesh.h"
#include "reference_subdivision.h"

// One control mesh of the catalogue.
struct CatalogueMesh {
    std::string name;       // a C identifier, used in test names
    RefMesh control;        // positions (exact floats) and faces
    bool allQuads = false;  // level 0 of the surface is the control mesh itself
    int unusedVertex = -1;  // a vertex no face uses, or -1
};

// Closed quads (cube, torus), closed triangles (octahedron), mixed polygons
// with a valence-5 vertex (pyramid), an open quad fan with a valence-5 centre,
// an open mixed patch with corners, two meshes with an unused vertex, and two
// with a face turned against its neighbours.
const std::vector<CatalogueMesh>& meshCatalogue();

// A closed torus of nu x nv quads, vertex (i, j) at index i*nv + j: every
// vertex regular, large enough for an edit to leave most of it alone.
RefMesh gridTorus(int nu, int nv);
// An open grid of nx x ny cells with every third cell cut into two
// triangles: the refinement path, with boundaries, corners and vertices of
// valence 3 to 6.
RefMesh mixedPatch(int nx, int ny);

// The mesh in the control-mesh text format, numE the exact edge count.
std::string meshText(const RefMesh& mesh);

// Loads control-mesh text through Mesh::load, as the program reads a file.
// Messages the loader reports go to `messages` when given. Throws LoadError.
std::unique_ptr<Mesh> loadMesh(const std::string& text, std::vector<std::string>* messages = nullptr);

// The diagonal of the mesh's bounding box: the scale of its tolerances.
double meshSize(const RefMesh& mesh);
