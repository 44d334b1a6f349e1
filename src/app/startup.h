#pragma once
// Start-up of the viewer: everything main does before the window opens,
// without GLUT, so it can be tested.

#include "math/vector.h"
#include "mesh/mesh.h"

namespace facetry {

// The view's centring and scaling: the mesh's bounding box centred on the
// origin and fitted to the cube from -1 to 1. A mesh whose vertices all
// coincide keeps a scale of 0.
struct ViewFit {
    Vector center;    // midpoint of the bounding box
    float scale = 0;  // reciprocal of the largest half-extent, or 0
};
ViewFit fitView(const Mesh& mesh);

// Opens and reads the control mesh named on the command line; prints the
// usage, "cannot open" or the loader's message and exits with status -1 on
// failure.
void loadControlMesh(int argc, char** argv, Mesh& mesh);

}  // namespace facetry
