#pragma once
// One control mesh's surface against OpenSubdiv's, the check every peer test
// makes: at OpenSubdiv levels 1 to 4 (and 0 on a mesh of quads) both have the
// same number of points, each refined point has its own partner within 1e-5
// of the mesh size, and at every pair of partners the limit positions agree
// within 1e-5 of the mesh size and the limit normals within 1e-4 radians.
//
// Three comparisons per level: the refined points; our limit against
// OpenSubdiv's limit masks applied in double precision to our own refined
// points (the same input: positions within 1e-5 of the size, normals within
// 1e-4 rad); and against OpenSubdiv's whole single-precision pipeline:
// positions within 1e-5 of the size, normals within 1e-4 rad. Where a
// crease's sector is one face, its cross tangent is the crease's second
// difference, a few thousandths of the size at level 4, and OpenSubdiv's
// float sums turn that normal the most (some 6e-5 rad).
//
// A level of more than 100,000 points ends the check: enough to show
// agreement, and the tests stay short. The largest differences are recorded
// as test properties, one per level.

#include "mesh/mesh.h"

// The surface's build links `control` to it. `size`: the diagonal of the mesh's bounding box (support/catalogue.h's meshSize).
void expectAgreesWithOpenSubdiv(facetry::Mesh& control, double size);
