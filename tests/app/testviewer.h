#pragma once
// Helpers for the viewer tests: small control meshes built from indices, and
// a Viewer over one of them that counts its redraw requests.

#include <memory>
#include <vector>

#include "app/viewer.h"

// A control mesh built through the shared face checker.
std::unique_ptr<facetry::Mesh> buildMesh(const std::vector<facetry::Vector>& positions, const std::vector<std::vector<int>>& faces);
// The cube with corners at +-1 (all quads), moved by `offset`.
std::unique_ptr<facetry::Mesh> cubeMesh(const facetry::Vector& offset = facetry::Vector());
// A flat grid of n x n unit quads in the plane z = 0 from (0,0) to (n,n).
std::unique_ptr<facetry::Mesh> gridMesh(int n);

// A viewer over its own control mesh and surface, centred and scaled as
// start-up does, with a window size set and redraw requests counted.
struct TestViewer {
    explicit TestViewer(std::unique_ptr<facetry::Mesh> controlMesh, int width = 300, int height = 300);
    TestViewer(const TestViewer&) = delete;  // the redraw counter is bound to this object
    TestViewer& operator=(const TestViewer&) = delete;

    std::unique_ptr<facetry::Mesh> mesh;      // the control mesh
    std::unique_ptr<facetry::MrMesh> mrMesh;  // the surface over it
    facetry::Viewer viewer;                   // refers to both
    int redraws = 0;                 // redraw requests so far
};
