#pragma once
// A control mesh from arrays, as a program that holds its mesh in memory
// has it (the Python module does), and a copy of a loaded mesh. Both go
// through MeshBuilder, so the arrays get the readers' checks and messages:
// faces that cannot be part of the surface are reported and dropped, a
// vertex whose faces form no fan is fatal, and so on.
//
// Where a reader names a line, an error in the arrays names the element by
// its place in its array, from 0: "face 3: vertex index 9 out of range (8
// vertices)", "crease 2: crease vertices 0 and 5 share no edge". The
// builder's own messages number faces as it always does, by the slot the
// next accepted face takes. Indices are 64-bit, so that every value a caller
// can pass is checked, none cut to 32 bits first.

#include <cstdint>

#include "mesh/mesh.h"

namespace facetry {

struct MeshArrays {
    const float* points = nullptr;          // x, y, z per vertex
    std::int64_t pointCount = 0;            // number of vertices
    const std::int64_t* faceSizes = nullptr;  // the number of corners of each face
    std::int64_t faceCount = 0;             // number of faces
    const std::int64_t* faceIndices = nullptr;  // every face's vertex indices in turn
    std::int64_t indexCount = 0;            // their number: the sum of faceSizes
    const float* cornerUVs = nullptr;       // u, v per face corner in the same order, or null for none; the
                                            // corners of a vertex with equal (u, v) share one value of the
                                            // UV layout, unequal ones part it by a seam
    const std::int64_t* creases = nullptr;  // two vertex indices per sharp edge
    const float* creaseSharpness = nullptr; // one per sharp edge
    std::int64_t creaseCount = 0;           // number of sharp edges
    const std::int64_t* corners = nullptr;  // one vertex index per sharp vertex
    const float* cornerSharpness = nullptr; // one per sharp vertex
    std::int64_t cornerCount = 0;           // number of sharp vertices
    const std::int64_t* holes = nullptr;    // faces that are holes, by their index in the arrays
    std::int64_t holeCount = 0;             // number of hole indices
    SchemeOptions options;                  // the scheme options, as a file's tags give them
};

// Builds the mesh the arrays describe into an empty Mesh; warnings (dropped
// faces) go to `report`. A later crease or corner of the same element
// replaces an earlier one, as in a file. Throws LoadError (no file, no
// line): a coordinate or texture coordinate that is not finite, a negative
// face size or sizes that do not add up to the indices, an index out of
// range, a crease whose vertices share no edge, a sharpness that is negative
// or not finite, or what the builder finds fatal. Holes count the faces as
// given: one that names a dropped face is passed over with a warning ("hole
// K: face F was dropped, hole ignored"), one out of range is an error.
void buildMesh(const MeshArrays& arrays, Mesh& mesh, const MessageSink& report);

// Builds into an empty Mesh the same control mesh as `source` holds now: its
// positions, faces in order, sharpness, scheme options, holes and texture coordinates (one per face
// corner). The copy numbers its vertices, edges and faces as the source does.
void copyMesh(const Mesh& source, Mesh& copy);
// The same with `options` for its scheme options.
void copyMesh(const Mesh& source, Mesh& copy, const SchemeOptions& options);

}  // namespace facetry
