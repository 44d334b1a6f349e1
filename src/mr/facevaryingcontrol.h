#pragma once
// The UV layout of a control mesh under a face-varying rule, found as a
// refinement library finds a face-varying channel's: which edges are seams
// (an edge whose faces name different texture coordinates at an end) or
// kept linear, how many values each vertex has and which of its faces sees
// which, and what kind each value of a vertex the layout does not run on
// across is: a corner, a crease along its two seams, or semi-sharp. It is
// found vertex by vertex in index order, as the library does, since a
// boundary vertex's edges stay linear only when it is not known to be
// parted by the time it is reached. FaceVaryingLayout (facevarying.h)
// builds the surface's level 0 from it.

#include <vector>

#include "mesh/mesh.h"
#include "rules/options.h"

namespace facetry {

// How a rule treats the layout.
struct FaceVaryingTraits {
    bool linearBoundaries;        // the seams and the boundary stay linear
    bool dependentSharpness;      // a vertex's two values may sharpen each other
    bool sharpenBothIfOneCorner;  // ... and a corner its partner
    bool sharpenDarts;            // a seam ending inside the layout keeps its end
    bool cornersAreSharp;         // a value of one face keeps its value
    bool smoothCornersSharp;      // ... also where the points' corner is smooth
};
FaceVaryingTraits faceVaryingTraits(const SchemeOptions& options);

// An edge's flags, and a value's kind bits.
constexpr unsigned char kSeamEdge = 1, kLinearEdge = 2;
constexpr unsigned char kCornerValue = 0, kCreaseValue = 1, kSemiSharpValue = 2, kDependentValue = 4;

struct ControlLayout {
    std::vector<unsigned char> edgeFlags;   // per control edge: kSeamEdge, kLinearEdge
    std::vector<unsigned char> mismatched;  // per control vertex: 1 where the layout does not run on across it
    std::vector<int> valueStart;            // numV + 1: vertex v's values are valueStart[v] .. valueStart[v+1]-1
    std::vector<int> valueCoordinate;       // per value, its texture coordinate's index (-1: a vertex no face uses)
    std::vector<int> ringSiblings;          // per ring entry: the value (0, 1, ...) its face sees
    std::vector<unsigned char> kinds;       // per value: its kind bits (values of matched vertices: 0, unused)
    // Per crease or semi-sharp value, 4 ring entries: the span's first face
    // and the edge before it, its last face and the edge after it; the
    // value's crease rule reads the far ends of those edges as those faces
    // see them. -1 for the others.
    std::vector<int> ends;
};

ControlLayout analyseControlLayout(const Mesh& mesh);

}  // namespace facetry
