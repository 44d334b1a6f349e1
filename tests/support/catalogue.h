#pragma once
// The one catalogue of control meshes every test runs over: closed and open,
// quads only and mixed, regular and extraordinary vertices, unused vertices
// and faces turned against their neighbours; the examples shipped with the
// program among them. Positions carry a small irregular offset where a
// symmetry could hide a point read from the wrong place. The writers give
// each mesh in the three input formats, coordinates to nine digits, which
// read back as the same floats.

#include <string>
#include <vector>

#include "math/vector.h"
#include "mesh/mesh.h"
#include "support/refmesh.h"

// One control mesh of the catalogue and what is known about it.
struct CatalogueMesh {
    std::string name;       // a C identifier, used in test names
    RefMesh control;        // positions (exact floats) and faces
    int euler = 0;          // V - E + F
    bool convex = false;    // closed and convex, every face turned outwards
    bool allQuads = false;  // every face a quad: level 0 of the surface is the mesh itself
    int unusedVertex = -1;  // the first vertex no face uses, or -1
    bool closed = false;    // every edge has two faces
    bool oriented = false;  // every edge with two faces runs opposite ways in them
    int boundaryEdges = 0;  // edges with one face
};

const std::vector<CatalogueMesh>& meshCatalogue();
// A mesh of the catalogue's kind: the facts that follow from its faces are
// worked out, the others given.
CatalogueMesh describeMesh(const std::string& name, RefMesh control, int euler, bool convex = false);
// The catalogue mesh called `name`; fails the test when there is none.
const CatalogueMesh& catalogueMesh(const std::string& name);

// A closed torus of nu x nv quads, vertex (i, j) at index i*nv + j: every
// vertex regular, large enough for an edit to leave most of it alone.
RefMesh gridTorus(int nu, int nv);
// An open grid of nx x ny cells with every third cell cut into two
// triangles: the refinement path, with boundaries, corners and vertices of
// valence 3 to 6.
RefMesh mixedPatch(int nx, int ny);

// The diagonal of the mesh's bounding box: the scale of its tolerances.
double meshSize(const RefMesh& mesh);

// A mesh as Vector positions and faces.
RefMesh refMesh(const std::vector<facetry::Vector>& positions, const std::vector<std::vector<int>>& faces);
// The mesh in the text format with the exact edge count, in OBJ and in OFF.
std::string meshText(const RefMesh& mesh);
std::string objText(const RefMesh& mesh);
std::string offText(const RefMesh& mesh);
// The text format with a chosen edge count, faces as given (any size).
std::string meshText(const std::vector<facetry::Vector>& positions, int declaredEdges,
                     const std::vector<std::vector<int>>& faces);

// The vertex positions and the faces of a loaded mesh.
std::vector<facetry::Vector> positionsOf(const facetry::Mesh& mesh);
std::vector<std::vector<int>> facesOf(const facetry::Mesh& mesh);
